// The page viewer, driven as a user would: pasted source, "タグ抽出" and "ソースをクリア".
#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <atomic>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "application.h"
#include "http_test_server.h"
#include "modal_window.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

const QString kLoginPage =
    "<form action=\"login.cgi\" method=post>\n"
    "<INPUT TYPE=hidden NAME=sid VALUE=x1>\n"
    "<input type=\"text\" name=\"user\"><br>\n"
    "<a href=\"help.html\">help</a> <IMG SRC=\"logo.gif\">\n"
    "</form>";

}  // namespace

class PageViewerTest : public WindowTest {
    Q_OBJECT

    std::string scratch;

    void paste(const QString& source) {
        QTest::mouseClick(form2->PageControl1->tabBar(), Qt::LeftButton, {},
                          form2->PageControl1->tabBar()->tabRect(1).center());
        QTest::mouseClick(form2->Button1, Qt::LeftButton);
        QApplication::clipboard()->setText(source);
        form2->Memo1->setFocus();
        QTest::keySequence(form2->Memo1, QKeySequence::Paste);
    }

    void extract() { QTest::mouseClick(form2->Button2, Qt::LeftButton); }

    // What the windows show after an extraction, to compare two ways of getting there.
    struct Shown {
        std::string source, required, images, links, currentUrl, urlBox, scratchCopy;
        bool operator==(const Shown&) const = default;
    };
    Shown shown() const {
        return {form2->Memo1->Text(),
                form2->Memo2->Text(),
                form2->Memo_img->Text(),
                form2->Memo_href->Text(),
                form1->Edit_now_open->Text(),
                form1->Edit1->Text(),
                fileBytes(scratch).toStdString()};
    }

  private slots:
    void init() {
        startProgram();
        scratch = form1->ProgramFolder() + "temp.html";
    }

    void cleanup() {
        endProgram();
        QDir().rmdir(QString::fromStdString(scratch));
    }

