// A whole definition built in the windows from a page served on 127.0.0.1: the URL box, the
// action entry dialog, the walk through every field with the value expression assistant, and
// the paste of the holding area.
#include <QClipboard>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_gv.h"
#include "Unit_tag.h"
#include "application.h"
#include "http_test_server.h"
#include "memo_text.h"
#include "modal_window.h"
#include "user_input.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

const std::string kFormPage = programText(
    "<html><body><h1>会員登録</h1>\r\n"
    "<form action=\"post.cgi\" method=\"post\">\r\n"
    "<input type=\"hidden\" name=\"sid\" value=\"a b/c\">\r\n"
    "<input type=\"hidden\" name=\"token\" value=\"t=1\">\r\n"
    "<input type=\"text\" name=\"q\">\r\n"
    "<input type=\"password\" name=\"pw\">\r\n"
    "<input type=\"text\" name=\"zip\"><input type=\"text\" name=\"code\">\r\n"
    "<img src=\"logo.gif\"><img src=\"cap.png\" alt=\"key\">\r\n"
    "<input type=\"text\" name=\"nick\"><input type=\"text\" name=\"memo\">\r\n"
    "<input type=\"text\" name=\"city\">\r\n"
    "<select name=\"pref\"><option value=\"a\">A<option value=\"x&y\">XY"
    "<option value=\"東京\">東京</select>\r\n"
    "<input type=\"radio\" name=\"r\" value=\"1\"><input type=\"radio\" name=\"r\" value=\"2\">\r\n"
    "<input type=\"checkbox\" name=\"agree\" value=\"yes\">\r\n"
    "<input type=\"checkbox\" name=\"news\">\r\n"
    "<textarea name=\"body\"></textarea>\r\n"
    "<input type=\"submit\" name=\"go\" value=\"Send!\"><input type=\"submit\" value=\"OK\">\r\n"
    "</form><a href=\"help.html\">help</a></body></html>\r\n");

}  // namespace

class DefinitionRoadTest : public WindowTest {
    Q_OBJECT

    std::unique_ptr<HttpTestServer> server;

    void withAssistant(const std::function<void(TForm4*)>& act) {
        onNextModal([act](QWidget* modal) { act(qobject_cast<TForm4*>(modal)); });
        click(walker->Button5);
        QVERIFY(!app->forms().Form4->isVisible());
    }

    void expectField(const char* name) { QCOMPARE(walker->Edit_name->text(), QString(name)); }

  private slots:
    void init() {
        server = std::make_unique<HttpTestServer>();
        server->route("/entry.html",
                      Response{200, {{"Content-Type", "text/html"}}, kFormPage, std::nullopt});
        startProgram();
    }

    void cleanup() {
        endProgram();
        server.reset();
    }

