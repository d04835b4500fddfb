// Loading pages by URL through the main window, against a server on 127.0.0.1.
#include <time.h>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "application.h"
#include "http_test_server.h"
#include "memo_text.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

const std::string kLoginPage = programText(
    "<form action=\"login.cgi\" method=post>\r\n"
    "<INPUT TYPE=hidden NAME=sid VALUE=x1>\r\n"
    "<input type=\"text\" name=\"user\"><br>\r\n"
    "<a href=\"help.html\">help</a> <IMG SRC=\"logo.gif\">\r\n"
    "</form><p>テスト</p>");
const std::string kLinkPage = "<p><a class=\"m\" href=\"next.html\">next</a><img src=\"pic.gif\">";

Response html(std::string body, int status = 200) {
    return Response{status, {{"Content-Type", "text/html"}}, std::move(body), std::nullopt};
}

// Presses Cancel in the download's progress window once it shows `received` bytes.
class CancelDownload {
  public:
    explicit CancelDownload(std::size_t received) {
        QObject::connect(&timer_, &QTimer::timeout, [this, received] {
            auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!progress || !progress->labelText().contains(QString::number(received))) return;
            label = progress->labelText();
            timer_.stop();
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        });
        timer_.start(20);
    }

    QString label;

  private:
    QTimer timer_;
};

// Milliseconds of processor time the calling thread has used.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// How the event loop turned while this lived, seen by a fast timer: how often (which the server
// reads on its own thread, maybe after this is gone), and the most processor time the window
// thread spent between two turns (which work done on it shows, however busy the machine is).
class LoopTurns {
  public:
    LoopTurns() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            ++*count;
            const double cpu = threadCpuMs();
            longestWork = std::max(longestWork, cpu - cpu_);
            cpu_ = cpu;
        });
        cpu_ = threadCpuMs();
        timer_.start(5);
    }

    const std::shared_ptr<std::atomic<int>> count = std::make_shared<std::atomic<int>>(0);
    double longestWork = 0;

  private:
    double cpu_ = 0;
    QTimer timer_;
};

// Run by the server before it answers: sends nothing until done() holds. It gives up after half
// a minute, so that a window thread that never turns fails the test instead of hanging it.
bool holdAnswerUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 30'000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

bool progressWindowShown() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<QProgressDialog*>(window) && window->isVisible()) return true;
    return false;
}

}  // namespace

class PageLoadTest : public WindowTest {
    Q_OBJECT

    std::unique_ptr<HttpTestServer> server;
    std::string scratch;

