// The request preview against a real browser: each page is loaded from a loopback server, its
// form filled with the definition's values and submitted, and what arrives must be, byte for
// byte, what the preview says the definition sends.
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <mutex>
#include <optional>

#include "charset.h"
#include "extract_page.h"
#include "form_request.h"
#include "http_test_server.h"
#include "memo_text.h"
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
};

// Sets each field's value as a user would, then submits through the button, if any.
const char* const kFillAndSubmit = R"((function (fields, button) {
    const form = document.forms[0];
    const named = (name) => [...form.elements].filter((e) => e.name === name);
    for (const [name, value] of fields)
        for (const e of named(name)) {
            if (e.type === "radio" || e.type === "checkbox") e.checked = e.value === value;
            else e.value = value;
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
    return QString("%1(%2, %3)")
        .arg(kFillAndSubmit,
             QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)),
             c.button ? QString("\"%1\"").arg(c.button) : QString("null"));
}

}  // namespace

// The first request that reaches the server at the routes it is given.
class FirstRequest {
  public:
    FirstRequest(HttpTestServer& server, std::initializer_list<const char*> paths) {
        for (const char* path : paths)
            server.route(path, [this](const Request& request) {
                const std::lock_guard lock(mutex_);
                if (!sent_) sent_ = request;
                return Response{200, {{"Content-Type", "text/plain"}}, "sent\n", {}};
            });
    }
    std::optional<Request> sent() {
        const std::lock_guard lock(mutex_);
        return sent_;
    }

  private:
    std::mutex mutex_;
    std::optional<Request> sent_;
};

// The value of the request's header, empty when it has none.
std::string headerOf(const StepRequest& r, std::string_view name) {
    for (const auto& [key, value] : r.headers)
        if (key == name) return value;
    return {};
}

class FormSubmissionTest : public QObject {
    Q_OBJECT

    // Loads the page in a browser of its own, runs the script that fills and submits its form,
    // and waits for what the browser sends.
    static std::optional<Request> browserSends(const std::string& pageUrl, const QString& script,
                                               FirstRequest& arrived) {
        QWebEngineProfile profile;
        QWebEnginePage browser(&profile);
        // Qt's own rule, which browsers do not have: a file may send its form to a server.
        browser.settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
        browser.load(QUrl(QString::fromStdString(pageUrl)));
        if (!QTest::qWaitFor([&] { return !loaded.isEmpty(); }, 30000) ||
            !loaded.first().first().toBool())
            return std::nullopt;
        browser.runJavaScript(script, QWebEngineScript::ApplicationWorld);
        if (!QTest::qWaitFor([&] { return arrived.sent().has_value(); }, 30000))
            return std::nullopt;
        return arrived.sent();
    }

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
        const std::string html = std::string("<!DOCTYPE html><meta charset=") + c.charset +
                                 "><title>form</title>" + c.form;
        const CodePage pageCp(codePageFor(c.charset));
        const std::string page = pageCp.fromUtf8(html);

        HttpTestServer server;
        server.route("/form.html", Response{200, {{"Content-Type", "text/html"}}, page, {}});
        FirstRequest arrived(server, {"/send", "/%E8%A1%A8"});  // 表 in UTF-8
        const std::string pageUrl = server.url("/form.html");

        const PageReading reading = readPage({page}, cp, {.forms = true});
        const RequestPage requestPage = requestPageOf(reading, pageUrl);
        const std::string definition =
            "Zem-Referer=" + pageUrl + "\r\n" + pageCp.fromUtf8(c.lines) + "\r\n";
        const std::vector<StepRequest> preview =
            definitionRequests(definition, requestPage, {}, cp);
        QCOMPARE(preview.size(), std::size_t(1));
        const StepRequest& r = preview[0];
        QVERIFY(r.findings.empty());  // the definition fits its page, so the browser sends it all

        const std::optional<Request> sent =
            browserSends(pageUrl, fillScript(r, definition, c), arrived);
        QVERIFY(sent);
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
        // Also where the browser sends no Origin (a GET), the preview has none.
        QCOMPARE(bytes(sent->header("Origin")), bytes(headerOf(r, "Origin")));
    }

    // A page opened from a file has an opaque origin: its POST says "Origin: null".
    void aFilePageSendsTheNullOrigin() {
        HttpTestServer server;
        FirstRequest arrived(server, {"/send"});
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::string page = "<!DOCTYPE html><meta charset=UTF-8><form action=\"" +
                                 server.url("/send") + "\" method=post><input name=q></form>";
        const QString path = folder.filePath("form.html");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes(page));
        file.close();
        const std::string pageUrl = QUrl::fromLocalFile(path).toString().toStdString();

        const CodePage& cp = CodePage::program();
        const PageReading reading = readPage({page}, cp, {.forms = true});
        const std::string definition =
            "Zem-Referer=" + pageUrl + "\r\naction=" + server.url("/send") + "\r\nq=1\r\n";
        const std::vector<StepRequest> preview =
            definitionRequests(definition, requestPageOf(reading, pageUrl), {}, cp);
        QCOMPARE(preview.size(), std::size_t(1));
        QCOMPARE(bytes(headerOf(preview[0], "Origin")), QByteArray("null"));

        Case c{"file", "UTF-8", "", "", nullptr};
        const std::optional<Request> sent =
            browserSends(pageUrl, fillScript(preview[0], definition, c), arrived);
        QVERIFY(sent);
        QCOMPARE(bytes(sent->method), QByteArray("POST"));
        QCOMPARE(bytes(sent->body), bytes(preview[0].body));
        QCOMPARE(bytes(sent->header("Origin")), QByteArray("null"));
    }
};

int main(int argc, char** argv) {
    return runWindowTest<FormSubmissionTest>(argc, argv);
}

#include "form_submission_test.moc"
