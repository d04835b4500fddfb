// verrimo-cli repair run as a program: the repaired text, the changes on standard error, the exit
// statuses, a diff that patch applies, and bad input.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "run_program.h"

using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;

namespace {

ProgramRun cli(const std::vector<std::string>& args, const std::string& input = "") {
    return runProgram(VERRIMO_CLI, args, input, {"VERRIMO_CODEPAGE=CP932"});
}

std::string written(const std::string& name, const std::string& bytes) {
    const std::string path = ::testing::TempDir() + "verrimo-repair-" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string readBack(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// A login page in Shift_JIS ("ログイン" as the button's value) and the definition the walker
// writes for it, with the user's ID in the text field.
const std::string kPage =
    "<form action=\"login.cgi\" method=\"post\">\n<input type=\"hidden\" name=\"token\" "
    "value=\"t1\">\n<input type=\"text\" name=\"user\">\n<input type=\"password\" "
    "name=\"pw\">\n<input type=\"submit\" name=\"go\" value=\"\x83\x8D\x83\x4F\x83\x43\x83\x93\">"
    "\n</form>\n";
const std::string kDefinition =
    "Zem-Referer=http://example.jp/login.html\r\naction=login.cgi\r\ntoken=Zem-GetValue[token]\r\n"
    "user=Zem-ID\r\npw=Zem-Pass\r\ngo=\x83\x8D\x83\x4F\x83\x43\x83\x93\r\n-\r\nchk-moji=\r\n";

std::string changed(std::string page, const std::string& from, const std::string& to) {
    page.replace(page.find(from), from.size(), to);
    return page;
}

struct Case {
    std::string name;
    std::string page;
    int status;
    std::string repaired;
    std::string errors;  // the JSON lines on standard error
};

const Case kCases[] = {
    {"Unchanged", kPage, 0, kDefinition, ""},
    {"HiddenRenamed", changed(kPage, "\"token\"", "\"csrf\""), 1,
     changed(kDefinition, "token=Zem-GetValue[token]", "csrf=Zem-GetValue[csrf]"),
     R"({"line":3,"kind":"renamed","message":"項目「token」の名前が「csrf」に変わりました"})"
     "\n"},
    {"HiddenAdded",
     changed(kPage, "<input type=\"text\"", "<input type=hidden name=n>\n<input type=\"text\""), 1,
     changed(kDefinition, "user=", "n=Zem-GetValue[n]\r\nuser="),
     R"({"line":3,"kind":"added","message":"hidden の項目「n」が加わりました"})"
     "\n"},
    {"NewPasswordNeedsTheUser",
     changed(kPage, "name=\"pw\">", "name=\"pw\"><input type=password name=pw2>"), 4, kDefinition,
     R"({"line":5,"kind":"needs-you","message":"パスワードの項目「pw2」が加わりました。値を決めてください"})"
     "\n"},
};

class CliRepair : public ::testing::TestWithParam<Case> {};

TEST_P(CliRepair, PrintsTheRepairedDefinitionAndItsChanges) {
    const Case& c = GetParam();
    const std::string page = written(c.name + ".html", c.page);
    const std::string def = written(c.name + ".txt", kDefinition);
    const ProgramRun run = cli({"repair", "--page", page, def});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.repaired);
    EXPECT_EQ(run.err, c.errors);
}

TEST_P(CliRepair, DiffThatPatchAppliesGivesTheSameText) {
    const Case& c = GetParam();
    const std::string page = written(c.name + "-diff.html", c.page);
    const std::string def = written(c.name + "-diff.txt", kDefinition);
    const ProgramRun diff = cli({"repair", "--page", page, "--diff", def});
    EXPECT_EQ(diff.status, c.status);
    EXPECT_EQ(diff.out.empty(), c.repaired == kDefinition);
    const ProgramRun patched = runProgram("/usr/bin/patch", {"--quiet", def}, diff.out, {});
    EXPECT_EQ(patched.status, 0) << patched.out << patched.err;
    EXPECT_EQ(readBack(def), c.repaired);
}

INSTANTIATE_TEST_SUITE_P(Repair, CliRepair, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

// A definition with LF line breaks and no break at its end comes back with CR LF; the diff says
// so for every line, and patch still applies it.
TEST(CliRepairDiff, LineBreaksOfAnotherKind) {
    std::string lf = kDefinition;
    for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.replace(at, 2, "\n");
    lf.pop_back();
    const std::string page = written("lf.html", changed(kPage, "\"token\"", "\"csrf\""));
    const std::string def = written("lf.txt", lf);
    const ProgramRun diff = cli({"repair", "--page", page, "--diff", def});
    EXPECT_EQ(diff.status, 1);
    EXPECT_NE(diff.out.find("\\ No newline at end of file"), std::string::npos);
    EXPECT_EQ(runProgram("/usr/bin/patch", {"--quiet", def}, diff.out, {}).status, 0);
    EXPECT_EQ(readBack(def),
              changed(kDefinition, "token=Zem-GetValue[token]", "csrf=Zem-GetValue[csrf]"));
}

struct BadInput {
    std::string name;
    std::string definition;
    std::string page;
};

const BadInput kBadInputs[] = {
    {"EmptyDefinition", "", kPage},
    {"BlankDefinition", " \r\n\r\n", kPage},
    {"BinaryDefinition",
     std::string("\x7f"
                 "ELF\x02\x01\x01\0\0\0\0",
                 12) +
         kDefinition,
     kPage},
    {"NoStep", "user=Zem-ID\r\n\x89\x50\x4e\x47 \xff\xd8\xff\xe0\r\n", kPage},
    {"PageWithoutForm", kDefinition, "<html><body><p>\x82\xa0</p></body></html>"},
    {"BinaryPage", kDefinition, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0", 18)},
    {"EmptyPage", kDefinition, ""},
};

class CliRepairBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(CliRepairBadInput, ExitsTwoWithAMessage) {
    const BadInput& c = GetParam();
    const ProgramRun run = cli({"repair", "--page", written(c.name + ".html", c.page),
                                written(c.name + ".txt", c.definition)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("verrimo-cli: "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Repair, CliRepairBadInput, ::testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return info.param.name; });

TEST(CliRepairUsage, NeedsAPageOrLiveAndOneDefinition) {
    const std::string def = written("usage.txt", kDefinition);
    EXPECT_EQ(cli({"repair", def}).status, 2);
    EXPECT_EQ(cli({"repair", "--page", def, "--live", def}).status, 2);
    EXPECT_EQ(cli({"repair", "--page", def}).status, 2);
    EXPECT_NE(cli({"repair", "--help"}).out.find("verrimo-cli repair --page NEWPAGE"),
              std::string::npos);
}

}  // namespace
