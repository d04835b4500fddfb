// The road through the windows, with the mouse and the keys, against the loopback road site in
// Shift_JIS and in UTF-8: each page's form recorded, walked and sent with 送信して次へ, its
// answer the next page and a check string chosen from it; the requests the site saw compared
// with what Qt WebEngine sends walking the same road; the trial run of the definition; and that
// nothing goes to the site unless the user said so.
#include <QComboBox>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <functional>
#include <map>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_tag.h"
#include "application.h"
#include "extract_page.h"
#include "har.h"
#include "har_road.h"
#include "har_writer.h"
#include "memo_text.h"
#include "modal_window.h"
#include "password_ask.h"
#include "request_preview.h"
#include "road_pages.h"
#include "road_session.h"
#include "road_site.h"
#include "sample_file.h"
#include "trial_run.h"
#include "url.h"
#include "user_input.h"
#include "widget_text.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

// What the user types into the site's forms, in the windows and in the browser alike.
const QString kName = "山田 太郎";
const QString kComment = "よろしくお願いします";
const QString kKind = "o";  // the second option, ご意見

// The check strings the user picks from the proposals, one for each step's answer.
const char* const kChosen[] = {"お問い合わせ入力", "入力内容の確認", "ありがとうございました。"};

// The headers that say who sends (User-Agent, Accept, Accept-Language, Accept-Encoding,
// Upgrade-Insecure-Requests, Cache-Control, Sec-*) and how (Host: the two sites' ports,
// Connection, Content-Length, which the body decides) are left out of the comparison.
const char* const kCompared[] = {"Cookie", "Referer", "Origin", "Content-Type"};

// The text with a site's own address written as BASE.
std::string based(std::string text, const std::string& base) {
    for (std::size_t at; (at = text.find(base)) != std::string::npos;)
        text.replace(at, base.size(), "BASE");
    return text;
}

// The requests as text: method and target, the compared headers and the body, each site's own
// address written as BASE.
QStringList described(const std::vector<Request>& requests, const std::string& base) {
    const auto line = [&](const std::string& text) {
        return QString::fromLatin1(based(text, base));
    };
    QStringList text;
    for (const Request& r : requests) {
        text << line(r.method + " " + r.target);
        for (const char* name : kCompared)
            if (!r.header(name).empty())
                text << line("  " + std::string(name) + ": " + r.header(name));
        if (!r.body.empty())
            text << "  body: " + QString::fromLatin1(
                                     QByteArray::fromStdString(r.body).toPercentEncoding("=&+%"));
    }
    return text;
}

// The definition's lines in UTF-8, the site's own address written as BASE.
QStringList linesOf(std::string_view definition, const CodePage& cp, const std::string& base) {
    QStringList lines;
    for (const std::string_view line : splitLines(definition))
        lines << QString::fromStdString(based(cp.toUtf8(line), base));
    return lines;
}

// The definition read from a HAR file of what the site saw, as verrimo-cli har prints it.
QStringList harDefinition(const RoadSite& site, HarBrowser browser, const CodePage& cp) {
    const HarRoad road = findRoad(readHar(harOf(site, browser)), cp);
    std::vector<std::size_t> all(road.steps.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    return linesOf(roadDefinition(road, all), cp, site.url(""));
}

// The lines without the check strings: in the windows the user picked one of the answer's
// proposals, while the file's reader takes the first it proposes.
QStringList withoutCheckStrings(QStringList lines) {
    lines.removeIf([](const QString& line) { return line.startsWith("chk-moji="); });
    return lines;
}

std::string jsString(const QString& text) {
    QString quoted = text;
    quoted.replace("\\", "\\\\").replace("'", "\\'");
    return "'" + quoted.toStdString() + "'";
}

}  // namespace

class RoadWindowTest : public WindowTest {
    Q_OBJECT

    QTemporaryDir config_;
    std::unique_ptr<RoadSite> site;
    std::string base;

    int passwordAsks = 0;

    std::string at(std::string_view path) { return site->url(path); }

