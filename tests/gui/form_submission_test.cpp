// The request preview against a real browser: each page is loaded from a loopback server, its
// form filled with the definition's values and submitted, and what arrives must be, byte for
// byte, what the preview says the definition sends. Where the checker names the value a browser
// sends for a line, the definition is first given that value. The browser is a Japanese one, as
// the program's users run: a submit button without a value sends 送信.
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <mutex>
#include <optional>

#include "charset.h"
#include "extract_page.h"
#include "form_request.h"
#include "http_test_server.h"
#include "memo_text.h"
#include "url.h"
#include "url_resolutions.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

struct Case {
    const char* name;
    const char* charset;  // the page's, declared in it
    const char* form;     // in UTF-8; the page is this in its charset, U+F700 + b the byte b
    const char* lines;    // the definition's after its referrer line, names as the page has them
    const char* button;   // the submit button pressed, when one is named
    int submitted = 0;    // the form the browser submits
    // The checker's findings on the definition, by rule; those that name a browser's value are
    // gone once it is written.
    const char* findings = "";
    // What comes before the form instead of a doctype, the declaration and a title; {pad} is a
    // comment that takes it past 1024 bytes.
    const char* head = nullptr;
    const char* bytesIn = nullptr;  // the charset of the page's bytes when not the declared one
};

const Case kCases[] = {
    {"UTF-8, POST, named button", "UTF-8",
     "<form action=send method=post>"
     "<input type=hidden name=sid value=\"a b&amp;c=d/~*+%&#x3042;\"><input name=q>"
     "<textarea name=m></textarea><input type=submit name=go value=\"送信\"></form>",
     "action=send\r\nsid=Zem-GetValue[sid]\r\nq=%E6%9D%B1%E4%BA%AC+1\r\nm=x%26y%3Dz%0Aw\r\n"
     "go=%E9%80%81%E4%BF%A1",
     "go"},
    {"UTF-8, GET over the action's query", "UTF-8",
     "<form action=\"send?old=1\"><select name=s><option value=1>one<option value=\"2 two\">two"
     "</select><input type=radio name=r value=a><input type=radio name=r value=b>"
     "<input type=checkbox name=c><input name=e></form>",
     "action=send?old=1\r\ns=2+two\r\nr=b\r\nc=on\r\ne=Zem-ID", nullptr},
    {"Shift_JIS, POST, named button", "Shift_JIS",
     "<form action=send method=post><input type=hidden name=h "
     "value=\"ソ表～&nbsp;&#x1F600;\"><input name=q>"
     "<input type=submit name=go value=\"送信\"></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%82%A0%82%A2%82%A4\r\ngo=%91%97%90M", "go"},
    {"Shift_JIS page, UTF-8 form, GET", "Shift_JIS",
     "<form action=send accept-charset=utf-8><input type=hidden name=h "
     "value=\"ソ表－～∥￢&#x1F600;&nbsp;\">"
     "<input name=名前></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\n名前=%E6%9D%B1%E4%BA%AC", nullptr},
    {"EUC-JP, multipart, named button", "EUC-JP",
     "<form action=send method=post enctype=multipart/form-data>"
     "<input type=hidden name=h value=\"ソ表\"><input name=q>"
     "<input type=submit name=go value=\"送信\"></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%A4%A2%A4%A4%A4%A6\r\ngo=%C1%F7%BF%AE", "go"},
    {"EUC-JP page, UTF-8 form, POST", "EUC-JP",
     "<form action=send method=post accept-charset=\"UTF-8\">"
     "<input type=hidden name=h value=\"ソ〜−‖¬\uF7F9\uF7A1\uF7FC\uF7E2\"><input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%E6%9D%B1%E4%BA%AC", nullptr},
    {"UTF-8 page, Shift_JIS form lacking characters", "UTF-8",
     "<form action=send method=post accept-charset=Shift_JIS>"
     "<input type=hidden name=h value=\"ソ〜～−－‖∥¬￢¥‾①髙纊é😀¢£¦—\"><input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%83%5C", nullptr},
    {"UTF-8 page, EUC-JP form lacking characters", "UTF-8",
     "<form action=send method=post accept-charset=EUC-JP>"
     "<input type=hidden name=h value=\"ソ〜～−－‖∥¬￢¥‾①髙纊é😀¢£¦—\"><input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%A5%BD", nullptr},
    {"Shift_JIS, path and query in the action", "Shift_JIS",
     "<form action=\"表?x=表&amp;y=a b\" method=post><input name=q></form>",
     "action=表?x=表&y=a b\r\nq=1", nullptr},
    {"text/plain", "UTF-8",
     "<form action=send method=post enctype=text/plain><input name=q><input name=r></form>",
     "action=send\r\nq=a+b%3D%26\r\nr=%E6%9D%B1", nullptr},
    {"UTF-8 page, Shift_JIS multipart", "UTF-8",
     "<form action=send method=post enctype=multipart/form-data accept-charset=Shift_JIS>"
     "<input type=hidden name=h value=\"表&#12354;😀\"><input name=\"a&quot;b\">"
     "<textarea name=m></textarea><input type=submit name=go value=Send></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\na\"b=%83%5C\r\nm=1%0A2%0D3\r\ngo=Send", "go"},
    // Shapes of real pages.
    {"action written with &amp;", "UTF-8",
     "<form action=\"send?a=1&amp;b=2\" method=post><input name=q></form>",
     "action=send?a=1&amp;b=2\r\nq=1", nullptr},
    {"two forms share an action", "UTF-8",
     "<form action=send><input type=hidden name=mode value=search><input name=q></form>"
     "<form action=send method=post><input type=hidden name=mode value=login><input name=q>"
     "</form>",
     "action=send\r\nmode=login\r\nq=x", nullptr, 1, "action-shared hidden-fixed"},
    {"Shift_JIS declared, UTF-8 bytes", "Shift_JIS",
     "<form action=send method=post><input type=hidden name=h value=\"&#x8868;\">"
     "<input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%93%8C%8B%9E", nullptr, 0, "page-charset",
     "<!DOCTYPE html><meta charset=Shift_JIS><title>フォーム</title><p>日本語のページです",
     "UTF-8"},
    {"meta charset past 1024 bytes in the body", "Shift_JIS",
     "<form action=send method=post><input type=hidden name=h value=\"&#x8868;\">"
     "<input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%93%8C", nullptr, 0, "",
     "<!DOCTYPE html><title>form</title><div>日本語のページです。これはテストのページです。"
     "東京都の天気</div>{pad}<meta charset=ISO-8859-1>"},
    {"action with a backslash", "UTF-8",
     "<form action=\"cgi\\post.cgi\" method=post><input name=q></form>",
     "action=cgi\\post.cgi\r\nq=1", nullptr},
    // What the walker proposes where the browser sends otherwise; the checker names the browser's.
    {"the walker's literals, as the checker writes them", "UTF-8",
     "<form action=send method=post><input type=hidden name=h value=\"R&amp;D\">"
     "<input type=hidden name=p value=\"%41+b\"><input type=checkbox name=c>"
     "<select name=s><option>東京<option>大阪</select>"
     "<input type=radio name=r value=\"x&amp;y\"><input type=submit name=go></form>",
     "action=send\r\nh=R%26amp;D\r\np=%41+b\r\nc=\r\ns=Zem-Select[]\r\n"
     "r=Zem-Select[x%26amp;y]\r\ngo=",
     "go", 0,
     "hidden-fixed browser-value hidden-fixed browser-value browser-value choice-list "
     "choice-list browser-value"},
};

