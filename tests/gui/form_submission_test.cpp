// The request preview against a real browser: each page is loaded from a loopback server, its
// form filled with the definition's values and submitted, and what arrives must be, byte for
// byte, what the preview says the definition sends. Where the checker names the value a browser
// sends for a line, the definition is first given that value. The browser is a Japanese one, as
// the program's users run: a submit button without a value sends 送信.
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <mutex>
#include <optional>

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
    // EUC-JP characters outside jis0208, which the Encoding Standard sends as references and an
    // engine on the system's ICU writes in JIS X 0212 or as a near character.
    bool standardEucJp = false;
    int submitted = 0;  // the form the browser submits
    // The checker's findings on the definition, by rule; those that name a browser's value are
    // gone once it is written.
    const char* findings = "";
    // What comes before the form instead of a doctype, the declaration and a title; {pad} is a
    // comment that takes it past 1024 bytes.
    const char* head = nullptr;
    const char* bytesIn = nullptr;  // the charset of the page's bytes when not the declared one
};

// A form whose values show the charset it goes out in: a character every charset has and one
// that only UTF-8 has.
constexpr const char* kCharsetForm =
    "<form action=send method=post><input type=hidden name=h value=\"&#x2713;東\">"
    "<input name=q></form>";

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
     "<input type=hidden name=h value=\"ソ～−∥￢纊髙\"><input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%E6%9D%B1%E4%BA%AC", nullptr},
    {"UTF-8 page, Shift_JIS form lacking characters", "UTF-8",
     "<form action=send method=post accept-charset=Shift_JIS>"
     "<input type=hidden name=h value=\"ソ〜～−－‖∥¬￢¥‾①髙纊é😀¢£¦—\"><input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%83%5C", nullptr},
    {"UTF-8 page, EUC-JP form lacking characters", "UTF-8",
     "<form action=send method=post accept-charset=EUC-JP>"
     "<input type=hidden name=h value=\"ソ～−－∥￢¥‾①髙纊😀¦\"><input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%A5%BD", nullptr},
    {"UTF-8 page, EUC-JP form, characters outside jis0208", "UTF-8",
     "<form action=send method=post accept-charset=EUC-JP>"
     "<input type=hidden name=h value=\"〜‖¬é丂¢£—\"><input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%A5%BD", nullptr, true},
    {"EUC-JP, NEC and IBM rows typed and held", "EUC-JP",
     "<form action=send method=post><input type=hidden name=h value=\"髙①～纊\">"
     "<input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%FC%E2%AD%A1%A1%C1%F9%A1", nullptr},
    {"EUC-JP page, a value in JIS X 0212 and row 13 that jis0208 has elsewhere", "EUC-JP",
     // ～ as 8F A2 B7 and ≒ as AD F0, which browsers send as A1 C1 and A2 E2
     "<form action=send method=post>"
     "<input type=hidden name=h value=\"a\uF78F\uF7A2\uF7B7b\uF7AD\uF7F0\"><input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=1", nullptr},
    {"EUC-JP page, kanji of JIS X 0212 only in a value", "EUC-JP",
     // 丂 as 8F B0 A1
     "<form action=send method=post><input type=hidden name=h value=\"a\uF78F\uF7B0\uF7A1b\">"
     "<input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=1", nullptr, true},
    {"Shift_JIS page, NEC-selected IBM kanji and NEC row 13 in a value", "Shift_JIS",
     // 纊 as ED 40, 黑 as EE EC and ≒ as 87 90, which browsers send as FA 5C, FC 4B and 81 E0
     "<form action=send method=post><input type=hidden name=h "
     "value=\"\uF7ED\uF740\uF7EE\uF7EC\uF787\uF790\"><input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=1", nullptr},
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
     "action=send\r\nmode=login\r\nq=x", nullptr, false, 1, "action-shared hidden-fixed"},
    {"Shift_JIS declared, UTF-8 bytes", "Shift_JIS",
     "<form action=send method=post><input type=hidden name=h value=\"&#x8868;\">"
     "<input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%93%8C%8B%9E", nullptr, false, 0, "page-charset",
     "<!DOCTYPE html><meta charset=Shift_JIS><title>フォーム</title><p>日本語のページです",
     "UTF-8"},
    {"meta charset past 1024 bytes in the body", "Shift_JIS",
     "<form action=send method=post><input type=hidden name=h value=\"&#x8868;\">"
     "<input name=q></form>",
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%93%8C", nullptr, false, 0, "",
     "<!DOCTYPE html><title>form</title><div>日本語のページです。これはテストのページです。"
     "東京都の天気</div>{pad}<meta charset=ISO-8859-1>"},
    {"action with a backslash", "UTF-8",
     "<form action=\"cgi\\post.cgi\" method=post><input name=q></form>",
     "action=cgi\\post.cgi\r\nq=1", nullptr},
    // Heads of real pages: the declaration among other metas, as a browser's early scan finds it.
    {"charset before viewport and description metas", "UTF-8", kCharsetForm,
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%E6%9D%B1", nullptr, false, 0, "",
     "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
     "content=\"width=device-width, initial-scale=1\"><meta name=\"description\" "
     "content=\"charset=EUC-JP\"><title>form</title></head><body>"},
    {"http-equiv before the charset", "EUC-JP", kCharsetForm,
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%C5%EC", nullptr, false, 0, "",
     "<!DOCTYPE html><html><head><meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">"
     "<meta name=\"format-detection\" content=\"telephone=no\"><meta charset=\"EUC-JP\">"
     "<title>form</title></head><body>"},
    {"content before http-equiv, metas after it", "Shift_JIS", kCharsetForm,
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%93%8C", nullptr, false, 0, "",
     "<html><head><meta content=\"text/html; charset=Shift_JIS\" http-equiv=\"Content-Type\">"
     "<meta name=\"viewport\" content=\"width=device-width\"><meta property=\"og:title\" "
     "content=\"t\"><title>form</title></head><body>"},
    {"a noscript before the charset", "EUC-JP", kCharsetForm,
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%C5%EC", nullptr, false, 0, "",
     "<html><head><noscript><link rel=\"stylesheet\" href=\"nojs.css\"><meta name=\"robots\" "
     "content=\"noindex\"></noscript><meta charset=\"EUC-JP\"><title>form</title></head><body>"},
    {"the charset inside a noscript", "EUC-JP", kCharsetForm,
     "action=send\r\nh=Zem-GetValue[h]\r\nq=%C5%EC", nullptr, false, 0, "",
     "<html><head><title>form</title><noscript><meta charset=\"EUC-JP\"></noscript></head>"
     "<body>"},
    // Fields of one name, disabled fields and lines beyond what the form has.
    {"hidden fields of one name", "UTF-8",
     "<form action=send method=post><input type=hidden name=a value=1><input name=q>"
     "<input type=hidden name=a value=\"2&amp;3\"></form>",
     "action=send\r\na=Zem-GetValue[a]\r\nq=1\r\na=Zem-GetValue[a]", nullptr},
    {"disabled fields", "UTF-8",
     "<form action=send method=post><input type=hidden name=d value=1 disabled>"
     "<input name=t value=x disabled><select name=s disabled><option>1</select>"
     "<input type=hidden name=a value=1 disabled><input type=hidden name=a value=2>"
     "<input name=q></form>",
     "action=send\r\nd=Zem-GetValue[d]\r\nt=x\r\ns=Zem-Select[1]\r\na=Zem-GetValue[a]\r\nq=1",
     nullptr, false, 0, "field-disabled field-disabled field-disabled"},
    {"lines beyond the form's fields", "UTF-8",
     "<form action=send method=post><input type=hidden name=a value=1><input name=q>"
     "<input type=radio name=r value=1><input type=radio name=r value=2></form>"
     "<select name=a><option>9</select>",
     "action=send\r\na=Zem-GetValue[a]\r\nq=1\r\nq=2\r\nr=1\r\nr=2\r\na=Zem-Select[9]", nullptr,
     false, 0, "field-extra field-extra field-extra"},
    {"a typed field's default as the walker writes it", "UTF-8",
     "<form action=send method=post><input name=t value=\"R&amp;D\"><input name=p value=\"a+b\">"
     "</form>",
     "action=send\r\nt=R%26amp;D\r\np=a+b", nullptr, false, 0, "browser-value browser-value"},
    // What the walker proposes where the browser sends otherwise; the checker names the browser's.
    {"the walker's literals, as the checker writes them", "UTF-8",
     "<form action=send method=post><input type=hidden name=h value=\"R&amp;D\">"
     "<input type=hidden name=p value=\"%41+b\"><input type=checkbox name=c>"
     "<select name=s><option>東京<option>大阪</select>"
     "<input type=radio name=r value=\"x&amp;y\"><input type=submit name=go></form>",
     "action=send\r\nh=R%26amp;D\r\np=%41+b\r\nc=\r\ns=Zem-Select[]\r\n"
     "r=Zem-Select[x%26amp;y]\r\ngo=",
     "go", false, 0,
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
    const CodePage formCp(r.charset);
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

// A page on a loopback server whose form a browser submits to /send (or /表, or /cgi/post.cgi).
class ServedForm {
  public:
    explicit ServedForm(const std::string& page) {
        server_.route("/form.html", Response{200, {{"Content-Type", "text/html"}}, page, {}});
        const auto record = [this](const Request& request) {
            const std::lock_guard lock(mutex_);
            if (!sent_) sent_ = request;
            return Response{200, {{"Content-Type", "text/plain"}}, "sent\n", {}};
        };
        server_.route("/send", record);
        server_.route("/%E8%A1%A8", record);  // 表 in UTF-8
        server_.route("/cgi/post.cgi", record);
    }

    std::string pageUrl() const { return server_.url("/form.html"); }
    std::string baseUrl() const { return server_.baseUrl(); }

    // Loads the page (the served one, unless another address is given) in a browser and runs
    // the script, which submits the form; sent is the request that arrived.
    void submit(const QString& script, std::optional<Request>& sent, std::string from = {}) {
        QWebEngineProfile profile;
        QWebEnginePage browser(&profile);
        // Qt's own rule, which browsers do not have: a file may send its form to a server.
        browser.settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
        browser.load(QUrl(QString::fromStdString(from.empty() ? pageUrl() : from)));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
        QVERIFY(loaded.first().first().toBool());
        browser.runJavaScript(script, QWebEngineScript::ApplicationWorld);
        const auto arrived = [&] {
            const std::lock_guard lock(mutex_);
            return sent_.has_value();
        };
        QTRY_VERIFY_WITH_TIMEOUT(arrived(), 30000);
        const std::lock_guard lock(mutex_);
        sent = sent_;
    }

  private:
    // Before the server, which is stopped first.
    std::mutex mutex_;
    std::optional<Request> sent_;
    HttpTestServer server_;
};

// The value of the request's header, empty when it has none.
std::string headerOf(const StepRequest& r, std::string_view name) {
    for (const auto& [key, value] : r.headers)
        if (key == name) return value;
    return {};
}

}  // namespace

