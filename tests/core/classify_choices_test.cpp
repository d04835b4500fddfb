// Select elements and radio groups: the look-ahead, the choice list and where the index lands.
#include <gtest/gtest.h>

#include "classify_support.h"

using namespace verrimo;
using namespace verrimo::testing;

namespace {

std::string option(std::string_view value) {
    return "<option value=\"" + std::string(value) + "\">";
}

std::vector<std::string> select(std::string_view name, std::vector<std::string_view> values) {
    std::vector<std::string> lines{"<select name=\"" + std::string(name) + "\">"};
    for (auto v : values) lines.push_back(option(v));
    lines.push_back("</select>");
    return lines;
}

std::string radio(std::string_view name, std::string_view value) {
    return "<input type=radio name=\"" + std::string(name) + "\" value=\"" + std::string(value) +
           "\">";
}

std::string operandOf(std::vector<std::string_view> values) {
    return Walker{select("s", std::move(values))}.at(0).proposal.zem;
}

}  // namespace

TEST(SelectElement, ThreeOptionsEndOnTheClosingLine) {
    Walker w{select("pref", {"a", "b", "c"})};
    w.lines.push_back("<input type=text name=\"next\">");
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.hint, sj("select　です"));
    EXPECT_EQ(c.proposal.name, "pref");
    EXPECT_EQ(c.proposal.zem, "a,b,c");
    EXPECT_EQ(c.proposal.cb1, "Zem-Select");
    EXPECT_EQ(c.proposal.cb2, "");
    EXPECT_EQ(c.proposal.val, "");
    EXPECT_EQ(c.proposal.row, 3);
    EXPECT_EQ(c.index, 4u);
    EXPECT_EQ(acceptedLine(c.proposal), "pref=Zem-Select[a,b,c]");
}

TEST(SelectElement, EmptyValuesAndTheDoubleCommaRemoval) {
    EXPECT_EQ(operandOf({"", "a"}), "a");
    EXPECT_EQ(operandOf({"a", "", "b"}), "ab");
    EXPECT_EQ(operandOf({"a", "b", ""}), "a,b,");
    EXPECT_EQ(operandOf({"a", "", "", "b"}), "a,b");
    EXPECT_EQ(operandOf({"", "", "a", "", "", "", "b"}), "ab");
}

TEST(SelectElement, OptionValuesAreEncoded) {
    EXPECT_EQ(operandOf({"x&y", "a b", "1/2"}), "x%26y,a+b,1%2F2");
}

TEST(SelectElement, JapaneseOptionValuesPassThrough) {
    EXPECT_EQ(operandOf({sj("ソ"), sj("表 示")}), sj("ソ,表+示"));
}

TEST(SelectElement, NameIsTheFirstQuotedAttribute) {
    Walker w{{"<select class=\"c\" name=\"pref\">", option("a"), "</select>"}};
    EXPECT_EQ(w.at(0).proposal.name, "c");
}

TEST(SelectElement, OptionTakesItsFirstQuotedAttribute) {
    Walker w{{"<select name=\"s\">", "<option label=\"L\" value=\"v\">", "<option>", "</select>"}};
    EXPECT_EQ(w.at(0).proposal.zem, "L,");
}

TEST(SelectElement, WithoutOptions) {
    Walker w{select("s", {})};
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.name, "s");
    EXPECT_EQ(c.proposal.zem, "");
    EXPECT_EQ(c.proposal.row, 3);
    EXPECT_EQ(c.index, 1u);
    EXPECT_EQ(acceptedLine(c.proposal), "s=Zem-Select[]");
}

TEST(SelectElement, OtherLinesInsideArePassedOver) {
    Walker w{{"<select name=\"s\">", "<optgroup label=\"g\">", option("a"), "</optgroup>",
              "<input type=text name=\"t\">", option("b"), "</select>"}};
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.zem, "a,b");
    EXPECT_EQ(c.index, 6u);
}

TEST(SelectElement, SecondSelectBeforeTheCloseStartsOver) {
    Walker w{{"<select name=\"a\">", option("1"), "<select name=\"b\">", option("2"), "</select>"},
             {"a=x", "b=y"}};
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.name, "b");
    EXPECT_EQ(c.proposal.zem, "2");
    EXPECT_EQ(c.proposal.cb3, "x");  // each <select line ran its lookup
    EXPECT_EQ(c.proposal.cb3Items, std::vector<std::string>{"y"});
}

TEST(SelectElement, StrayClosingLineKeepsNameAndEmptiesTheOperand) {
    Walker w{{"</select>"}, {"old=1"}};
    w.proposal.name = "old";
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.name, "old");
    EXPECT_EQ(c.proposal.zem, "");
    EXPECT_EQ(c.proposal.cb1, "Zem-Select");
    EXPECT_EQ(c.proposal.cb3, "");  // no <select line, no lookup
    EXPECT_EQ(c.index, 0u);
}

