// verrimo-cli check run as a program: the warnings as JSON lines and the exit status.
#include <gtest/gtest.h>

#include <fstream>

#include "run_program.h"

using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;

namespace {

ProgramRun cli(const std::vector<std::string>& args, const std::string& input = "") {
    return runProgram(VERRIMO_CLI, args, input, {"VERRIMO_CODEPAGE=CP932"});
}

TEST(CliCheck, CleanDefinitionFromAFilePrintsNothing) {
    const std::string path = ::testing::TempDir() + "verrimo-cli-check.txt";
    std::ofstream(path, std::ios::binary)
        << "Zem-Referer=top.html\r\naction=post.cgi\r\nsid=Zem-GetValue[sid]\r\n-\r\nchk-moji=\r\n";
    const ProgramRun run = cli({"check", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

TEST(CliCheck, FindingsAsJsonLinesWithCharacterColumns) {
    // 選択 in Shift_JIS, then a double-byte name before a blank.
    const ProgramRun run = cli(
        {"check"}, "Zem-Referer=top.html\r\n\x91\x49\x91\xf0=post.cgi\r\n\x96\xbc =Zem-Pas\r\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, R"({"line":2,"column":1,"rule":"target-kind",)"
                       R"("message":"対象の種類は action・Zem-Open・Zem-Fasy のどれかです"})"
                       "\n"
                       R"({"line":3,"column":2,"rule":"blank-around-equals",)"
                       R"("message":"「=」の前後に空白があります"})"
                       "\n"
                       R"({"line":3,"column":4,"rule":"unknown-keyword",)"
                       R"("message":"Zem- で始まる語がキーワードにありません"})"
                       "\n");
}

TEST(CliCheck, HelpAndUsageErrors) {
    EXPECT_NE(cli({"check", "--help"}).out.find("verrimo-cli check [--page FILE] [FILE]"),
              std::string::npos);
    EXPECT_NE(cli({"--help"}).out.find("verrimo-cli check [--page FILE] [FILE]"),
              std::string::npos);
    EXPECT_EQ(cli({"check", "a", "b"}).status, 2);
    EXPECT_EQ(cli({"check", "/nonexistent/definition.txt"}).status, 2);
}

}  // namespace

TEST(CliRequest, TheWorkedDefinitionAgainstItsPage) {
    const std::string page = ::testing::TempDir() + "verrimo-cli-request.html";
    std::ofstream(page, std::ios::binary)
        << "<form action=post.cgi method=post><input type=hidden name=sid value=s1>"
           "<input type=text name=q></form>";
    const std::string definition =
        "Zem-Referer=top.html\r\naction=post.cgi\r\nsid=Zem-GetValue[sid]\r\nq=Zem-email\r\n-\r\n"
        "chk-moji=\r\n\r\n";
    const ProgramRun json =
        cli({"request", "--page", page, "--url", "http://www.example.org/"}, definition);
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(
        json.out,
        R"({"line":2,"kind":"action","method":"POST","url":"http://www.example.org/post.cgi",)"
        R"("headers":{"Content-Type":"application/x-www-form-urlencoded",)"
        R"("Referer":"http://www.example.org/top.html","Origin":"http://www.example.org"},)"
        R"("charset":"UTF-8",)"
        R"("body":"sid=s1&q=user%40example.org","samples":[{"line":4,"name":"q",)"
        R"("stands_for":"Zem-email","sample":"user@example.org"}],"findings":[]})"
        "\n");
    EXPECT_EQ(cli({"request", "--curl"}, "Zem-Referer=http://a/\r\nZem-Open=b\r\n").out,
              "curl --globoff --url 'http://a/b' -H 'Referer: http://a/'\n");
    EXPECT_EQ(cli({"check", "--page", page}, definition).status, 0);
    const ProgramRun drifted =
        cli({"check", "--page", page}, "Zem-Referer=top.html\r\naction=new.cgi\r\n");
    EXPECT_EQ(drifted.status, 1);
    EXPECT_NE(drifted.out.find(R"("line":2,"column":1,"rule":"form-missing")"), std::string::npos);
}
