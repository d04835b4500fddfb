// Reading definitions back: the shapes of their lines and the warnings, each rule broken once.
#include "definition_check.h"

#include <gtest/gtest.h>

#include "classify_support.h"
#include "definition.h"
#include "extract_page.h"

namespace verrimo {
// Failure messages show where and which rule.
void PrintTo(const Finding& f, std::ostream* os) {
    *os << "{line " << f.line << " [" << f.span.begin << "," << f.span.end << ") " << f.rule << "}";
}
}  // namespace verrimo

using namespace verrimo;
using namespace verrimo::testing;

namespace {

struct Expected {
    std::size_t line;
    std::size_t begin;
    std::size_t end;
    std::string_view rule;
};

bool operator==(const Finding& f, const Expected& e) {
    return f.line == e.line && f.span.begin == e.begin && f.span.end == e.end && f.rule == e.rule;
}

void PrintTo(const Expected& e, std::ostream* os) {
    *os << "{line " << e.line << " [" << e.begin << "," << e.end << ") " << e.rule << "}";
}

std::string definitionOf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) addLine(text, line);
    return text;
}

// A page as the walker sees it: one form with a hidden field, a text field, a select and radios.
const std::string kFormPage =
    "<form action=\"post.cgi\">\n<input type=hidden name=sid value=\"a b/c\">\n"
    "<input type=hidden name=kana value=\"\x83\x5c\x95\x5c\">\n<input type=text name=user>\n"
    "<select name=pref>\n<option value=\"tokyo\">\n<option value=\"\">\n"
    "<option value=\"osaka\">\n</select>\n<input type=radio name=r value=1>\n"
    "<input type=radio name=r value=2>\n<input type=checkbox name=ok>\n"
    "<input type=password name=pw>\n<input type=submit value=Send>\n</form>\n";

// The definition the windows build from that page: referrer, target, every accepted field and,
// for an action, the held lines pasted last.
std::string walkedDefinition(std::string_view kind) {
    const Extraction x = extractPage(kFormPage, "http://www.example.org/top.html", sjis());
    std::vector<std::string> lines = {definition::referrerLine(x.targets.referrer),
                                      definition::targetLine(kind, x.targets.target)};
    const bool wait = definition::checkLinesWait(kind);
    if (!wait) lines.insert(lines.end(), {"-", definition::checkStringLine(sj("ようこそ"))});
    const auto walked = walkAcceptingAll(VectorTagLines(splitLines(x.lists.required)), {}, true,
                                         sjis(), [](std::string_view, const Classification&) {});
    EXPECT_FALSE(walked.empty());
    lines.insert(lines.end(), walked.begin(), walked.end());
    std::string text = definitionOf(lines);
    if (wait) addLine(text, "-\r\nchk-moji=\r\n");
    return text;
}

TEST(DefinitionCheck, WorkedExampleHasTheFiveShapesAndNoFindings) {
    const DefinitionReport r = checkDefinition(
        sj("Zem-Referer=http://www.example.org/top.html\r\naction=login.cgi\r\n"
           "sid=Zem-GetValue[sid]\r\nuser=Zem-ID\r\npass=Zem-Pass\r\n-\r\nchk-moji=ようこそ\r\n"),
        sjis());
    EXPECT_TRUE(r.findings.empty());
    using enum LineShape;
    std::vector<LineShape> shapes;
    for (const LineReport& line : r.lines) shapes.push_back(line.shape);
    EXPECT_EQ(shapes, (std::vector{Referrer, Target, Field, Field, Field, Dash, CheckString}));
}

TEST(DefinitionCheck, DefinitionsFromRealWalksHaveNoFindings) {
    for (const std::string_view kind : definition::kTargetKinds) {
        SCOPED_TRACE(kind);
        const DefinitionReport r = checkDefinition(walkedDefinition(kind), sjis());
        EXPECT_TRUE(r.findings.empty());
        EXPECT_EQ(r.lines[1].shape, LineShape::Target);
    }
}

TEST(DefinitionCheck, HandWrittenLinesTheHostReads) {
    for (const std::string_view utf8 : {
             "Zem-Referer=a.html\r\n\r\nZem-Open=b.html\r\n-\r\nchk-moji=\r\n",
             "q=Zem-Random[a,0:5-8]\r\nz=Zem-Zip[3,4]\r\nk=Zem-KeyCode[1,img/k.gif]\r\n",
             "m=Zem-Rmoji[ゾ]\r\nmail=Zem-email\r\nurl=http://x/?a=b\r\n=empty name\r\n   \r\n",
         }) {
        SCOPED_TRACE(utf8);
        EXPECT_TRUE(checkDefinition(sj(utf8), sjis()).findings.empty());
    }
}

