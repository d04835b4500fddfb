// A form filled in and submitted in the page viewer's browser, through the mouse and the keys:
// nothing is sent, the bar says what was recorded, the entry dialog targets the form and the
// walker walks that form, proposing what the user did.
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTabBar>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <mutex>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_tag.h"
#include "application.h"
#include "charset.h"
#include "extract_page.h"
#include "form_request.h"
#include "http_test_server.h"
#include "memo_text.h"
#include "user_input.h"
#include "widget_text.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

std::string page(const std::string& forms) {
    return programText("<html><head><meta charset=\"Shift_JIS\"></head><body>\n") + forms +
           "\n</body></html>";
}

const std::string kCheckHint = programText("value値が無く、常にチェックの時はonにしてください");

// Lines of text as the windows show them.
QStringList shown(const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) text << toWidget(line);
    return text;
}

// The recorded form and its controls, one line each.
QStringList described(const FormRecording& r) {
    QStringList text{
        QString("form %1 submitter %2").arg(r.formIndex).arg(r.submitter ? int(*r.submitter) : -1)};
    for (const RecordedControl& c : r.controls)
        text << QString("%1 %2 %3%4%5")
                    .arg(toWidget(c.name), toWidget(c.type), QString::fromStdString(c.value))
                    .arg(c.changed ? " changed" : "", c.checked ? " checked" : "");
    return text;
}

// One step of the walker as it shows it.
struct Shown {
    std::string name;
    Row row;
    std::string fixedValue, identity, hint2;
};

// The steps as text, so that a failure names the step that differs.
QStringList described(const std::vector<Shown>& steps) {
    QStringList text;
    for (const Shown& s : steps)
        text << QString("%1 row=%2 val=%3 id=%4 hint2=%5")
                    .arg(toWidget(s.name))
                    .arg(static_cast<int>(s.row))
                    .arg(toWidget(s.fixedValue), toWidget(s.identity), toWidget(s.hint2));
    return text;
}

}  // namespace

class RecordingTest : public WindowTest {
    Q_OBJECT

    std::unique_ptr<HttpTestServer> server;
    std::atomic<int> submissions{0};
    int recordings = 0;
    FormRecording last;  // as the viewer announced it

    std::string action(const char* path) { return server->url(path); }

