// The requests of a definition as the preview shows them and as curl lines, and the
// sample-values file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "extract_support.h"
#include "request_text.h"
#include "sample_file.h"

using namespace verrimo;
using verrimo::testing::cp932;

namespace {

StepRequest post(std::string charset, std::vector<RequestField> fields) {
    StepRequest r;
    r.targetLine = 1;
    r.kind = "action";
    r.method = "POST";
    r.url = "http://h/e.cgi";
    r.headers = {{"Content-Type", "application/x-www-form-urlencoded"}, {"Referer", "http://h/"}};
    r.charset = std::move(charset);
    r.fields = std::move(fields);
    return r;
}

// A step as lines: the table's rows as "[name | value | sent]", the body after "body:".
std::string flat(const StepView& v) {
    std::string out = v.heading + "\n";
    for (const std::string& line : v.request) out += line + "\n";
    for (const FieldView& f : v.fields)
        out += "[" + f.name + " | " + f.value + " | " + f.sent + "]\n";
    if (v.hasBody) out += "body:\n";
    for (const std::string& line : v.body) out += line + "\n";
    for (const std::string& note : v.notes) out += note + "\n";
    return out;
}

struct ViewCase {
    const char* name;
    StepRequest request;
    const char* expected;
};

TEST(RequestViews, EachFieldDecodedBesideWhatIsSent) {
    StepRequest encoded = post("UTF-8", {{2, "\xe5\x90\x8d", "a&b=c+d%\r\n\xe5\x90\x8d", ""},
                                         {3, "id", "user", "Zem-ID"},
                                         {4, "k", "", "Zem-GetValue[k]"}});
    encoded.body = "%E5%90%8D=a%26b%3Dc%2Bd%25%0D%0A%E5%90%8D&id=user&k=";
    StepRequest multipart = post("Shift_JIS", {{2, "q", "\x82\xa0\r\nx", ""}});
    multipart.headers.front().second = "multipart/form-data; boundary=b";
    multipart.body =
        "--b\r\nContent-Disposition: form-data; name=\"q\"\r\n\r\n\x82\xa0\r\nx\r\n--b--\r\n";
    multipart.findings = {{2, "field-unknown", "フォームにこの名前の項目がありません"}};
    StepRequest plain = post("Shift_JIS", {{2, "q", "a+b", ""}});
    plain.headers.front().second = "text/plain";
    plain.body = "q=a+b\r\n";
    StepRequest link;
    link.targetLine = 4;
    link.kind = "Zem-Open";
    link.method = "GET";
    link.url = "http://h/next?a=%E3%81%82";
    link.pageNotLoaded = true;
    StepRequest query = post("Shift_JIS", {{2, "q", "\x82\xa0 +", ""}});
    query.method = "GET";
    query.headers = {{"Referer", "http://h/"}};
    query.url = "http://h/e.cgi?q=%82%A0+%2B";
    StepRequest unknown = post("x-unknown", {{2, "q", "\x82\xa0", ""}});
    unknown.body = "q=%82%A0";
    StepRequest eucJp = post("EUC-JP", {{2, "q", "\xfc\xe2\xad\xa1\xa1\xc1", ""}});
    eucJp.body = "q=%FC%E2%AD%A1%A1%C1";
    StepRequest shiftJis = post("Shift_JIS", {{2, "q", "\xfb\xfc\x87\x40\x81\x60", ""}});
    shiftJis.body = "q=%FB%FC%87%40%81%60";
    const ViewCase cases[] = {
        {"URL-encoded POST: a separator in a value stays in its cell; samples marked", encoded,
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: application/x-www-form-urlencoded\nReferer: http://h/\n"
         "[名 | a&b=c+d%↵名 | %E5%90%8D=a%26b%3Dc%2Bd%25%0D%0A%E5%90%8D]\n"
         "[id | user（サンプル：Zem-ID） | id=user]\n"
         "[k | （サンプル：Zem-GetValue） | k=]\n"
         "body:\n%E5%90%8D=a%26b%3Dc%2Bd%25%0D%0A%E5%90%8D&id=user&k=\n"
         "※ サンプルは見本の値です。実際の送信ではホストがそのキーワードの値を入れます。\n"},
        {"multipart sends the bytes themselves, its body a line at a time", multipart,
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: multipart/form-data; boundary=b\nReferer: http://h/\n"
         "[q | あ↵x | q=あ↵x]\n"
         "body:\n--b\nContent-Disposition: form-data; name=\"q\"\n\nあ\nx\n--b--\n"
         "！ 3 行目: フォームにこの名前の項目がありません\n"},
        {"text/plain", plain,
         "■ 2 行目　action\nPOST http://h/e.cgi\nContent-Type: text/plain\nReferer: http://h/\n"
         "[q | a+b | q=a+b]\nbody:\nq=a+b\n"},
        {"a GET's fields are its query, and it has no body", query,
         "■ 2 行目　action\nGET http://h/e.cgi?q=%82%A0+%2B\nReferer: http://h/\n"
         "[q | あ + | q=%82%A0+%2B]\n"},
        {"a step whose page is not loaded", link,
         "■ 5 行目　Zem-Open\nGET http://h/next?a=%E3%81%82\n"
         "このステップのページは読み込まれていません\n"},
        {"EUC-JP read as browsers read it", eucJp,
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: application/x-www-form-urlencoded\nReferer: http://h/\n"
         "[q | 髙①～ | q=%FC%E2%AD%A1%A1%C1]\nbody:\nq=%FC%E2%AD%A1%A1%C1\n"},
        {"Shift_JIS read as browsers read it", shiftJis,
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: application/x-www-form-urlencoded\nReferer: http://h/\n"
         "[q | 髙①～ | q=%FB%FC%87%40%81%60]\nbody:\nq=%FB%FC%87%40%81%60\n"},
        {"a charset the program lacks reads in the definition's", unknown,
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: application/x-www-form-urlencoded\nReferer: http://h/\n"
         "[q | あ | q=%82%A0]\nbody:\nq=%82%A0\n"},
    };
    for (const ViewCase& c : cases) {
        const std::vector<StepView> views = requestViews(std::span(&c.request, 1), cp932());
        ASSERT_EQ(views.size(), 1u) << c.name;
        EXPECT_EQ(flat(views[0]), c.expected) << c.name;
    }
    EXPECT_TRUE(requestViews({}, cp932()).empty());
    EXPECT_EQ(noRequestsText(),
              "送信する手順がありません（Zem-Referer の行とその後の送信先の行が要ります）。");
}

TEST(RequestText, CurlLinesReadInTheFormsCharset) {
    StepRequest r = post("UTF-8", {{2, "q", "\xe3\x81\x82", ""}});
    r.headers = {{"Content-Type", "multipart/form-data; boundary=b"}};
    StepRequest link;
    link.method = "GET";
    link.url = "http://h/";
    EXPECT_EQ(curlText(std::vector{r, link}, cp932()),
              "curl --globoff -X POST --url 'http://h/e.cgi' --form-string 'q=あ'\n"
              "curl --globoff --url 'http://h/'\n");
}

// Sets the variables the configuration folder comes from for a test, and puts them back.
class Environment {
  public:
    Environment() {
        for (Saved& s : saved_)
            if (const char* value = std::getenv(s.name)) s.value = value;
    }
    ~Environment() {
        for (const Saved& s : saved_)
            s.value ? setenv(s.name, s.value->c_str(), 1) : unsetenv(s.name);
    }
    static void set(const char* name, const char* value) {
        value ? setenv(name, value, 1) : unsetenv(name);
    }