    void typeUrl(const std::string& url) {
        QLineEdit* box = form1->Edit1->lineEdit();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, QString::fromStdString(url));
    }

    void load(const std::string& url) {
        typeUrl(url);
        QTest::mouseClick(form1->Button1, Qt::LeftButton);
    }

    void closeDialog() { QTest::mouseClick(form3->Button2, Qt::LeftButton); }

    void checkLoginPageLoaded(const std::string& url) {
        const auto targets = programLines({"login.cgi", kSeparator, "help.html"});
        QVERIFY(form3->isVisible());
        QCOMPARE(form3->Edit1->Text(), url);
        QCOMPARE(form3->CB1->Items(), targets);
        QCOMPARE(bytes(form3->CB1->Text()), QByteArray("login.cgi"));
        QCOMPARE(bytes(form3->CB_open->Text()), QByteArray("action"));
        QVERIFY(form3->Edit2->Text().empty());
        QCOMPARE(form1->Edit_now_open->Text(), url);
        QCOMPARE(form1->Edit1->Items(), targets);
        QCOMPARE(bytes(form1->Edit1->Text()), QByteArray("login.cgi"));
        QCOMPARE(form2->Memo2->Lines(),
                 programLines({"<form action=\"login.cgi\" method=post>",
                               "<input type=hidden name=\"sid\" value=\"x1\">",
                               "<input type=\"text\" name=\"user\">"}));
        QCOMPARE(form2->Memo_img->Lines(), programLines({"<img src=\"logo.gif\">"}));
        QCOMPARE(form2->Memo_href->Lines(), programLines({"<a href=\"help.html\">"}));
        QVERIFY(form2->Memo1->Text().find(programText("\r\nテスト\r\n")) != std::string::npos);
        QCOMPARE(fileBytes(scratch), bytes(fileText(form2->Memo1->Text())));
    }

  private slots:
    void init() {
        server = std::make_unique<HttpTestServer>();
        server->route("/login.html", html(kLoginPage));
        server->route("/links.html", html(kLinkPage));
        startProgram();
        scratch = form1->ProgramFolder() + "temp.html";
    }

    void cleanup() {
        endProgram();
        server.reset();
        QDir().rmdir(QString::fromStdString(scratch));
    }

    void loadsAPageWithFormsAndLinks() {
        std::string agent;
        server->route("/agent.html", [&](const Request& request) {
            agent = request.header("User-Agent");
            return html(kLoginPage);
        });
        QTest::mouseClick(form2->PageControl1->tabBar(), Qt::LeftButton, {},
                          form2->PageControl1->tabBar()->tabRect(0).center());
        ErrorBoxes errors;
        load(server->url("/agent.html"));
        checkLoginPageLoaded(server->url("/agent.html"));
        QCOMPARE(QString::fromStdString(agent), QString("MyApp"));
        QCOMPARE(form2->PageControl1->currentWidget(), form2->TabSheet1);
        QVERIFY(browserShows(form2->CppWebBrowser1, "help"));
        QVERIFY(errors.messages.isEmpty());
    }

    void readsAnErrorPage() {
        server->route("/gone.html", html("<a href=\"home.html\">home</a>", 404));
        load(server->url("/gone.html"));
        QCOMPARE(form2->Memo_href->Lines(), programLines({"<a href=\"home.html\">"}));
        QCOMPARE(bytes(form1->Edit1->Text()), QByteArray("home.html"));
    }

    void pageThatCannotBeOpenedLeavesEverythingEmpty_data() {
        QTest::addColumn<QString>("url");
        QTest::newRow("refused") << QString("http://127.0.0.1:%1/").arg(closedLoopbackPort());
        QTest::newRow("unresolvable") << "http://nothing-here.invalid/page.html";
        QTest::newRow("redirect to a file") << "/to-file";
        QTest::newRow("empty URL box") << "";
    }

    void pageThatCannotBeOpenedLeavesEverythingEmpty() {
        QFETCH(QString, url);
        QFile secret(QString::fromStdString(form1->ProgramFolder() + "secret.html"));
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write("<a href=\"secret.html\">secret</a>");
        secret.close();
        server->redirect("/to-file", "file://" + secret.fileName().toStdString());
        if (url.startsWith("/")) url = QString::fromStdString(server->url(url.toStdString()));

        load(server->url("/login.html"));
        closeDialog();
        ErrorBoxes errors;
        load(url.toStdString());
        QVERIFY(errors.messages.isEmpty());
        QVERIFY(form3->isVisible());
        for (TPageMemo* memo : {form2->Memo2, form2->Memo_img, form2->Memo_href})
            QVERIFY(memo->Text().empty());
        QCOMPARE(form2->Memo1->Lines(), programLines({""}));  // all the scanner leaves of nothing
        QCOMPARE(fileBytes(scratch), bytes(fileText(form2->Memo1->Text())));
        QCOMPARE(form3->CB1->Items(), programLines({kSeparator}));
        QCOMPARE(bytes(form3->CB_open->Text()), bytes(programText("選択")));
        QCOMPARE(form1->Edit_now_open->text(), url);
        QCOMPARE(form1->Edit1->Items(), programLines({kSeparator}));
        QVERIFY(form1->Edit1->Text().empty());
    }

    void stalledPageEndsAtTheTimeOutWithWhatCame() {
        server->route("/stall.html", Response{200, {}, kLoginPage + kLinkPage, kLoginPage.size()});
        app->fetchOptions().stall = std::chrono::seconds(1);
        load(server->url("/stall.html"));
        QCOMPARE(form2->Memo_href->Lines(), programLines({"<a href=\"help.html\">"}));
        QCOMPARE(form2->Memo2->Lines().size(), std::size_t(3));
    }

    // Space pressed again on the load button, once before the progress window appears and once
    // while it is up, then Return (a double press, a key repeat): none cancels the load. The
    // server answers only once the keys are in.
    void keysPressedDuringTheLoadDoNotCancelIt() {
        // Shared with the server's thread, which may outlive this test when it fails.
        const auto keysIn = std::make_shared<std::atomic<bool>>(false);
        server->route("/slow.html", [keysIn](const Request&) {
            holdAnswerUntil([keysIn] { return keysIn->load(); });
            return html(kLoginPage);
        });
        typeUrl(server->url("/slow.html"));
        form1->Button1->setFocus();
        const auto pressSpace = [] {
            QWidget* focused = QApplication::focusWidget();
            if (!focused) return;
            QCoreApplication::postEvent(focused,
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, {}, " "));
            QCoreApplication::postEvent(focused,
                                        new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, {}, " "));
        };
        // At the load's first turn of the event loop, long before the progress window is due.
        QTimer::singleShot(0, pressSpace);
        bool pressedWhileUp = false;
        QTimer whileUp;
        QObject::connect(&whileUp, &QTimer::timeout, [&] {
            if (pressedWhileUp) {
                *keysIn = true;  // the posted presses came before this turn
            } else if (progressWindowShown()) {
                pressSpace();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                pressedWhileUp = true;
            }
        });
        whileUp.start(20);
        QTest::keyClick(form1->Button1, Qt::Key_Space);
        QVERIFY(*keysIn);
        QVERIFY(!progressWindowShown());
        checkLoginPageLoaded(server->url("/slow.html"));
    }

    // While the server sends nothing and while a big page is extracted, the windows go on
    // answering: the event loop turns again and again.
    void theEventLoopTurnsDuringAStallAndAnExtraction() {
        app->fetchOptions().stall = std::chrono::seconds(1);
        {
            LoopTurns turns;
            const auto turnedWhileHeld = std::make_shared<std::atomic<bool>>(false);
            // The server sends nothing until the loop has turned some times, then part of the
            // page, then nothing again until the client gives up.
            server->route("/stall.html", [count = turns.count, turnedWhileHeld](const Request&) {
                const int from = *count;
                *turnedWhileHeld = holdAnswerUntil([&] { return *count - from >= 10; });
                return Response{200, {}, kLoginPage + kLinkPage, kLoginPage.size()};
            });
            load(server->url("/stall.html"));
            QVERIFY(*turnedWhileHeld);
            QVERIFY(form3->isVisible());
            QVERIFY2(turns.longestWork < 100, qPrintable(QString::number(turns.longestWork)));
        }
        std::string page;
        for (int i = 0; page.size() < (10u << 20); ++i)
            page += "<p>" + std::to_string(i) + " <input type=text name=\"f" + std::to_string(i) +
                    "\" value=\"x\"></p>\r\n";
        form2->Memo1->SetText(page);
        LoopTurns turns;
        QTest::mouseClick(form2->Button2, Qt::LeftButton);
        QVERIFY2(turns.longestWork < 100, qPrintable(QString::number(turns.longestWork)));
        QVERIFY(!progressWindowShown());
        QCOMPARE(form2->Memo2->Lines().size(),
                 static_cast<std::size_t>(std::count(page.begin(), page.end(), '\n')));
    }

    void cancelKeepsWhatCame() {
        server->route("/stall.html", Response{200, {}, kLoginPage + kLinkPage, kLoginPage.size()});
        CancelDownload cancel(kLoginPage.size());
        load(server->url("/stall.html"));
        QCOMPARE(cancel.label,
                 QString("ページを読み込んでいます（%1 バイト受信）").arg(kLoginPage.size()));
        checkLoginPageLoaded(server->url("/stall.html"));
    }

    void secondLoadReplacesTheFirst() {
        load(server->url("/login.html"));
        closeDialog();
        load(server->url("/links.html"));
        QVERIFY(form2->Memo2->Text().empty());
        QCOMPARE(form2->Memo_img->Lines(), programLines({"<img src=\"pic.gif\">"}));
        QCOMPARE(form2->Memo_href->Lines(), programLines({"<a class=\"m\" href=\"next.html\">"}));
        QCOMPARE(form2->Memo1->Lines(),
                 programLines({"", "<p>", "", "<a class=\"m\" href=\"next.html\">", "next", "</a>",
                               "", "<img src=\"pic.gif\">", ""}));
        QCOMPARE(fileBytes(scratch), bytes(fileText(form2->Memo1->Text())));
        QCOMPARE(form3->CB1->Items(), programLines({kSeparator, "next.html"}));
        QCOMPARE(bytes(form3->CB_open->Text()), bytes(programText("選択")));
        QCOMPARE(form1->Edit_now_open->Text(), server->url("/links.html"));
        QCOMPARE(bytes(form1->Edit1->Text()), QByteArray("next.html"));
        QVERIFY(browserShows(form2->CppWebBrowser1, "next"));
    }

    void loadAndReloadOnlyRaiseAnOpenDialog() {
        const std::string url = server->url("/login.html");
        load(url);
        const std::size_t requests = server->connections();
        load(server->url("/links.html"));
        QTest::mouseClick(form1->Button4, Qt::LeftButton);
        QCOMPARE(server->connections(), requests);
        QCOMPARE(form1->Edit1->Text(), url);  // the reload's first step
        QCOMPARE(form3->Edit1->Text(), url);
        QCOMPARE(bytes(form3->CB1->Text()), QByteArray("login.cgi"));

        closeDialog();
        typeUrl(server->url("/links.html"));
        QTest::mouseClick(form1->Button4, Qt::LeftButton);
        QCOMPARE(server->connections(), requests + 1);
        checkLoginPageLoaded(url);
    }

    void uncreatableCopyShowsTheErrorAndTheDialog() {
        const std::string before = server->url("/login.html");
        load(before);
        closeDialog();
        QVERIFY(blockFile(scratch));
        ErrorBoxes errors;
        load(server->url("/links.html"));
        QCOMPARE(errors.messages,
                 QStringList("ファイル " + QString::fromStdString(scratch) + " を作成できません."));
        QVERIFY(form3->isVisible());
        QVERIFY(form3->Edit1->Text().empty());
        QVERIFY(form3->CB1->Text().empty());
        QCOMPARE(form3->CB1->Items(), programLines({"login.cgi", kSeparator, "help.html"}));
        QCOMPARE(bytes(form3->CB_open->Text()), bytes(programText("選択")));
        QCOMPARE(form1->Edit_now_open->Text(), before);
        QCOMPARE(form1->Edit1->Items(), programLines({"login.cgi", kSeparator, "help.html"}));
        QCOMPARE(form1->Edit1->Text(), server->url("/links.html"));
        QCOMPARE(form2->Memo_href->Lines(), programLines({"<a class=\"m\" href=\"next.html\">"}));
    }
};

int main(int argc, char** argv) {
    return runWindowTest<PageLoadTest>(argc, argv);
}
#include "page_load_test.moc"
