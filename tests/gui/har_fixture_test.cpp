// The HAR files of tests/data/har, written from what a loopback site received and sent while
// Qt WebEngine walked its road: a login that sets a cookie and redirects, an input form with a
// token that changes on every load, a confirmation page that carries the values in hidden fields
// with a token of its own, and a completion page. Qt WebEngine saves no HAR itself, so the file
// is written from the server's log, once as Chrome writes it and once as Firefox does.
//
// Run as a test, it walks the road again and the road read from the fresh file must be the one
// read from the file in the source tree. Run with --write DIR, it writes the files into DIR.
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <cctype>
#include <fstream>
#include <mutex>
#include <sstream>

#include "charset.h"
#include "codepage.h"
#include "form_body.h"
#include "har_road.h"
#include "http_test_server.h"
#include "url.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

struct Site {
    const char* charset;
    const char* prefix;    // of its paths
    const char* file;      // the HAR file's name
    bool chrome;           // written as Chrome writes it, else as Firefox does
    const char* htmlType;  // the pages' Content-Type
};

const Site kSites[] = {
    {"Shift_JIS", "/sjis/", "road-shift_jis.har", true, "text/html"},
    {"UTF-8", "/utf8/", "road-utf-8.har", false, "text/html; charset=UTF-8"},
};

// A 1×1 PNG, for an image among the documents.
const unsigned char kPixel[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
    0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78,
    0x9C, 0x63, 0xF8, 0xFF, 0xFF, 0x3F, 0x00, 0x05, 0xFE, 0x02, 0xFE, 0xA7, 0x35, 0x81,
    0x84, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text)
        out += c == '&'   ? "&amp;"
               : c == '"' ? "&quot;"
               : c == '<' ? "&lt;"
               : c == '>' ? "&gt;"
                          : std::string(1, c);
    return out;
}

struct Exchange {
    Request request;
    Response response;
    QDateTime started;
};

// The road's pages, in the site's charset, and the log of every exchange.
class RoadSite {
  public:
    explicit RoadSite(const Site& site) : site_(site), cp_(codePageFor(site.charset)) {
        page("login.html", [this](const Request&) {
            return html(
                "<title>ログイン｜テスト会員</title></head><body><h1>会員ログイン</h1>\n"
                "<form action=\"login.cgi\" method=\"post\">\n"
                "ID <input type=\"text\" name=\"user\">\n"
                "パスワード <input type=\"password\" name=\"pass\">\n"
                "<input type=\"submit\" name=\"login\" value=\"ログイン\">\n</form>");
        });
        page("login.cgi", [this](const Request& r) {
            const auto sent = urlEncodedFields(r.body);
            if (r.method != "POST" || sent.size() < 2 || sent[0].value != "taro")
                return Response{403, {{"Content-Type", "text/plain"}}, "no\n", {}};
            return Response{302,
                            {{"Location", site_.prefix + std::string("entry.html")},
                             {"Set-Cookie", "road=member-1; Path=/"}},
                            "",
                            {}};
        });
        page("entry.html", [this](const Request& r) {
            if (r.header("Cookie").find("road=member-1") == std::string::npos)
                return Response{403, {{"Content-Type", "text/plain"}}, "login first\n", {}};
            const std::string token = "t" + std::to_string(++loads_) + "x9";
            return html(
                "<title>入力｜テスト会員</title></head><body><h1>お問い合わせ</h1>\n"
                "<img src=\"logo.png\" alt=\"\"><script src=\"app.js\"></script>\n"
                "<form action=\"confirm.cgi\" method=\"post\">\n"
                "<input type=\"hidden\" name=\"token\" value=\"" +
                token +
                "\">\n"
                "お名前 <input type=\"text\" name=\"name\">\n"
                "メール <input type=\"email\" name=\"mail\">\n"
                "<select name=\"kind\"><option value=\"q\">質問<option value=\"r\">要望</select>\n"
                "<label><input type=\"radio\" name=\"reply\" value=\"mail\">返信する</label>\n"
                "<label><input type=\"radio\" name=\"reply\" value=\"none\">不要</label>\n"
                "<label><input type=\"checkbox\" name=\"agree\" value=\"yes\">同意</label>\n"
                "<textarea name=\"body\"></textarea>\n"
                "<input type=\"submit\" name=\"go\" value=\"確認する\">\n</form>");
        });
        page("confirm.cgi", [this](const Request& r) {
            std::string hidden;
            for (const SentField& f : urlEncodedFields(r.body)) {
                if (f.name == "token" || f.name == "go") continue;
                hidden += "<input type=\"hidden\" name=\"" + escaped(f.name) + "\" value=\"" +
                          escaped(f.value) + "\">\n";
            }
            const std::string token = "c" + std::to_string(++confirms_) + "k4";
            return html(
                "<title>確認｜テスト会員</title></head><body><h1>入力内容の確認</h1>\n"
                "<p>以下の内容で送信します。</p>\n<form action=\"complete.cgi\" "
                "method=\"post\">\n" +
                cp_.toUtf8(hidden) + "<input type=\"hidden\" name=\"ctoken\" value=\"" + token +
                "\">\n<input type=\"submit\" name=\"send\" value=\"送信する\">\n</form>");
        });
        page("complete.cgi", [this](const Request& r) {
            if (r.body.find("ctoken=c" + std::to_string(confirms_.load()) + "k4") ==
                std::string::npos)
                return Response{403, {{"Content-Type", "text/plain"}}, "stale\n", {}};
            return html(
                "<title>完了｜テスト会員</title></head><body><h1>送信完了</h1>\n"
                "<p>ありがとうございました。</p>\n<p>受付番号 " +
                std::to_string(confirms_.load()) + "</p>");
        });
        page("logo.png", [](const Request&) {
            return Response{200,
                            {{"Content-Type", "image/png"}},
                            std::string(reinterpret_cast<const char*>(kPixel), sizeof kPixel),
                            {}};
        });
        page("app.js", [](const Request&) {
            return Response{200,
                            {{"Content-Type", "text/javascript"}},
                            "document.documentElement.dataset.ready = 'yes';\n",
                            {}};
        });
    }

