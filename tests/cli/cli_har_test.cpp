// verrimo-cli har: the road of a browser's HAR file as a definition, and its exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace {

using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;

const std::string kShiftJis = std::string(VERRIMO_HAR_DATA) + "/road-shift_jis.har";
const std::string kUtf8 = std::string(VERRIMO_HAR_DATA) + "/road-utf-8.har";

ProgramRun cli(const std::vector<std::string>& args, const std::string& input = {}) {
    std::vector<std::string> all{"har"};
    all.insert(all.end(), args.begin(), args.end());
    return runProgram(VERRIMO_CLI, all, input, {"VERRIMO_CODEPAGE=CP932"});
}

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The lines of the output that begin with prefix.
std::vector<std::string> linesStarting(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(prefix)) lines.push_back(line);
    return lines;
}

TEST(CliHar, PrintsTheRoadAsADefinitionInTheCodePage) {
    const ProgramRun run = cli({kShiftJis});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(linesStarting(run.out, "Zem-Referer=").size(), 3u);
    // 山田 太郎+&% as typed, in Shift_JIS
    EXPECT_NE(run.out.find("\r\nname=\x8E"
                           "R\x93"
                           "c%20\x91\xBE\x98"
                           "Y%2B%26%25\r\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("\r\npass=Zem-Pass\r\n"), std::string::npos);
    EXPECT_TRUE(run.out.ends_with("\r\n"));
    // The same from standard input.
    EXPECT_EQ(cli({"-"}, fileText(kShiftJis)).out, run.out);
}

TEST(CliHar, KeepsTheStepsAskedFor) {
    const ProgramRun all = cli({kUtf8});
    const ProgramRun some = cli({"--steps", "3,1,3", kUtf8});
    ASSERT_EQ(some.status, 0) << some.err;
    const auto referrers = linesStarting(some.out, "Zem-Referer=");
    ASSERT_EQ(referrers.size(), 2u);
    EXPECT_TRUE(referrers[0].ends_with("/login.html\r"));
    EXPECT_TRUE(referrers[1].ends_with("/confirm.html\r"));
    EXPECT_EQ(cli({"--steps=1,2,3", kUtf8}).out, all.out);
}

TEST(CliHar, JsonGivesOneLinePerStep) {
    const ProgramRun run = cli({"--json", "--steps", "2", kShiftJis});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
    const auto step = nlohmann::json::parse(run.out);
    EXPECT_EQ(step["step"], 2);
    EXPECT_EQ(step["method"], "POST");
    EXPECT_EQ(step["target"], "confirm.cgi");
    EXPECT_EQ(step["referrer_page"], true);
    EXPECT_EQ(step["charset"], "Shift_JIS");
    EXPECT_EQ(step["fields"], 4);
    EXPECT_EQ(step["lines"][2], "token=Zem-GetValue[token]");
    EXPECT_EQ(step["lines"].back(), "chk-moji=入力内容の確認");
    EXPECT_EQ(step["check_strings"][0], "入力内容の確認");
    EXPECT_TRUE(step["notes"].empty());
    const std::string every = cli({"--json", kShiftJis}).out;
    EXPECT_EQ(std::count(every.begin(), every.end(), '\n'), 3);
    EXPECT_NE(every.find(run.out), std::string::npos);
}

struct StatusCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    int status;
    const char* err;  // what standard error holds
};

TEST(CliHar, BadInputIsNamedWithStatusTwoAndNothingPrinted) {
    const std::string har = fileText(kShiftJis);
    const StatusCase cases[] = {
        {"not JSON", {"-"}, "<html></html>", 2, "not a HAR file: no JSON text"},
        {"cut off", {"-"}, har.substr(0, har.size() - 20), 2, "it was cut off"},
        {"not a HAR", {"-"}, R"({"log":{}})", 2, "no log with entries"},
        {"no such file", {"/nonexistent/x.har"}, "", 2, "cannot open /nonexistent/x.har"},
        {"no file", {}, "", 2, "har needs a HAR file"},
        {"step 0", {"--steps", "0", kShiftJis}, "", 2, "from 1 to 3, got 0"},
        {"step past the last", {"--steps", "1,4", kShiftJis}, "", 2, "from 1 to 3, got 1,4"},
        {"no number", {"--steps", "1,", kShiftJis}, "", 2, "got 1,"},
        {"unknown option", {"--all", kShiftJis}, "", 2, "unknown option for har: --all"},
        {"no form submission", {"-"}, R"({"log":{"entries":[]}})", 1, "- holds no form submission"},
        {"invalid UTF-8", {"-"}, "{\"log\":{\"entries\":[],\"x\":\"\x82\xA0\"}}", 2,
         "invalid UTF-8 at byte 26"},
        {"a post to a file",
         {"-"},
         R"({"log":{"entries":[{"_resourceType":"document","request":{"method":"POST",)"
         R"("url":"file:///etc/passwd","headers":[],"postData":{"text":"a=1"}},"response":{}}]}})",
         1,
         "http でも https でもない（file:）"},
    };
    for (const StatusCase& c : cases) {
        const ProgramRun run = cli(c.args, c.input);
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.name;
    }
}

TEST(CliHar, ThePasswordInTheFileIsPrintedNowhere) {
    // The site's password, hunter2&s3cret, as the body and the decoded params hold it.
    ASSERT_NE(fileText(kUtf8).find("hunter2"), std::string::npos);
    for (const auto& args : {std::vector<std::string>{kUtf8}, {"--json", kUtf8}}) {
        const ProgramRun run = cli(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.find("hunter2"), std::string::npos);
        EXPECT_EQ(run.err.find("hunter2"), std::string::npos);
    }
}

TEST(CliHar, Help) {
    const ProgramRun run = cli({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("verrimo-cli har [--steps 1,3] [--json] FILE.har"), std::string::npos);
}

}  // namespace
