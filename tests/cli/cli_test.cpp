// verrimo-cli run as a program: its output, its input and its errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "run_program.h"

using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;

namespace {

ProgramRun cli(const std::vector<std::string>& args, const std::string& input = "",
               const std::string& codePage = "CP932") {
    return runProgram(VERRIMO_CLI, args, input, {"VERRIMO_CODEPAGE=" + codePage});
}

std::string tempPage(const std::string& bytes) {
    const std::string path = ::testing::TempDir() + "verrimo-cli-page.html";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

void expectOneErrorLine(const ProgramRun& run) {
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_EQ(run.err.back(), '\n');
}

const std::string kLoginPage =
    "<form action=\"login.cgi\" method=post>\n<INPUT TYPE=hidden NAME=sid VALUE=x1>\n"
    "<input type=\"text\" name=\"user\"><br>\n<a href=\"help.html\">help</a> "
    "<IMG SRC=\"logo.gif\">\n</form>\n";

const std::string kLoginJson =
    R"({"source":["","<form action=\"login.cgi\" method=post>","",)"
    R"("<input type=hidden name=\"sid\" value=\"x1\">","","<input type=\"text\" name=\"user\">",)"
    R"("","<br>","","<a href=\"help.html\">","help","</a>","","<img src=\"logo.gif\">","",)"
    R"("</form>",""],"required":["<form action=\"login.cgi\" method=post>",)"
    R"("<input type=hidden name=\"sid\" value=\"x1\">","<input type=\"text\" name=\"user\">"],)"
    R"("images":["<img src=\"logo.gif\">"],"links":["<a href=\"help.html\">"],)"
    R"("referrer":"http://example.test/login","targets":["login.cgi",)"
    R"("＝ここから下が通常リンクタグからの抽出＝","help.html"],"target":"login.cgi",)"
    R"("kind":"action"})"
    "\n";

}  // namespace

TEST(CliExtract, TheWorkedLoginPageFromStandardInputOrAFile) {
    const ProgramRun fromStdin = cli({"extract", "--url", "http://example.test/login"}, kLoginPage);
    EXPECT_EQ(fromStdin.status, 0);
    EXPECT_EQ(fromStdin.err, "");
    EXPECT_EQ(fromStdin.out, kLoginJson);

    const std::string path = tempPage(kLoginPage);
    EXPECT_EQ(cli({"extract", "--url=http://example.test/login", path}).out, kLoginJson);
    EXPECT_EQ(cli({"extract", path, "--url", "http://example.test/login"}).out, kLoginJson);
    EXPECT_EQ(cli({"extract", "--url", "http://example.test/login", "-"}, kLoginPage).out,
              kLoginJson);
}

TEST(CliExtract, AnEmptyPageGivesOneEmptyLineAndTheSeparator) {
    const ProgramRun run = cli({"extract"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              R"({"source":[""],"required":[],"images":[],"links":[],"referrer":"",)"
              R"("targets":["＝ここから下が通常リンクタグからの抽出＝"],"target":"","kind":"選択"})"
              "\n");
}

TEST(CliExtract, BytesThatDoNotDecodeAndCharactersJsonMustEscape) {
    const char raw[] = "<input name=\"q\\\" value=\"\x80\xff\x82\xa0\">x\ty\x01z\0w<br>";
    const std::string page(raw, sizeof raw - 1);
    const std::string tag =
        "<input name=\\\"q\\\\\\\" value=\\\"\xef\x9e\x80\xef\x9f\xbf\xe3\x81\x82\\\">";
    const ProgramRun run = cli({"extract"}, page);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "{\"source\":[\"\",\"" + tag +
                  "\",\"x\\ty\\u0001z\\u0000w\",\"<br>\",\"\"],"
                  "\"required\":[\"" +
                  tag +
                  "\"],\"images\":[],\"links\":[],\"referrer\":\"\","
                  "\"targets\":[\"＝ここから下が通常リンクタグからの抽出＝\"],\"target\":\"\","
                  "\"kind\":\"選択\"}\n");
}

TEST(CliExtract, LongPiecesKeepEveryCharacterWhereverItFalls) {
    // Pieces longer than the writer's slices, with a two-byte character, an escape and a quote
    // at each offset around the slice edges, and with a plain run of every length before them.
    std::string page;
    std::string expected;
    for (std::size_t run = 4086; run < 4106; ++run) {
        const std::string plain(run, 'a');
        page += plain + "\x82\xa0\t\"<br>";
        expected += "\"" + plain + "\xe3\x81\x82\\t\\\"\",\"<br>\",";
    }
    const ProgramRun run = cli({"extract"}, page);
    EXPECT_EQ(run.status, 0);
    const std::string start = "{\"source\":[" + expected;
    EXPECT_EQ(run.out.substr(0, start.size()), start);
}

TEST(CliExtract, TheUrlIsTakenAsTextAndComesBackAsTheReferrer) {
    const ProgramRun run = cli({"extract", "--url", "http://例.jp/a?b=\"c\""});
    EXPECT_NE(run.out.find(R"("referrer":"http://例.jp/a?b=\"c\"")"), std::string::npos) << run.out;
}

TEST(CliExtract, TheProgramsCodePageDecodesTheStrings) {
    const ProgramRun run = cli({"extract"}, "<a href=\"\xe4\xbe\x8b.html\">", "UTF-8");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(R"("links":["<a href=\"例.html\">"])"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(R"("target":"例.html")"), std::string::npos) << run.out;
}

TEST(CliErrors, OneLineOnStandardErrorAndStatusTwo) {
    expectOneErrorLine(cli({"extract", "/no/such/file.html"}));
    expectOneErrorLine(cli({"extract", ::testing::TempDir()}));
    expectOneErrorLine(cli({"extract", "--verbose"}));
    expectOneErrorLine(cli({"extract", "--url"}));
    expectOneErrorLine(cli({"extract", "a.html", "b.html"}));
    expectOneErrorLine(cli({"frobnicate"}));
    expectOneErrorLine(cli({}));
    expectOneErrorLine(cli({"extract"}, "", "NO-SUCH-CODE-PAGE"));
    EXPECT_NE(cli({"extract", "/no/such/file.html"}).err.find("/no/such/file.html"),
              std::string::npos);
}

TEST(CliHelp, PrintsTheUsage) {
    for (const auto& args : {std::vector<std::string>{"--help"}, {"extract", "--help"}}) {
        const ProgramRun run = cli(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("verrimo-cli extract [--url URL] [FILE]"), std::string::npos);
    }
}