    // Loads the page through the URL box and closes the entry dialog, as a user would, or keeps
    // it open for the recorded target.
    void load(const std::string& source, bool closeEntry = true) {
        server->route("/form.html",
                      Response{200, {{"Content-Type", "text/html"}}, source, std::nullopt});
        retype(form1->Edit1->lineEdit(), QString::fromStdString(server->url("/form.html")));
        QSignalSpy shown(form2->CppWebBrowser1, &QWebEngineView::loadFinished);
        click(form1->Button1);
        QVERIFY(form3->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 30000));
        if (closeEntry) click(form3->Button2);
        QTest::mouseClick(form2->PageControl1->tabBar(), Qt::LeftButton, {},
                          form2->PageControl1->tabBar()->tabRect(0).center());
        QVERIFY(QTest::qWaitFor(
            [this] {
                return evaluate("verrimoRecorder !== null && document.forms.length > 0").toBool();
            },
            30000));
    }

    // Runs script in a world of the page, by default the recorder's (the page's own runs none).
    QVariant evaluate(const QString& script, quint32 world = QWebEngineScript::ApplicationWorld) {
        auto result = std::make_shared<QVariant>();
        auto done = std::make_shared<bool>(false);
        form2->CppWebBrowser1->page()->runJavaScript(script, world,
                                                     [result, done](const QVariant& value) {
                                                         *result = value;
                                                         *done = true;
                                                     });
        // A script that never answers reads as text that no check expects.
        return QTest::qWaitFor([done] { return *done; }, 10000) ? *result : QVariant("no answer");
    }

    QWidget* surface() { return form2->CppWebBrowser1->focusProxy(); }

    void clickOn(const QString& id) {
        const QVariantList xy =
            evaluate("(function () { var r = document.getElementById('" + id +
                     "').getBoundingClientRect(); return [r.left + r.width / 2, r.top + "
                     "r.height / 2]; })()")
                .toList();
        QCOMPARE(xy.size(), 2);
        QTest::mouseClick(surface(), Qt::LeftButton, {}, QPoint(xy[0].toInt(), xy[1].toInt()));
    }

    void typeInto(const QString& id, const QString& text) {
        clickOn(id);
        typeText(surface(), text);
    }

    QString valueOf(const QString& id) {
        return evaluate("document.getElementById('" + id + "').value").toString();
    }

    // What a browser of its own sends for the page's first form with these values, sent with
    // the button: the request the loopback server receives at /send.
    std::optional<Request> browserSends(const QJsonObject& values, const QString& button) {
        auto sent = std::make_shared<std::pair<std::mutex, std::optional<Request>>>();
        server->route("/send", [sent](const Request& request) {
            const std::lock_guard lock(sent->first);
            if (!sent->second) sent->second = request;
            return Response{200, {{"Content-Type", "text/plain"}}, "sent\n", {}};
        });
        QWebEngineProfile profile;
        QWebEnginePage browser(&profile);
        QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
        browser.load(QUrl(QString::fromStdString(server->url("/form.html"))));
        if (!QTest::qWaitFor([&] { return !loaded.isEmpty(); }, 30000)) return std::nullopt;
        browser.runJavaScript(
            QString("(function (values, button) {"
                    "  const form = document.forms[0];"
                    "  for (const [name, value] of Object.entries(values))"
                    "    form.elements[name].value = value;"
                    "  form.requestSubmit(form.elements[button]);"
                    "})(%1, '%2')")
                .arg(QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact)),
                     button),
            QWebEngineScript::ApplicationWorld);
        const auto arrived = [&] {
            const std::lock_guard lock(sent->first);
            return sent->second.has_value();
        };
        if (!QTest::qWaitFor(arrived, 30000)) return std::nullopt;
        const std::lock_guard lock(sent->first);
        return sent->second;
    }

    // Waits until the bar says what was recorded.
    void expectBar(const QString& text) {
        QTRY_VERIFY_WITH_TIMEOUT(form2->Panel_record->isVisible(), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(form2->Label_record->text(), text, 30000);
    }

    // Walks with 必要タグの記入, accepting every proposal; what each step showed.
    std::vector<Shown> walk() {
        click(form1->Button3);
        std::vector<Shown> steps;
        while (walker->isVisible() && steps.size() < 50) {
            steps.push_back({walker->Edit_name->Text(), walker->SelectedRow(),
                             walker->Edit_val->Text(), walker->CB2->Text(),
                             walker->Label_hint2->Text()});
            click(walker->Button1);
        }
        return steps;
    }

  private slots:
    void init() {
        server = std::make_unique<HttpTestServer>();
        server->route("/", [this](const Request&) {
            ++submissions;
            return Response{};
        });
        startProgram();
        recordings = 0;
        connect(form2, &TForm2::FormRecorded, this, [this](const FormRecording& r) {
            ++recordings;
            last = r;
        });
    }

    void cleanup() {
        QDir().rmdir(QString::fromStdString(form1->ProgramFolder() + "temp.html"));  // if blocked
        endProgram();
        server.reset();
        CodePage::setProgram("CP932");
    }

    void aLoginFormSentWithItsButton() {
        load(page("<form action=\"" + action("/login.cgi") +
                  "\" method=\"post\">\n"
                  "<input type=\"hidden\" name=\"sid\" value=\"x1\">\n"
                  "<input type=\"text\" name=\"user\" id=\"user\">\n"
                  "<input type=\"password\" name=\"pw\" id=\"pw\">\n" +
                  programText("<input type=\"submit\" name=\"go\" value=\"確認\" id=\"go\">\n"
                              "<input type=\"submit\" name=\"back\" value=\"戻る\">\n") +
                  "</form>"));
        const std::size_t connections = server->connections();
        typeInto("user", "alice");
        typeInto("pw", "s3cret");
        clickOn("go");
        expectBar("記録しました: 3 項目、送信ボタン「確認」");
        QCOMPARE(described(last),
                 QStringList({"form 0 submitter 3", "sid hidden x1", "user text alice changed",
                              "pw password  changed", "go submit 確認", "back submit 戻る"}));
        QCOMPARE(bytes(last.action), bytes(action("/login.cgi")));
        QCOMPARE(bytes(form3->CB1->Text()), bytes(action("/login.cgi")));
        QCOMPARE(bytes(form3->CB_open->Text()), QByteArray("action"));

        const std::vector<Shown> expected = {
            {"Edit_name", Row::None, "Edit_val", "", ""},  // the form line
            {"sid", Row::Expression, "x1", "", ""},
            {"user", Row::FixedValue, "alice", "", ""},
            {"pw", Row::Identity, "", "Zem-Pass", ""},
            {"go", Row::FixedValue, programText("確認"), "", ""},
            {"back", Row::None, programText("戻る"), "", ""},
        };
        QCOMPARE(described(walk()), described(expected));
        QCOMPARE(
            shown(form1->Memo1->Lines()),
            shown(programLines({"sid=Zem-GetValue[sid]", "user=alice", "pw=Zem-Pass", "go=確認"})));
        QCOMPARE(server->connections(), connections);
        QCOMPARE(submissions.load(), 0);
        const std::string scratch = form1->ProgramFolder() + "temp.html";
        QVERIFY(!fileBytes(scratch).contains("s3cret"));
    }

    void choicesAndEnterInATextField() {
        load(page("<form action=\"" + action("/order.cgi") +
                  "\" method=\"post\">\n"
                  "<input type=\"text\" name=\"note\" id=\"note\">\n"
                  "<select name=\"pref\" id=\"pref\"><option value=\"tokyo\">T</option>"
                  "<option value=\"osaka\">O</option></select>\n"
                  "<input type=\"radio\" name=\"size\" value=\"s\" checked>"
                  "<input type=\"radio\" name=\"size\" value=\"m\" id=\"m\">\n"
                  "<input type=\"checkbox\" name=\"keep\" value=\"1\" id=\"keep\">"
                  "<input type=\"checkbox\" name=\"news\" value=\"y\">\n"
                  "<input type=\"submit\" name=\"send\" value=\"send\">\n</form>"));
        clickOn("note");
        QTest::keyClick(surface(), Qt::Key_Tab);
        QTest::keyClick(surface(), Qt::Key_Down);  // the select: its second option
        clickOn("m");
        clickOn("keep");
        typeInto("note", "hello you");
        QTest::keyClick(surface(), Qt::Key_Return);
        expectBar("記録しました: 6 項目、送信ボタン「send」");
        QCOMPARE(described(last),
                 QStringList({"form 0 submitter 6", "note text hello you changed",
                              "pref select-one osaka changed checked", "size radio s changed",
                              "size radio m changed checked", "keep checkbox 1 changed checked",
                              "news checkbox y", "send submit send"}));

        const std::vector<Shown> expected = {
            {"Edit_name", Row::None, "Edit_val", "", ""},
            {"note", Row::FixedValue, "hello%20you", "", ""},
            {"pref", Row::FixedValue, "osaka", "", ""},
            {"size", Row::FixedValue, "m", "", ""},
            {"keep", Row::FixedValue, "1", "1", kCheckHint},
            {"news", Row::None, "y", "y", programText("記録では未選択")},
            {"send", Row::FixedValue, "send", "", ""},
        };
        QCOMPARE(described(walk()), described(expected));
        QCOMPARE(shown(form1->Memo1->Lines()),
                 shown(programLines(
                     {"note=hello%20you", "pref=osaka", "size=m", "keep=1", "send=send"})));
        QCOMPARE(submissions.load(), 0);
    }

    void theSecondOfThreeFormsSentTwice() {
        load(page("<form action=\"" + action("/a.cgi") +
                  "\"><input type=\"text\" name=\"q\"><input type=\"submit\" value=\"a\"></form>\n"
                  "<form action=\"" +
                  action("/b.cgi") +
                  "\" method=\"post\"><input type=\"text\" name=\"q\" id=\"q\">\n"
                  "<input type=\"email\" name=\"mail\" id=\"mail\">\n"
                  "<input type=\"submit\" name=\"b\" value=\"b\" id=\"b\"></form>\n"
                  "<form action=\"" +
                  action("/c.cgi") + "\"><input type=\"text\" name=\"z\"></form>"));
        QCOMPARE(bytes(form3->CB1->Text()), bytes(action("/a.cgi")));
        typeInto("q", "one");
        QTest::keyClick(surface(), Qt::Key_Return);
        expectBar("記録しました: 2 項目、送信ボタン「b」");
        typeInto("mail", "a@b.jp");
        clickOn("b");
        // The second submission replaces the first: the e-mail address is in it.
        QTRY_COMPARE_WITH_TIMEOUT(recordings, 2, 30000);
        QCOMPARE(described(last), QStringList({"form 1 submitter 2", "q text one changed",
                                               "mail email a@b.jp changed", "b submit b"}));
        QCOMPARE(walk().size(), std::size_t(4));
        QCOMPARE(bytes(form3->CB1->Text()), bytes(action("/b.cgi")));
        QCOMPARE(shown(form1->Memo1->Lines()),
                 shown(programLines({"q=one", "mail=a@b.jp", "b=b"})));
        QCOMPARE(submissions.load(), 0);
    }

    // Values typed as a user types them, with the marks that query text reads otherwise, a line
    // break and characters that each charset writes its own way, are written so that the
    // definition's request is, byte for byte, what the browser sends for the same form.
    void aTypedValueGoesOutAsTheBrowserSendsIt_data() {
        QTest::addColumn<QString>("charset");
        QTest::addColumn<bool>("shownInIt");  // the program's code page is the page's
        QTest::newRow("Shift_JIS") << "Shift_JIS" << true;
        QTest::newRow("UTF-8") << "UTF-8" << false;
        QTest::newRow("UTF-8 shown in UTF-8") << "UTF-8" << true;
        QTest::newRow("EUC-JP") << "EUC-JP" << false;
        QTest::newRow("EUC-JP shown in EUC-JP") << "EUC-JP" << true;
    }

    void aTypedValueGoesOutAsTheBrowserSendsIt() {
        QFETCH(QString, charset);
        QFETCH(bool, shownInIt);
        const QString text = "a+b%c&d=e #髙①～";
        const QString area = "x+y%z&w\n髙①～ 2";
        const CodePage pageCp(codePageFor(charset.toStdString()));
        const std::string page =
            pageCp.fromUtf8("<!DOCTYPE html><html><head><meta charset=\"" + charset.toStdString() +
                            "\"><title>form</title></head><body>\n"
                            "<form action=\"send\" method=\"post\">\n"
                            "<input type=\"text\" name=\"t\" id=\"t\">\n"
                            "<textarea name=\"m\" id=\"m\"></textarea>\n"
                            "<input type=\"submit\" name=\"go\" value=\"送信\" id=\"go\">\n"
                            "</form></body></html>");
        load(page, false);
        if (shownInIt && canonicalCharset(CodePage::program().name()) != charset.toStdString())
            click(form2->Button_charset);
        QCOMPARE(QString::fromStdString(canonicalCharset(CodePage::program().name())) == charset,
                 shownInIt);
        QCOMPARE(valueOf("m"), QString());  // the copy's line break is not the page's

        typeInto("t", text);
        typeInto("m", area);
        const std::size_t connections = server->connections();
        clickOn("go");
        expectBar("記録しました: 2 項目、送信ボタン「送信」");
        QCOMPARE(described(last),
                 QStringList({"form 0 submitter 2", "t text " + text + " changed",
                              "m textarea " + area + " changed", "go submit 送信"}));
        click(form3->Button1);  // the referrer and the recorded target
        walk();
        QCOMPARE(server->connections(), connections);

        const std::string definition = *form1->Definition();
        const std::vector<std::string_view> lines = splitLines(definition);
        QStringList names;
        for (const std::string_view line : lines) names << toWidget(line.substr(0, line.find('=')));
        QCOMPARE(names, QStringList({"Zem-Referer", "action", "t", "m", "go"}));

        const CodePage& cp = CodePage::program();
        const ReadPage read{readPage({page}, cp, {.forms = true}).forms, server->url("/form.html")};
        const std::vector<StepRequest> requests =
            definitionRequests(*parseDefinition(definition, cp), {&read, 1}, {}, cp);
        QCOMPARE(requests.size(), std::size_t(1));
        const StepRequest& r = requests[0];
        const std::optional<Request> sent =
            browserSends(QJsonObject{{"t", text}, {"m", area}}, "go");
        QVERIFY(sent);
        QCOMPARE(bytes(sent->method), bytes(r.method));
        QCOMPARE(bytes(sent->target), bytes(r.url.substr(server->baseUrl().size())));
        QCOMPARE(bytes(sent->body), bytes(r.body));
        QCOMPARE(bytes(sent->header("Content-Type")),
                 QByteArray("application/x-www-form-urlencoded"));
    }

    // The walker ends a walk showing the last field's proposal; a recorded walk after it adds
    // only what the recording says.
    void aRecordedWalkAfterAnotherWalk() {
        load(page("<form action=\"" + action("/a.cgi") +
                  "\"><input type=\"text\" name=\"q\">\n"
                  "<input type=\"hidden\" name=\"login\" value=\"taro\"></form>"));
        walk();
        QCOMPARE(shown(form1->Memo1->Lines()), shown({"login=Zem-GetValue[login]"}));
        QCOMPARE(walker->SelectedRow(), Row::Expression);  // left as the last step showed it

        load(page("<form action=\"" + action("/b.cgi") +
                  "\"><input type=\"text\" name=\"r\" id=\"r\">\n"
                  "<textarea name=\"m\" id=\"m\"></textarea>\n"
                  "<input type=\"checkbox\" name=\"c\" value=\"1\"></form>"));
        typeInto("r", "x");
        QTest::keyClick(surface(), Qt::Key_Return);
        expectBar("記録しました: 3 項目、送信ボタンなし");
        const std::vector<Shown> steps = walk();
        QCOMPARE(steps.size(), std::size_t(5));
        for (std::size_t i : {0, 3}) QCOMPARE(steps[i].row, Row::None);  // <form, </textarea>
        QCOMPARE(shown(form1->Memo1->Lines()), shown({"login=Zem-GetValue[login]", "r=x"}));
    }

    // A page that writes a <form where a browser builds none, in a comment and in a script, does
    // not move the recording off the form the user sent.
    void formsInACommentAndAScriptAreNoForms() {
        load(page("<!-- <form action=\"" + action("/comment.cgi") +
                  "\"><input name=\"q\"> -->\n"
                  "<script>var s = \"<form action='" +
                  action("/script.cgi") +
                  "'><input name='q'>\";</script>\n"
                  "<form action=\"" +
                  action("/real.cgi") +
                  "\" method=\"post\"><input type=\"text\" name=\"q\" id=\"q\">\n"
                  "<input type=\"submit\" name=\"go\" value=\"go\" id=\"go\"></form>"));
        typeInto("q", "real");
        clickOn("go");
        expectBar("記録しました: 1 項目、送信ボタン「go」");
        QCOMPARE(described(last),
                 QStringList({"form 0 submitter 1", "q text real changed", "go submit go"}));
        QCOMPARE(bytes(form3->CB1->Text()), bytes(action("/real.cgi")));
        const std::vector<Shown> steps = walk();
        QCOMPARE(steps.size(), std::size_t(3));
        QCOMPARE(shown(form1->Memo1->Lines()), shown({"q=real", "go=go"}));
    }

    // What was typed in the tab goes with 破棄 and with every load, the passwords first.
    void discardAndLoadEmptyTheTabsFields() {
        const std::string form =
            page("<form action=\"" + action("/a.cgi") +
                 "\" method=\"post\"><input type=\"text\" name=\"u\" id=\"u\">\n"
                 "<input type=\"password\" name=\"pw\" id=\"pw\">\n"
                 "<textarea name=\"m\" id=\"m\"></textarea>\n"
                 "<input type=\"submit\" value=\"ok\"></form>");
        load(form);
        const auto fill = [this] {
            typeInto("u", "alice");
            typeInto("m", "note");
            typeInto("pw", "s3cret");
            QTest::keyClick(surface(), Qt::Key_Return);
            expectBar("記録しました: 3 項目、送信ボタン「ok」");
            QCOMPARE(valueOf("pw"), QString("s3cret"));
        };
        const auto emptied = [this] {
            return QTest::qWaitFor(
                [this] {
                    return valueOf("u").isEmpty() && valueOf("pw").isEmpty() &&
                           valueOf("m").isEmpty();
                },
                30000);
        };
        fill();
        QVERIFY(!described(last).join(' ').contains("s3cret"));
        click(form2->Button_discard);
        QVERIFY(emptied());

        fill();
        QSignalSpy shown(form2->CppWebBrowser1, &QWebEngineView::loadFinished);
        click(form2->Button2);  // タグ抽出 loads the copy again
        QVERIFY(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 30000));
        QVERIFY(emptied());

        // A load that cannot write its copy leaves the page shown, but not what was typed.
        fill();
        const QString scratch = QString::fromStdString(form1->ProgramFolder() + "temp.html");
        QVERIFY(blockFile(scratch.toStdString()));
        evaluate("document.stillShown = true");
        {
            ErrorBoxes errors;
            click(form2->Button2);
            QCOMPARE(errors.messages, QStringList("ファイル " + scratch + " を作成できません."));
        }
        QVERIFY(emptied());
        QCOMPARE(evaluate("document.stillShown").toBool(), true);
    }

    // The channel is there for the recorder's world alone: the page's world runs no script at
    // all, and another world finds no qt object.
    void theRecorderIsOutOfThePagesReach() {
        load(page("<form action=\"" + action("/a.cgi") + "\"><input name=\"q\"></form>"));
        QCOMPARE(evaluate("typeof qt").toString(), QString("object"));
        QCOMPARE(evaluate("typeof qt", QWebEngineScript::MainWorld), QVariant());
        QCOMPARE(evaluate("typeof qt", QWebEngineScript::UserWorld).toString(),
                 QString("undefined"));
    }

    void discardedOrExtractedAwayTheWalkerWalksEverything() {
        load(page("<form action=\"" + action("/a.cgi") +
                  "\"><input type=\"text\" name=\"q\"></form>\n<form action=\"" + action("/b.cgi") +
                  "\"><input type=\"text\" name=\"r\" id=\"r\"></form>"));
        typeInto("r", "x");
        QTest::keyClick(surface(), Qt::Key_Return);
        expectBar("記録しました: 1 項目、送信ボタンなし");
        click(form2->Button_discard);
        QVERIFY(form2->Panel_record->isHidden());
        QCOMPARE(walk().size(), std::size_t(4));  // both forms, from the list's first line

        typeInto("r", "y");
        QTest::keyClick(surface(), Qt::Key_Return);
        expectBar("記録しました: 1 項目、送信ボタンなし");
        click(form2->Button2);  // タグ抽出
        QVERIFY(form2->Panel_record->isHidden());
        QCOMPARE(form2->height(), 560);
    }
};

int main(int argc, char** argv) {
    return runWindowTest<RecordingTest>(argc, argv);
}

#include "recording_test.moc"
