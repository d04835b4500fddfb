// The page viewer: the page as the browser shows it, its source, and the tags taken from it.
#pragma once

#include <QPushButton>
#include <QTabWidget>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <string>

#include "controls.h"
#include "form.h"
#include "page_memo.h"
#include "shared_text.h"

namespace verrimo {

struct FormRecording;
class SubmissionRecorder;

class TForm2 : public TForm {
    Q_OBJECT

  public:
    TForm2();
    ~TForm2() override;

    void FormCreate();
    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);

    // The page source and the three lists, as an extraction left them.
    void ShowExtraction(IndexedText source, IndexedText required, IndexedText images,
                        IndexedText links);
    // Empties the three lists; with the page source too when a download is to fill it.
    void ClearLists(bool withSource);
    // Shows the file at this absolute path, read afresh even when it is already shown.
    void Navigate(const std::string& path);
    void ShowRequiredTags();
    // The current page's charset, and the switch to it when the program reads another.
    void ShowCharset(const std::string& pageCharset, const std::string& codePageCharset);
    // What the last submission in the browser recorded; none hides the bar.
    void ShowRecording(const FormRecording* recording);
    // Empties what the user filled in on the page the browser shows, passwords above all.
    void EmptyPageFields();
    // Whether the recorded submission may be sent: once its lines are written.
    void EnableSend(bool enabled);
    // What came of a send, in the bar, until the next recording or load.
    void ShowSent(std::string_view text);

    // The page memos too show their bytes again in the program's code page.
    void RecodeTexts(const CodePage& from);

    void SetPageSource(SharedText source) { Memo1->SetText(std::move(source)); }
    SharedText PageSource() const { return Memo1->Bytes(); }
    SharedText RequiredTags() const { return Memo2->Bytes(); }
    SharedText ImageTags() const { return Memo_img->Bytes(); }

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    TLabel* Label1;
    QWebEngineView* CppWebBrowser1;
    TPageMemo* Memo1;
    QPushButton* Button1;
    QPushButton* Button2;
    TLabel* Label2;
    TPageMemo* Memo2;
    TLabel* Label4;
    TPageMemo* Memo_img;
    TLabel* Label3;
    TPageMemo* Memo_href;
    QLabel* Label_charset;
    QWidget* Panel_charset;  // the quiet bar that offers the page's own charset
    QLabel* Label_offer;
    QPushButton* Button_charset;
    QWidget* Panel_record;  // the quiet bar that says what the browser recorded
    TLabel* Label_record;
    QPushButton* Button_discard;
    QPushButton* Button_send;

  signals:
    void ExtractRequested();
    // A saved page dropped on the window, as its file name's bytes.
    void PageFileDropped(const std::string& path);
    void CodePageChosen(const std::string& charset);
    // The user filled in a form in the browser and submitted it; nothing was sent.
    void FormRecorded(const FormRecording& recording);
    void RecordingDiscarded();
    // The user asked to send the recorded submission, as the definition's last step says it.
    void SendRequested();

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The bars add strips below the pages, in their order, rather than covering any of them.
    void PlaceBars();

    QWebEngineProfile* profile_;
    SubmissionRecorder* recorder_;
    std::string offered_;
};

}  // namespace verrimo
