// Puts the main window, the page viewer and the action entry dialog on the screen right after
// "ＵＲＬ読み込み" has loaded a page with a form from a server on 127.0.0.1, for
// docs/load-page.png: the main window at (0, 0), the page viewer at (650, 0), the dialog at
// (0, 530); the picture is the screen of a virtual X server cut to 1370x780+0+0.
#include <QApplication>
#include <QTimer>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "application.h"
#include "codepage.h"
#include "http_test_server.h"

using namespace verrimo;

namespace {

const char* const kPage =
    "<html><head><title>会員ログイン</title></head>\n"
    "<body style=\"font-family: sans-serif; background: #f4f7fb\">\n"
    "<h2 style=\"color: #235\"><IMG SRC=\"logo.gif\" ALT=\"\">会員ログイン</h2>\n"
    "<form action=\"login.cgi\" method=post>\n"
    "<INPUT TYPE=hidden NAME=sid VALUE=x1>\n"
    "<p>ID <input type=\"text\" name=\"user\"></p>\n"
    "<p>パスワード <input type=\"password\" name=\"pass\"></p>\n"
    "<p><select name=\"keep\"><option value=\"1\">保存する<option value=\"0\">保存しない"
    "</select> <input type=\"submit\" value=\"ログイン\"></p>\n"
    "</form>\n"
    "<p><a href=\"help.html\">ヘルプ</a> | <a href=\"signup.html\">新規登録</a></p>\n"
    "</body></html>\n";

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Verrimo");

    test::HttpTestServer server;
    server.route("/login.html", test::Response{200,
                                               {{"Content-Type", "text/html; charset=Shift_JIS"}},
                                               CodePage::program().fromUtf8(kPage),
                                               std::nullopt});
    Application app;
    app.Start();
    const Forms& forms = app.forms();
    forms.Form1->move(0, 0);
    forms.Form2->move(650, 0);
    forms.Form3->move(0, 530);
    forms.Form1->Edit1->SetText(server.url("/login.html"));
    QTimer::singleShot(0, [&forms] { forms.Form1->Button1->click(); });
    return qapp.exec();
}
