#include <gtest/gtest.h>

#include <algorithm>

#include "extract_page.h"
#include "extract_support.h"
#include "normalise.h"

using namespace verrimo;
using verrimo::testing::cp932;
using verrimo::testing::linesOf;
using verrimo::testing::memo;
using Lines = std::vector<std::string>;

namespace {

// Every line of the required-tag and image-tag lists is one whole tag.
void expectWholeTags(std::string_view list) {
    for (const auto& line : linesOf(list)) {
        ASSERT_GE(line.size(), 2u);
        EXPECT_EQ(line.front(), '<');
        EXPECT_EQ(line.find('>'), line.size() - 1);
    }
    EXPECT_EQ(memo(linesOf(list)), list);
}

// The page with its line breaks as CR LF, without double quotes, letters in lower case: what
// the normaliser must keep.
std::string kept(std::string_view page) {
    std::string s = joinLines(splitLines(page));
    s.erase(std::remove(s.begin(), s.end(), '"'), s.end());
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

TEST(ExtractPage, TheWorkedLoginPage) {
    const std::string page =
        memo({"<form action=\"login.cgi\" method=post>", "<INPUT TYPE=hidden NAME=sid VALUE=x1>",
              "<input type=\"text\" name=\"user\"><br>",
              "<a href=\"help.html\">help</a> <IMG SRC=\"logo.gif\">", "</form>"});
    const Extraction r = extractPage(page, "http://example.test/login", cp932());
    EXPECT_EQ(r.lists.source,
              memo({"", "<form action=\"login.cgi\" method=post>", "",
                    "<input type=hidden name=\"sid\" value=\"x1\">", "",
                    "<input type=\"text\" name=\"user\">", "", "<br>", "", "<a href=\"help.html\">",
                    "help", "</a>", "", "<img src=\"logo.gif\">", "", "</form>", ""}));
    EXPECT_EQ(r.lists.required, memo({"<form action=\"login.cgi\" method=post>",
                                      "<input type=hidden name=\"sid\" value=\"x1\">",
                                      "<input type=\"text\" name=\"user\">"}));
    EXPECT_EQ(r.lists.images, memo({"<img src=\"logo.gif\">"}));
    EXPECT_EQ(r.lists.links, memo({"<a href=\"help.html\">"}));
    EXPECT_EQ(r.targets.referrer, "http://example.test/login");
    EXPECT_EQ(r.targets.targets.size(), 3u);
    EXPECT_EQ(r.targets.targets[0], "login.cgi");
    EXPECT_EQ(cp932().decode(r.targets.targets[1]), U"＝ここから下が通常リンクタグからの抽出＝");
    EXPECT_EQ(r.targets.targets[2], "help.html");
    EXPECT_EQ(r.targets.target, "login.cgi");
    EXPECT_EQ(r.targets.kind, "action");
}

TEST(ExtractPage, WithoutAFormTheKindStaysChoose) {
    const Extraction r = extractPage("<a href=\"x\">", "", cp932());
    EXPECT_EQ(cp932().decode(r.targets.kind), U"選択");
    EXPECT_EQ(r.targets.target, "x");
    EXPECT_EQ(r.targets.referrer, "");
}

TEST(ExtractRobustness, EmptyOddAndBrokenPages) {
    const std::vector<std::string> pages = {
        "",
        "no tags at all",
        ">>>>",
        std::string("<input name=\0a>\0<img\0>", 22),
        "\x81<input \x82name=\xff\xfe value=\x81>\x83",
        "<<<<",
        std::string(1000, '\x81') + "<input name=x>",
    };
    for (const auto& page : pages) {
        const Extraction r = extractPage(page, "u", cp932());
        expectWholeTags(r.lists.required);
        expectWholeTags(r.lists.images);
        EXPECT_EQ(kept(normalise(page, cp932())), kept(page));
    }
    EXPECT_EQ(extractPage(std::string("<input name=\0a>", 15), "", cp932()).lists.required,
              std::string("<input name=\"\0a\">\r\n", 19));
}

TEST(ExtractRobustness, AFiftyMegabyteLineWithoutABreak) {
    std::string page;
    page.reserve(50u << 20);
    while (page.size() < (50u << 20))
        page +=
            "<INPUT TYPE=TEXT NAME=q VALUE=v> and some text between the fields of the form, "
            "just to make the line long.";
    const std::string normalised = normalise(page, cp932());
    // Only the first name= and value= of the line are quoted.
    EXPECT_EQ(normalised.size(), page.size() + 4 + 2);
    const ScanResult r = scan(normalised);
    EXPECT_EQ(std::count(r.required.begin(), r.required.end(), '\n'),
              std::count(page.begin(), page.end(), '<'));
}

TEST(ExtractRobustness, TwoMillionTags) {
    std::string page;
    for (int i = 0; i < 1'000'000; ++i) page += "<input name=a>\r\n<a class=\"c\" href=\"l\">\r\n";
    const Extraction r = extractPage(page, "", cp932());
    // 999,999 cycles: the first 500,000 fields and 499,999 links.
    EXPECT_EQ(linesOf(r.lists.required).size(), 500'000u);
    EXPECT_EQ(linesOf(r.lists.links).size(), 499'999u);
    EXPECT_EQ(r.targets.targets.size(), 500'000u);
}

TEST(ReadPage, PiecesHandedOutAreTheSourceList) {
    const std::string page =
        "<FORM ACTION=\"a.cgi\">\r<INPUT NAME=q VALUE=1>\n\x82\xa0<a href=\"x.html\">x</a>\r\n"
        "<IMG SRC=i.gif><select name=s><option value=v>o</select>";
    const Extraction kept = extractPage(page, "http://example.test/", cp932());
    std::vector<std::string_view> pieces;
    const PageReading handed =
        readPage({page, {}, "http://example.test/"}, cp932(),
                 {.readPiece = [&](std::string_view p) { pieces.push_back(p); }});
    // The views stay valid as long as the reading.
    EXPECT_EQ(memo(Lines(pieces.begin(), pieces.end())), kept.lists.source);
    EXPECT_EQ(handed.extraction.lists.source, "");
    EXPECT_EQ(handed.extraction.lists.required, kept.lists.required);
    EXPECT_EQ(handed.extraction.targets.targets, kept.targets.targets);
}

struct ReadingCase {
    const char* name;
    std::string page;
    bool pageCodePage;
    std::string charset;
    std::string codePage;  // what the page is read in
    std::vector<ReadingWarning::Kind> warnings;
};

class ReadPageCodePage : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(ReadPageCodePage, ReadsInTheCodePageItShouldAndWarnsWhenItDoesNot) {
    const ReadingCase& c = GetParam();
    const PageReading r = readPage({c.page, {}, "u"}, cp932(), {.pageCodePage = c.pageCodePage});
    EXPECT_EQ(r.charset, c.charset);
    EXPECT_EQ(r.codePage->name(), c.codePage);
    std::vector<ReadingWarning::Kind> kinds;
    for (const auto& w : r.warnings) kinds.push_back(w.kind);
    EXPECT_EQ(kinds, c.warnings);
}

using Kind = ReadingWarning::Kind;
const std::string kUtf8Form = "<meta charset=utf-8><input name=\"名前\" value=\"山田\">";

INSTANTIATE_TEST_SUITE_P(
    Pages, ReadPageCodePage,
    ::testing::Values(
        ReadingCase{"utf8_in_cp932", kUtf8Form, false, "UTF-8", "CP932", {Kind::OtherCharset}},
        ReadingCase{"utf8_auto", kUtf8Form, true, "UTF-8", "UTF-8", {}},
        ReadingCase{
            "sjis_in_cp932", "<input value=\"\x83\x5c\x95\x5c\">", false, "Shift_JIS", "CP932", {}},
        ReadingCase{
            "ascii_auto_stays", "<meta charset=euc-jp><input name=a>", true, "EUC-JP", "CP932", {}},
        ReadingCase{"utf16_unreadable_auto",
                    std::string("\xFF\xFE<\0i\0>\0\xe9", 9),
                    true,
                    "UTF-16LE",
                    "CP932",
                    {Kind::Unreadable}},
        ReadingCase{"cut_after_the_cycle_limit",
                    [] {
                        std::string p;
                        for (int i = 0; i < 1'000'000; ++i) p += "<b>";
                        return p;
                    }(),
                    false,
                    "Shift_JIS",  // ASCII alone: what a browser reads it in
                    "CP932",
                    {Kind::Cut}}),
    [](const ::testing::TestParamInfo<ReadingCase>& info) { return std::string(info.param.name); });

TEST(ReadPage, TheUrlBoxFollowsThePageIntoItsCodePage) {
    const PageReading r =
        readPage({kUtf8Form + "<form action=a>", {}, cp932().fromUtf8("http://例.jp/")}, cp932(),
                 {.pageCodePage = true});
    EXPECT_EQ(r.extraction.targets.referrer, "http://例.jp/");
}
