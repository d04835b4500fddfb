#include <gtest/gtest.h>

#include "extract_support.h"
#include "normalise.h"
#include "scan.h"

using namespace verrimo;
using verrimo::testing::cp932;
using verrimo::testing::linesOf;
using Lines = std::vector<std::string>;

namespace {

// The scanner as its callers run it: on the normaliser's output.
ScanResult scanPage(std::string_view page) {
    return scan(normalise(page, cp932()));
}

}  // namespace

TEST(ScanCut, EmptySourceGivesOneEmptyLineAndNoTags) {
    const ScanResult r = scan("");
    EXPECT_EQ(r.source, "\r\n");
    EXPECT_EQ(r.required, "");
    EXPECT_EQ(r.images, "");
    EXPECT_EQ(r.links, "");
    EXPECT_EQ(scan("\r\n\r\n").source, "\r\n");
}

TEST(ScanCut, SourceWithoutAnOpeningBracket) {
    EXPECT_EQ(scan("just text").source, "\r\n");
    EXPECT_EQ(scan("  a > b > c").source, "a >\r\n\r\n");
    const ScanResult link = scan("go href=\"x\">there");
    EXPECT_EQ(link.links, "go href=\"x\">\r\n");
    EXPECT_EQ(scan(">>>").source, ">\r\n\r\n");
}

TEST(ScanCut, TextAfterTheLastTagAndAnUnfinishedTagAreDropped) {
    EXPECT_EQ(linesOf(scan("<a>b<c>d").source), (Lines{"", "<a>", "b", "<c>", ""}));
    EXPECT_EQ(linesOf(scan("text <input type=").source), (Lines{"text", ""}));
    EXPECT_EQ(scan("text <input type=").required, "");
    // After a cycle that found no <, the text through the next > is the last piece.
    EXPECT_EQ(linesOf(scan("<a>b>c<d>").source), (Lines{"", "<a>", "b>c", "<d>", ""}));
    EXPECT_EQ(linesOf(scan("<a> b>c").source), (Lines{"", "<a>", "b>", ""}));
}

TEST(ScanCut, LinesRunTogetherWithoutASeparator) {
    EXPECT_EQ(linesOf(scan("<b><i>\r\n<input type=\"text\"\r\nname=\"q\">").source),
              (Lines{"", "<b>", "", "<i>", "", "<input type=\"text\"name=\"q\">", ""}));
    EXPECT_EQ(linesOf(scan("<p>\rx\ny<").source), (Lines{"", "<p>", "xy", ""}));
}

TEST(ScanCut, PiecesAreTrimmedOfControlCharactersButNotOfFullWidthSpaces) {
    const std::string page = std::string(" \t\x01\0a\x81\x40 \x1f", 9) + "<b \x81\x40>\t";
    EXPECT_EQ(linesOf(scan(page).source), (Lines{"a\x81\x40", "<b \x81\x40>", ""}));
}