// A comment that takes what comes before it past 1024 bytes.
const std::string kPad = "<!-- " + std::string(1100, 'x') + " -->";

// The rules of the steps' findings, in order, separated by blanks.
std::string rulesOf(const std::vector<StepRequest>& steps) {
    std::string rules;
    for (const StepRequest& r : steps)
        for (const PageFinding& f : r.findings) rules += (rules.empty() ? "" : " ") + f.rule;
    return rules;
}

// The definition with every value the findings name written in, as one click in the windows
// writes it.
std::string withBrowserValues(const std::string& definition, const std::vector<StepRequest>& steps,
                              const CodePage& cp) {
    std::vector<std::string> lines;
    for (const std::string_view line : splitLines(definition)) lines.emplace_back(line);
    for (const StepRequest& r : steps)
        for (const PageFinding& f : r.findings)
            if (f.browserValue) {
                const LineReport line = checkLine(lines[f.line], false, cp);
                lines[f.line] = lines[f.line].substr(0, line.value.begin) + *f.browserValue;
            }
    return joinLines(lines);
}

// Sets each field's value as a user would (a hidden field keeps the page's), then submits the
// form through the button, if any.
const char* const kFillAndSubmit = R"((function (fields, button, index) {
    const form = document.forms[index];
    const named = (name) => [...form.elements].filter((e) => e.name === name);
    for (const [name, value] of fields)
        for (const e of named(name)) {
            if (e.type === "radio" || e.type === "checkbox") e.checked = e.value === value;
            else if (e.type !== "hidden") e.value = value;
        }
    form.requestSubmit(button ? named(button)[0] : undefined);
}))";