class FormSubmissionTest : public QObject {
    Q_OBJECT

    // Whether the engine writes EUC-JP as the Encoding Standard says. One built on the system's
    // ICU writes é, which only JIS X 0212 has, as 8F AB B1 where the standard sends "&#233;".
    bool standardEucJp_ = false;

  private slots:
    void initTestCase() {
        const CodePage eucJp("EUC-JP");
        ServedForm form(
            eucJp.fromUtf8("<!DOCTYPE html><meta charset=EUC-JP><form action=send "
                           "method=post><input type=hidden name=h value=é></form>"));
        std::optional<Request> sent;
        form.submit(QString("%1([], null, 0)").arg(kFillAndSubmit), sent);
        QVERIFY(sent);
        standardEucJp_ = sent->body == "h=%26%23233%3B";
        QVERIFY(standardEucJp_ || sent->body == "h=%8F%AB%B1");
        if (!standardEucJp_)
            qInfo(
                "This engine's EUC-JP is ICU's, not the Encoding Standard's: the rows of "
                "characters outside jis0208 are expected to differ.");
    }

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
        const CodePage pageCp(c.bytesIn ? c.bytesIn : c.charset);
        const std::string page = pageCp.fromUtf8(html);

        ServedForm form(page);
        const std::string pageUrl = form.pageUrl();