    std::string url(std::string_view path) const {
        return server_.url(site_.prefix + std::string(path));
    }
    std::string baseUrl() const { return server_.baseUrl(); }

    std::vector<Exchange> log() const {
        const std::lock_guard lock(mutex_);
        return log_;
    }
    bool received(std::string_view path) const {
        const std::lock_guard lock(mutex_);
        for (const Exchange& e : log_)
            if (e.request.target == site_.prefix + std::string(path)) return true;
        return false;
    }

  private:
    void page(const std::string& path, HttpTestServer::Handler handler) {
        server_.route(site_.prefix + path, [this, handler](const Request& r) {
            const QDateTime started = QDateTime::currentDateTimeUtc();
            Response response = handler(r);
            const std::lock_guard lock(mutex_);
            log_.push_back({r, response, started});
            return response;
        });
    }

    Response html(const std::string& utf8) const {
        return Response{
            200,
            {{"Content-Type", site_.htmlType}},
            cp_.fromUtf8("<!DOCTYPE html>\n<html><head><meta charset=\"" +
                         std::string(site_.charset) + "\">\n" + utf8 + "\n</body></html>\n"),
            {}};
    }

    const Site& site_;
    const CodePage cp_;
    HttpTestServer server_;
    mutable std::mutex mutex_;
    std::vector<Exchange> log_;
    std::atomic<int> loads_{0};
    std::atomic<int> confirms_{0};
};

// Fills the first form's fields and submits it through the named button.
QString fillAndSubmit(const QJsonArray& fields, const QString& button) {
    return QString(R"((function (fields, button) {
        const form = document.forms[0];
        for (const [name, value] of fields)
            for (const e of form.elements)
                if (e.name === name) {
                    if (e.type === "radio" || e.type === "checkbox") e.checked = e.value === value;
                    else e.value = value;
                }
        form.requestSubmit([...form.elements].find((e) => e.name === button));
    })(%1, "%2"))")
        .arg(QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)), button);
}

// What the site's pages are filled in with: a value with +, %, & and a line break among them.
QJsonArray loginValues() {
    return {QJsonArray{"user", "taro"}, QJsonArray{"pass", "pw-in-clear-7"}};
}
QJsonArray entryValues() {
    return {QJsonArray{"name", "山田 太郎+&%"},
            QJsonArray{"mail", "taro@example.jp"},
            QJsonArray{"kind", "r"},
            QJsonArray{"reply", "mail"},
            QJsonArray{"agree", "yes"},
            QJsonArray{"body", "一行目\n二行目 a+b=c&d"}};
}

// The browser walks the road from the login page to the completion page.
bool walkRoad(const RoadSite& site) {
    QWebEngineProfile profile;  // off the record: no cookie outlives the walk
    QWebEnginePage browser(&profile);
    QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
    const auto loadsTo = [&](qsizetype count) {
        return QTest::qWaitFor([&] { return loaded.size() >= count; }, 30000) &&
               loaded.last().first().toBool();
    };
    browser.load(QUrl(QString::fromStdString(site.url("login.html"))));
    if (!loadsTo(1)) return false;
    browser.runJavaScript(fillAndSubmit(loginValues(), "login"),
                          QWebEngineScript::ApplicationWorld);
    if (!loadsTo(2) || !site.received("entry.html")) return false;
    browser.runJavaScript(fillAndSubmit(entryValues(), "go"), QWebEngineScript::ApplicationWorld);
    if (!loadsTo(3) || !site.received("confirm.cgi")) return false;
    browser.runJavaScript(fillAndSubmit({}, "send"), QWebEngineScript::ApplicationWorld);
    return loadsTo(4) && site.received("complete.cgi");
}