// The values the browser is given: the definition's own, as text of the form's charset. The
// page's values and the pressed button are left as the page has them.
QString fillScript(const StepRequest& r, const std::string& definition, const Case& c) {
    const CodePage formCp(codePageFor(r.charset));
    const std::vector<std::string_view> lines = splitLines(definition);
    QJsonArray fields;
    for (const RequestField& f : r.fields) {
        if (lines[f.line].find("=Zem-GetValue[") != std::string_view::npos) continue;
        if (c.button && f.name == c.button) continue;
        fields.append(QJsonArray{QString::fromStdString(formCp.toUtf8(f.name)),
                                 QString::fromStdString(formCp.toUtf8(f.value))});
    }
    return QString("%1(%2, %3, %4)")
        .arg(kFillAndSubmit,
             QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)),
             c.button ? QString("\"%1\"").arg(c.button) : QString("null"))
        .arg(c.submitted);
}

// Refuses to go anywhere but the loopback server, keeping where each navigation would have gone.
class StayingPage : public QWebEnginePage {
  public:
    using QWebEnginePage::QWebEnginePage;
    QList<QUrl> refused;

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (url.port() > 0 && url.port() != 80) return true;
        refused << url;
        return false;
    }
};

// What the page evaluates the script to; an invalid value when it does not in time.
QVariant evaluated(QWebEnginePage& browser, const QString& script) {
    const auto result = std::make_shared<std::optional<QVariant>>();
    browser.runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [result](const QVariant& v) { *result = v; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, 30000)) return {};
    return **result;
}

}  // namespace

class FormSubmissionTest : public QObject {
    Q_OBJECT