struct BrokenCase {
    std::string_view name;
    std::string_view utf8;
    std::vector<Expected> findings;
};

class BrokenRule : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenRule, IsFoundWhereItIs) {
    const DefinitionReport r = checkDefinition(sj(GetParam().utf8), sjis());
    ASSERT_EQ(r.findings.size(), GetParam().findings.size());
    for (std::size_t i = 0; i < r.findings.size(); ++i)
        EXPECT_EQ(r.findings[i], GetParam().findings[i]);
    for (const Finding& f : r.findings) EXPECT_FALSE(f.message.empty());
}

INSTANTIATE_TEST_SUITE_P(
    DefinitionCheck, BrokenRule,
    ::testing::Values(
        BrokenCase{"KindLeftAtChoose",
                   "Zem-Referer=top.html\r\n選択=post.cgi\r\n",
                   {{1, 0, 4, "target-kind"}}},
        BrokenCase{
            "MisspeltKeyword", "user=Zem-ID\r\npass=Zem-Pas\r\n", {{1, 5, 12, "unknown-keyword"}}},
        BrokenCase{
            "MisspeltKind", "Zem-Referer=a\r\nZem-Opn=b\r\n", {{1, 0, 7, "unknown-keyword"}}},
        BrokenCase{"ExpressionUnclosed", "sid=Zem-GetValue[sid\r\n", {{0, 16, 20, "expression"}}},
        // ゾ ends in the byte of "]": it closes nothing.
        BrokenCase{"UnclosedAfterDoubleByte", "m=Zem-Rmoji[ゾ\r\n", {{0, 11, 14, "expression"}}},
        BrokenCase{"TextAfterExpression", "r=Zem-Select[1,2] \r\n", {{0, 17, 18, "expression"}}},
        BrokenCase{"BlanksAroundEquals", "user = Zem-ID\r\n", {{0, 4, 7, "blank-around-equals"}}},
        BrokenCase{"ReferrerWithoutTarget",
                   "Zem-Referer=top.html\r\n-\r\nchk-moji=\r\n",
                   {{0, 0, 20, "referrer-without-target"}}},
        BrokenCase{
            "ReferrerLast", "a=1\r\nZem-Referer=top.html", {{1, 0, 20, "referrer-without-target"}}},
        BrokenCase{"NoShape",
                   "Zem-Referer=a\r\naction=b\r\nq=1\r\nhello\r\n",
                   {{3, 0, 5, "unknown-shape"}}},
        // A text area's line breaks split its value over lines without "=".
        BrokenCase{"ValueSplitBetweenFields",
                   "Zem-Referer=a\r\naction=b\r\nbody=line 1\r\nline 2\r\n\r\nline 4\r\nq=1\r\n",
                   {{3, 0, 6, "split-line"}, {5, 0, 6, "split-line"}}},
        BrokenCase{"NoFieldBefore",
                   "Zem-Referer=a\r\naction=b\r\n-\r\nhello\r\nq=1\r\n",
                   {{3, 0, 5, "unknown-shape"}}},
        BrokenCase{"TargetAfter",
                   "q=1\r\nhello\r\nZem-Referer=a\r\naction=b\r\n",
                   {{1, 0, 5, "unknown-shape"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefinitionCheck, LineSpansForColouring) {
    const LineReport r = checkLine("sid=Zem-GetValue[sid]", false, sjis());
    EXPECT_EQ(r.shape, LineShape::Field);
    EXPECT_EQ(r.key.end, 3u);
    EXPECT_EQ(r.equals.begin, 3u);
    EXPECT_EQ(r.value.begin, 4u);
    EXPECT_EQ(r.keyword.begin, 4u);
    EXPECT_EQ(r.keyword.end, 16u);
    EXPECT_EQ(r.operand.begin, 17u);
    EXPECT_EQ(r.operand.end, 20u);
    // The same key=value line is a target where a referrer wants one.
    EXPECT_EQ(checkLine("user=bob", true, sjis()).shape, LineShape::Target);
    EXPECT_TRUE(expectsTarget(LineShape::Empty, true));
    EXPECT_FALSE(expectsTarget(LineShape::Empty, false));
}

}  // namespace