    void startsBesideTheMainWindowOnTheRequiredTagsTab() {
        QVERIFY(form2->isVisible());
        QCOMPARE(form2->windowTitle(), QString("タグ＆簡易ブラウザ"));
        QCOMPARE(form2->minimumSize(), form2->maximumSize());
        QVERIFY(!(form2->windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(form2->PageControl1->tabText(0), QString("　　　html表示　　　"));
        QCOMPARE(form2->PageControl1->tabText(1), QString("　　　htmlソース　　　"));
        QCOMPARE(form2->PageControl1->tabText(2), QString("　　　　必要なタグ　　　　"));
        QCOMPARE(form2->PageControl1->currentWidget(), form2->TabSheet3);
        QCOMPARE(form2->Label1->text(), QString("ボタンなどは指示がなければ押さないでください。"));
        QCOMPARE(form2->Button1->text(), QString("ソースをクリア"));
        QCOMPARE(form2->Button2->text(), QString("タグ抽出"));
        QCOMPARE(form2->Label2->text(), QString("必要と思われるタグです"));
        QCOMPARE(form2->Label4->text(), QString("画像タグの抽出"));
        QCOMPARE(form2->Label3->text(), QString("通常のリンクタグの抽出"));
        for (TPageMemo* memo : {form2->Memo1, form2->Memo2, form2->Memo_img, form2->Memo_href})
            QVERIFY(memo->Text().empty());
    }

    void extractingPastedSourceFillsTheListsAndTheUrlBox() {
        form1->Edit1->lineEdit()->setFocus();
        QTest::keyClicks(form1->Edit1->lineEdit(), "http://example.test/top.html");
        paste(kLoginPage);
        extract();

        QCOMPARE(form2->Memo1->Lines(),
                 programLines({"", "<form action=\"login.cgi\" method=post>", "",
                               "<input type=hidden name=\"sid\" value=\"x1\">", "",
                               "<input type=\"text\" name=\"user\">", "", "<br>", "",
                               "<a href=\"help.html\">", "help", "</a>", "",
                               "<img src=\"logo.gif\">", "", "</form>", ""}));
        QCOMPARE(form2->Memo2->Lines(),
                 programLines({"<form action=\"login.cgi\" method=post>",
                               "<input type=hidden name=\"sid\" value=\"x1\">",
                               "<input type=\"text\" name=\"user\">"}));
        QCOMPARE(form2->Memo_img->Lines(), programLines({"<img src=\"logo.gif\">"}));
        QCOMPARE(form2->Memo_href->Lines(), programLines({"<a href=\"help.html\">"}));
        // The copy holds the lines with CR LF between them: the final empty line adds nothing.
        QCOMPARE(fileBytes(scratch),
                 QByteArray("\r\n<form action=\"login.cgi\" method=post>\r\n\r\n"
                            "<input type=hidden name=\"sid\" value=\"x1\">\r\n\r\n"
                            "<input type=\"text\" name=\"user\">\r\n\r\n<br>\r\n\r\n"
                            "<a href=\"help.html\">\r\nhelp\r\n</a>\r\n\r\n"
                            "<img src=\"logo.gif\">\r\n\r\n</form>\r\n"));
        QCOMPARE(form2->PageControl1->currentWidget(), form2->TabSheet3);
        QTRY_COMPARE(form2->CppWebBrowser1->url().toString(),
                     "file://" + QString::fromStdString(scratch));
        QVERIFY(browserShows(form2->CppWebBrowser1, "help"));

        const auto targets = programLines({"login.cgi", kSeparator, "help.html"});
        QVERIFY(form3->isHidden());
        QCOMPARE(bytes(form3->Edit1->Text()), QByteArray("http://example.test/top.html"));
        QCOMPARE(form3->CB1->Items(), targets);
        QCOMPARE(bytes(form3->CB1->Text()), QByteArray("login.cgi"));
        QCOMPARE(bytes(form3->CB_open->Text()), QByteArray("action"));
        QCOMPARE(form1->Edit_now_open->text(), QString("ソース貼り付けです"));
        QCOMPARE(form1->Edit1->Items(), targets);
        QCOMPARE(bytes(form1->Edit1->Text()), QByteArray("login.cgi"));
    }

    // 開く… and a file dropped on the window read the file's bytes as they are (undecodable
    // ones included) and extract them as タグ抽出 does.
    void openingOrDroppingAFileIsExtractingItsBytes() {
        const std::string page = programText(
            "<form action=\"a.cgi\"><INPUT NAME=q VALUE=\"テ\x82\">\n"
            "<a href=\"x.html\">x</a><img src=\"i.gif\">\xff");
        QTemporaryDir folder;
        const QString path = folder.filePath("saved page.html");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes(page));
        file.close();

        form2->Memo1->SetText(page);
        extract();
        const Shown extracted = shown();
        QVERIFY(!extracted.required.empty());

        form2->Memo1->SetText(std::string("<p>other</p>"));
        extract();
        QCOMPARE(form1->Open1->shortcut(), QKeySequence(QKeySequence::Open));
        chooseFileInNextDialog(path);
        form1->Open1->trigger();
        QVERIFY(shown() == extracted);

        form2->Memo1->SetText(std::string("<p>other</p>"));
        extract();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(form2->Memo2->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(form2->Memo2->viewport(), &drop);
        QTRY_VERIFY(shown() == extracted);
    }

    void extractingAgainWorksOnTheRewrittenSourceAndShowsTheNewCopy() {
        paste("<a href=\"first.html\">first</a>");
        extract();
        QVERIFY(browserShows(form2->CppWebBrowser1, "first"));
        const std::string rewritten = form2->Memo1->Text();
        extract();
        QCOMPARE(form2->Memo1->Text(), rewritten);
        paste("<a href=\"second.html\">second</a>");
        extract();
        QCOMPARE(form2->Memo_href->Lines(), programLines({"<a href=\"second.html\">"}));
        QVERIFY(browserShows(form2->CppWebBrowser1, "second"));
    }

    // An extracted source takes a paste and typing where the caret is, and タグ抽出 reads what
    // it then holds.
    void editingTheExtractedSourceAndExtractingAgain() {
        paste(kLoginPage);
        extract();
        QTest::mouseClick(form2->PageControl1->tabBar(), Qt::LeftButton, {},
                          form2->PageControl1->tabBar()->tabRect(1).center());
        form2->Memo1->setFocus();
        QTest::keyClick(form2->Memo1, Qt::Key_End, Qt::ControlModifier);
        QApplication::clipboard()->setText("<a href=\"added.html\">added</a>\n");
        QTest::keySequence(form2->Memo1, QKeySequence::Paste);
        QTest::keyClicks(form2->Memo1, "<IMG SRC=\"typed.gif\">");
        extract();
        QCOMPARE(form2->Memo_href->Lines(),
                 programLines({"<a href=\"help.html\">", "<a href=\"added.html\">"}));
        QCOMPARE(form2->Memo_img->Lines(),
                 programLines({"<img src=\"logo.gif\">", "<img src=\"typed.gif\">"}));
        QCOMPARE(fileBytes(scratch), bytes(fileText(form2->Memo1->Text())));
    }

    void clearingTheSourceLeavesListsAndCopy() {
        paste(kLoginPage);
        extract();
        const std::string tags = form2->Memo2->Text();
        const QByteArray copy = fileBytes(scratch);
        QTest::mouseClick(form2->PageControl1->tabBar(), Qt::LeftButton, {},
                          form2->PageControl1->tabBar()->tabRect(1).center());
        QTest::mouseClick(form2->Button1, Qt::LeftButton);
        QVERIFY(form2->Memo1->Text().empty());
        QCOMPARE(form2->Memo2->Text(), tags);
        QCOMPARE(fileBytes(scratch), copy);

        extract();
        for (TPageMemo* memo : {form2->Memo2, form2->Memo_img, form2->Memo_href})
            QVERIFY(memo->Text().empty());
        // The scanner leaves one empty line: an empty copy.
        QCOMPARE(form2->Memo1->Lines(), programLines({""}));
        QCOMPARE(fileBytes(scratch), QByteArray());
        QCOMPARE(form1->Edit1->Items(), programLines({kSeparator}));
        QVERIFY(form1->Edit1->Text().empty());
    }

    void pageRunsNoScriptButLoadsItsRemoteImages() {
        HttpTestServer server;
        std::atomic<int> imageRequests{0};
        server.route("/logo.gif", [&](const Request&) {
            ++imageRequests;
            return Response{200, {{"Content-Type", "image/gif"}}, "GIF89a", std::nullopt};
        });
        QSignalSpy loaded(form2->CppWebBrowser1, &QWebEngineView::loadFinished);
        paste(QString("<title>plain</title><script>document.title = 'scripted';</script>"
                      "<img src=\"%1\">")
                  .arg(QString::fromStdString(server.url("/logo.gif"))));
        extract();
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
        QCOMPARE(form2->CppWebBrowser1->title(), QString("plain"));
        QTRY_VERIFY_WITH_TIMEOUT(imageRequests > 0, 30000);
    }

    void uncreatableCopyStopsAfterTheExtraction() {
        // What an earlier load left.
        form1->Edit_now_open->SetText("http://example.test/before.html");
        form1->Edit1->SetItems({"before.cgi"});
        form1->Edit1->SetText("before.cgi");
        form3->Edit1->SetText("http://example.test/before.html");
        form3->Edit2->SetText("ok");
        form3->CB1->SetItems({"before.cgi", "next.html"});
        form3->CB1->SetText("next.html");
        form3->CB_open->SetText("Zem-Open");
        QVERIFY(blockFile(scratch));

        paste(kLoginPage);
        ErrorBoxes errors;
        extract();
        QCOMPARE(errors.messages,
                 QStringList("ファイル " + QString::fromStdString(scratch) + " を作成できません."));
        QCOMPARE(form2->Memo2->Lines().size(), std::size_t(3));
        QCOMPARE(form2->Memo_href->Lines(), programLines({"<a href=\"help.html\">"}));
        QCOMPARE(form2->PageControl1->currentWidget(), form2->TabSheet2);
        QVERIFY(form2->CppWebBrowser1->url().isEmpty());
        QVERIFY(form3->Edit1->Text().empty());
        QVERIFY(form3->Edit2->Text().empty());
        QVERIFY(form3->CB1->Text().empty());
        QCOMPARE(form3->CB1->Items(), programLines({"before.cgi", "next.html"}));
        QCOMPARE(form3->CB_open->Text(), programText("選択"));
        QCOMPARE(bytes(form1->Edit_now_open->Text()),
                 QByteArray("http://example.test/before.html"));
        QCOMPARE(form1->Edit1->Items(), programLines({"before.cgi"}));
        QCOMPARE(bytes(form1->Edit1->Text()), QByteArray("before.cgi"));
    }
};

int main(int argc, char** argv) {
    return runWindowTest<PageViewerTest>(argc, argv);
}
#include "page_viewer_test.moc"