QJsonArray nameValues(const Headers& pairs) {
    QJsonArray out;
    for (const auto& [name, value] : pairs)
        out.append(QJsonObject{{"name", QString::fromLatin1(name)},
                               {"value", QString::fromLatin1(value)}});
    return out;
}

// name=value pairs of a Cookie or Set-Cookie header.
QJsonArray cookies(const std::string& header, bool setCookie) {
    QJsonArray out;
    if (header.empty()) return out;
    std::stringstream pairs(header);
    std::string pair;
    while (std::getline(pairs, pair, ';')) {
        while (!pair.empty() && pair.front() == ' ') pair.erase(0, 1);
        const std::size_t eq = pair.find('=');
        out.append(QJsonObject{{"name", QString::fromLatin1(pair.substr(0, eq))},
                               {"value", QString::fromLatin1(pair.substr(eq + 1))}});
        if (setCookie) break;  // the attributes that follow are no cookies
    }
    return out;
}

// What Chrome says a request loaded, from what the browser said it wanted.
QString resourceType(const Request& r) {
    const std::string dest = r.header("Sec-Fetch-Dest");
    return dest == "document" || dest == "image" || dest == "script" ? QString::fromStdString(dest)
                                                                     : QString("other");
}

// The name=value pieces of a urlencoded body, as sent.
std::vector<std::string_view> splitPairs(std::string_view body) {
    std::vector<std::string_view> pairs;
    for (std::size_t from = 0; from < body.size();) {
        const std::size_t amp = std::min(body.find('&', from), body.size());
        pairs.push_back(body.substr(from, amp - from));
        from = amp + 1;
    }
    return pairs;
}

std::string headText(const Headers& headers) {
    std::string text;
    for (const auto& [name, value] : headers) text += name + ": " + value + "\r\n";
    return text;
}

QJsonObject requestOf(const Exchange& x, const Site& site, const std::string& base) {
    const Request& r = x.request;
    const CodePage cp(codePageFor(site.charset));
    QJsonArray query;
    for (const SentField& f :
         urlEncodedFields(r.target.substr(std::min(r.target.find('?'), r.target.size()))))
        query.append(QJsonObject{{"name", QString::fromStdString(cp.toUtf8(f.name))},
                                 {"value", QString::fromStdString(cp.toUtf8(f.value))}});
    QJsonObject request{
        {"method", QString::fromLatin1(r.method)},
        {"url", QString::fromStdString(base + r.target)},
        {"httpVersion", "HTTP/1.1"},
        {"cookies", cookies(r.header("Cookie"), false)},
        {"headers", nameValues(r.headers)},
        {"queryString", query},
        {"headersSize", static_cast<qint64>(r.method.size() + r.target.size() + 12 +
                                            headText(r.headers).size() + 2)},
        {"bodySize", static_cast<qint64>(r.body.size())},
    };
    if (r.method == "POST") {
        // Chrome lists the parameters as sent; Firefox decodes them.
        QJsonArray params;
        for (const std::string_view pair : splitPairs(r.body)) {
            const std::size_t eq = pair.find('=');
            const std::string_view name = pair.substr(0, eq);
            const std::string_view value = eq == std::string_view::npos ? "" : pair.substr(eq + 1);
            params.append(
                site.chrome
                    ? QJsonObject{{"name", QString::fromLatin1(name)},
                                  {"value", QString::fromLatin1(value)}}
                    : QJsonObject{
                          {"name", QString::fromStdString(cp.toUtf8(queryDecoded(name)))},
                          {"value", QString::fromStdString(cp.toUtf8(queryDecoded(value)))}});
        }
        request["postData"] =
            QJsonObject{{"mimeType", QString::fromLatin1(r.header("Content-Type"))},
                        {"text", QString::fromLatin1(r.body)},
                        {"params", params}};
    }
    return request;
}

