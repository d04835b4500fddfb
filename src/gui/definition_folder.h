// A folder of definitions, each checked against its referrer page as the site serves it now:
// one row per definition with its site, its steps and how it fares, the history of its checks,
// and a double click to open it in the main window. The checks go four at a time on threads of
// their own; the window only shows them.
#pragma once

#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTreeView>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "check_history.h"
#include "controls.h"
#include "fetch.h"
#include "form.h"
#include "live_check.h"

namespace verrimo {

class DefinitionFolder : public TForm {
    Q_OBJECT

  public:
    // samples: the values the preview shows; fetch: how pages are downloaded.
    DefinitionFolder(std::function<SampleValues()> samples, std::function<FetchOptions()> fetch);
    // Cancels the checks under way and waits for them to end.
    ~DefinitionFolder() override;

    void Button_folderClick(QObject* Sender);
    void Button_checkClick(QObject* Sender);
    void Button_cancelClick(QObject* Sender);
    void Button_closeClick(QObject* Sender);

    // The definitions of the folder listed, none checked yet; a folder that cannot be read
    // throws a UserError that says so.
    void ShowFolder(const QString& folder);
    // Shows the window; asks for a folder first when it shows none.
    void Open();
    bool Checking() const { return checking_; }

    // The list's columns.
    enum Column { File, Site, Steps, State, History };

    TLabel* Label_folder;
    QPushButton* Button_folder;
    QPushButton* Button_check;
    QPushButton* Button_cancel;
    QProgressBar* Progress;
    TLabel* Label_filter;
    QComboBox* CB_filter;
    QTreeView* List_definitions;
    TLabel* Label_summary;
    QPlainTextEdit* Memo_history;
    QPushButton* Button_close;

  signals:
    // A double click on a definition, or Enter: its file name's bytes.
    void DefinitionOpened(const std::string& path);

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    struct Entry {
        QString path;
        std::shared_ptr<const ParsedDefinition> definition;  // read once, when the folder is
    };

    // On the window's thread.
    void Checked(std::size_t row, const LiveCheck& check);
    void Ended();
    void Cancel();
    void ShowState();
    void ShowRowHistory(std::size_t row);
    void ShowCurrentHistory();
    void ShowSummary();

    std::function<SampleValues()> samples_;
    std::function<FetchOptions()> fetch_;
    std::unique_ptr<CheckHistory> history_;
    QString folder_;
    std::vector<Entry> entries_;
    QStandardItemModel* model_;
    QSortFilterProxyModel* shown_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    bool checking_ = false;
};

}  // namespace verrimo