        const ReadPage read{readPage({page, "text/html"}, cp, {.forms = true}).forms, pageUrl};
        const auto requestsOf = [&](const std::string& definition) {
            return definitionRequests(*parseDefinition(definition, cp), {&read, 1}, {}, cp);
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

        std::optional<Request> sent;
        form.submit(fillScript(r, definition, c), sent);
        if (QTest::currentTestFailed()) return;

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
        QCOMPARE(bytes(sent->target), bytes(r.url.substr(form.baseUrl().size())));
        if (c.standardEucJp && !standardEucJp_)
            QEXPECT_FAIL("", "ICU's EUC-JP writes JIS X 0212 and near characters", Continue);
        QCOMPARE(bytes(body), bytes(r.body));
        for (const auto& [name, value] : r.headers)
            QCOMPARE(bytes(name == "Content-Type" ? type : sent->header(name)), bytes(value));
        // Also where the browser sends no Origin (a GET), the preview has none.
        QCOMPARE(bytes(sent->header("Origin")), bytes(headerOf(r, "Origin")));
    }

    // A page opened from a file has an opaque origin: its POST says "Origin: null".
    void aFilePageSendsTheNullOrigin() {
        ServedForm server("");
        const std::string action = server.baseUrl() + "/send";
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::string page = "<!DOCTYPE html><meta charset=UTF-8><form action=\"" + action +
                                 "\" method=post><input name=q></form>";
        const QString path = folder.filePath("form.html");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes(page));
        file.close();
        const std::string pageUrl = QUrl::fromLocalFile(path).toString().toStdString();

