// 修復案…: the definition as it is and as the repair would make it, side by side, each change
// coloured and explained, what only the user can decide marked. The user takes every change or
// ticks those to take; nothing changes until one of the two is pressed.
#pragma once

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls.h"
#include "form.h"
#include "line_diff.h"
#include "repair.h"

namespace verrimo {

class RepairDialog : public TModalForm {
    Q_OBJECT

  public:
    RepairDialog();

    void Button_allClick(QObject* Sender);
    void Button_chosenClick(QObject* Sender);
    void Button_cancelClick(QObject* Sender);

    // The proposal for the definition `old`, every change ticked.
    void ShowRepair(std::string old, RepairResult repair);

    // The list's columns.
    enum Column { Line, Kind, Message };

    TLabel* Label_intro;
    TLabel* Label_old;
    QPlainTextEdit* Memo_old;
    TLabel* Label_new;
    QPlainTextEdit* Memo_new;
    QTreeWidget* List_changes;
    QPushButton* Button_all;
    QPushButton* Button_chosen;
    QPushButton* Button_cancel;

  signals:
    // The definition with the changes the user took.
    void RepairAccepted(const std::string& text);

  private:
    // Which hunks are ticked, through the rows that make them.
    std::vector<bool> Taken() const;
    // The repaired text with the ticked hunks, and its changed lines coloured.
    void ShowChosen();
    // A row ticked or unticked: the rows of the same hunk follow it.
    void RowTicked(QTreeWidgetItem* row);

    std::string old_;
    RepairResult repair_;
    std::vector<std::string_view> oldLines_, newLines_;
    std::vector<LineHunk> hunks_;
    std::vector<std::optional<std::size_t>> hunkOfRow_;
};

}  // namespace verrimo
