// Puts a window on the screen for the screenshots in docs/.
// Usage: window_shots walker|assistant|about|progress|check|utf8|record|preview|sendready|sendnext|
//        trialrun|folder|repair
// walker, assistant: the walker, or the assistant opened from it, with a sample page loaded; the
// walker at (0, 0), the assistant beside it at (530, 40). about: the About window over the main
// window at (0, 0). progress: the main window at (0, 0) while a page downloads slowly, the
// progress window over it. check: the main window at (0, 0) with a definition of two mistakes,
// the mouse over one of them. utf8: a UTF-8 page extracted in Shift_JIS, switched to UTF-8 with
// the page viewer's offer, the page viewer at (0, 0) on its source tab and the walker at (730, 0)
// on the page's first field. record: the page viewer at (0, 0) on its browser tab, a login form
// filled in and sent there, the bar saying what was recorded. preview: the main window at
// (0, 0) with a definition for the loaded sample page, the mouse over the line that does not fit
// the page, and the request preview at (650, 0), its curl line copied. sendready: the loopback
// road's login recorded and walked, the page viewer at (0, 0) with 送信して次へ in its bar, the
// main window at (730, 0). sendnext: the same login sent with 送信して次へ; the page viewer at (0,
// 0) on the answer, the entry dialog at (730, 0) with the answer's check strings dropped down, the
// main window below. trialrun: the road's definition run in the trial run window at (730, 0), one
// step sent, then the rest; the page viewer at (0, 0) shows the last answer. folder: the folder
// window at (0, 0) over twelve definitions of a loopback site, checked once as the site was and
// again after it changed, a drifted one chosen. repair: the main window at (0, 0) with a definition
// whose page changed, and 修復案… over it. The pictures are the screen of a virtual X server cut to
// the windows.
#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QTimer>
#include <QWebEngineScript>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QTemporaryDir>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_gv.h"
#include "Unit_tag.h"
#include "application.h"
#include "codepage.h"
#include "definition_folder.h"
#include "http_test_server.h"
#include "password_ask.h"
#include "repair_dialog.h"
#include "request_preview.h"
#include "road_site.h"
#include "trial_run.h"

using namespace verrimo;

namespace {

const char* const kPage =
    "<form action=\"entry.cgi\" method=\"post\">\n"
    "<input type=\"hidden\" name=\"sid\" value=\"a b/c\">\n"
    "<input type=\"text\" name=\"nick\">\n"
    "<select name=\"pref\"><option value=\"\">選択<option value=\"東京\">東京"
    "<option value=\"大阪\">大阪</select>\n"
    "<img src=\"logo.gif\"><img src=\"cap.png\">\n"
    "</form>";

// A definition with the kind left at 選択 and a misspelt keyword.
const char* const kDefinition =
    "Zem-Referer=http://www.example.org/entry.html\r\n選択=entry.cgi\r\n"
    "sid=Zem-GetValue[sid]\r\nnick=Zem-ID\r\npass=Zem-Pas\r\n"
    "pref=Zem-Select[%E6%9D%B1%E4%BA%AC,%E5%A4%A7%E9%98%AA]\r\n-\r\nchk-moji=ようこそ\r\n";

// A definition for the sample page, with one field the page's form does not have.
const char* const kPreviewDefinition =
    "Zem-Referer=http://www.example.org/entry.html\r\naction=entry.cgi\r\n"
    "sid=Zem-GetValue[sid]\r\nnick=Zem-ID\r\npref=Zem-Select[%93%8C%8B%9E,%91%E5%8D%E3]\r\n"
    "mail=Zem-email\r\n-\r\nchk-moji=ようこそ\r\n";

const char* const kLoginPage =
    "<p>ログイン</p><form action=\"login.cgi\" method=\"post\">\n"
    "<input type=\"hidden\" name=\"sid\" value=\"x1\">\n"
    "ユーザー名 <input type=\"text\" name=\"user\"><br>\n"
    "パスワード <input type=\"password\" name=\"pw\"><br>\n"
    "<input type=\"submit\" name=\"go\" value=\"確認\" id=\"go\">\n"
    "<input type=\"submit\" name=\"back\" value=\"戻る\">\n"
    "</form>";

// What the user types before pressing 確認, and the press, done the way the browser's own
// submission goes.
const char* const kFillIn =
    "document.forms[0].user.value = 'alice'; document.forms[0].pw.value = 'secret';"
    "document.forms[0].requestSubmit(document.getElementById('go'));";

// Rests the mouse over a character of the definition text until its tooltip shows.
void hoverOver(TForm1* main, int position) {
    QTextCursor cursor(main->Memo1->document());
    cursor.setPosition(position);
    QWidget* viewport = main->Memo1->viewport();
    const QPoint at = main->Memo1->cursorRect(cursor).center() + QPoint(3, 0);
    QCursor::setPos(viewport->mapToGlobal(at));
    QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &help);
}

}  // namespace

