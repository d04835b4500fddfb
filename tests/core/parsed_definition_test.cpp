// A definition read once: which lines make each step, and where a field's name and value stand.
#include "parsed_definition.h"

#include <gtest/gtest.h>

#include "extract_support.h"

using namespace verrimo;
using verrimo::testing::cp932;

namespace {

constexpr std::size_t kNo = static_cast<std::size_t>(-1);

struct ExpectedStep {
    std::size_t referrer;
    std::size_t target;
    std::vector<std::size_t> fields;
    std::size_t dash;   // kNo: none
    std::size_t check;  // kNo: none
    std::size_t end;
};

struct StepsCase {
    std::string_view name;
    std::string_view text;
    std::vector<ExpectedStep> steps;
};

const StepsCase kStepsCases[] = {
    {"two steps, the action's held lines pasted below its fields",
     "Zem-Referer=http://a/top.html\r\nZem-Open=http://a/login.html\r\n-\r\nchk-moji=Login\r\n"
     "Zem-Referer=http://a/login.html\r\naction=post.cgi\r\nuser=Zem-ID\r\npw=Zem-Pass\r\n-\r\n"
     "chk-moji=\r\n",
     {{0, 1, {}, 2, 3, 4}, {4, 5, {6, 7}, 8, 9, 10}}},
    {"field lines before any referrer belong to no step",
     "a=1\r\nb=2\r\nZem-Referer=x\r\naction=y\r\nc=3\r\n",
     {{2, 3, {4}, kNo, kNo, 5}}},
    {"a referrer cut off by a dash waits; its fields belong to no step",
     "Zem-Referer=r1\r\naction=t1\r\nf=1\r\nZem-Referer=r2\r\n-\r\ng=2\r\naction=t2\r\nh=3\r\n",
     {{0, 1, {2}, kNo, kNo, 3}, {3, 6, {7}, kNo, kNo, 8}}},
    {"a referrer never answered stays among the lines of the step before",
     "Zem-Referer=r1\r\naction=t1\r\nZem-Referer=r2\r\n-\r\nchk-moji=late\r\n",
     {{0, 1, {}, 3, 4, 5}}},
    {"empty lines before the target; a second target line is neither step nor field",
     "Zem-Referer=r\r\n\r\nZem-Open=t\r\nZem-Open=u\r\nf=1\r\n",
     {{0, 2, {4}, kNo, kNo, 5}}},
    {"only the first dash and check-string lines of a step",
     "Zem-Referer=r\r\naction=t\r\n-\r\n-\r\nchk-moji=a\r\nchk-moji=b\r\n",
     {{0, 1, {}, 2, 4, 6}}},
    {"lone CR and LF end lines as CR LF does",
     "Zem-Referer=r\raction=t\nf=1\r\ng=2",
     {{0, 1, {2, 3}, kNo, kNo, 4}}},
    {"no referrer line, no step", "a=1\r\naction=t\r\n-\r\n", {}},
    {"an empty text", "", {}},
};

class ParsedSteps : public ::testing::TestWithParam<StepsCase> {};

TEST_P(ParsedSteps, StepsAndTheirLines) {
    const auto parsed = parseDefinition(std::string(GetParam().text), cp932());
    const std::vector<DefinitionStep>& steps = parsed->steps();
    ASSERT_EQ(steps.size(), GetParam().steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const ExpectedStep& e = GetParam().steps[i];
        const DefinitionStep& s = steps[i];
        EXPECT_EQ(s.referrerLine, e.referrer);
        EXPECT_EQ(s.targetLine, e.target);
        std::vector<std::size_t> fields;
        for (const StepField& f : s.fields) fields.push_back(f.line);
        EXPECT_EQ(fields, e.fields);
        EXPECT_EQ(s.dashLine.value_or(kNo), e.dash);
        EXPECT_EQ(s.checkLine.value_or(kNo), e.check);
        EXPECT_EQ(s.end, e.end);
    }
}

INSTANTIATE_TEST_SUITE_P(Definitions, ParsedSteps, ::testing::ValuesIn(kStepsCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ParsedDefinition, FieldSpansAndValuesAreThoseOfTheirLines) {
    // The blanks around "=" stay in the spans as the checker cuts them; "ソ表" is two
    // double-byte characters whose second bytes are "\".
    const std::string text =
        "Zem-Referer=http://a/\r\naction=b.cgi\r\nq=a=b\r\n \x83\x5c\x95\x5c = x\r\nempty=\r\n"
        "-\r\nchk-moji=\x95\x5c\r\n";
    const auto parsed = parseDefinition(text, cp932());
    ASSERT_EQ(parsed->steps().size(), 1u);
    const DefinitionStep& step = parsed->steps().front();
    struct Field {
        std::size_t line;
        std::string_view name;
        std::string_view value;
    };
    const Field expected[] = {{2, "q", "a=b"}, {3, " \x83\x5c\x95\x5c ", " x"}, {4, "empty", ""}};
    ASSERT_EQ(step.fields.size(), std::size(expected));
    for (std::size_t i = 0; i < step.fields.size(); ++i) {
        const StepField& f = step.fields[i];
        EXPECT_EQ(f.line, expected[i].line);
        EXPECT_EQ(parsed->part(f.line, f.name), expected[i].name);
        EXPECT_EQ(parsed->part(f.line, f.value), expected[i].value);
        EXPECT_EQ(parsed->key(f.line), expected[i].name);
        EXPECT_EQ(parsed->value(f.line), expected[i].value);
    }
    EXPECT_EQ(parsed->referrer(step), "http://a/");
    EXPECT_EQ(parsed->value(step.targetLine), "b.cgi");
    EXPECT_EQ(parsed->key(step.targetLine), "action");
    EXPECT_EQ(parsed->checkString(step), std::optional<std::string_view>("\x95\x5c"));
}

TEST(ParsedDefinition, CheckStringEmptyOrMissing) {
    const auto parsed = parseDefinition(
        "Zem-Referer=r\r\naction=t\r\n-\r\nchk-moji=\r\nZem-Referer=s\r\naction=u\r\n", cp932());
    ASSERT_EQ(parsed->steps().size(), 2u);
    EXPECT_EQ(parsed->checkString(parsed->steps()[0]), std::optional<std::string_view>(""));
    EXPECT_EQ(parsed->checkString(parsed->steps()[1]), std::nullopt);
}

}  // namespace
