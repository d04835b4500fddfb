// verrimo-cli charset and --codepage run as a program.
#include <gtest/gtest.h>

#include <fstream>

#include "run_program.h"

using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;

namespace {

ProgramRun cli(const std::vector<std::string>& args, const std::string& input = "") {
    return runProgram(VERRIMO_CLI, args, input, {"VERRIMO_CODEPAGE=CP932"});
}

// ようこそ in Shift_JIS, then in UTF-8.
const std::string kSjis = "<p>\x82\xe6\x82\xa4\x82\xb1\x82\xbb</p>";
const std::string kUtf8 = "<p>ようこそ</p>";

TEST(CliCharset, NamesThePagesCharsetFromAFileOrStandardInput) {
    const std::string path = ::testing::TempDir() + "verrimo-cli-charset.html";
    std::ofstream(path, std::ios::binary) << kSjis;
    EXPECT_EQ(cli({"charset", path}).out, "Shift_JIS\n");
    const ProgramRun run = cli({"charset"}, "<meta charset=\"Shift_JIS\">" + kUtf8);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "UTF-8\n");
    EXPECT_EQ(cli({"charset", "--help"}).status, 0);
    EXPECT_EQ(cli({"charset", "a", "b"}).status, 2);
}

TEST(CliCodePage, TheOptionOverridesTheEnvironmentOnEveryCommand) {
    // Read in UTF-8 the page's text comes out as itself; in CP932 as the characters its bytes
    // make there.
    const ProgramRun utf8 = cli({"--codepage", "UTF-8", "extract"}, kUtf8);
    EXPECT_EQ(utf8.status, 0);
    EXPECT_NE(utf8.out.find("ようこそ"), std::string::npos);
    EXPECT_EQ(cli({"extract"}, kUtf8).out.find("ようこそ"), std::string::npos);
    EXPECT_EQ(cli({"extract", "--codepage=UTF-8"}, kUtf8).out, utf8.out);
    EXPECT_EQ(cli({"encode", "--codepage", "EUC-JP", "あ"}).out, "あ\n");
    // After "--" it is an operand like any other.
    EXPECT_EQ(cli({"encode", "--", "--codepage"}).out, "--codepage\n");
}

TEST(CliCodePage, ShiftJisIsTheWindowsCodePageAndEucJpTheBrowsersByAnyLabel) {
    // Each keeps the three characters as its own, rather than writing "?" (%3F) for them.
    for (const char* label : {"Shift_JIS", "sjis", "windows-31j", "EUC-JP", "x-euc-jp"})
        EXPECT_EQ(cli({"--codepage", label, "encode", "髙①～"}).out, "髙①～\n") << label;
    EXPECT_EQ(runProgram(VERRIMO_CLI, {"encode", "髙①～"}, "", {"VERRIMO_CODEPAGE=Shift_JIS"}).out,
              "髙①～\n");
}

TEST(CliCodePage, TheRequestSendsEucJpPageTextAsBrowsersReencodeIt) {
    // 髙①～ as browsers write them, 丂 of JIS X 0212, and ≒ in NEC's row 13.
    const std::string page = ::testing::TempDir() + "verrimo-cli-euc-jp.html";
    std::ofstream(page, std::ios::binary)
        << "<meta charset=euc-jp><form action=post.cgi method=post><input type=hidden name=h "
           "value=\"\xfc\xe2\xad\xa1\xa1\xc1\x8f\xb0\xa1\xad\xf0\"></form>";
    const ProgramRun run =
        cli({"--codepage", "euc-jp", "request", "--page", page},
            "Zem-Referer=http://a.test/\r\naction=post.cgi\r\nh=Zem-GetValue[h]\r\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(R"("body":"h=%FC%E2%AD%A1%A1%C1%26%2319970%3B%A2%E2")"),
              std::string::npos)
        << run.out;
}

// A page of ASCII alone that declares no charset: the charset named is the one its form is sent
// in, whatever the code page.
TEST(CliCharset, APageOfAsciiAloneIsInWhatItsFormIsSentIn) {
    const std::string page = ::testing::TempDir() + "verrimo-cli-ascii.html";
    std::ofstream(page, std::ios::binary)
        << "<html><head><title>t</title></head><body><form action=post.cgi method=post>"
           "<input name=q></form></body></html>";
    for (const char* codePage : {"CP932", "UTF-8", "EUC-JP"}) {
        const std::string charset = cli({"--codepage", codePage, "charset", page}).out;
        const ProgramRun request = cli({"--codepage", codePage, "request", "--page", page},
                                       "Zem-Referer=http://a.test/\r\naction=post.cgi\r\nq=1\r\n");
        EXPECT_NE(request.out.find("\"charset\":\"" + charset.substr(0, charset.size() - 1) + "\""),
                  std::string::npos)
            << codePage << ": " << charset << request.out;
    }
    EXPECT_EQ(cli({"charset", page}).out, "Shift_JIS\n");
}

TEST(CliCodePage, AnUnknownOrMissingNameIsAUsageError) {
    EXPECT_EQ(cli({"--codepage", "NO-SUCH", "extract"}, kUtf8).status, 2);
    EXPECT_EQ(cli({"extract", "--codepage"}, kUtf8).status, 2);
}

}  // namespace

TEST(CliCodePage, ExtractAndCheckSayWhatTheyReadAndAutoFollowsEachText) {
    const std::string warning = "verrimo-cli: warning: the page reads as UTF-8";
    EXPECT_EQ(cli({"extract"}, kUtf8).err.rfind(warning, 0), 0u);
    EXPECT_EQ(cli({"extract"}, kSjis).err, "");
    EXPECT_EQ(cli({"--codepage", "auto", "extract"}, kUtf8).out,
              cli({"--codepage", "UTF-8", "extract"}, kUtf8).out);
    EXPECT_EQ(cli({"--codepage", "auto", "extract"}, kSjis).out, cli({"extract"}, kSjis).out);
    const ProgramRun check = cli({"check"}, "Zem-Referer=http://a.test/\naction=ようこそ.cgi\n");
    EXPECT_EQ(check.err.rfind("verrimo-cli: warning: the definition reads as UTF-8", 0), 0u);
    EXPECT_EQ(cli({"--codepage", "auto", "check"}, "Zem-Referer=ようこそ\n").err, "");
}