// Records the road's login in the browser tab, walks it and, with send, sends it with 送信して次へ.
void sendNext(const Forms& forms, const test::RoadSite& site, bool send) {
    forms.Form2->move(0, 0);
    forms.Form3->move(730, 0);
    forms.Form1->move(730, send ? 380 : 0);
    forms.Form1->Edit1->SetText(site.url(test::RoadSite::kLoginPage));
    forms.Form1->Button1->click();
    forms.Form3->Button1->click();
    forms.Form3->Button2->click();
    forms.Form2->PageControl1->setCurrentWidget(forms.Form2->TabSheet1);
    QObject::connect(forms.Form2, &TForm2::FormRecorded, forms.Form2, [&forms, send] {
        QTimer::singleShot(300, [&forms, send] {
            forms.Form1->Button3->click();
            while (forms.Form_tag->isVisible()) {
                // The login's ID as typed; the password as the host fills it in.
                if (forms.Form_tag->Edit_read->Text().find("name=\"user\"") != std::string::npos)
                    forms.Form_tag->SelectRow(Row::FixedValue);
                forms.Form_tag->Button1->click();
            }
            if (!send) return;
            QTimer::singleShot(300, [] {
                auto* ask = qobject_cast<PasswordAsk*>(QApplication::activeModalWidget());
                ask->Edit_pass->setText(QString::fromLatin1(test::RoadSite::kPassword));
                ask->Button_ok->click();
            });
            forms.Form2->Button_send->click();
            forms.Form3->CB_chk->showPopup();
        });
    });
    QTimer::singleShot(3000, [&forms] {
        forms.Form2->CppWebBrowser1->page()->runJavaScript(
            "var f = document.forms[0]; f.user.value = 'taro'; f.pass.value = 'x';"
            "f.requestSubmit();",
            QWebEngineScript::ApplicationWorld);
    });
}

// Runs the road's definition: the first step sent, then the rest.
void trialRun(const Forms& forms, const test::RoadSite& site) {
    forms.Form2->move(0, 0);
    forms.Form1->move(0, 620);
    forms.Form2->PageControl1->setCurrentWidget(forms.Form2->TabSheet1);
    forms.Form1->Memo1->SetText(site.definition());
    forms.Preview->Edit_id->setText("taro");
    forms.Preview->Button_samples->click();
    forms.Form1->Run1->trigger();
    TrialRun* run = forms.Run;
    run->move(730, 0);
    run->Edit_pass->setText(QString::fromLatin1(test::RoadSite::kPassword));
    run->Button_start->click();
    auto* asked = new QTimer(run);
    QObject::connect(asked, &QTimer::timeout, run, [run, asked, sent = 0]() mutable {
        if (!run->Button_send->isEnabled()) return;
        (sent++ == 0 ? run->Button_send : run->Button_sendAll)->click();
        if (sent == 2) asked->stop();
    });
    asked->start(200);
}