  private slots:
    void browserSendsWhatThePreviewSays_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < static_cast<int>(std::size(kCases)); ++i)
            QTest::newRow(kCases[i].name) << i;
    }

    void browserSendsWhatThePreviewSays() {
        QFETCH(int, row);
        const Case& c = kCases[row];
        const CodePage& cp = CodePage::program();
        std::string html = c.head ? std::string(c.head)
                                  : std::string("<!DOCTYPE html><meta charset=") + c.charset +
                                        "><title>form</title>";
        if (const std::size_t pad = html.find("{pad}"); pad != std::string::npos)
            html.replace(pad, 5, kPad);
        html += c.form;
        const CodePage pageCp(codePageFor(c.bytesIn ? c.bytesIn : c.charset));
        const std::string page = pageCp.fromUtf8(html);

        HttpTestServer server;
        server.route("/form.html", Response{200, {{"Content-Type", "text/html"}}, page, {}});
        std::mutex mutex;
        std::optional<Request> sent;
        const auto record = [&](const Request& request) {
            const std::lock_guard lock(mutex);
            if (!sent) sent = request;
            return Response{200, {{"Content-Type", "text/plain"}}, "sent\n", {}};
        };
        server.route("/send", record);
        server.route("/%E8%A1%A8", record);  // 表 in UTF-8
        server.route("/cgi/post.cgi", record);
        const std::string pageUrl = server.url("/form.html");

        const ReadPage read{readPage({page, "text/html"}, cp, {.forms = true}).forms, pageUrl};
        const auto requestsOf = [&](const std::string& definition) {
            return definitionRequests(definition, checkDefinition(definition, cp), {&read, 1}, {},
                                      cp);
        };
        const std::string written =
            "Zem-Referer=" + pageUrl + "\r\n" + pageCp.fromUtf8(c.lines) + "\r\n";
        const std::vector<StepRequest> checked = requestsOf(written);
        QCOMPARE(QString::fromStdString(rulesOf(checked)), QString(c.findings));
        const std::string definition = withBrowserValues(written, checked, cp);
        const std::vector<StepRequest> preview = requestsOf(definition);
        QCOMPARE(preview.size(), std::size_t(1));
        const StepRequest& r = preview[0];
        QCOMPARE(r.pageCheck, PageCheck::Checked);
        // Where the definition fits its page, the browser sends it all.
        for (const PageFinding& f : r.findings)
            QVERIFY2(!f.browserValue && f.rule != "field-left-out" && f.rule != "form-missing",
                     f.rule.c_str());

        QWebEngineProfile profile;
        QWebEnginePage browser(&profile);
        QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
        browser.load(QUrl(QString::fromStdString(pageUrl)));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
        QVERIFY(loaded.first().first().toBool());
        browser.runJavaScript(fillScript(r, definition, c), QWebEngineScript::ApplicationWorld);
        const auto arrived = [&] {
            const std::lock_guard lock(mutex);
            return sent.has_value();
        };
        QTRY_VERIFY_WITH_TIMEOUT(arrived(), 30000);

        const std::lock_guard lock(mutex);
        // The browser's multipart boundary is its own.
        const std::string contentType = sent->header("Content-Type");
        const std::size_t at = contentType.find("boundary=");
        std::string body = sent->body;
        std::string type = contentType;
        if (at != std::string::npos) {
            const std::string boundary = contentType.substr(at + 9);
            type = contentType.substr(0, at + 9) + std::string(kPreviewBoundary);
            for (std::size_t i = 0; (i = body.find(boundary, i)) != std::string::npos;
                 i += kPreviewBoundary.size())
                body.replace(i, boundary.size(), kPreviewBoundary);
        }
        QCOMPARE(bytes(sent->method), bytes(r.method));
        QCOMPARE(bytes(sent->target), bytes(r.url.substr(server.baseUrl().size())));
        QCOMPARE(bytes(body), bytes(r.body));
        for (const auto& [name, value] : r.headers)
            QCOMPARE(bytes(name == "Content-Type" ? type : sent->header(name)), bytes(value));
    }

    // Forms that go to other hosts, or to port 80, which a test cannot listen on: the browser is
    // stopped where it would go, and that must be the request's address.
    void browserGoesWhereTheRequestSays_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("port 80") << "http://127.0.0.1:80/cgi/p.cgi?x=1";
        QTest::newRow("two backslashes") << "\\\\h2.example/login";
    }

    void browserGoesWhereTheRequestSays() {
        QFETCH(QString, action);
        const std::string form =
            "<form action=\"" + action.toStdString() + "\"><input name=q value=\"a b\"></form>";
        HttpTestServer server;
        server.route("/form.html",
                     Response{200, {{"Content-Type", "text/html; charset=UTF-8"}}, form, {}});
        const std::string pageUrl = server.url("/form.html");
        const CodePage& cp = CodePage::program();
        const ReadPage read{readPage({form, "text/html; charset=UTF-8"}, cp, {.forms = true}).forms,
                            pageUrl};
        const std::string definition =
            "Zem-Referer=" + pageUrl + "\r\naction=" + action.toStdString() + "\r\nq=a+b\r\n";
        const auto requests =
            definitionRequests(definition, checkDefinition(definition, cp), {&read, 1}, {}, cp);
        QCOMPARE(requests.size(), std::size_t(1));
        QVERIFY(requests[0].findings.empty());

        QWebEngineProfile profile;
        StayingPage browser(&profile);
        QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
        browser.load(QUrl(QString::fromStdString(pageUrl)));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
        browser.runJavaScript("document.forms[0].requestSubmit()",
                              QWebEngineScript::ApplicationWorld);
        QTRY_VERIFY_WITH_TIMEOUT(!browser.refused.isEmpty(), 30000);
        QCOMPARE(bytes(requests[0].url), browser.refused.first().toEncoded());
    }

    // The table of addresses that the resolver is tested on, as the browser parses them.
    void addressesResolveAsTheBrowserParsesThem() {
        QWebEngineProfile profile;
        QWebEnginePage browser(&profile);
        QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
        browser.setHtml("<!DOCTYPE html><title>urls</title>");
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
        QJsonArray cases;
        for (const test::Resolution& r : test::kResolutions)
            cases.append(QJsonArray{QString::fromLatin1(r.base), QString::fromLatin1(r.reference)});
        const QVariantList hrefs =
            evaluated(
                browser,
                QString("%1.map(([base, reference]) => {"
                        "  try {"
                        "    const url = base ? new URL(reference, base) : new URL(reference);"
                        "    url.hash = ''; return url.href.replace(/#$/, '');"
                        "  } catch (e) { return null; } })")
                    .arg(QString::fromUtf8(QJsonDocument(cases).toJson())))
                .toList();
        QCOMPARE(hrefs.size(), static_cast<qsizetype>(std::size(test::kResolutions)));
        for (std::size_t i = 0; i < std::size(test::kResolutions); ++i) {
            const test::Resolution& r = test::kResolutions[i];
            const QString expected = r.resolved ? QString::fromLatin1(r.resolved) : QString();
            QVERIFY2(hrefs[static_cast<qsizetype>(i)].toString() == expected,
                     qPrintable(QString("%1 + %2: the browser says %3")
                                    .arg(r.base, r.reference,
                                         hrefs[static_cast<qsizetype>(i)].toString())));
        }
    }
};

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    return runWindowTest<FormSubmissionTest>(argc, argv);
}

#include "form_submission_test.moc"
