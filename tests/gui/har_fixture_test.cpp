// The HAR files of tests/data/har, written from what the loopback road site (a login that sets
// a cookie, an input form whose token changes on every load, a confirmation page that carries
// the values in hidden fields with a token of its own, and a completion page) received and sent
// while Qt WebEngine walked its road. Qt WebEngine saves no HAR itself, so the file is written
// from the site's log, as Chrome writes it for the Shift_JIS site and as Firefox does for the
// UTF-8 one.
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
#include <sstream>

#include "codepage.h"
#include "form_body.h"
#include "har_road.h"
#include "road_site.h"
#include "url.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

struct Site {
    RoadSite::Charset charset;
    const char* file;  // the HAR file's name
    bool chrome;       // written as Chrome writes it, else as Firefox does
};

const Site kSites[] = {
    {RoadSite::Charset::ShiftJis, "road-shift_jis.har", true},
    {RoadSite::Charset::Utf8, "road-utf-8.har", false},
};

using Exchange = RoadSite::Exchange;

const CodePage& siteText(const Site& site) {
    static const CodePage shiftJis("CP932"), utf8("UTF-8");
    return site.charset == RoadSite::Charset::ShiftJis ? shiftJis : utf8;
}

// Fills the first form's fields and submits it through its button.
QString fillAndSubmit(const QJsonArray& fields) {
    return QString(R"((function (fields) {
        const form = document.forms[0];
        for (const [name, value] of fields) form.elements[name].value = value;
        form.requestSubmit();
    })(%1))")
        .arg(QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)));
}

// What the site's pages are filled in with: values with +, %, & and a line break among them.
QJsonArray loginValues() {
    return {QJsonArray{"user", QString::fromUtf8(RoadSite::kUser)},
            QJsonArray{"pass", QString::fromUtf8(RoadSite::kPassword)}};
}
QJsonArray inputValues() {
    return {QJsonArray{"name", "山田 太郎+&%"}, QJsonArray{"kind", "o"},
            QJsonArray{"comment", "一行目\n二行目 a+b=c&d"}};
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
    browser.load(QUrl(QString::fromStdString(site.url(RoadSite::kLoginPage))));
    if (!loadsTo(1)) return false;
    browser.runJavaScript(fillAndSubmit(loginValues()), QWebEngineScript::ApplicationWorld);
    if (!loadsTo(2)) return false;
    browser.runJavaScript(fillAndSubmit(inputValues()), QWebEngineScript::ApplicationWorld);
    if (!loadsTo(3)) return false;
    browser.runJavaScript(fillAndSubmit({}), QWebEngineScript::ApplicationWorld);
    return loadsTo(4) && !site.completed().empty() && site.refusals().empty();
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
    const CodePage& cp = siteText(site);
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

QJsonObject responseOf(const Exchange& x, const Site& site, const std::string& base) {
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
        content["text"] = QString::fromStdString(siteText(site).toUtf8(r.body));
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
                       : r.status == 303 ? "See Other"
                                         : "Not Found"},
        {"httpVersion", "HTTP/1.1"},
        {"cookies", cookies(setCookie, true)},
        {"headers", nameValues(headers)},
        {"content", content},
        // Chrome gives where the redirect leads; Firefox, the Location header as sent.
        {"redirectURL", QString::fromLatin1(site.chrome && !location.empty()
                                                ? resolveUrl(base + x.request.target, location)
                                                : location)},
        {"headersSize", static_cast<qint64>(headText(headers).size() + 19)},
        {"bodySize", static_cast<qint64>(r.body.size())},
    };
}

// When the site got the request, as HAR writes a time.
QString startedAt(const Exchange& x) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(x.received.time_since_epoch());
    return QDateTime::fromMSecsSinceEpoch(ms.count(), Qt::UTC).toString(Qt::ISODateWithMs);
}

QByteArray harOf(const std::vector<Exchange>& log, const Site& site, const std::string& base) {
    QJsonArray entries;
    for (const Exchange& x : log) {
        QJsonObject entry{
            {"startedDateTime", startedAt(x)},
            {"time", 1},
            {"request", requestOf(x, site, base)},
            {"response", responseOf(x, site, base)},
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
    RoadSite road(site.charset);
    if (!walkRoad(road)) return {};
    const std::string path = dir + "/" + site.file;
    std::ofstream(path, std::ios::binary)
        << harOf(road.exchanges(), site, road.url("")).toStdString();
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
