// HAR files read into the road they record: the files Qt WebEngine's walk of a loopback road
// gave (tests/data/har), as saved and as other browsers and sanitizers change them, and input
// that is no HAR file.
#include "har.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "ascii_text.h"
#include "codepage.h"
#include "form_body.h"
#include "har_road.h"
#include "url.h"

using namespace verrimo;
using json = nlohmann::json;

namespace {

std::string fixture(const std::string& name) {
    std::ifstream file(std::string(VERRIMO_HAR_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

const CodePage& codePage(const std::string& name) {
    static std::map<std::string, std::unique_ptr<CodePage>> pages;
    auto& page = pages[name];
    if (!page) page = std::make_unique<CodePage>(name);
    return *page;
}

// "http://127.0.0.1:PORT" of the file's first request.
std::string siteOf(const json& har) {
    const std::string url = har["log"]["entries"][0]["request"]["url"];
    return url.substr(0, url.find('/', 7));
}

std::string base64(std::string_view bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
        out += digits[n >> 18 & 63];
        out += digits[n >> 12 & 63];
        out += i + 1 < bytes.size() ? digits[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? digits[n & 63] : '=';
    }
    return out;
}

// The charset the file's pages are in, by its name.
std::string charsetOf(const std::string& file) {
    return file.find("shift_jis") != std::string::npos ? "CP932" : "UTF-8";
}

using Change = std::function<void(json& har, const CodePage& site)>;

void eachEntry(json& har, const std::function<void(json& entry)>& change) {
    for (json& entry : har["log"]["entries"]) change(entry);
}

// Every form body as multipart/form-data, written down as the site's text or as base64.
Change multipart(bool inBase64) {
    return [inBase64](json& har, const CodePage& site) {
        eachEntry(har, [&](json& entry) {
            json& request = entry["request"];
            if (!request.contains("postData")) return;
            const std::string boundary = "----WebKitFormBoundaryq1w2e3r4";
            std::string body;
            for (const SentField& f :
                 urlEncodedFields(request["postData"]["text"].get<std::string>()))
                body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + f.name +
                        "\"\r\n\r\n" + f.value + "\r\n";
            body += "--" + boundary + "--\r\n";
            json& post = request["postData"];
            post["mimeType"] = "multipart/form-data; boundary=" + boundary;
            post.erase("params");
            post["text"] = inBase64 ? base64(body) : site.toUtf8(body);
            if (inBase64) post["encoding"] = "base64";
        });
    };
}

struct RoadCase {
    const char* name;
    const char* file;
    const char* codePage;  // the program's
    Change change;
    // The definition of every step, UTF-8; SITE stands for the site's address. Empty: not
    // compared.
    std::string definition;
    std::vector<std::string> lines;  // lines it must hold, UTF-8, when it is not compared
    std::size_t steps;
    const char* note;           // what the notes of the noted steps say; the others have none
    std::size_t noted = 3;      // how many steps have it
    std::size_t documents = 7;  // requests the reader takes for pages: the road's, and frames
};

void PrintTo(const RoadCase& c, std::ostream* os) {
    *os << c.name;
}

// The road as a recording of the same walk writes it, the check strings chosen from the answers.
const std::string kRoad =
    "Zem-Referer=SITE/login.html\r\naction=login.cgi\r\nuser=taro\r\npass=Zem-Pass\r\n-\r\n"
    "chk-moji=お問い合わせ\r\n"
    "Zem-Referer=SITE/input.html\r\naction=confirm.cgi\r\ntoken=Zem-GetValue[token]\r\n"
    "name=山田%20太郎%2B%26%25\r\nkind=o\r\ncomment=一行目%0D%0A二行目%20a%2Bb%3Dc%26d\r\n-\r\n"
    "chk-moji=入力内容の確認\r\n"
    "Zem-Referer=SITE/confirm.html\r\naction=complete.cgi\r\ntoken2=Zem-GetValue[token2]\r\n"
    "comment=Zem-GetValue[comment]\r\nkind=Zem-GetValue[kind]\r\nname=Zem-GetValue[name]\r\n-\r\n"
    "chk-moji=完了\r\n";

// What a file without the pages' content and the bodies still says: three posts, from where.
const std::string kSanitizedRoad =
    "Zem-Referer=SITE/login.html\r\naction=SITE/login.cgi\r\n-\r\nchk-moji=\r\n"
    "Zem-Referer=SITE/input.html\r\naction=SITE/confirm.cgi\r\n-\r\nchk-moji=\r\n"
    "Zem-Referer=SITE/confirm.html\r\naction=SITE/complete.cgi\r\n-\r\nchk-moji=\r\n";

// The password the site takes, which the files hold in clear, and a part of it that no other
// text holds.
constexpr std::string_view kPassword = "hunter2&s3cret";
constexpr std::string_view kSecretPart = "s3cret";

const Change kAsSaved = [](json&, const CodePage&) {};

const Change kContentInBase64 = [](json& har, const CodePage& site) {
    eachEntry(har, [&](json& entry) {
        json& content = entry["response"]["content"];
        if (!content.contains("text") || content.contains("encoding")) return;
        content["text"] = base64(site.fromUtf8(content["text"].get<std::string>()));
        content["encoding"] = "base64";
    });
};

const Change kParamsOnly = [](json& har, const CodePage&) {
    eachEntry(har, [](json& entry) {
        if (entry["request"].contains("postData")) entry["request"]["postData"].erase("text");
    });
};

const Change kNoResourceType = [](json& har, const CodePage&) {
    eachEntry(har, [](json& entry) { entry.erase("_resourceType"); });
};

const Change kNoContent = [](json& har, const CodePage&) {
    eachEntry(har, [](json& entry) { entry["response"]["content"].erase("text"); });
};

// Each page brings an image and a script, as Chrome or Firefox records them.
const Change kWithImagesAndScripts = [](json& har, const CodePage&) {
    json entries = json::array();
    for (json& entry : har["log"]["entries"]) {
        entries.push_back(entry);
        const bool chrome = entry.contains("_resourceType");
        const std::string page = entry["request"]["url"];
        for (const char* kind : {"image", "script"}) {
            json sub = entry;
            sub["request"] = {{"method", "GET"},
                              {"url", page + "." + kind},
                              {"headers",
                               {{{"name", "Sec-Fetch-Dest"}, {"value", kind}},
                                {{"name", "Referer"}, {"value", page}}}}};
            sub["response"] = {{"status", 200}, {"content", {{"size", 4}}}};
            sub["response"]["content"]["mimeType"] =
                kind == std::string("image") ? "image/png" : "text/javascript";
            sub["response"]["content"]["text"] = kind == std::string("image") ? "iVBORw==" : "f()";
            if (kind == std::string("image")) sub["response"]["content"]["encoding"] = "base64";
            if (chrome) sub["_resourceType"] = kind;
            entries.push_back(sub);
        }
    }
    har["log"]["entries"] = entries;
};

const Change kSanitized = [](json& har, const CodePage& site) {
    kNoContent(har, site);
    eachEntry(har, [](json& entry) { entry["request"].erase("postData"); });
};

// An uploaded file among the fields of the input form.
const Change kFilePart = [](json& har, const CodePage& site) {
    multipart(false)(har, site);
    json& post = har["log"]["entries"][3]["request"]["postData"];
    std::string body = post["text"];
    const std::string boundary = "----WebKitFormBoundaryq1w2e3r4";
    body.insert(body.rfind("--" + boundary + "--"),
                "--" + boundary +
                    "\r\nContent-Disposition: form-data; name=\"photo\"; filename=\"a.png\"\r\n"
                    "Content-Type: image/png\r\n\r\nPNG\r\n");
    post["text"] = body;
};

// The HTML text of the entry's answer, changed.
void changePage(json& entry, const std::function<void(std::string&)>& change) {
    json& content = entry["response"]["content"];
    std::string text = content["text"];
    change(text);
    content["text"] = text;
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

void setHeader(json& request, const std::string& name, const std::string& value) {
    for (json& header : request["headers"])
        if (header["name"] == name) {
            header["value"] = value;
            return;
        }
    request["headers"].push_back({{"name", name}, {"value", value}});
}

void dropHeaders(json& request, std::string_view prefix) {
    json kept = json::array();
    for (const json& header : request["headers"])
        if (!header["name"].get<std::string>().starts_with(prefix)) kept.push_back(header);
    request["headers"] = kept;
}

// The pages write their forms' actions in single quotes.
const Change kSingleQuotedActions = [](json& har, const CodePage&) {
    eachEntry(har, [](json& entry) {
        if (!entry["response"]["content"].contains("text")) return;
        changePage(entry, [](std::string& page) {
            for (const char* action : {"login.cgi", "confirm.cgi", "complete.cgi"})
                replaceAll(page, "action=\"" + std::string(action) + "\" method=\"post\"",
                           "method='post' action='" + std::string(action) + "'");
        });
    });
};

// Old Edge: an empty text beside the parameters.
const Change kEmptyTextBesideParams = [](json& har, const CodePage&) {
    eachEntry(har, [](json& entry) {
        if (entry["request"].contains("postData")) entry["request"]["postData"]["text"] = "";
    });
};

// Firefox 45: no _resourceType and no Sec-Fetch headers, and the upload's head in front of each
// body.
const Change kFirefox45 = [](json& har, const CodePage&) {
    eachEntry(har, [](json& entry) {
        entry.erase("_resourceType");
        json& request = entry["request"];
        dropHeaders(request, "Sec-Fetch-");
        if (!request.contains("postData")) return;
        json& post = request["postData"];
        const std::string body = post["text"];
        post["text"] = "Content-Type: " + post["mimeType"].get<std::string>() +
                       "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    });
};

// Firefox writes a multipart body one character per byte, its size the bytes'.
const Change kMultipartBytePerCharacter = [](json& har, const CodePage& site) {
    multipart(false)(har, site);
    eachEntry(har, [&](json& entry) {
        json& request = entry["request"];
        if (!request.contains("postData")) return;
        const std::string bytes = site.fromUtf8(request["postData"]["text"].get<std::string>());
        std::string text;
        for (const char c : bytes) CodePage::appendCodePoint(static_cast<unsigned char>(c), text);
        request["postData"]["text"] = text;
        request["bodySize"] = bytes.size();
    });
};

// The road in a frame of a page that is not in the file: every form targets the frame.
const Change kInAFrame = [](json& har, const CodePage&) {
    eachEntry(har, [](json& entry) {
        setHeader(entry["request"], "Sec-Fetch-Dest", "iframe");
        if (entry["response"]["content"].contains("text"))
            changePage(entry, [](std::string& page) {
                replaceAll(page, "method=\"post\"", "method=\"post\" target=\"road\"");
            });
    });
};

// What else a page loads: an image ping, a tracking post, an XHR that asks for HTML, a tag
// manager's frame, each after the road's first page; with Chrome's _resourceType when withType.
Change withScriptRequests(bool withType) {
    return [withType](json& har, const CodePage&) {
        json& entries = har["log"]["entries"];
        const std::string page = entries[0]["request"]["url"];
        const std::string site = page.substr(0, page.find('/', 7));
        const auto request = [&](const char* method, const std::string& url, const char* accept,
                                 const char* dest, const char* type, const char* body) {
            json entry = {{"request",
                           {{"method", method},
                            {"url", url},
                            {"headers",
                             {{{"name", "Accept"}, {"value", accept}},
                              {{"name", "Referer"}, {"value", page}}}}}},
                          {"response",
                           {{"status", 200},
                            {"content",
                             {{"mimeType", "text/html"},
                              {"text",
                               "<title>x</title><form action=/t method=post>"
                               "<input name=a></form>"}}}}}};
            if (*dest)
                entry["request"]["headers"].push_back(
                    {{"name", "Sec-Fetch-Dest"}, {"value", dest}});
            if (withType) entry["_resourceType"] = type;
            if (*body)
                entry["request"]["postData"] = {{"mimeType", "application/x-www-form-urlencoded"},
                                                {"text", body}};
            return entry;
        };
        const json added = {
            request("GET", site + "/gen_204?ei=1&ct=click", "image/webp,*/*", "", "ping", ""),
            request("POST", site + "/pixel_42", "*/*", "", "ping", "ev=view&user=1"),
            request("POST", site + "/login.cgi", "text/html, */*; q=0.01", "", "xhr",
                    "user=taro&remember=1"),
            request("GET", site + "/ns.html?id=GTM-1", "text/html", "iframe", "document", ""),
            request("POST", site + "/login.cgi?frame", "text/html", "iframe", "document",
                    "user=taro"),
        };
        entries.insert(entries.begin() + 1, added.begin(), added.end());
        if (!withType)
            eachEntry(har, [](json& entry) { dropHeaders(entry["request"], "Sec-Fetch-"); });
    };
}

// The page after the login shows the password, as some sites do.
const Change kPasswordEchoed = [](json& har, const CodePage&) {
    changePage(har["log"]["entries"][2], [](std::string& page) {
        replaceAll(page, "<title>", "<title>hunter2&amp;s3cret ");
        replaceAll(page, "</h1>", "</h1><p>hunter2&s3cret</p>");
    });
};

// The last answer holds binary junk among its texts.
const Change kJunkInTheAnswer = [](json& har, const CodePage&) {
    changePage(har["log"]["entries"][6], [](std::string& page) {
        replaceAll(page, "<title>完了</title>",
                   std::string("<title>\x01\x02\x7F\xEF\xBF\xBD</title>"));
        replaceAll(page, "</h1>", std::string("</h1><p>a\0b</p>", 15));
    });
};

const RoadCase kRoadCases[] = {
    {"Chrome, Shift_JIS", "road-shift_jis.har", "CP932", kAsSaved, kRoad, {}, 3, ""},
    {"Firefox, UTF-8", "road-utf-8.har", "UTF-8", kAsSaved, kRoad, {}, 3, ""},
    {"UTF-8 values in a Shift_JIS definition are escapes",
     "road-utf-8.har",
     "CP932",
     kAsSaved,
     "",
     {"name=%E5%B1%B1%E7%94%B0%20%E5%A4%AA%E9%83%8E%2B%26%25", "pass=Zem-Pass",
      "token=Zem-GetValue[token]", "kind=o"},
     3,
     ""},
    {"pages in base64", "road-shift_jis.har", "CP932", kContentInBase64, kRoad, {}, 3, ""},
    {"no _resourceType", "road-shift_jis.har", "CP932", kNoResourceType, kRoad, {}, 3, ""},
    {"Chrome, among images and scripts",
     "road-shift_jis.har",
     "CP932",
     kWithImagesAndScripts,
     kRoad,
     {},
     3,
     ""},
    {"Firefox, among images and scripts",
     "road-utf-8.har",
     "UTF-8",
     kWithImagesAndScripts,
     kRoad,
     {},
     3,
     ""},
    {"params only, as sent", "road-shift_jis.har", "CP932", kParamsOnly, kRoad, {}, 3, "params"},
    {"params only, decoded", "road-utf-8.har", "UTF-8", kParamsOnly, kRoad, {}, 3, "params"},
    {"multipart written as text",
     "road-shift_jis.har",
     "CP932",
     multipart(false),
     kRoad,
     {},
     3,
     ""},
    {"multipart in base64", "road-utf-8.har", "UTF-8", multipart(true), kRoad, {}, 3, ""},
    {"sanitized",
     "road-shift_jis.har",
     "CP932",
     kSanitized,
     kSanitizedRoad,
     {},
     3,
     "ファイルにありません"},
    {"no content, bodies kept",
     "road-utf-8.har",
     "UTF-8",
     kNoContent,
     "",
     {"action=SITE/login.cgi", "pass=Zem-Pass", "token=in2", "token2=cf3"},
     3,
     "中身がファイルにありません"},
    {"single-quoted actions", "road-utf-8.har", "UTF-8", kSingleQuotedActions, kRoad, {}, 3, ""},
    {"old Edge, empty text beside params, as sent",
     "road-shift_jis.har",
     "CP932",
     kEmptyTextBesideParams,
     kRoad,
     {},
     3,
     "params"},
    {"old Edge, empty text beside params, decoded",
     "road-utf-8.har",
     "UTF-8",
     kEmptyTextBesideParams,
     kRoad,
     {},
     3,
     "params"},
    {"Firefox 45, Shift_JIS", "road-shift_jis.har", "CP932", kFirefox45, kRoad, {}, 3, ""},
    {"Firefox 45, UTF-8", "road-utf-8.har", "UTF-8", kFirefox45, kRoad, {}, 3, ""},
    {"Firefox 45, multipart",
     "road-utf-8.har",
     "UTF-8",
     [](json& har, const CodePage& site) {
         multipart(false)(har, site);
         kFirefox45(har, site);
     },
     kRoad,
     {},
     3,
     ""},
    {"Firefox, multipart a byte per character, UTF-8",
     "road-utf-8.har",
     "UTF-8",
     kMultipartBytePerCharacter,
     kRoad,
     {},
     3,
     ""},
    {"Firefox, multipart a byte per character, Shift_JIS",
     "road-shift_jis.har",
     "CP932",
     kMultipartBytePerCharacter,
     kRoad,
     {},
     3,
     ""},
    {"into a frame", "road-utf-8.har", "UTF-8", kInAFrame, kRoad, {}, 3, ""},
    {"Chrome, among pings, XHR and a tag manager's frame",
     "road-shift_jis.har",
     "CP932",
     withScriptRequests(true),
     kRoad,
     {},
     3,
     "",
     3,
     9},
    {"Firefox 45, among pings, XHR and a tag manager's frame",
     "road-utf-8.har",
     "UTF-8",
     withScriptRequests(false),
     kRoad,
     {},
     3,
     "",
     3,
     10},
    {"the password echoed by the answer",
     "road-utf-8.har",
     "UTF-8",
     kPasswordEchoed,
     "",
     {"pass=Zem-Pass"},
     3,
     ""},
    {"binary junk in the answer",
     "road-utf-8.har",
     "UTF-8",
     kJunkInTheAnswer,
     "",
     {"chk-moji=送信完了"},
     3,
     ""},
    {"a file among the fields",
     "road-utf-8.har",
     "UTF-8",
     kFilePart,
     kRoad,
     {},
     3,
     "ファイルの項目 photo",
     1},
};

class HarRoadTest : public ::testing::TestWithParam<RoadCase> {};

TEST_P(HarRoadTest, TheRoadAsARecordingWritesIt) {
    const RoadCase& c = GetParam();
    const CodePage& cp = codePage(c.codePage);
    const CodePage& site = codePage(charsetOf(c.file));
    json har = json::parse(fixture(c.file));
    c.change(har, site);
    const std::string address = siteOf(har);
    const Har read = readHar(har.dump());
    EXPECT_EQ(read.documents.size(), c.documents);
    const HarRoad road = findRoad(read, cp);
    ASSERT_EQ(road.steps.size(), c.steps);
    std::vector<std::size_t> all;
    for (std::size_t i = 0; i < road.steps.size(); ++i) all.push_back(i);
    std::string definition = roadDefinition(road, all);
    for (std::size_t at; (at = definition.find(address)) != std::string::npos;)
        definition.replace(at, address.size(), "SITE");
    if (!c.definition.empty()) {
        EXPECT_EQ(definition, cp.fromUtf8(c.definition));
    }
    for (const std::string& line : c.lines)
        EXPECT_NE(definition.find(cp.fromUtf8(line) + "\r\n"), std::string::npos) << line;
    std::size_t noted = 0;
    for (const HarStep& s : road.steps) {
        const bool says = std::any_of(s.notes.begin(), s.notes.end(), [&](const std::string& n) {
            return n.find(c.note) != std::string::npos;
        });
        EXPECT_EQ(says, !s.notes.empty()) << s.url << ": " << s.notes.front();
        noted += says;
        // The password the file holds in clear is written nowhere, in no way of writing it.
        for (const auto& texts : {s.fields, s.checkStrings, s.notes, stepLines(s)})
            for (const std::string& text : texts)
                EXPECT_EQ(text.find(kSecretPart), std::string::npos) << text;
    }
    EXPECT_EQ(noted, std::string_view(c.note).empty() ? 0 : c.noted);
}

INSTANTIATE_TEST_SUITE_P(Files, HarRoadTest, ::testing::ValuesIn(kRoadCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

TEST(HarRoad, EachStepKnowsItsPagesAndThePagesTheirForms) {
    const HarRoad road = findRoad(readHar(fixture("road-shift_jis.har")), codePage("CP932"));
    ASSERT_EQ(road.steps.size(), 3u);
    // login.html, then each answer after its redirect
    ASSERT_EQ(road.pages.size(), 4u);
    const char* const answers[] = {"/input.html", "/confirm.html", "/complete.html"};
    for (std::size_t i = 0; i < 3; ++i) {
        const HarStep& s = road.steps[i];
        ASSERT_TRUE(s.referrerPage && s.answerPage);
        EXPECT_EQ(road.pages[*s.referrerPage].url, s.referrer);
        EXPECT_TRUE(road.pages[*s.answerPage].url.ends_with(answers[i]));
        EXPECT_EQ(road.pages[*s.referrerPage].charset, "Shift_JIS");
        EXPECT_EQ(road.pages[*s.referrerPage].forms.size(), 1u);
        EXPECT_EQ(s.charset, "Shift_JIS");
        EXPECT_EQ(s.method, "POST");
    }
    // Proposals new to the answer come first; the step takes the first.
    const CodePage& cp = codePage("CP932");
    const std::vector<std::string> last = road.steps[2].checkStrings;
    ASSERT_GE(last.size(), 3u);
    EXPECT_EQ(last[0], cp.fromUtf8("完了"));
    EXPECT_EQ(last[1], cp.fromUtf8("送信完了"));
    EXPECT_EQ(last[2], cp.fromUtf8("ありがとうございました。"));
    // Chosen steps keep the road's order.
    EXPECT_EQ(roadDefinition(road, {2}), [&] {
        std::string text;
        for (const std::string& line : stepLines(road.steps[2])) text += line + "\r\n";
        return text;
    }());
}

// A document entry as Chrome writes it: a UTF-8 page when html is given, a urlencoded body when
// body is.
json documentEntry(const std::string& method, const std::string& url,
                   const std::optional<std::string>& html,
                   const std::optional<std::string>& body = std::nullopt) {
    json request = {{"method", method}, {"url", url}, {"headers", json::array()}};
    if (body)
        request["postData"] = {{"mimeType", "application/x-www-form-urlencoded"}, {"text", *body}};
    json content = {{"mimeType", "text/html"}};
    if (html) content["text"] = *html;
    return {{"_resourceType", "document"},
            {"request", request},
            {"response",
             {{"status", 200},
              {"headers", {{{"name", "Content-Type"}, {"value", "text/html; charset=UTF-8"}}}},
              {"content", content}}}};
}

HarRoad roadOfEntries(const json& entries) {
    return findRoad(readHar(json{{"log", {{"version", "1.2"}, {"entries", entries}}}}.dump()),
                    codePage("UTF-8"));
}

TEST(HarRoad, AGetFormIsAStepAndALinkWithAQueryIsNot) {
    const std::string page =
        "<title>検索</title><form action=\"find.cgi\"><input name=q></form>"
        "<a href=\"list.cgi?page=2\">2</a>";
    const HarRoad road =
        roadOfEntries({documentEntry("GET", "http://h.example/top.html", page),
                       documentEntry("GET", "http://h.example/list.cgi?page=2", page),
                       documentEntry("GET", "http://h.example/find.cgi?q=%E6%9D%B1+x",
                                     "<title>結果です</title>")});
    ASSERT_EQ(road.steps.size(), 1u);
    EXPECT_EQ(road.steps[0].referrer, "http://h.example/list.cgi?page=2");
    EXPECT_EQ(stepLines(road.steps[0]),
              (std::vector<std::string>{"Zem-Referer=http://h.example/list.cgi?page=2",
                                        "action=find.cgi", "q=東%20x", "-", "chk-moji=結果です"}));
}

TEST(HarRoad, AHiddenFieldSentAsThePageGaveItIsReadFromThePage) {
    const std::string page =
        "<form action=\"in.cgi\" method=post><input type=hidden name=a value=\"1&#10;2\">"
        "<input type=hidden name=b value=x><input type=hidden name=c value=\"&amp;\">"
        "<input type=text name=d value=keep><input type=password name=e></form>";
    const HarRoad road =
        roadOfEntries({documentEntry("GET", "http://h.example/f.html", page),
                       documentEntry("POST", "http://h.example/in.cgi", std::nullopt,
                                     "a=1%0D%0A2&b=changed&c=%26&d=keep&e=secret+1")});
    ASSERT_EQ(road.steps.size(), 1u);
    EXPECT_EQ(road.steps[0].fields,
              (std::vector<std::string>{"a=Zem-GetValue[a]", "b=changed", "c=Zem-GetValue[c]",
                                        "d=keep", "e=Zem-Pass"}));
    EXPECT_EQ(road.steps[0].notes, std::vector<std::string>{});
}

TEST(HarRoad, APasswordIsKnownByItsNameWhenThePageIsMissing) {
    // name (UTF-8) → whether it is written as Zem-Pass
    const std::pair<const char*, bool> names[] = {
        {"id", false},       {"user_pw", true},       {"passwd", true},   {"pwd", true},
        {"pw2", true},       {"newpassword", true},   {"pwhint", false},  {"pin", true},
        {"login_pin", true}, {"PinCode", true},       {"spinner", false}, {"pinyin", false},
        {"secret", true},    {"client_secret", true}, {"kennwort", true}, {"Passwort", true},
        {"pswd", true},      {"psw", true},           {"otp", true},      {"パスワード", true},
        {"ﾊﾟｽﾜｰﾄﾞ", true},   {"暗証番号", true},      {"密码", true},     {"contraseña", true},
        {"senha", true},     {"mot_de_passe", true},  {"お名前", false},  {"email", false},
    };
    for (const char* charset : {"UTF-8", "Shift_JIS"}) {
        const CodePage& sent = codePage(charset == std::string("UTF-8") ? "UTF-8" : "CP932");
        std::string body;
        for (const auto& [name, secret] : names) {
            const std::string bytes = sent.fromUtf8(name);
            if (bytes.find('?') != std::string::npos) continue;  // not in the charset
            body += (body.empty() ? "" : "&") + exactQueryText(bytes, false) + "=v";
        }
        json post = documentEntry("POST", "http://h.example/in", std::nullopt, body);
        post["request"]["postData"]["mimeType"] =
            std::string("application/x-www-form-urlencoded; charset=") + charset;
        const HarRoad road =
            roadOfEntries({documentEntry("GET", "http://h.example/", std::nullopt), post});
        ASSERT_EQ(road.steps.size(), 1u) << charset;
        const CodePage& utf8 = codePage("UTF-8");
        std::size_t at = 0;
        for (const auto& [name, secret] : names) {
            if (sent.fromUtf8(name).find('?') != std::string::npos) continue;
            ASSERT_LT(at, road.steps[0].fields.size());
            const std::string line = road.steps[0].fields[at++];
            EXPECT_EQ(line.ends_with("=Zem-Pass"), secret)
                << charset << " " << name << ": " << utf8.toUtf8(line);
        }
    }
}

// Entries of a file around one POST: its page before it, unless none.
HarRoad roadAround(json post, bool pageBefore) {
    json entries = json::array();
    if (pageBefore)
        entries.push_back(documentEntry("GET", "http://h.example/f.html",
                                        "<form action=in method=post><input name=a></form>"));
    entries.push_back(std::move(post));
    return roadOfEntries(entries);
}

TEST(HarRoad, AStepWithNoReferrerHasNoEmptyReferrerLineButANote) {
    const HarRoad road =
        roadAround(documentEntry("POST", "http://h.example/in", "<title>ok</title>", "a=1"), false);
    ASSERT_EQ(road.steps.size(), 1u);
    EXPECT_EQ(stepLines(road.steps[0]),
              (std::vector<std::string>{"action=http://h.example/in", "a=1", "-", "chk-moji=ok"}));
    EXPECT_TRUE(std::any_of(road.steps[0].notes.begin(), road.steps[0].notes.end(),
                            [](const std::string& n) { return n.find("Zem-Referer") != n.npos; }));
}

TEST(HarRoad, ControlCharactersAreNeverWrittenRaw) {
    const HarRoad road =
        roadAround(documentEntry("POST", std::string("http://h.example/i\0n\x01", 21), std::nullopt,
                                 "a%00b=1&c=%00%7F&d=2"),
                   true);
    ASSERT_EQ(road.steps.size(), 1u);
    const std::string definition = roadDefinition(road, {0});
    EXPECT_EQ(definition,
              "Zem-Referer=http://h.example/f.html\r\naction=http://h.example/i%00n%01\r\n"
              "c=%00%7F\r\nd=2\r\n-\r\nchk-moji=\r\n");
    EXPECT_TRUE(std::any_of(road.steps[0].notes.begin(), road.steps[0].notes.end(),
                            [](const std::string& n) { return n.find("a%00b") != n.npos; }));
}

TEST(HarRoad, OnlyWebAddressesBecomeSteps) {
    for (const char* url : {"file:///etc/passwd", "javascript:alert(1)", "data:text/html,x",
                            "ftp://h.example/in", "FILE:///c:/boot.ini"}) {
        json post = documentEntry("POST", url, std::nullopt, "a=1");
        post["request"]["headers"] = {{{"name", "Referer"}, {"value", "http://h.example/f.html"}}};
        const HarRoad road = roadAround(post, true);
        EXPECT_TRUE(road.steps.empty()) << url;
        ASSERT_EQ(road.notes.size(), 1u) << url;
        const std::string scheme =
            asciiLowered(std::string_view(url).substr(0, std::string_view(url).find(':') + 1));
        EXPECT_NE(road.notes[0].find("（" + scheme + "）"), std::string::npos) << road.notes[0];
    }
}

// A POST through a frame, or one the file does not say is a page's, is a step only when the
// page it came from holds a form with its action and fields.
TEST(HarRoad, AnUnsureRequestIsAStepOnlyWhenItsPageHoldsItsForm) {
    struct Row {
        const char* dest;    // Sec-Fetch-Dest; empty: none
        const char* accept;  // Accept; null: none
        const char* url;
        const char* body;
        bool step;
    };
    const Row rows[] = {
        {"iframe", "text/html", "http://h.example/in", "a=1", true},
        {"iframe", "text/html", "http://h.example/in", "a=1&b=2", false},
        {"iframe", "text/html", "http://h.example/other", "a=1", false},
        {"", "text/html,*/*", "http://h.example/in", "a=1", true},
        {"", "*/*", "http://h.example/in", "a=1", false},
        {"", "image/webp", "http://h.example/in", "a=1", false},
        {"", "application/json, text/html;q=0.1", "http://h.example/in", "b=1", false},
        {"", nullptr, "http://h.example/in", "a=1", true},
        {"empty", "text/html", "http://h.example/in", "a=1", false},
        {"document", "*/*", "http://h.example/other", "x=1", true},
    };
    for (const Row& r : rows) {
        json post = documentEntry("POST", r.url, "<title>t</title>", r.body);
        post.erase("_resourceType");
        json& headers = post["request"]["headers"];
        headers.push_back({{"name", "Referer"}, {"value", "http://h.example/f.html"}});
        if (*r.dest) headers.push_back({{"name", "Sec-Fetch-Dest"}, {"value", r.dest}});
        if (r.accept) headers.push_back({{"name", "Accept"}, {"value", r.accept}});
        const HarRoad road = roadAround(post, true);
        EXPECT_EQ(road.steps.size(), r.step ? 1u : 0u) << r.dest << " " << r.url << " " << r.body;
    }
}

// The fields HAR 1.2 requires, and their types, in every entry of the files the tests read.
TEST(HarFiles, HoldEveryFieldHar12Requires) {
    using T = json::value_t;
    const std::pair<const char*, std::vector<T>> required[] = {
        {"/startedDateTime", {T::string}},
        {"/time", {T::number_integer, T::number_unsigned, T::number_float}},
        {"/request/method", {T::string}},
        {"/request/url", {T::string}},
        {"/request/httpVersion", {T::string}},
        {"/request/cookies", {T::array}},
        {"/request/headers", {T::array}},
        {"/request/queryString", {T::array}},
        {"/request/headersSize", {T::number_integer, T::number_unsigned}},
        {"/request/bodySize", {T::number_integer, T::number_unsigned}},
        {"/response/status", {T::number_integer, T::number_unsigned}},
        {"/response/statusText", {T::string}},
        {"/response/httpVersion", {T::string}},
        {"/response/cookies", {T::array}},
        {"/response/headers", {T::array}},
        {"/response/content/size", {T::number_integer, T::number_unsigned}},
        {"/response/content/mimeType", {T::string}},
        {"/response/redirectURL", {T::string}},
        {"/response/headersSize", {T::number_integer, T::number_unsigned}},
        {"/response/bodySize", {T::number_integer, T::number_unsigned}},
        {"/cache", {T::object}},
        {"/timings/send", {T::number_integer, T::number_unsigned}},
        {"/timings/wait", {T::number_integer, T::number_unsigned}},
        {"/timings/receive", {T::number_integer, T::number_unsigned}},
    };
    for (const char* file : {"road-shift_jis.har", "road-utf-8.har"}) {
        const json har = json::parse(fixture(file));
        EXPECT_EQ(har["/log/version"_json_pointer], "1.2") << file;
        EXPECT_TRUE(har["/log/creator/name"_json_pointer].is_string()) << file;
        EXPECT_TRUE(har["/log/creator/version"_json_pointer].is_string()) << file;
        ASSERT_GE(har["log"]["entries"].size(), 7u) << file;
        for (const json& entry : har["log"]["entries"]) {
            for (const auto& [path, types] : required) {
                const json::json_pointer at(path);
                ASSERT_TRUE(entry.contains(at)) << file << " " << path;
                EXPECT_NE(std::find(types.begin(), types.end(), entry[at].type()), types.end())
                    << file << " " << path;
            }
            if (entry["request"].contains("postData")) {
                EXPECT_TRUE(entry["/request/postData/mimeType"_json_pointer].is_string());
                EXPECT_TRUE(entry["/request/postData/text"_json_pointer].is_string());
            }
            for (const char* list : {"/request/headers", "/request/cookies", "/response/headers"})
                for (const json& pair : entry[json::json_pointer(list)])
                    EXPECT_TRUE(pair["name"].is_string() && pair["value"].is_string()) << list;
        }
    }
}

struct BadCase {
    const char* name;
    std::function<std::string()> text;
    HarError::Kind kind;
};

const BadCase kBadCases[] = {
    {"empty", [] { return std::string(); }, HarError::Kind::NotJson},
    {"a page", [] { return std::string("<html><body>x</body></html>"); }, HarError::Kind::NotJson},
    {"cut in half",
     [] {
         const std::string t = fixture("road-utf-8.har");
         return t.substr(0, t.size() / 2);
     },
     HarError::Kind::Truncated},
    {"cut at its last byte",
     [] {
         const std::string t = fixture("road-utf-8.har");
         return t.substr(0, t.rfind('}'));
     },
     HarError::Kind::Truncated},
    {"cut inside a string",
     [] { return std::string(R"({"log":{"entries":[{"request":{"url":"http:)"); },
     HarError::Kind::Truncated},
    {"more after the end", [] { return std::string(R"({"log":{"entries":[]}} {})"); },
     HarError::Kind::NotJson},
    {"an array", [] { return std::string("[1,2]"); }, HarError::Kind::NotHar},
    {"no log", [] { return std::string(R"({"entries":[]})"); }, HarError::Kind::NotHar},
    {"log without entries", [] { return std::string(R"({"log":{"version":"1.2"}})"); },
     HarError::Kind::NotHar},
    {"entries not a list", [] { return std::string(R"({"log":{"entries":{}}})"); },
     HarError::Kind::NotHar},
    {"invalid UTF-8 in a string",
     [] {
         return std::string(
             "{\"log\":{\"entries\":[{\"x\":\"a\xFF"
             "b\"}]}}");
     },
     HarError::Kind::InvalidUtf8},
    {"an overlong UTF-8 form",
     [] { return std::string("{\"log\":{\"entries\":[],\"x\":\"\xC0\xAF\"}}"); },
     HarError::Kind::InvalidUtf8},
    {"a UTF-8 surrogate",
     [] { return std::string("{\"log\":{\"entries\":[],\"x\":\"\xED\xA0\x80\"}}"); },
     HarError::Kind::InvalidUtf8},
    {"Shift_JIS bytes", [] { return std::string("{\"log\":{\"entries\":[],\"x\":\"\x83\x65\"}}"); },
     HarError::Kind::InvalidUtf8},
    {"a raw control in a string",
     [] { return std::string("{\"log\":{\"entries\":[],\"x\":\"a\nb\"}}"); },
     HarError::Kind::NotJson},
    {"a bad escape", [] { return std::string(R"({"log":{"entries":[],"x":"\q"}})"); },
     HarError::Kind::NotJson},
    {"a number with a leading zero", [] { return std::string(R"({"log":{"entries":[],"x":01}})"); },
     HarError::Kind::NotJson},
    {"nested a million deep",
     [] { return "{\"log\":{\"entries\":[],\"x\":" + std::string(1000000, '[') + "]}}"; },
     HarError::Kind::NotHar},
};

TEST(ReadHar, InputThatIsNoWholeHarFileIsNamed) {
    for (const BadCase& c : kBadCases) {
        try {
            readHar(c.text());
            ADD_FAILURE() << c.name << ": read";
        } catch (const HarError& e) {
            EXPECT_EQ(e.kind, c.kind) << c.name << ": " << e.what();
            if (c.kind == HarError::Kind::InvalidUtf8) {
                EXPECT_NE(std::string(e.what()).find("invalid UTF-8"), std::string::npos);
            }
        }
    }
}

// A file with this status and request bodySize, as written.
Har withNumbers(const std::string& status, const std::string& bodySize) {
    return readHar(
        "\xEF\xBB\xBF{\"log\":{\"entries\":[{\"_resourceType\":\"document\",\"request\":{"
        "\"method\":\"GET\",\"url\":\"http://h/\",\"bodySize\":" +
        bodySize + "},\"response\":{\"status\":" + status + "}}]}}");
}

TEST(ReadHar, NumbersOutOfRangeAreNone) {
    const std::tuple<const char*, int, std::int64_t> rows[] = {
        {"200", 200, 200},   {"3e9", 0, 3000000000},
        {"-1e20", 0, -1},    {"1e400", 0, -1},
        {"200.5", 0, -1},    {"-0", 0, 0},
        {"302.0", 302, 302}, {"99999999999999999999", 0, -1},
        {"1000", 0, 1000},   {"-1", 0, -1},
        {"1E2", 100, 100},
    };
    for (const auto& [text, status, size] : rows) {
        const Har har = withNumbers(text, text);
        ASSERT_EQ(har.documents.size(), 1u) << text;
        EXPECT_EQ(har.documents[0].status, status) << text;
        EXPECT_EQ(har.documents[0].bodySize, size) << text;
    }
}

TEST(ReadHar, TextsOverTheirBoundAreLeftOutUnheld) {
    const std::string big(5000, 'x');
    const Har har = readHar(
        json{{"log",
              {{"entries",
                {{{"_resourceType", "document"},
                  {"request",
                   {{"method", "POST"},
                    {"url", "http://h/" + big},
                    {"postData",
                     {{"mimeType", "application/x-www-form-urlencoded"},
                      {"params",
                       {{{"name", "a"}, {"value", "1"}}, {{"name", "b"}, {"value", big}}}}}}}},
                  {"response",
                   {{"status", 200},
                    {"content", {{"mimeType", "image/png"}, {"text", big + big}}},
                    {"x" + big, big}}}}}}}}}
            .dump(),
        {.maxText = 100, .maxLine = 1000});
    ASSERT_EQ(har.documents.size(), 1u);
    const HarEntry& e = har.documents[0];
    EXPECT_EQ(e.url, "");
    EXPECT_EQ(e.status, 200);
    EXPECT_TRUE(e.paramsCut);
    ASSERT_EQ(e.params.size(), 1u);
    EXPECT_EQ(e.params[0].value, "1");
    EXPECT_FALSE(e.contentText);
}

TEST(ReadHar, KeepsTheDocumentsAndWhatTheirStepsNeed) {
    std::istringstream file(fixture("road-shift_jis.har"));
    const Har har = readHar(file);
    const std::string site = siteOf(json::parse(fixture("road-shift_jis.har")));
    EXPECT_EQ(har.version, "1.2");
    EXPECT_EQ(har.creator, "WebInspector 537.36");
    EXPECT_EQ(har.entries, 7u);
    std::vector<std::string> seen;
    for (const HarEntry& e : har.documents)
        seen.push_back(e.method + " " + e.url.substr(e.url.find('/', 7)) + " " +
                       std::to_string(e.status) + (e.contentText ? " page" : "") +
                       (e.postText ? " body" : "") +
                       (e.redirectUrl.empty() ? "" : " → " + e.redirectUrl));
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "GET /login.html 200 page",
                        "POST /login.cgi 303 body → " + site + "/input.html",
                        "GET /input.html 200 page",
                        "POST /confirm.cgi 303 body → " + site + "/confirm.html",
                        "GET /confirm.html 200 page",
                        "POST /complete.cgi 303 body → " + site + "/complete.html",
                        "GET /complete.html 200 page",
                    }));
    const HarEntry& login = har.documents[1];
    EXPECT_TRUE(login.referer.ends_with("/login.html"));
    EXPECT_EQ(login.requestContentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(login.params.size(), 2u);
}

TEST(ReadHar, AnAnswerOverTheBoundIsLeftOut) {
    const Har har = readHar(fixture("road-utf-8.har"), {.maxText = 200});
    ASSERT_EQ(har.documents.size(), 7u);
    EXPECT_TRUE(har.documents[0].contentCut);
    EXPECT_FALSE(har.documents[0].contentText);
    EXPECT_TRUE(har.documents[1].postText);  // the login's body is short
}

TEST(ReadHar, Base64AndMediaTypes) {
    EXPECT_EQ(base64Decoded("YWJj"), "abc");
    EXPECT_EQ(base64Decoded("YWI=\r\n"), "ab");
    EXPECT_EQ(base64Decoded("YQ"), "a");
    const std::string bytes("\x82\xA0\xFF\x00z", 5);
    EXPECT_EQ(base64Decoded(base64(bytes)), bytes);
    EXPECT_FALSE(base64Decoded("Y"));
    EXPECT_FALSE(base64Decoded("YW=J"));
    EXPECT_FALSE(base64Decoded("YW*J"));
    EXPECT_EQ(mediaType(" Text/HTML ; charset=x"), "text/html");
    EXPECT_EQ(mediaType("multipart/form-data; boundary=a"), "multipart/form-data");
}

}  // namespace