        const CodePage& cp = CodePage::program();
        const ReadPage read{readPage({page}, cp, {.forms = true}).forms, pageUrl};
        const std::string definition =
            "Zem-Referer=" + pageUrl + "\r\naction=" + action + "\r\nq=1\r\n";
        const std::vector<StepRequest> preview =
            definitionRequests(*parseDefinition(definition, cp), {&read, 1}, {}, cp);
        QCOMPARE(preview.size(), std::size_t(1));
        QCOMPARE(bytes(headerOf(preview[0], "Origin")), QByteArray("null"));

        Case c{"file", "UTF-8", "", "", nullptr};
        std::optional<Request> sent;
        server.submit(fillScript(preview[0], definition, c), sent, pageUrl);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(bytes(sent->method), QByteArray("POST"));
        QCOMPARE(bytes(sent->body), bytes(preview[0].body));
        QCOMPARE(bytes(sent->header("Origin")), QByteArray("null"));
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
            definitionRequests(*parseDefinition(definition, cp), {&read, 1}, {}, cp);
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
            cases.append(QJsonArray{QString::fromUtf8(r.base), QString::fromUtf8(r.reference)});
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
        QStringList wrong;
        for (std::size_t i = 0; i < std::size(test::kResolutions); ++i) {
            const test::Resolution& r = test::kResolutions[i];
            const QString said = hrefs[static_cast<qsizetype>(i)].toString();
            if (said != (r.resolved ? QString::fromUtf8(r.resolved) : QString()))
                wrong << QString("%1 + %2: the browser says %3")
                             .arg(QString::fromUtf8(r.base), QString::fromUtf8(r.reference), said);
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join('\n')));
    }

    // The table of origins that the Origin header is tested on, as the browser gives them.
    void originsAsTheBrowserGivesThem() {
        QWebEngineProfile profile;
        QWebEnginePage browser(&profile);
        QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
        browser.setHtml("<!DOCTYPE html><title>origins</title>");
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
        QJsonArray urls;
        for (const test::OriginOf& o : test::kOrigins) urls.append(QString::fromUtf8(o.url));
        const QVariantList origins =
            evaluated(browser, QString("%1.map(url => { try { return new URL(url).origin; }"
                                       " catch (e) { return null; } })")
                                   .arg(QString::fromUtf8(QJsonDocument(urls).toJson())))
                .toList();
        QCOMPARE(origins.size(), static_cast<qsizetype>(std::size(test::kOrigins)));
        QStringList wrong;
        for (std::size_t i = 0; i < std::size(test::kOrigins); ++i) {
            const test::OriginOf& o = test::kOrigins[i];
            const QString said = origins[static_cast<qsizetype>(i)].toString();
            if (said != (o.origin ? QString::fromUtf8(o.origin) : QString()))
                wrong << QString("%1: the browser says %2").arg(QString::fromUtf8(o.url), said);
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join('\n')));
    }
};

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    return runWindowTest<FormSubmissionTest>(argc, argv);
}

#include "form_submission_test.moc"
