// verrimo-cli walk and encode run as a program.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "run_program.h"

using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;

namespace {

ProgramRun cli(const std::vector<std::string>& args, const std::string& input = "") {
    return runProgram(VERRIMO_CLI, args, input, {"VERRIMO_CODEPAGE=CP932"});
}

std::string tempFile(const std::string& name, const std::string& bytes) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string lastLine(const std::string& out) {
    const std::size_t start = out.rfind('\n', out.size() - 2);
    return out.substr(start == std::string::npos ? 0 : start + 1);
}

// One tag per source line, so that the normaliser quotes every name and value; ソ表 in Shift_JIS.
const std::string kFormPage =
    "<form action=\"post.cgi\">\n<input type=hidden name=sid value=\"a b/c\">\n"
    "<input type=hidden name=kana value=\"\x83\x5c\x95\x5c\">\n<input type=text name=user>\n"
    "<select name=pref>\n<option value=\"tokyo\">\n<option value=\"\">\n"
    "<option value=\"osaka\">\n</select>\n<input type=radio name=r value=1>\n"
    "<input type=radio name=r value=2>\n<input type=checkbox name=ok>\n"
    "<input type=submit value=Send>\n</form>\n";

const std::string kAutoFile = "#user=skip\r\nuser=bob\r\nmyuser=carol\r\n";

const std::string kFormWalk =
    R"({"index":0,"tag":"<form action=\"post.cgi\">","hint":"","hint2":"","name":"Edit_name",)"
    R"("identity":"","fixed_value":"Edit_val","expression":"","operand":"Edit_zem","auto":"","auto_items":[],"row":0,)"
    R"("appended":null})"
    "\n"
    R"({"index":1,"tag":"<input type=hidden name=\"sid\" value=\"a b/c\">","hint":"hidden　です",)"
    R"("hint2":"","name":"sid","identity":"","fixed_value":"a+b%2Fc","expression":"Zem-GetValue","operand":"sid","auto":"",)"
    R"("auto_items":[],"row":3,"appended":"sid=Zem-GetValue[sid]"})"
    "\n"
    R"({"index":2,"tag":"<input type=hidden name=\"kana\" value=\"ソ表\">","hint":"hidden　です",)"
    R"("hint2":"","name":"kana","identity":"","fixed_value":"ソ表","expression":"Zem-GetValue","operand":"kana","auto":"",)"
    R"("auto_items":[],"row":3,"appended":"kana=Zem-GetValue[kana]"})"
    "\n"
    R"({"index":3,"tag":"<input type=text name=\"user\">","hint":"文字入力　です","hint2":"",)"
    R"("name":"user","identity":"","fixed_value":"","expression":"","operand":"","auto":"bob","auto_items":["carol"],)"
    R"("row":0,"appended":null})"
    "\n"
    R"({"index":8,"tag":"<select name=\"pref\">","hint":"select　です","hint2":"","name":"pref",)"
    R"("identity":"","fixed_value":"","expression":"Zem-Select","operand":"tokyoosaka","auto":"","auto_items":[],"row":3,)"
    R"("appended":"pref=Zem-Select[tokyoosaka]"})"
    "\n"
    R"({"index":10,"tag":"<input type=radio name=\"r\" value=\"1\">","hint":"ラジオボタン　です",)"
    R"("hint2":"","name":"r","identity":"","fixed_value":"","expression":"Zem-Select","operand":"1,2","auto":"bob",)"
    R"("auto_items":["carol"],"row":3,"appended":"r=Zem-Select[1,2]"})"
    "\n"
    R"({"index":11,"tag":"<input type=checkbox name=\"ok\">","hint":"チェックBOXです！",)"
    R"("hint2":"value値が無く、常にチェックの時はonにしてください","name":"ok","identity":"on","fixed_value":"",)"
    R"("expression":"","operand":"","auto":"","auto_items":[],"row":2,"appended":"ok="})"
    "\n"
    R"({"index":12,"tag":"<input type=submit value=\"Send\">","hint":"Submitボタンです","hint2":"",)"
    R"("name":"ok","identity":"on","fixed_value":"","expression":"","operand":"","auto":"","auto_items":[],"row":2,)"
    R"("appended":"ok="})"
    "\n"
    R"({"end":true,"index":13})"
    "\n"
    R"({"definition":["sid=Zem-GetValue[sid]","kana=Zem-GetValue[kana]",)"
    R"("pref=Zem-Select[tokyoosaka]","r=Zem-Select[1,2]","ok=","ok="]})"
    "\n";

}  // namespace