// Twelve definitions of the server's pages in folder; the pages are served as fields says.
void folderShot(const Forms& forms, test::HttpTestServer& server, const QString& folder,
                std::shared_ptr<std::vector<std::string>> fields) {
    for (std::size_t i = 0; i < fields->size(); ++i) {
        const std::string path = "/shop" + std::to_string(i) + "/order.html";
        server.route(path, [fields, i](const test::Request&) {
            const std::string& name = (*fields)[i];
            if (name.empty()) return test::Response{404, {}, "gone", {}};
            return test::Response{200,
                                  {{"Content-Type", "text/html"}},
                                  "<form action=\"order.cgi\" method=\"post\"><input "
                                  "type=\"hidden\" name=\"token\" value=\"1\"><input name=\"" +
                                      name + "\"></form>",
                                  {}};
        });
        std::ofstream(
            QDir(folder).filePath(QString("shop%1.txt").arg(i, 2, 10, QChar('0'))).toStdString(),
            std::ios::binary)
            << "Zem-Referer=" << server.url(path)
            << "\r\naction=order.cgi\r\ntoken=Zem-GetValue[token]\r\nemail=Zem-email\r\n"
               "-\r\nchk-moji=\r\n";
    }
    DefinitionFolder* window = forms.Folder;
    window->move(0, 0);
    window->Show();
    window->ShowFolder(folder);
    window->Button_check->click();
    auto* poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, [window, poll, fields] {
        if (window->Checking()) return;
        if ((*fields)[3] == "email") {
            for (const std::size_t i : {3, 5, 8}) (*fields)[i] = "mail";
            (*fields)[10] = "";
            window->Button_check->click();
            return;
        }
        poll->stop();
        window->List_definitions->setFocus();
        window->List_definitions->setCurrentIndex(window->List_definitions->model()->index(3, 0));
    });
    poll->start(200);
}

// A page changed since its definition was written, and that definition.
const char* const kChangedPage =
    "<form action=\"entry.cgi\" method=\"post\">\n"
    "<input type=\"hidden\" name=\"sid\" value=\"a1\">\n"
    "<input type=\"hidden\" name=\"ticket\" value=\"k9\">\n"
    "<input type=\"text\" name=\"mail\">\n"
    "<input type=\"password\" name=\"pin\">\n"
    "<select name=\"pref\"><option value=\"\">選択<option value=\"東京\">東京"
    "<option value=\"大阪\">大阪<option value=\"福岡\">福岡</select>\n"
    "</form>";