QJsonObject responseOf(const Exchange& x, const Site& site) {
    const Response& r = x.response;
    Headers headers = r.headers;
    headers.emplace_back("Content-Length", std::to_string(r.body.size()));
    headers.emplace_back("Connection", "close");
    std::string type, location, setCookie;
    for (const auto& [name, value] : r.headers) {
        if (name == "Content-Type") type = value;
        if (name == "Location") location = value;
        if (name == "Set-Cookie") setCookie = value;
    }
    QJsonObject content{{"size", static_cast<qint64>(r.body.size())},
                        {"mimeType", QString::fromLatin1(type.empty() ? "x-unknown" : type)}};
    if (type.starts_with("text/html")) {
        // The browser keeps the text it read, in the page's charset.
        content["text"] =
            QString::fromStdString(CodePage(codePageFor(site.charset)).toUtf8(r.body));
    } else if (type.starts_with("text/")) {
        content["text"] = QString::fromLatin1(r.body);
    } else if (!r.body.empty()) {
        content["text"] = QString::fromLatin1(
            QByteArray(r.body.data(), static_cast<qsizetype>(r.body.size())).toBase64());
        content["encoding"] = "base64";
    }
    return {
        {"status", r.status},
        {"statusText", r.status == 200   ? "OK"
                       : r.status == 302 ? "Found"
                                         : "Forbidden"},
        {"httpVersion", "HTTP/1.1"},
        {"cookies", cookies(setCookie, true)},
        {"headers", nameValues(headers)},
        {"content", content},
        {"redirectURL", QString::fromLatin1(location)},
        {"headersSize", static_cast<qint64>(headText(headers).size() + 19)},
        {"bodySize", static_cast<qint64>(r.body.size())},
    };
}

QByteArray harOf(const std::vector<Exchange>& log, const Site& site, const std::string& base) {
    QJsonArray entries;
    for (const Exchange& x : log) {
        QJsonObject entry{
            {"startedDateTime", x.started.toString(Qt::ISODateWithMs)},
            {"time", 1},
            {"request", requestOf(x, site, base)},
            {"response", responseOf(x, site)},
            {"cache", QJsonObject{}},
            {"timings", QJsonObject{{"blocked", -1},
                                    {"dns", -1},
                                    {"connect", -1},
                                    {"send", 0},
                                    {"wait", 1},
                                    {"receive", 0},
                                    {"ssl", -1}}},
        };
        if (site.chrome) entry["_resourceType"] = resourceType(x.request);
        entries.append(entry);
    }
    const QJsonObject creator = site.chrome
                                    ? QJsonObject{{"name", "WebInspector"}, {"version", "537.36"}}
                                    : QJsonObject{{"name", "Firefox"}, {"version", "128.0"}};
    return QJsonDocument(QJsonObject{{"log", QJsonObject{{"version", "1.2"},
                                                         {"creator", creator},
                                                         {"pages", QJsonArray{}},
                                                         {"entries", entries}}}})
        .toJson(QJsonDocument::Indented);
}

// Walks the site's road and writes its HAR file into dir; the file's path, empty on failure.
std::string writeHar(const Site& site, const std::string& dir) {
    RoadSite road(site);
    if (!walkRoad(road)) return {};
    const std::string path = dir + "/" + site.file;
    std::ofstream(path, std::ios::binary) << harOf(road.log(), site, road.baseUrl()).toStdString();
    return path;
}

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The road's definition with the site's address made the same for every run.
std::string definitionOf(const std::string& path) {
    const std::string text = fileText(path);
    const HarRoad road = findRoad(readHar(text), CodePage::program());
    std::vector<std::size_t> all(road.steps.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    std::string definition = roadDefinition(road, all);
    const std::string host = "http://127.0.0.1:";
    for (std::size_t at = definition.find(host); at != std::string::npos;
         at = definition.find(host, at)) {
        std::size_t end = at + host.size();
        while (end < definition.size() && std::isdigit(static_cast<unsigned char>(definition[end])))
            ++end;
        definition.replace(at, end - at, "http://site");
    }
    return definition;
}

}  // namespace

class HarFixtureTest : public QObject {
    Q_OBJECT

  private slots:
    void roadAsInTheSourceTree_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < static_cast<int>(std::size(kSites)); ++i)
            QTest::newRow(kSites[i].file) << i;
    }

    void roadAsInTheSourceTree() {
        QFETCH(int, row);
        const Site& site = kSites[row];
        QTemporaryDir dir;
        const std::string fresh = writeHar(site, dir.path().toStdString());
        QVERIFY(!fresh.empty());
        const std::string kept = std::string(VERRIMO_HAR_DATA) + "/" + site.file;
        const std::string definition = definitionOf(kept);
        QVERIFY(definition.find("Zem-Referer=") != std::string::npos);
        QCOMPARE(bytes(definitionOf(fresh)), bytes(definition));
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--write") {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        QApplication app(argc, argv);
        for (const Site& site : kSites)
            if (writeHar(site, argv[2]).empty()) return 1;
        return 0;
    }
    return runWindowTest<HarFixtureTest>(argc, argv);
}

#include "har_fixture_test.moc"