TEST(SelectElement, OptionsBeforeAnySelectAreNotGathered) {
    Walker w{{option("x"), "<select name=\"s\">", option("a"), "</select>"}};
    const Classification first = w.at(0);
    EXPECT_EQ(first.proposal, withClearedHints(w.proposal));
    EXPECT_EQ(first.index, 0u);
    EXPECT_EQ(w.at(1).proposal.zem, "a");
}

TEST(SelectElement, NeverClosedEndsBehindTheLastOption) {
    Walker w{{"<input type=text name=\"t\">", "<select name=\"s\">", option("a"), option(""),
              option("b"), "<input type=text name=\"u\">", "<textarea name=\"m\">"}};
    w.proposal.cb2 = "Zem-ID";
    w.proposal.val = "typed";
    const Classification c = w.at(1);
    EXPECT_EQ(c.proposal.name, "s");
    EXPECT_EQ(c.proposal.zem, "ab");
    EXPECT_EQ(c.proposal.cb1, "Zem-Select");
    EXPECT_EQ(c.proposal.cb2, "");
    EXPECT_EQ(c.proposal.val, "");
    EXPECT_EQ(c.proposal.row, 3);
    EXPECT_EQ(c.index, 4u);
}

TEST(SelectElement, NeverClosedWithoutOptionsStaysOnItsLine) {
    Walker w{{"<select name=\"s\">", "<input type=text name=\"t\">"}};
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.zem, "");
    EXPECT_EQ(c.proposal.row, 3);
    EXPECT_EQ(c.index, 0u);
}

TEST(SelectElement, TagThatIsNotTheListsLineNeverMovesTheIndexBack) {
    const std::vector<std::string> lines{"<input type=text name=\"t\">"};
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    const VectorTagLines list(views);
    const Classification c =
        classifyTag("<select name=\"s\">", 3, list, {}, true, initialProposal(), sjis());
    EXPECT_EQ(c.index, 3u);
    EXPECT_EQ(c.proposal.row, 3);
}

TEST(RadioGroup, ThreeButtonsEndOnTheLastOne) {
    Walker w{{radio("r", "1"), radio("r", "2"), radio("r", "3"), "<input type=text name=\"q\">"}};
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.hint, sj("ラジオボタン　です"));
    EXPECT_EQ(c.proposal.name, "r");
    EXPECT_EQ(c.proposal.zem, "1,2,3");
    EXPECT_EQ(c.proposal.cb1, "Zem-Select");
    EXPECT_EQ(c.proposal.cb2, "");
    EXPECT_EQ(c.proposal.val, "");
    EXPECT_EQ(c.proposal.row, 3);
    EXPECT_EQ(c.index, 2u);
}

TEST(RadioGroup, QuotedTypeAndEncodedValues) {
    Walker w{{"<input type=\"radio\" name=\"r\" value=\"a b\">", radio("r", "x=y"), "<br>"}};
    EXPECT_EQ(w.at(0).proposal.zem, "a+b,x%3Dy");
}

TEST(RadioGroup, EmptyValuesKeepTheirCommas) {
    Walker w{{radio("r", ""), radio("r", "2"), radio("r", ""), radio("r", "")}};
    EXPECT_EQ(w.at(0).proposal.zem, ",2,,");
}

TEST(RadioGroup, FieldOfTheSameNameIsAbsorbed) {
    Walker w{{radio("r", "1"), radio("r", "2"), "<input type=hidden name=\"r\" value=\"h\">",
              "<select name=\"r\">", "<input type=text name=\"q\">"}};
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.zem, "1,2,h,");
    EXPECT_EQ(c.index, 3u);
}

TEST(RadioGroup, OneButtonAlone) {
    Walker w{{radio("r", "1"), radio("s", "2")}};
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.zem, "1");
    EXPECT_EQ(c.index, 0u);
}

TEST(RadioGroup, RunningToTheEndOfTheListEndsOnItsLastLine) {
    Walker w{{"<form>", radio("r", "1"), radio("r", "2")}, {"r=2"}};
    w.proposal.cb2 = "Zem-ID";
    const Classification c = w.at(1);
    EXPECT_EQ(c.proposal.zem, "1,2");
    EXPECT_EQ(c.proposal.cb1, "Zem-Select");
    EXPECT_EQ(c.proposal.cb2, "");
    EXPECT_EQ(c.proposal.val, "");
    EXPECT_EQ(c.proposal.cb3, "2");
    EXPECT_EQ(c.proposal.row, 3);
    EXPECT_EQ(c.index, 2u);
}

TEST(RadioGroup, WithoutNameAbsorbsTheNamelessLinesThatFollow) {
    Walker w{{"<input type=radio value=\"1\">", "</textarea>", "<form>",
              "<input type=text name=\"q\">"}};
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.name, "");
    EXPECT_EQ(c.proposal.zem, "1,,");
    EXPECT_EQ(c.index, 2u);
}

TEST(RadioGroup, JapaneseNamesCompareByteForByte) {
    Walker w{{radio(sj("ソ"), sj("表")), radio(sj("ソ"), sj("能")), radio(sj("ゾ"), "x")}};
    const Classification c = w.at(0);
    EXPECT_EQ(c.proposal.zem, sj("表,能"));
    EXPECT_EQ(c.index, 1u);
}