const char* const kRepairDefinition =
    "Zem-Referer=http://www.example.org/entry.html\r\naction=entry.cgi\r\n"
    "sid=Zem-GetValue[sid]\r\nemail=Zem-email\r\n"
    "pref=Zem-Select[%E6%9D%B1%E4%BA%AC,%E5%A4%A7%E9%98%AA]\r\n-\r\nchk-moji=ようこそ\r\n";

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Verrimo");
    const std::string mode = argc > 1 ? argv[1] : "walker";
    const bool assistant = mode == "assistant";

    // The sample values the trial run saves stay in a folder of their own.
    QTemporaryDir config;
    if (mode == "trialrun") qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    // The folder's history in a folder of its own too.
    QTemporaryDir data, folder;
    if (mode == "folder") qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    Application app;
    app.Start();
    const Forms& forms = app.forms();
    test::HttpTestServer server;
    if (mode == "sendready" || mode == "sendnext" || mode == "trialrun") {
        test::RoadSite site(test::RoadSite::Charset::ShiftJis);
        if (mode == "trialrun")
            trialRun(forms, site);
        else
            sendNext(forms, site, mode == "sendnext");
        return qapp.exec();
    }
    if (mode == "folder") {
        forms.Form1->move(0, 700);
        forms.Form2->move(1000, 0);
        folderShot(forms, server, folder.path(),
                   std::make_shared<std::vector<std::string>>(12, "email"));
        return qapp.exec();
    }
    if (mode == "repair") {
        TForm1* main = forms.Form1;
        main->move(0, 0);
        forms.Form2->move(1000, 0);
        forms.Form2->Memo1->SetText(CodePage::program().fromUtf8(kChangedPage));
        forms.Form2->Button2->click();
        main->Memo1->SetText(CodePage::program().fromUtf8(kRepairDefinition));
        QTimer::singleShot(800, [main, &forms] {
            forms.Repair->move(120, 80);
            emit main->RepairRequested();
        });
        return qapp.exec();
    }
    if (mode == "check") {
        TForm1* main = forms.Form1;
        main->move(0, 0);
        forms.Form2->move(1000, 0);
        main->Memo1->SetText(CodePage::program().fromUtf8(kDefinition));
        QTimer::singleShot(800, [main] {
            const int misspelt = main->Memo1->document()->findBlockByNumber(4).position() + 6;
            hoverOver(main, misspelt);
        });
        return qapp.exec();
    }
    if (mode == "preview") {
        TForm1* main = forms.Form1;
        main->move(0, 0);
        forms.Form2->move(0, 700);
        forms.Form2->Memo1->SetText(CodePage::program().fromUtf8(kPage));
        forms.Form2->Button2->click();
        main->Memo1->SetText(CodePage::program().fromUtf8(kPreviewDefinition));
        main->Preview1->trigger();
        forms.Preview->move(650, 0);
        QTimer::singleShot(1500, [main, &forms] {
            forms.Preview->Button_copy->click();
            main->activateWindow();
            hoverOver(main, main->Memo1->document()->findBlockByNumber(5).position() + 2);
        });
        return qapp.exec();
    }
    if (mode == "utf8") {
        forms.Form1->move(0, 700);
        forms.Form2->move(0, 0);
        forms.Form_tag->move(730, 0);
        // The sample page as a UTF-8 site serves it.
        forms.Form2->Memo1->SetText("<meta charset=\"utf-8\">" + std::string(kPage));
        forms.Form2->Button2->click();
        forms.Form2->Button_charset->click();
        forms.Form2->PageControl1->setCurrentWidget(forms.Form2->TabSheet2);
        forms.Form1->Button3->click();
        forms.Form_tag->Button3->click();  // the form tag
        forms.Form_tag->Button1->click();  // sid
        forms.Form_tag->Button1->click();  // nick
        return qapp.exec();
    }
    if (mode == "record") {
        forms.Form1->move(0, 700);
        forms.Form2->move(0, 0);
        forms.Form2->Memo1->SetText(CodePage::program().fromUtf8(kLoginPage));
        forms.Form2->Button2->click();
        forms.Form2->PageControl1->setCurrentWidget(forms.Form2->TabSheet1);
        QTimer::singleShot(3000, [&forms] {
            forms.Form2->CppWebBrowser1->page()->runJavaScript(kFillIn,
                                                               QWebEngineScript::ApplicationWorld);
        });
        return qapp.exec();
    }
    if (mode == "about" || mode == "progress") {
        forms.Form1->move(0, 0);
        forms.Form2->move(1000, 0);
        if (mode == "about") {
            QTimer::singleShot(300, [&forms] { forms.Form1->About1->trigger(); });
        } else {
            const std::string page = CodePage::program().fromUtf8(kPage);
            server.route("/slow.html", test::Response{200, {}, page + page, page.size()});
            forms.Form1->Edit1->SetText(server.url("/slow.html"));
            QTimer::singleShot(300, [&forms] { forms.Form1->Button1->click(); });
        }
        return qapp.exec();
    }
    forms.Form1->move(1000, 0);
    forms.Form2->move(1000, 540);
    forms.Form2->Memo1->SetText(CodePage::program().fromUtf8(kPage));
    forms.Form2->Button2->click();

    forms.Form_tag->move(0, 0);
    forms.Form1->Button3->click();
    forms.Form_tag->Button3->click();                  // the form tag
    forms.Form_tag->Button1->click();                  // sid
    if (!assistant) forms.Form_tag->Button3->click();  // on to the select element

    if (assistant) {
        QTimer::singleShot(500, [&forms] {
            TForm4* a = forms.Form4;
            a->move(530, 40);
            QTimer::singleShot(0, [a] {
                a->CB_random1->setCurrentIndex(a->CB_random1->findText("1-12"));
                a->CB_random2->setCurrentIndex(a->CB_random2->findText("4-6"));
                a->CB_key2->setCurrentIndex(a->CB_key2->findText("cap.png"));
            });
            forms.Form_tag->Button5->click();
        });
    }
    return qapp.exec();
}
