// Select elements and radio groups: the look-ahead, the choice list and where the index lands.
#include <gtest/gtest.h>

#include "classify_support.h"

using namespace verrimo;
using namespace verrimo::testing;

namespace {

std::string option(std::string_view value) {
    return "<option value=\"" + std::string(value) + "\">";
}

std::vector<std::string> select(std::vector<std::string_view> values) {
    std::vector<std::string> lines{R"(<select name="s">)"};
    for (auto v : values) lines.push_back(option(v));
    lines.push_back("</select>");
    return lines;
}

std::string radio(std::string_view name, std::string_view value) {
    return "<input type=radio name=\"" + std::string(name) + "\" value=\"" + std::string(value) +
           "\">";
}

struct Case {
    std::vector<std::string> lines;
    std::size_t start;
    std::string name;
    std::string operand;
    std::size_t index;  // the last line consumed
};

// The proposal of a gathering: the choice list as operand, the rest fixed.
void expectChoices(const Case& c, const std::string& hint) {
    Proposal old = initialProposal();
    old.identity = "Zem-ID";
    const Classification out = classifyAt(c.lines, c.start, {}, true, old);
    const Proposal expected{.hint = hint,
                            .name = c.name,
                            .expression = "Zem-Select",
                            .operand = c.operand,
                            .row = Row::Expression};
    EXPECT_EQ(out.proposal, expected) << c.lines[c.start];
    EXPECT_EQ(out.index, c.index) << c.lines[c.start];
}

}  // namespace

TEST(SelectElement, ChoiceListsAndTheClosingLine) {
    const std::vector<std::string> form{R"(<input type=text name="t">)",
                                        R"(<select name="s">)",
                                        option("a"),
                                        option(""),
                                        option("b"),
                                        R"(<input type=text name="u">)"};
    const Case cases[] = {
        {select({"a", "b", "c"}), 0, "s", "a,b,c", 4},
        {select({"", "a"}), 0, "s", "a", 3},                        // an empty first value drops
        {select({"a", "", "b"}), 0, "s", "ab", 4},                  // the neighbours join
        {select({"a", "b", ""}), 0, "s", "a,b,", 4},                // a trailing comma stays
        {select({"a", "", "", "b"}), 0, "s", "a,b", 5},             // ",,," loses one pair
        {select({"", "", "a", "", "", "", "b"}), 0, "s", "ab", 8},  // ",,,," loses both
        {select({"x&y", "a b", sj("ソ")}), 0, "s", "x%26y,a+b," + sj("ソ"), 4},
        {select({}), 0, "s", "", 1},
        {{R"(<select class="c" name="pref">)", "</select>"}, 0, "c", "", 1},
        {{"<select name=\"s\">", R"(<option label="L" value="v">)", "<option>", "</select>"},
         0,
         "s",
         "L,",
         3},
        // Other lines inside are passed over; a second select starts over.
        {{"<select name=\"s\">", "<optgroup>", option("a"), R"(<input name="t">)", "</select>"},
         0,
         "s",
         "a",
         4},
        {{"<select name=\"a\">", option("1"), "<select name=\"b\">", option("2"), "</select>"},
         0,
         "b",
         "2",
         4},
        // Never closed: as if closed behind the last <select or <option line taken.
        {form, 1, "s", "ab", 4},
        {{"<select name=\"s\">", R"(<input type=text name="t">)"}, 0, "s", "", 0},
    };
    for (const Case& c : cases) expectChoices(c, sj("select　です"));
}

TEST(SelectElement, StrayClosingLineKeepsTheNameAndRunsNoLookup) {
    Proposal old = initialProposal();
    old.name = "old";
    const Classification c = classifyAt({"</select>"}, 0, {"old=1"}, true, old);
    EXPECT_EQ(c.proposal.name, "old");
    EXPECT_EQ(c.proposal.operand, "");
    EXPECT_EQ(c.proposal.autoValue, "");
    EXPECT_EQ(c.proposal.row, Row::Expression);
}

TEST(SelectElement, EveryOpeningLineRunsTheLookup) {
    const Proposal p =
        classifyAt({"<select name=\"a\">", "<select name=\"b\">", "</select>"}, 0, {"a=x", "b=y"})
            .proposal;
    EXPECT_EQ(p.autoValue, "x");
    EXPECT_EQ(p.autoChoices, std::vector<std::string>{"y"});
}

TEST(SelectElement, TagThatIsNotTheListsLineNeverMovesTheIndexBack) {
    const std::vector<std::string_view> views{R"(<input type=text name="t">)"};
    const Classification c = classifyTag(R"(<select name="s">)", 3, VectorTagLines(views), {}, true,
                                         initialProposal(), sjis());
    EXPECT_EQ(c.index, 3u);
}

TEST(RadioGroup, ChoiceListsAndTheLastLineOfTheGroup) {
    const auto r = [](std::string_view v) { return radio("r", v); };
    const Case cases[] = {
        {{r("1"), r("2"), r("3"), R"(<input type=text name="q">)"}, 0, "r", "1,2,3", 2},
        {{R"(<input type="radio" name="r" value="a b">)", r("x=y"), "<br>"},
         0,
         "r",
         "a+b,x%3Dy",
         1},
        {{r(""), r("2"), r(""), r("")}, 0, "r", ",2,,", 3},  // no ",," removal
        {{r("1"), radio("s", "2")}, 0, "r", "1", 0},
        // Any line of the group's name joins it, whatever its kind.
        {{r("1"), R"(<input type=hidden name="r" value="h">)", R"(<select name="r">)",
          R"(<input type=text name="q">)"},
         0,
         "r",
         "1,h,",
         2},
        // To the end of the list: the group ends on the list's last line.
        {{"<form>", r("1"), r("2")}, 1, "r", "1,2", 2},
        // Without a name every nameless line that follows joins.
        {{R"(<input type=radio value="1">)", "</textarea>", "<form>", r("x")}, 0, "", "1,,", 2},
        {{radio(sj("ソ"), sj("表")), radio(sj("ソ"), sj("能")), radio(sj("ゾ"), "x")},
         0,
         sj("ソ"),
         sj("表,能"),
         1},
    };
    for (const Case& c : cases) expectChoices(c, sj("ラジオボタン　です"));
}

TEST(RadioGroup, LookupWhenTheGroupEnds) {
    EXPECT_EQ(classifyAt({radio("r", "1")}, 0, {"r=2"}).proposal.autoValue, "2");
}
