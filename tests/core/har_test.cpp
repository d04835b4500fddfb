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

#include "codepage.h"
#include "form_body.h"
#include "har_road.h"

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
    const char* note;       // what the notes of the noted steps say; the others have none
    std::size_t noted = 3;  // how many steps have it
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

// The password the site takes, which the files hold in clear.
constexpr std::string_view kPassword = "hunter2&s3cret";

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
    EXPECT_EQ(read.documents.size(), 7u);  // the road's pages and posts, nothing else
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
        // The password the file holds in clear is written nowhere.
        for (const auto& texts : {s.fields, s.checkStrings, s.notes, stepLines(s)})
            for (const std::string& text : texts)
                EXPECT_EQ(text.find(kPassword), std::string::npos) << text;
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
    const HarRoad road = roadOfEntries(
        {documentEntry("GET", "http://h.example/", std::nullopt),
         documentEntry("POST", "http://h.example/in", std::nullopt,
                       "id=a&user_pw=1&passwd=2&pwd=3&pw2=4&newpassword=5&pwhint=6")});
    ASSERT_EQ(road.steps.size(), 1u);
    EXPECT_EQ(
        road.steps[0].fields,
        (std::vector<std::string>{"id=a", "user_pw=Zem-Pass", "passwd=Zem-Pass", "pwd=Zem-Pass",
                                  "pw2=Zem-Pass", "newpassword=Zem-Pass", "pwhint=6"}));
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
};

TEST(ReadHar, InputThatIsNoWholeHarFileIsNamed) {
    for (const BadCase& c : kBadCases) {
        try {
            readHar(c.text());
            ADD_FAILURE() << c.name << ": read";
        } catch (const HarError& e) {
            EXPECT_EQ(e.kind, c.kind) << c.name << ": " << e.what();
        }
    }
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
