#include "har_writer.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <sstream>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "form_body.h"
#include "url.h"

namespace verrimo::test {

namespace {

using Exchange = RoadSite::Exchange;

// How the file is written: the site's charset, and whose tools write it.
struct Writing {
    const CodePage& text;  // the site's pages, as the browser read them
    bool chrome;
};

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

QJsonObject requestOf(const Exchange& x, const Writing& how, const std::string& base) {
    const Request& r = x.request;
    const CodePage& cp = how.text;
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
                how.chrome
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

QJsonObject responseOf(const Exchange& x, const Writing& how, const std::string& base) {
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
        content["text"] = QString::fromStdString(how.text.toUtf8(r.body));
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
        {"redirectURL",
         QString::fromLatin1(
             how.chrome && !location.empty()
                 ? resolveUrl(base + x.request.target, location, how.text).value_or(location)
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

QByteArray harOf(const std::vector<Exchange>& log, const Writing& how, const std::string& base) {
    QJsonArray entries;
    for (const Exchange& x : log) {
        QJsonObject entry{
            {"startedDateTime", startedAt(x)},
            {"time", 1},
            {"request", requestOf(x, how, base)},
            {"response", responseOf(x, how, base)},
            {"cache", QJsonObject{}},
            {"timings", QJsonObject{{"blocked", -1},
                                    {"dns", -1},
                                    {"connect", -1},
                                    {"send", 0},
                                    {"wait", 1},
                                    {"receive", 0},
                                    {"ssl", -1}}},
        };
        if (how.chrome) entry["_resourceType"] = resourceType(x.request);
        entries.append(entry);
    }
    const QJsonObject creator = how.chrome
                                    ? QJsonObject{{"name", "WebInspector"}, {"version", "537.36"}}
                                    : QJsonObject{{"name", "Firefox"}, {"version", "128.0"}};
    return QJsonDocument(QJsonObject{{"log", QJsonObject{{"version", "1.2"},
                                                         {"creator", creator},
                                                         {"pages", QJsonArray{}},
                                                         {"entries", entries}}}})
        .toJson(QJsonDocument::Indented);
}

}  // namespace

std::string harOf(const RoadSite& site, HarBrowser browser) {
    static const CodePage shiftJis("CP932"), utf8("UTF-8");
    const Writing writing{site.charset() == RoadSite::Charset::ShiftJis ? shiftJis : utf8,
                          browser == HarBrowser::Chrome};
    return harOf(site.exchanges(), writing, site.url("")).toStdString();
}

}  // namespace verrimo::test
