// The main window: the definition text, the holding area, the URL box and the commands.
#pragma once

#include <QMenuBar>
#include <QPushButton>
#include <string>
#include <string_view>
#include <vector>

#include "clickable_label.h"
#include "controls.h"
#include "definition_highlighter.h"
#include "form.h"
#include "form_request.h"

namespace verrimo {

class TForm1 : public TForm {
    Q_OBJECT

  public:
    TForm1();

    void FormCreate();
    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button4Click(QObject* Sender);
    void About1Click(QObject* Sender);
    void Open1Click(QObject* Sender);
    void Har1Click(QObject* Sender);
    void Folder1Click(QObject* Sender);
    void Save1Click(QObject* Sender);
    void Close1Click(QObject* Sender);
    void Check1Click(QObject* Sender);
    void Label_checkClick(QObject* Sender);
    void Preview1Click(QObject* Sender);

    // Writes the definition text's bytes exactly to the file.
    void SaveDefinition(const QString& path);

    // The executable's folder with its trailing separator, as the file system spells it.
    const std::string& ProgramFolder() const { return programFolder_; }
    // The definition text's bytes as they are now.
    SharedText Definition() const { return Memo1->Bytes(); }
    // Where the definition, as the bytes `from`, no longer fits its page, underlined with the
    // warnings. While the definition stays so, the context menu of a line whose finding names a
    // browser's value offers to write it.
    void ShowPageFindings(const std::vector<PageFinding>& findings, SharedText from);
    // The value of the line (from 0) replaced: the text after its "=" becomes value.
    void WriteLineValue(int line, std::string_view value);
    // The URL the next load fetches.
    std::string UrlText() const { return Edit1->Text(); }
    void SetUrlText(std::string_view url) { Edit1->SetText(url); }

    // A new last line of the definition text.
    void AppendLine(std::string_view line);
    // A field line the walker accepted: a new last line of the definition text.
    void AppendField(std::string_view line);
    // A new last line of the holding area.
    void HoldLine(std::string_view line);
    std::string HeldText() const { return Memo2->Text(); }
    // The definition text and the holding area, each replaced whole.
    void ReplaceTexts(std::string_view definition, std::string_view held);
    // After a load: the targets found become the URL box's list, the chosen one its text.
    void OfferTargets(const std::vector<std::string>& targets, std::string_view chosen);
    // The URL of the page now shown.
    void SetCurrentUrl(std::string_view url);
    // What the current-URL field shows after an extraction from pasted source.
    void ShowPastedSource();
    // After the code page changed from `from`: the texts this window wrote itself, in the new one.
    void RespellOwnTexts(const CodePage& from);
    // Checks the program's code page (a charset name) in the 文字コード menu.
    void ShowCodePage(const std::string& charset);

    TLabel* Label13540;
    TEdit* Edit_now_open;
    QPushButton* Button4;
    TComboBox* Edit1;
    QPushButton* Button1;
    QPushButton* Button3;
    TMemo* Memo1;
    QPushButton* Button2;
    TMemo* Memo2;
    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* Open1;
    QAction* Har1;
    QAction* Folder1;
    QAction* Save1;
    QAction* Check1;
    QAction* NewRoad1;
    QAction* Close1;
    QMenu* CodePage1;
    QMenu* View1;
    QAction* Preview1;
    QAction* Run1;
    QMenu* Help1;
    QAction* About1;
    // Under the definition text: the number of warnings and lines left in the holding area;
    // hidden when there is nothing to say.
    ClickableLabel* Label_check;

  signals:
    void Shown();
    void LoadRequested();
    void WalkRequested();
    void AboutRequested();
    void PreviewRequested();
    // Forget the road's cookies and pages.
    void NewRoadRequested();
    void TrialRunRequested();
    // The definition text changed, by the user or by a verb.
    void DefinitionChanged();
    // A saved page to extract, as its file name's bytes.
    void PageFileChosen(const std::string& path);
    // A HAR file whose form submissions to read, as its file name's bytes.
    void HarFileChosen(const std::string& path);
    void FolderCheckRequested();
    // The user chose to read every text in this charset.
    void CodePageChosen(const std::string& charset);
    // 修復案… on a line that no longer fits its page.
    void RepairRequested();

  protected:
    void FormShow() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetUpCheck(QWidget* panel);
    void UpdateCheckLine();
    void ShowFindingTip(const QHelpEvent* event);
    // The definition text's context menu, with the browser's values its line's findings name
    // and, on a line that no longer fits its page, 修復案….
    void ShowDefinitionMenu(const QContextMenuEvent* event);

    std::string programFolder_;
    DefinitionHighlighter* highlighter_ = nullptr;
    std::vector<PageFinding> pageFindings_;
    SharedText findingsFrom_;  // the definition the page findings were made from
    // The walker added fields while the holding area held lines, which are still there.
    bool heldAfterWalk_ = false;
};

}  // namespace verrimo