TEST(ScanCut, StopsAfter999999Cycles) {
    std::string page;
    for (int i = 0; i < 1'000'001; ++i) page += "<in>";
    const ScanResult r = scan(page);
    EXPECT_EQ(linesOf(r.required).size(), 999'999u);
    EXPECT_EQ(linesOf(r.source).size(), 2 * 999'999u + 1);

    std::string exact;
    for (int i = 0; i < 999'999; ++i) exact += "<in>";
    EXPECT_EQ(linesOf(scan(exact + "x<in>").required).size(), 999'999u);
    EXPECT_EQ(scan(exact + "x<in>").source.size(), scan(exact).source.size());
}

TEST(ScanSort, TheRulesInTheirOrder) {
    const ScanResult r = scan(
        "<input a><font color=red><form method=post><select><textarea><option><optgroup>"
        "</textarea></select></form></option><button><label><img src=\"i\"><a href=\"h\">"
        "<link href=\"c\"><base href=\"b\"><area href=\"r\"><a href='q'><a href=q>");
    EXPECT_EQ(linesOf(r.required),
              (Lines{"<input a>", "<form method=post>", "<select>", "<textarea>", "<option>",
                     "<optgroup>", "</textarea>", "</select>"}));
    EXPECT_EQ(linesOf(r.images), (Lines{"<img src=\"i\">"}));
    EXPECT_EQ(linesOf(r.links), (Lines{"<a href=\"h\">", "<link href=\"c\">", "<base href=\"b\">",
                                       "<area href=\"r\">"}));
}

TEST(ScanSort, AnEarlierRuleWins) {
    const ScanResult r = scan("<input type=image src=\"b.gif\"><img href=\"x\"><inx href=\"y\">");
    EXPECT_EQ(linesOf(r.required), (Lines{"<input type=image src=\"b.gif\">", "<inx href=\"y\">"}));
    EXPECT_EQ(linesOf(r.images), (Lines{"<img href=\"x\">"}));
    EXPECT_EQ(r.links, "");
    // <font is dropped even when it holds a later rule's characters.
    EXPECT_EQ(scan("<font href=\"x\"><input>").links, "");
    // ... and when a <fo came first in the same piece.
    EXPECT_EQ(scan("<form <font>").required, "");
}

TEST(ScanSort, LetterCaseAsTheNormaliserLeftIt) {
    EXPECT_EQ(scanPage("<INPUT TYPE=TEXT NAME=Q>").required, "<input type=text name=\"Q\">\r\n");
    const ScanResult form = scanPage("<FORM ACTION=\"x\">");
    EXPECT_EQ(form.source, "\r\n<FORM action=\"x\">\r\n\r\n");
    EXPECT_EQ(form.required + form.images + form.links, "");
    EXPECT_EQ(scanPage("<OPTION><Option></TEXTAREA><InPut>").required, "");
    EXPECT_EQ(scanPage("<Select><SELECT></Select></SELECT><Textarea><TEXTAREA>").required,
              "<select>\r\n<select>\r\n</select>\r\n</select>\r\n<textarea>\r\n<textarea>\r\n");
    EXPECT_EQ(scanPage("<Img src=\"a\"><IMG SRC=\"b\">").images,
              "<img src=\"a\">\r\n<img src=\"b\">\r\n");
}

TEST(ScanSort, CommentedFieldAndGluedOrBadlyQuotedLinks) {
    const ScanResult comment = scan("<!-- <input name=\"x\"> -->");
    EXPECT_EQ(comment.required, "<!-- <input name=\"x\">\r\n");
    EXPECT_EQ(linesOf(comment.source), (Lines{"", "<!-- <input name=\"x\">", "-->", ""}));

    EXPECT_EQ(scanPage("<a href='x.html'><a href=x.html><a\r\nhref=\"x.html\">").links, "");
    EXPECT_EQ(scanPage("<a class=\"m\" href=\"x.html\">").links,
              "<a class=\"m\" href=\"x.html\">\r\n");
}

TEST(ScanSort, ListsKeepPageOrderAndASecondRunGivesTheSameLists) {
    const ScanResult first = scan(
        "<a href=\"1\"><input name=\"a\"><img src=\"1\"><a href=\"2\">\n<select name=\"s\">"
        "<img src=\"2\"> x>y <option value=\"v\">text</select><a class=\"c\" href=\"3\">tail"
        "<input name=\"b\"");
    EXPECT_EQ(linesOf(first.required), (Lines{"<input name=\"a\">", "<select name=\"s\">",
                                              "<option value=\"v\">", "</select>"}));
    EXPECT_EQ(linesOf(first.images), (Lines{"<img src=\"1\">", "<img src=\"2\">"}));
    EXPECT_EQ(linesOf(first.links),
              (Lines{"<a href=\"1\">", "<a href=\"2\">", "<a class=\"c\" href=\"3\">"}));
    const ScanResult again = scan(first.source);
    EXPECT_EQ(again.required, first.required);
    EXPECT_EQ(again.images, first.images);
    EXPECT_EQ(again.links, first.links);
}

TEST(ScanSort, ATextPieceWithTheLinkCharactersIsALink) {
    EXPECT_EQ(scan("<b>see href=\"x\">here<i>").links, "see href=\"x\">here\r\n");
    // Scanned again, the same text at the end is cut at its > instead: the one case where a
    // second run changes a list.
    const ScanResult first = scan("<b>see href=\"x\">here<i");
    EXPECT_EQ(first.links, "see href=\"x\">here\r\n");
    EXPECT_EQ(scan(first.source).links, "see href=\"x\">\r\n");
}

TEST(ScanCycleLimit, CutOnlyWhenAPieceIsLeftOut) {
    std::string page;
    for (int i = 0; i < 999'999; ++i) page += "<b>";
    EXPECT_FALSE(scan(page).cut);
    EXPECT_FALSE(scan(page + "text after").cut);  // no cycle would cut more
    const ScanResult beyond = scan(page + "x>");
    EXPECT_TRUE(beyond.cut);
    EXPECT_EQ(beyond.source, scan(page).source);
    EXPECT_TRUE(scan(page + "<i").cut);
}

TEST(ScanCut, PiecesHandedOutOneByOneAreThePieceList) {
    for (const std::string page :
         {"", "<a>b<c>d", "  text <input name=q> <img src=x> <a href=\"y\">z</a> tail",
          "<b>see href=\"x\">here<i"}) {
        const std::string joined = normalise(page, cp932(), LineEnds::None);
        std::string pieces;
        const ScanResult handed =
            scanJoined(joined, [&](std::string_view piece) { appendLine(pieces, piece); });
        const ScanResult whole = scanPage(page);
        EXPECT_EQ(pieces, whole.source) << page;
        EXPECT_EQ(handed.source, "");
        EXPECT_EQ(handed.required, whole.required);
        EXPECT_EQ(handed.images, whole.images);
        EXPECT_EQ(handed.links, whole.links);
    }
}
