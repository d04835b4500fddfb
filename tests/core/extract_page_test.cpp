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

TEST(ExtractOwnedPage, GivesWhatExtractPageGives) {
    const std::string page =
        "<FORM ACTION=\"a.cgi\">\r<INPUT NAME=q VALUE=1>\n\x82\xa0<a href=\"x.html\">x</a>\r\n"
        "<IMG SRC=i.gif><select name=s><option value=v>o</select>";
    const Extraction viewed = extractPage(page, "http://example.test/", cp932());
    const Extraction owned = extractOwnedPage(page, "http://example.test/", cp932());
    EXPECT_EQ(owned.lists.source, viewed.lists.source);
    EXPECT_EQ(owned.lists.required, viewed.lists.required);
    EXPECT_EQ(owned.lists.images, viewed.lists.images);
    EXPECT_EQ(owned.lists.links, viewed.lists.links);
    EXPECT_EQ(owned.targets.targets, viewed.targets.targets);
    EXPECT_EQ(owned.targets.referrer, viewed.targets.referrer);
}
