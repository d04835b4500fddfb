// The requests of a definition as text to read and as curl lines, and the sample-values file.
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

struct TextCase {
    const char* name;
    std::vector<StepRequest> requests;
    const char* expected;
};

TEST(RequestText, EachStepReadsAsARequestWithItsFieldsDecoded) {
    StepRequest link;
    link.targetLine = 4;
    link.kind = "Zem-Open";
    link.method = "GET";
    link.url = "http://h/next?a=%E3%81%82";
    StepRequest found = post("Shift_JIS", {{2, "q", "\x82\xa0\r\nx", ""}});
    found.findings = {{2, "field-unknown", "フォームにこの名前の項目がありません"}};
    const TextCase cases[] = {
        {"none",
         {},
         "送信する手順がありません（Zem-Referer の行とその後の送信先の行が要ります）。\n"},
        {"utf8 form, samples",
         {post("UTF-8", {{2, "\xe5\x90\x8d", "\xe5\x90\x8d", ""},
                         {3, "id", "user", "Zem-ID"},
                         {4, "id2", "user", "Zem-ID"},
                         {5, "k", "", "Zem-GetValue[k]"}})},
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: application/x-www-form-urlencoded\nReferer: http://h/\n\n"
         "名=名\nid=user（サンプル：Zem-ID）\nid2=user（サンプル：Zem-ID）\n"
         "k=（サンプル：Zem-GetValue）\n"
         "※ サンプルは見本の値です。実際の送信ではホストがそのキーワードの値を入れます。\n"},
        {"line breaks in a value, a finding, then a link",
         {found, link},
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: application/x-www-form-urlencoded\nReferer: http://h/\n\n"
         "q=あ↵x\n！ 3 行目: フォームにこの名前の項目がありません\n\n"
         "■ 5 行目　Zem-Open\nGET http://h/next?a=%E3%81%82\n"},
        {"EUC-JP and Shift_JIS read as browsers read them",
         {post("EUC-JP", {{2, "q", "\xfc\xe2\xad\xa1\xa1\xc1", ""}}),
          post("Shift_JIS", {{2, "q", "\xfb\xfc\x87\x40\x81\x60", ""}})},
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: application/x-www-form-urlencoded\nReferer: http://h/\n\nq=髙①～\n\n"
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: application/x-www-form-urlencoded\nReferer: http://h/\n\nq=髙①～\n"},
        {"a charset the program lacks reads in the definition's",
         {post("x-unknown", {{2, "q", "\x82\xa0", ""}})},
         "■ 2 行目　action\nPOST http://h/e.cgi\n"
         "Content-Type: application/x-www-form-urlencoded\nReferer: http://h/\n\nq=あ\n"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(requestText(c.requests, cp932()), c.expected) << c.name;
}

TEST(RequestText, CurlLinesReadInTheFormsCharset) {
    StepRequest r = post("UTF-8", {{2, "q", "\xe3\x81\x82", ""}});
    r.headers = {{"Content-Type", "multipart/form-data; boundary=b"}};
    StepRequest link;
    link.method = "GET";
    link.url = "http://h/";
    EXPECT_EQ(curlText(std::vector{r, link}, cp932()),
              "curl -X POST 'http://h/e.cgi' --form-string 'q=あ'\ncurl 'http://h/'\n");
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