    // Runs script in the recorder's world of the page the viewer's browser shows.
    QVariant evaluate(const QString& script) {
        auto result = std::make_shared<QVariant>();
        auto done = std::make_shared<bool>(false);
        form2->CppWebBrowser1->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                                     [result, done](const QVariant& value) {
                                                         *result = value;
                                                         *done = true;
                                                     });
        return QTest::qWaitFor([done] { return *done; }, 10000) ? *result : QVariant("no answer");
    }

    QWidget* surface() { return form2->CppWebBrowser1->focusProxy(); }

    // The browser tab, once it shows the page that holds the control and the recorder listens.
    void toBrowser(const QString& control) {
        QTest::mouseClick(form2->PageControl1->tabBar(), Qt::LeftButton, {},
                          form2->PageControl1->tabBar()->tabRect(0).center());
        QVERIFY(QTest::qWaitFor(
            [&] {
                return evaluate("verrimoRecorder !== null && document.querySelector('" + control +
                                "') !== null")
                    .toBool();
            },
            30000));
    }

    void clickOn(const QString& selector) {
        const QVariantList xy =
            evaluate("(function () { var r = document.querySelector('" + selector +
                     "').getBoundingClientRect(); return [r.left + r.width / 2, r.top + "
                     "r.height / 2]; })()")
                .toList();
        QCOMPARE(xy.size(), 2);
        QTest::mouseClick(surface(), Qt::LeftButton, {}, QPoint(xy[0].toInt(), xy[1].toInt()));
    }

    // Types into the focused control of the page: ASCII as keys, the rest as an input method
    // commits it.
    void type(const QString& text) {
        for (const QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(surface(), c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(c);
                QApplication::sendEvent(surface(), &commit);
            }
        }
    }

    void typeInto(const QString& selector, const QString& text) {
        clickOn(selector);
        QTest::keyClick(surface(), Qt::Key_A, Qt::ControlModifier);
        type(text);
    }

    // 必要タグの記入, accepting each field named once and skipping every other line; the
    // function sets a field up first.
    void walk(std::map<std::string, std::function<void()>> fields) {
        click(form1->Button3);
        for (int lines = 0; walker->isVisible() && lines < 40; ++lines) {
            // The field of the tag line itself: the name box may still show an earlier one.
            const QString tag = walker->Edit_read->text();
            const qsizetype at = tag.indexOf("name=\"");
            const QString name = at < 0 ? QString() : tag.mid(at + 6).section('"', 0, 0);
            const auto field =
                tag.startsWith("</") ? fields.end() : fields.find(name.toStdString());
            if (field == fields.end()) {
                click(walker->Button3);
                continue;
            }
            if (field->second) field->second();
            fields.erase(field);
            click(walker->Button1);
        }
        QVERIFY(fields.empty());
        QVERIFY(walker->isHidden());
    }

    // Loads a page through the URL box; the entry dialog then adds its referrer and target.
    void loadAndAdd(const std::string& url) {
        retype(form1->Edit1->lineEdit(), QString::fromStdString(url));
        click(form1->Button1);
        QVERIFY(form3->isVisible());
        QVERIFY(form3->CB_chk->isHidden());  // proposals come with an answer only
        click(form3->Button1);
        click(form3->Button2);
    }

    void expectRecorded() {
        QTRY_VERIFY_WITH_TIMEOUT(form2->Panel_record->isVisible() &&
                                     form2->Label_record->text().startsWith("記録しました"),
                                 30000);
        QVERIFY(!form2->Button_send->isEnabled());
    }

    // 送信して次へ: the answer comes up as the next page, the dialog with it.
    void sendAndGoOn(const std::string& answeredAt, const char* chosen) {
        QVERIFY(form2->Button_send->isEnabled());
        click(form2->Button_send);
        QCOMPARE(form2->Label_record->text(),
                 QString::fromStdString("送信しました: 303 → 200 " + answeredAt));
        QVERIFY(form3->isVisible());
        QCOMPARE(bytes(form3->Edit1->Text()), bytes(answeredAt));
        QCOMPARE(bytes(form1->Edit_now_open->Text()), bytes(answeredAt));
        QVERIFY(form3->CB_chk->isVisible());
        const int wanted = form3->CB_chk->findText(chosen);
        QVERIFY2(wanted >= 0, qPrintable(chosen));
        form3->CB_chk->setFocus();
        for (int i = 0; i <= wanted; ++i) QTest::keyClick(form3->CB_chk, Qt::Key_Down);
        QCOMPARE(form3->Edit2->text(), QString(chosen));
        click(form3->Button_chk);
        QVERIFY(form3->CB_chk->isHidden());
    }

    void saveSampleId(const char* id) {
        form1->Preview1->trigger();
        RequestPreview* preview = app->forms().Preview;
        retype(preview->Edit_id, id);
        click(preview->Button_samples);
        click(preview->Button_close);
    }

    // The login page loaded and its step added, the user typed into its form and submitted it,
    // and the walker went over it, with Zem-ID chosen for the user name.
    void recordLogin(const QString& user) {
        const std::size_t posts = site->count("POST");
        loadAndAdd(at(RoadSite::kLoginPage));
        if (site->charset() == RoadSite::Charset::Utf8) click(form2->Button_charset);
        toBrowser("[name=user]");
        typeInto("[name=user]", user);
        typeInto("[name=pass]", QString::fromLatin1(RoadSite::kPassword));
        clickOn("input[type=submit]");
        expectRecorded();
        walk({{"user",
               [this] {
                   retype(walker->CB2->lineEdit(), "Zem-ID");
                   click(walker->RB1);
               }},
              {"pass", [this] { QCOMPARE(walker->CB2->currentText(), QString("Zem-Pass")); }}});
        QCOMPARE(site->count("POST"), posts);
    }

    // The password dialog that the next send brings up, answered with the site's password; what
    // it asked goes into question.
    void answerPassword(QString* question = nullptr) {
        onNextModal([this, question](QWidget* modal) {
            auto* ask = qobject_cast<PasswordAsk*>(modal);
            QVERIFY(ask);
            ++passwordAsks;
            if (question) *question = ask->Label_ask->text();
            retype(ask->Edit_pass, QString::fromLatin1(RoadSite::kPassword));
            click(ask->Button_ok);
        });
    }

    // The road walked in the windows, counting the site's POSTs at each click.
    void walkTheRoad() {
        const std::size_t posts = site->count("POST");
        recordLogin(QString::fromLatin1(RoadSite::kUser));
        answerPassword();
        sendAndGoOn(at(RoadSite::kInputPage), kChosen[0]);
        QCOMPARE(site->count("POST"), posts + 1);

        loadAndAddAnswered();
        toBrowser("[name=name]");
        typeInto("[name=name]", kName);
        QTest::keyClick(surface(), Qt::Key_Tab);
        QTest::keyClick(surface(), Qt::Key_Down);  // the select: ご意見
        typeInto("[name=comment]", kComment);
        clickOn("input[type=submit]");
        expectRecorded();
        walk({{"token", {}}, {"name", {}}, {"kind", {}}, {"comment", {}}});
        QCOMPARE(site->count("POST"), posts + 1);
        sendAndGoOn(at(RoadSite::kConfirmPage), kChosen[1]);

        loadAndAddAnswered();
        toBrowser("[name=token2]");
        clickOn("input[type=submit]");
        expectRecorded();
        walk({{"token2", {}}, {"name", {}}, {"kind", {}}, {"comment", {}}});
        QCOMPARE(site->count("POST"), posts + 2);
        sendAndGoOn(at(RoadSite::kCompletePage), kChosen[2]);
        QCOMPARE(site->count("POST"), posts + 3);
        QVERIFY(site->refusals().empty());
        click(form3->Button2);
    }

    // The entry dialog that the answer brought up adds the next step's lines.
    void loadAndAddAnswered() {
        QVERIFY(form3->isVisible());
        click(form3->Button1);
        click(form3->Button2);
    }

    // The same road in a browser of its own, with the same values typed.
    void walkInBrowser(RoadSite& other) {
        QWebEngineProfile profile;
        QWebEnginePage page(&profile);
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        const auto step = [&](const std::string& script) {
            const qsizetype before = loaded.size();
            page.runJavaScript(QString::fromStdString(script), QWebEngineScript::ApplicationWorld);
            QTRY_VERIFY_WITH_TIMEOUT(loaded.size() > before, 30000);
        };
        page.load(QUrl(QString::fromStdString(other.url(RoadSite::kLoginPage))));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
        step("var f = document.forms[0]; f.user.value = " +
             jsString(QString::fromLatin1(RoadSite::kUser)) + "; f.pass.value = " +
             jsString(QString::fromLatin1(RoadSite::kPassword)) + "; f.requestSubmit();");
        step("var f = document.forms[0]; f.name.value = " + jsString(kName) +
             "; f.kind.value = " + jsString(kKind) + "; f.comment.value = " + jsString(kComment) +
             "; f.requestSubmit();");
        step("document.forms[0].requestSubmit();");
        QCOMPARE(other.completed().size(), std::size_t(3));
    }

    // The trial run, the password typed into its window unless the road holds it already.
    TrialRun* startTrialRun(bool typePassword = true) {
        form1->Run1->trigger();
        TrialRun* run = app->forms().Run;
        [&] { QVERIFY(run->isVisible()); }();
        if (typePassword) retype(run->Edit_pass, QString::fromLatin1(RoadSite::kPassword));
        click(run->Button_start);
        return run;
    }

    // The trial run of the definition, every step let go; what the run says at its end.
    QString runThrough(const std::string& definition) {
        form1->Memo1->SetText(definition);
        TrialRun* run = startTrialRun(false);
        const bool asked = QTest::qWaitFor(
            [run] { return run->Button_send->isEnabled() || !run->Running(); }, 30000);
        if (asked && run->Button_send->isEnabled()) click(run->Button_sendAll);
        if (!QTest::qWaitFor([run] { return !run->Running(); }, 30000)) return "still running";
        const QString state = run->Label_state->text();
        click(run->Button_close);
        return state;
    }

    void waitForAsk(TrialRun* run) {
        QTRY_VERIFY_WITH_TIMEOUT(run->Button_send->isEnabled() || !run->Running(), 30000);
        QVERIFY(run->Running());
    }

  private slots:
    void initTestCase() {
        QVERIFY(config_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
    }

    void init() {
        // No sample values of an earlier test: as on a new user's machine.
        QFile::remove(QString::fromStdString(userSamplesPath()));
        startNewRoad();
        passwordAsks = 0;
        startProgram();
    }

    void cleanup() {
        endProgram();
        site.reset();
        CodePage::setProgram("CP932");
    }

    void theRoadStepByStep_data() {
        QTest::addColumn<int>("charset");
        QTest::newRow("Shift_JIS") << static_cast<int>(RoadSite::Charset::ShiftJis);
        QTest::newRow("UTF-8") << static_cast<int>(RoadSite::Charset::Utf8);
    }

    void theRoadStepByStep() {
        QFETCH(int, charset);
        site = std::make_unique<RoadSite>(static_cast<RoadSite::Charset>(charset));
        base = at("");
        saveSampleId("taro");
        form1->NewRoad1->trigger();
        walkTheRoad();
        if (QTest::currentTestFailed()) return;

        // Three steps, each with the page it was sent from as its referrer.
        const CodePage& cp = CodePage::program();
        const QStringList lines = linesOf(*form1->Definition(), cp, base);
        const QString name = lines.value(9), comment = lines.value(11);
        QVERIFY(name.startsWith("name="));
        QVERIFY(comment.startsWith("comment="));
        const auto url = [](std::string_view path) { return "BASE" + QString::fromLatin1(path); };
        QCOMPARE(lines, QStringList({"Zem-Referer=" + url(RoadSite::kLoginPage),
                                     "action=login.cgi",
                                     "user=Zem-ID",
                                     "pass=Zem-Pass",
                                     "-",
                                     QString("chk-moji=") + kChosen[0],
                                     "Zem-Referer=" + url(RoadSite::kInputPage),
                                     "action=confirm.cgi",
                                     "token=Zem-GetValue[token]",
                                     name,
                                     "kind=o",
                                     comment,
                                     "-",
                                     QString("chk-moji=") + kChosen[1],
                                     "Zem-Referer=" + url(RoadSite::kConfirmPage),
                                     "action=complete.cgi",
                                     "token2=Zem-GetValue[token2]",
                                     "comment=Zem-GetValue[comment]",
                                     "kind=Zem-GetValue[kind]",
                                     "name=Zem-GetValue[name]",
                                     "-",
                                     QString("chk-moji=") + kChosen[2]}));
        QCOMPARE(form1->HeldText(), std::string());

        // What the site saw is what a browser sends walking the same road, cookies included.
        QCOMPARE(site->requests().size(), std::size_t(7));
        RoadSite other(site->charset());
        walkInBrowser(other);
        QCOMPARE(described(site->requests(), base), described(other.requests(), other.url("")));
        QCOMPARE(site->completed(), other.completed());

        // The road read from a HAR file of that browser's walk, written as Chrome and as Firefox
        // write one, is the road recorded in the windows, but for the check strings and the
        // user's own word: in the walker the user wrote Zem-ID over the name typed into the
        // page, which the walker proposes for no field so named, and the file holds only what
        // was sent. (The windows' own requests make no such file: they come from the program,
        // not a browser, and ask for no document.)
        QStringList recorded = withoutCheckStrings(lines);
        const qsizetype ownWord = recorded.indexOf("user=Zem-ID");
        QVERIFY(ownWord >= 0);
        recorded[ownWord] = "user=" + QString::fromLatin1(RoadSite::kUser);
        for (const HarBrowser browser : {HarBrowser::Chrome, HarBrowser::Firefox})
            QCOMPARE(withoutCheckStrings(harDefinition(other, browser, cp)), recorded);

        // The trial run: the page of the first step, then nothing until 送信する.
        const std::size_t before = site->requests().size();
        TrialRun* run = startTrialRun();
        waitForAsk(run);
        QCOMPARE(site->requests().size(), before + 1);
        QCOMPARE(site->requests().back().method, std::string("GET"));
        QVERIFY(run->Label_ask->text().startsWith("手順 1 を送信しますか？ POST " +
                                                  QString::fromStdString(at(RoadSite::kLogin))));
        click(run->Button_send);
        waitForAsk(run);
        QVERIFY(run->Label_ask->text().startsWith("手順 2 "));
        click(run->Button_sendAll);
        QTRY_VERIFY_WITH_TIMEOUT(!run->Running(), 30000);
        QCOMPARE(run->Label_state->text(),
                 QString("試走が終わりました: すべての手順が通過しました"));
        const QString report = run->Memo_steps->toPlainText();
        for (int step = 1; step <= 3; ++step)
            QVERIFY2(report.contains(QString("手順 %1\u3000通過").arg(step)), qPrintable(report));
        QVERIFY(report.contains(QString("  答え: 303 → 200 ") +
                                QString::fromStdString(at(RoadSite::kCompletePage))));
        QVERIFY(report.contains(QString("  chk-moji「") + kChosen[2] + "」: 答えにあります"));
        QVERIFY(!report.contains(QString::fromLatin1(RoadSite::kPassword)));
        QVERIFY(browserShows(form2->CppWebBrowser1, "ありがとうございました"));
        QVERIFY(site->refusals().empty());

        // The site changed: the run stops before the step that no longer fits, and says why.
        site->renameConfirmField("name", "fullname");
        const std::size_t posts = site->count("POST");
        run = startTrialRun();
        waitForAsk(run);
        click(run->Button_sendAll);
        QTRY_VERIFY_WITH_TIMEOUT(!run->Running(), 30000);
        QCOMPARE(site->count("POST"), posts + 2);
        const QString stopped = run->Memo_steps->toPlainText();
        QVERIFY2(stopped.contains("手順 3\u3000送信せずに止めました（ページが定義に合いません）"),
                 qPrintable(stopped));
        QVERIFY2(stopped.contains("  指摘 20 行目: フォームに項目「name」がありません（定義にない "
                                  "hidden の項目「fullname」がフォームにあります）"),
                 qPrintable(stopped));
        QVERIFY(stopped.contains("  答え: 送信していません"));
        QCOMPARE(run->Label_state->text(),
                 QString("試走が止まりました: 送信せずに止めました（ページが定義に合いません）"));
        click(run->Button_close);

        // Loads share the road's cookie until a new road forgets it.
        const std::size_t refusals = site->refusals().size();
        loadAndAdd(at(RoadSite::kInputPage));
        QCOMPARE(site->refusals().size(), refusals);
        form1->NewRoad1->trigger();
        loadAndAdd(at(RoadSite::kInputPage));
        QCOMPARE(site->refusals().size(), refusals + 1);
        QCOMPARE(site->refusals().back(), std::string("/input.html: no session cookie"));
    }

    // The README's road with no sample values saved: 送信して次へ sends the ID typed in the
    // recording, and a sample value only where nothing was typed, which the password dialog
    // names; a login that the site refuses answers its form again, and the bar says so.
    void theSendTakesWhatWasTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("sampleNamed");
        QTest::newRow("the site's ID") << "taro"
                                       << "taro" << true << false;
        QTest::newRow("another ID") << "jiro"
                                    << "jiro" << false << false;
        QTest::newRow("nothing typed") << ""
                                       << "user" << false << true;
    }

    void theSendTakesWhatWasTyped() {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        QFETCH(bool, accepted);
        QFETCH(bool, sampleNamed);
        site = std::make_unique<RoadSite>(RoadSite::Charset::ShiftJis);
        recordLogin(typed);
        QString question;
        answerPassword(&question);
        click(form2->Button_send);
        QCOMPARE(passwordAsks, 1);
        QCOMPARE(question.contains("Zem-ID にはサンプル値を送ります"), sampleNamed);

        const std::vector<Request> requests = site->requests();
        const auto login = std::find_if(requests.begin(), requests.end(),
                                        [](const Request& r) { return r.method == "POST"; });
        QVERIFY(login != requests.end());
        QCOMPARE(site->count("POST"), std::size_t(1));
        QCOMPARE(QString::fromStdString(login->body),
                 "user=" + sent +
                     "&pass=" + QUrl::toPercentEncoding(QString::fromLatin1(RoadSite::kPassword)));
        QCOMPARE(site->refusals().empty(), accepted);
        const QString bar = form2->Label_record->text();
        const QString cameBack =
            "答えは送ったのと同じフォームです（サイトは値を受け付けなかったようです）";
        QVERIFY2(
            bar.startsWith("送信しました: " +
                           QString::fromStdString(accepted ? "303 → 200 " + at(RoadSite::kInputPage)
                                                           : "200 " + at(RoadSite::kLogin))),
            qPrintable(bar));
        QCOMPARE(bar.contains(cameBack), !accepted);
        QCOMPARE(bar.contains("サンプル値を送りました: Zem-ID"), sampleNamed);
    }

    // The trial run starts with no cookie, as the host does: the steps after the login fail at
    // their first page even though the walk logged in; the whole road passes with the password
    // and the ID given once, in the walk; a new road forgets both.
    void theTrialRunStartsAsTheHostDoes() {
        site = std::make_unique<RoadSite>(RoadSite::Charset::ShiftJis);
        recordLogin(QString::fromLatin1(RoadSite::kUser));
        answerPassword();
        click(form2->Button_send);
        QVERIFY(site->refusals().empty());
        click(form3->Button2);
        const std::string whole = site->definition();
        const std::size_t second = whole.find("Zem-Referer=", 1);
        QVERIFY(second != std::string::npos);

        struct Case {
            const char* name;
            std::string definition;
            QString state;
            std::vector<std::string> refusals;
        };
        const Case cases[] = {
            {"steps 2 and 3 alone",
             whole.substr(second),
             "試走が止まりました: 送信せずに止めました（ページが定義に合いません）",
             {"/input.html: no session cookie"}},
            {"the whole road", whole, "試走が終わりました: すべての手順が通過しました", {}},
        };
        for (const Case& c : cases) {
            const std::size_t before = site->refusals().size();
            QCOMPARE(runThrough(c.definition), c.state);
            const std::vector<std::string> refusals = site->refusals();
            QCOMPARE(std::vector<std::string>(refusals.begin() + before, refusals.end()),
                     c.refusals);
        }
        QCOMPARE(passwordAsks, 1);

        // The walk's own cookie stays for the walk.
        const std::size_t refusals = site->refusals().size();
        loadAndAdd(at(RoadSite::kInputPage));
        QCOMPARE(site->refusals().size(), refusals);

        // A new road forgets the password and the ID: the samples go, and the login says no.
        form1->NewRoad1->trigger();
        QCOMPARE(runThrough(whole), QString("試走が止まりました: 答えに chk-moji がありません"));
        QCOMPARE(site->refusals().back(), std::string("login: wrong user or password"));
        QCOMPARE(passwordAsks, 1);
    }

    // Before its lines are written the recording cannot be sent; a definition whose last step is
    // not this page's form sends nothing.
    void nothingGoesUnlessTheStepFitsThePage() {
        site = std::make_unique<RoadSite>(RoadSite::Charset::ShiftJis);
        retype(form1->Edit1->lineEdit(), QString::fromStdString(at(RoadSite::kLoginPage)));
        click(form1->Button1);
        click(form3->Button2);
        toBrowser("[name=user]");
        typeInto("[name=user]", "taro");
        clickOn("input[type=submit]");
        expectRecorded();
        walk({{"user", {}}});
        ErrorBoxes errors;
        click(form2->Button_send);
        QTRY_COMPARE(errors.messages.size(), 1);
        QVERIFY(errors.messages[0].startsWith("送信しませんでした: 定義に手順がありません"));

        // A step of another page's form.
        form1->Memo1->SetText(programText("Zem-Referer=" + at(RoadSite::kInputPage) +
                                          "\r\naction=confirm.cgi\r\nuser=taro\r\n"));
        click(form2->Button_send);
        QTRY_COMPARE(errors.messages.size(), 2);
        QVERIFY2(errors.messages[1].contains("このページのフォームに合いません（2 行目"),
                 qPrintable(errors.messages[1]));
        QCOMPARE(site->count("POST"), std::size_t(0));
        QVERIFY(form2->Label_record->text().startsWith("記録しました"));
    }

    // One 送信して次へ reads the definition once, for itself and for the preview that follows
    // the page it brings up; so does a trial run step by step.
    void theDefinitionIsReadOnce() {
        site = std::make_unique<RoadSite>(RoadSite::Charset::ShiftJis);
        saveSampleId(RoadSite::kUser.data());
        retype(form1->Edit1->lineEdit(), QString::fromStdString(at(RoadSite::kLoginPage)));
        click(form1->Button1);
        click(form3->Button2);
        toBrowser("[name=user]");
        typeInto("[name=user]", "taro");
        clickOn("input[type=submit]");
        expectRecorded();
        walk({{"user", {}}});
        form1->Preview1->trigger();
        RequestPreview* preview = app->forms().Preview;
        // The walked lines make no step.
        QTRY_COMPARE(preview->CB_step->count(), 1);

        std::size_t before = definitionParses();
        form1->Memo1->SetText(programText("Zem-Referer=" + at(RoadSite::kLoginPage) +
                                          "\r\naction=login.cgi\r\nuser=taro\r\npass=" +
                                          formUrlEncoded(RoadSite::kPassword) + "\r\n"));
        click(form2->Button_send);
        QVERIFY(form2->Label_record->text().startsWith("送信しました"));
        QTRY_COMPARE(preview->CB_step->count(), 2);
        QCOMPARE(definitionParses() - before, std::size_t(1));

        before = definitionParses();
        form1->Memo1->SetText(site->definition());
        TrialRun* run = startTrialRun();
        waitForAsk(run);
        click(run->Button_send);
        waitForAsk(run);
        click(run->Button_abort);
        QTRY_VERIFY_WITH_TIMEOUT(!run->Running(), 30000);
        QVERIFY(run->Memo_steps->toPlainText().startsWith("手順 1\u3000通過"));
        QTRY_COMPARE(preview->CB_step->count(), 4);
        QCOMPARE(definitionParses() - before, std::size_t(1));
    }

    // The trial run goes no further than the user lets it: 中止 and キャンセル send nothing.
    void theTrialRunStopsWhenTold() {
        site = std::make_unique<RoadSite>(RoadSite::Charset::ShiftJis);
        form1->Memo1->SetText(site->definition());
        TrialRun* run = startTrialRun();
        waitForAsk(run);
        click(run->Button_abort);
        QTRY_VERIFY_WITH_TIMEOUT(!run->Running(), 30000);
        QVERIFY(run->Memo_steps->toPlainText().startsWith(
            "手順 1\u3000中止しました（送信していません）"));

        click(run->Button_start);
        waitForAsk(run);
        click(run->Button_cancel);
        QTRY_VERIFY_WITH_TIMEOUT(!run->Running(), 30000);
        QCOMPARE(run->Label_state->text(), QString("試走をキャンセルしました"));
        QVERIFY(!run->Button_send->isEnabled());
        QCOMPARE(site->count("POST"), std::size_t(0));
        QCOMPARE(site->count("GET"), std::size_t(2));
    }

    // The preview's requests: each step against the page its referrer names, the page shown or
    // a kept one.
    void eachStepAgainstItsOwnPage() {
        const CodePage& cp = CodePage::program();
        const auto kept = [&](const std::string& url, const std::string& html) {
            auto page = std::make_shared<RoadPage>();
            page->url = url;
            page->body = html;
            page->forms = readPage({html}, cp, {.forms = true}).forms;
            return page;
        };
        const auto login = kept("http://s.example/login.html",
                                "<form action=login.cgi method=post><input name=user></form>");
        const auto input =
            kept("http://s.example/input.html",
                 "<form action=send.cgi method=post><input type=hidden name=t value=in7></form>");
        const auto definition = parseDefinition(
            "Zem-Referer=http://s.example/login.html\r\naction=login.cgi\r\nuser=Zem-ID\r\n"
            "Zem-Referer=http://s.example/input.html\r\naction=send.cgi\r\nt=Zem-GetValue[t]\r\n"
            "Zem-Referer=http://s.example/other.html\r\naction=x.cgi\r\ny=1\r\n",
            cp);
        const auto described = [](const std::vector<StepRequest>& requests) {
            QStringList text;
            for (const StepRequest& r : requests) {
                text << QString::fromStdString(r.method + " " + r.url + " " + r.body);
                for (const PageFinding& f : r.findings) text << QString::fromStdString(f.rule);
            }
            return text;
        };
        const ReadPage shown{input->forms, input->url};
        QCOMPARE(described(roadRequests(*definition, {login, input}, shown, {}, cp)),
                 QStringList({"POST http://s.example/login.cgi user=user",
                              "POST http://s.example/send.cgi t=in7",
                              "GET http://s.example/x.cgi?y=1 "}));
        // Without the kept pages, only the step whose page is shown is built against a page.
        QCOMPARE(described(roadRequests(*definition, {}, shown, {}, cp)),
                 QStringList({"GET http://s.example/login.cgi?user=user ",
                              "POST http://s.example/send.cgi t=in7",
                              "GET http://s.example/x.cgi?y=1 "}));
    }

    // The road keeps at most 16 pages and 64 MiB of them, the oldest going first.
    void theRoadsPagesAreBounded() {
        RoadPages pages;
        const auto page = [](int n, std::size_t size) {
            auto p = std::make_shared<RoadPage>();
            p->url = "http://s.example/" + std::to_string(n);
            p->body.assign(size, 'x');
            return p;
        };
        const auto urls = [&] {
            QStringList kept;
            for (const auto& p : pages.Pages()) kept << QString::fromStdString(p->url.substr(17));
            return kept;
        };
        for (int n = 1; n <= 18; ++n) pages.Keep(page(n, 10));
        QCOMPARE(urls().size(), 16);
        QCOMPARE(urls().front(), QString("3"));
        pages.Keep(page(5, 10));
        QCOMPARE(urls().back(), QString("5"));
        QCOMPARE(urls().size(), 16);
        pages.Keep(page(30, RoadPages::kMostBytes - 15));
        QCOMPARE(urls(), QStringList({"5", "30"}));
        pages.Keep(page(31, RoadPages::kMostBytes + 1));
        QCOMPARE(urls(), QStringList({"5", "30"}));
        pages.Clear();
        QVERIFY(pages.Pages().empty());
    }
};

int main(int argc, char** argv) {
    return runWindowTest<RoadWindowTest>(argc, argv);
}

#include "road_window_test.moc"