    void fromTheUrlBoxToTheFinishedDefinition() {
        ErrorBoxes errors;
        const std::string url = server->url("/entry.html");
        form1->Edit1->lineEdit()->setFocus();
        QTest::keyClicks(form1->Edit1->lineEdit(), QString::fromStdString(url));
        click(form1->Button1);

        // The action entry dialog: the form's action is the target, the user corrects the
        // referrer and pastes a check string.
        QVERIFY(form3->isVisible());
        QCOMPARE(bytes(form3->CB1->Text()), QByteArray("post.cgi"));
        QCOMPARE(bytes(form3->CB_open->Text()), QByteArray("action"));
        retype(form3->Edit1, "http://127.0.0.1/top.html");
        retype(form3->Edit2, "ようこそ");
        click(form3->Button1);
        click(form3->Button2);
        QCOMPARE(bytes(form1->Memo2->Text()), bytes(programText("-\r\nchk-moji=ようこそ\r\n")));

        click(form1->Button3);
        QVERIFY(walker->isVisible());
        click(walker->Button3);  // the form tag

        // A hidden field while CB_GV is ticked; the user then clears it for the next one.
        expectField("sid");
        QCOMPARE(walker->Label_hint->text(), QString("hidden\u3000です"));
        QCOMPARE(walker->CB1->currentText(), QString("Zem-GetValue"));
        QVERIFY(walker->RB3->isChecked());
        click(walker->CB_GV);
        click(walker->Button1);
        expectField("token");
        QCOMPARE(walker->Edit_val->text(), QString("t%3D1"));
        QVERIFY(walker->RB2->isChecked());
        click(walker->Button1);

        // Text fields get their values from the assistant's keyword buttons.
        expectField("q");
        QCOMPARE(walker->SelectedRow(), Row::None);
        withAssistant([](TForm4* a) {
            a->CB_random1->setCurrentIndex(a->CB_random1->findText("1-12"));
            retype(a->CB_random2->lineEdit(), "4-6");
            click(a->Button1);
        });
        click(walker->Button1);

        expectField("pw");
        QVERIFY(walker->RB1->isChecked());
        click(walker->Button1);

        expectField("zip");
        withAssistant([](TForm4* a) {
            a->CB_zip->setCurrentIndex(a->CB_zip->findText("5,3"));
            click(a->Button2);
        });
        click(walker->Button1);

        expectField("code");
        withAssistant([](TForm4* a) {
            QCOMPARE(a->CB_key2->Items(), (std::vector<std::string>{"logo.gif", "cap.png"}));
            a->CB_key->setCurrentIndex(a->CB_key->findText("2"));
            a->CB_key2->setCurrentIndex(a->CB_key2->findText("cap.png"));
            click(a->Button3);
        });
        click(walker->Button1);

        // ＯＫ composes for the keyword chosen in the walker.
        expectField("nick");
        retype(walker->CB1->lineEdit(), "Zem-Rmoji");
        withAssistant([](TForm4* a) {
            retype(a->Edit_rmoji, "ニック");
            click(a->Button6);
        });
        QVERIFY(walker->RB3->isChecked());
        click(walker->Button1);

        // ＯＫ with a keyword the assistant has no row for keeps the typed operand.
        expectField("memo");
        walker->CB1->setCurrentIndex(walker->CB1->findText("Zem-GetValue"));
        retype(walker->Edit_zem, "memo");
        withAssistant([](TForm4* a) {
            retype(a->Edit_rmoji, "ignored");
            click(a->Button6);
        });
        QCOMPARE(walker->Edit_zem->text(), QString("memo"));
        QVERIFY(walker->RB3->isChecked());
        click(walker->Button1);

        // ＯＫ with no keyword does nothing; キャンセル closes; the user types the value.
        expectField("city");
        QVERIFY(walker->CB1->currentText().isEmpty());
        withAssistant([](TForm4* a) {
            click(a->Button6);
            QVERIFY(a->isVisible());
            click(a->Button5);
        });
        QCOMPARE(walker->SelectedRow(), Row::None);
        retype(walker->Edit_val, "東京 都/1");
        click(walker->RB2);
        click(walker->Button1);

        expectField("pref");
        QCOMPARE(walker->Label_hint->text(), QString("select\u3000です"));
        QVERIFY(walker->RB3->isChecked());
        click(walker->Button1);

        expectField("r");
        click(walker->Button1);

        expectField("agree");
        QVERIFY(walker->RB2->isChecked());
        click(walker->Button1);

        expectField("news");
        QCOMPARE(walker->Label_hint->text(), QString("チェックBOXです！"));
        QCOMPARE(walker->Label_hint2->text(),
                 QString("value値が無く、常にチェックの時はonにしてください"));
        QCOMPARE(walker->CB2->currentText(), QString("on"));
        click(walker->RB1);
        click(walker->Button1);

        // The text area has no row: nothing is appended. Its closing tag is skipped.
        expectField("body");
        click(walker->Button1);
        click(walker->Button3);

        expectField("go");
        QVERIFY(walker->RB2->isChecked());
        click(walker->Button1);

        // The nameless submit button only changes the hint; skipping it ends the walk.
        QCOMPARE(walker->Label_hint->text(), QString("Submitボタンです"));
        click(walker->Button3);
        QTRY_VERIFY(!walker->isVisible());

        click(form1->Button2);
        QVERIFY(form1->Memo2->Text().empty());

        const std::vector<std::string> expected = {
            "Zem-Referer=http://127.0.0.1/top.html",
            "action=post.cgi",
            "sid=Zem-GetValue[sid]",
            "token=t%3D1",
            "q=Zem-Random[1-12:4-6]",
            "pw=Zem-Pass",
            "zip=Zem-Zip[5,3]",
            "code=Zem-KeyCode[2,cap.png]",
            programText("nick=Zem-Rmoji[ニック]"),
            "memo=Zem-GetValue[memo]",
            programText("city=東京 都/1"),
            programText("pref=Zem-Select[a,x%26y,東京]"),
            "r=Zem-Select[1,2]",
            "agree=yes",
            "news=on",
            "go=Send%21",
            "-",
            programText("chk-moji=ようこそ"),
            "",
        };
        const std::string definition = form1->Memo1->Text();
        const std::vector<std::string_view> got = splitLines(definition);
        for (std::size_t i = 0; i < std::min(got.size(), expected.size()); ++i)
            QCOMPARE(bytes(std::string(got[i])), bytes(expected[i]));
        QCOMPARE(got.size(), expected.size());
        QCOMPARE(bytes(definition), bytes(joinLines(expected)));

        // The user copies the definition out of the main window.
        form1->Memo1->setFocus();
        QTest::keySequence(form1->Memo1, QKeySequence::SelectAll);
        QTest::keySequence(form1->Memo1, QKeySequence::Copy);
        QCOMPARE(
            QApplication::clipboard()->text(),
            QString::fromStdString(CodePage::program().toUtf8(definition)).replace("\r\n", "\n"));
        QVERIFY(errors.messages.isEmpty());
    }
};

int main(int argc, char** argv) {
    return runWindowTest<DefinitionRoadTest>(argc, argv);
}

#include "definition_road_test.moc"