TEST(CliWalk, EveryProposalAcceptedWithTheAutoList) {
    const std::string autoPath = tempFile("verrimo-auto.txt", kAutoFile);
    const ProgramRun run = cli({"walk", "--auto", autoPath}, kFormPage);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, kFormWalk);

    const std::string page = tempFile("verrimo-walk.html", kFormPage);
    EXPECT_EQ(cli({"walk", page, "--auto=" + autoPath}).out, kFormWalk);
}

TEST(CliWalk, GetValueClearedAndNoAutoList) {
    const ProgramRun run = cli({"walk", "--no-getvalue"}, kFormPage);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find("bob"), std::string::npos);
    EXPECT_EQ(lastLine(run.out),
              R"({"definition":["sid=a+b%2Fc","kana=ソ表","pref=Zem-Select[tokyoosaka]",)"
              R"("r=Zem-Select[1,2]","ok=","ok="]})"
              "\n");
}

TEST(CliWalk, EmptyPageAndUnclosedElements) {
    EXPECT_EQ(cli({"walk"}).out, "{\"end\":true,\"index\":0}\n{\"definition\":[]}\n");
    const ProgramRun run =
        cli({"walk"},
            "<select name=s>\n<option value=a>\n<input type=text name=t>\n"
            "<input type=radio name=r value=1>\n<input type=radio name=r value=2>\n");
    EXPECT_NE(run.out.find(R"({"index":1,"tag":"<select name=\"s\">")"), std::string::npos)
        << run.out;
    EXPECT_EQ(lastLine(run.out), R"({"definition":["s=Zem-Select[a]","r=Zem-Select[1,2]"]})"
                                 "\n");
}

TEST(CliEncode, PrintsTheEncodedValue) {
    const std::pair<std::string, std::string> cases[] = {{"a b/c", "a+b%2Fc"},
                                                         {"a=b&c=d", "a%3Db%26c%3Dd"},
                                                         {"100% x+y", "100%+x+y"},
                                                         {"ソ表 能", "ソ表+能"},
                                                         {"", ""},
                                                         {"-x", "-x"}};
    for (const auto& [text, encoded] : cases) EXPECT_EQ(cli({"encode", text}).out, encoded + "\n");
    EXPECT_EQ(cli({"encode", "--", "--help"}).out, "--help\n");
}

TEST(CliWalkEncode, ErrorsAndHelp) {
    for (const auto& args : {std::vector<std::string>{"walk", "--auto", "/no/such/auto.txt"},
                             {"walk", "--auto"},
                             {"walk", "--getvalue"},
                             {"walk", "a.html", "b.html"},
                             {"walk", "/no/such/page.html"},
                             {"encode"},
                             {"encode", "a", "b"},
                             {"encode", "--"}}) {
        const ProgramRun run = cli(args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_EQ(run.out, "") << args.back();
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args.back();
    }
    EXPECT_NE(cli({"walk", "--help"}).out.find("verrimo-cli walk [--auto FILE] [--no-getvalue]"),
              std::string::npos);
    EXPECT_NE(cli({"encode", "--help"}).out.find("verrimo-cli encode TEXT"), std::string::npos);
}

TEST(CliWalk, AUtf8PageWarnsAndAutoReadsItAsUtf8Does) {
    const std::string page = "<meta charset=utf-8>\n<input type=hidden name=kana value=\"ソ表\">\n";
    const ProgramRun plain = cli({"walk"}, page);
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.err,
              "verrimo-cli: warning: the page reads as UTF-8, not as CP932, the code page in use; "
              "--codepage UTF-8 (or --codepage auto) reads it\n");
    const ProgramRun utf8 = cli({"--codepage", "UTF-8", "walk"}, page);
    const ProgramRun automatic = cli({"--codepage=auto", "walk"}, page);
    EXPECT_EQ(automatic.err, "");
    EXPECT_EQ(automatic.out, utf8.out);
    EXPECT_NE(automatic.out.find("kana=Zem-GetValue[kana]"), std::string::npos);
    EXPECT_NE(automatic.out.find(R"("fixed_value":"ソ表")"), std::string::npos);
    EXPECT_NE(plain.out, utf8.out);
}