  private:
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    };
    Saved saved_[2] = {{"XDG_CONFIG_HOME", {}}, {"HOME", {}}};
};

struct PathCase {
    const char* config;  // nullptr: unset
    const char* home;
    const char* expected;
};

TEST(SampleFile, LivesInTheUsersConfigurationFolder) {
    const PathCase cases[] = {{"/c", "/h", "/c/verrimo/samples.txt"},
                              {"", "/h", "/h/.config/verrimo/samples.txt"},
                              {nullptr, "/h", "/h/.config/verrimo/samples.txt"},
                              {nullptr, nullptr, ""}};
    const Environment restored;
    for (const PathCase& c : cases) {
        Environment::set("XDG_CONFIG_HOME", c.config);
        Environment::set("HOME", c.home);
        EXPECT_EQ(userSamplesPath(), c.expected) << (c.config ? c.config : "unset");
    }
}

TEST(SampleFile, WrittenValuesReadBack) {
    const auto folder = std::filesystem::temp_directory_path() / "verrimo_sample_file_test";
    std::filesystem::remove_all(folder);
    const Environment restored;
    Environment::set("XDG_CONFIG_HOME", folder.c_str());
    EXPECT_EQ(userSampleValues().id, SampleValues().id);  // no file yet
    ASSERT_TRUE(writeUserSampleValues({"me", "p=w", "me@example.com"}));
    const SampleValues read = userSampleValues();
    EXPECT_EQ(read.id, "me");
    EXPECT_EQ(read.password, "p=w");
    EXPECT_EQ(read.email, "me@example.com");
    std::filesystem::remove_all(folder);
}

}  // namespace
