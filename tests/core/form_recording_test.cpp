// The walk over a recorded form: which lines it covers and what the recording fills in.
#include "form_recording.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "classify_support.h"
#include "definition.h"

using namespace verrimo;
using namespace verrimo::testing;

namespace {

const std::vector<std::string> kLogin = {
    "<form action=\"search.cgi\">",
    "<input type=\"text\" name=\"q\">",
    "<form action=\"login.cgi\" method=post>",
    "<input type=hidden name=\"sid\" value=\"x1\">",
    "<input type=\"text\" name=\"user\">",
    "<input type=\"password\" name=\"pw\" value=\"old\">",
    "<input type=\"email\" name=\"mail\">",
    "<input type=\"checkbox\" name=\"keep\" value=\"1\">",
    "<input type=\"checkbox\" name=\"news\" value=\"y\">",
    "<input type=\"radio\" name=\"r\" value=\"a\">",
    "<input type=\"radio\" name=\"r\" value=\"b\">",
    "<select name=\"pref\">",
    "<option value=\"tokyo\">",
    "<option value=\"o saka\">",
    "</select>",
    "<input type=\"text\" name=\"q\">",
    "<input type=\"text\" name=\"q\">",
    "<input type=\"submit\" name=\"go\" value=\"ok\">",
    "<input type=\"submit\" name=\"cancel\" value=\"no\">",
    "<input type=\"submit\" value=\"x\">",
    "<img src=\"a.gif\">",
    "<form action=\"other.cgi\">",
};

FormRecording loginRecording() {
    FormRecording r;
    r.formIndex = 1;
    r.controls = {
        {"sid", "hidden", "x1", false, false},
        {"user", "text", "alice smith", true, false},
        {"pw", "password", "secret", true, false},
        {"mail", "email", "a@b.jp", true, false},
        {"keep", "checkbox", "1", true, true},
        {"news", "checkbox", "y", false, false},
        {"r", "radio", "a", false, false},
        {"r", "radio", "b", true, true},
        {"pref", "select-one", "o saka", true, true},
        {"q", "text", "", false, false},
        {"q", "text", "two", true, false},
        {"go", "submit", "ok", false, false},
        {"cancel", "submit", "no", false, false},
        {"", "submit", "x", false, false},
    };
    r.submitter = 11;
    return r;
}

struct Step {
    std::size_t index;  // where the classification left the walker
    Proposal proposal;
};

// The walk over the recorded form: each step as the walker shows it.
std::vector<Step> walkRecorded(const std::vector<std::string>& lines, const FormRecording& r) {
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    const VectorTagLines all(views);
    const auto range = recordedFormLines(all, r.formIndex);
    if (!range) return {};
    const FormTagLines form(all, range->end);
    std::vector<Step> steps;
    Classification state{initialProposal(), range->begin, false};
    for (;;) {
        const std::string tag = form.line(state.index);
        const std::size_t at = state.index;
        state = classifyTag(tag, at, form, {}, true, std::move(state.proposal), sjis());
        if (state.end) return steps;
        applyRecording(state, tag, at, range->begin, form, r, sjis());
        steps.push_back({state.index, state.proposal});
        ++state.index;
    }
}

}  // namespace

TEST(RecordedForm, EachKindOfControl) {
    const auto steps = walkRecorded(kLogin, loginRecording());
    struct Row_ {
        std::size_t index;
        Row row;
        std::string fixedValue, identity, hint2;
    };
    const Row_ expected[] = {
        {3, Row::Expression, "x1", "", ""},           // hidden, untouched: as before
        {4, Row::FixedValue, "alice+smith", "", ""},  // typed
        {5, Row::Identity, "old", "Zem-Pass", ""},    // the page's default, never the typed one
        {6, Row::FixedValue, "a@b.jp", "Zem-email", ""},
        {7, Row::FixedValue, "1", "1", sj("value値が無く、常にチェックの時はonにしてください")},
        {8, Row::None, "y", "y", sj("記録では未選択")},
        {10, Row::FixedValue, "b", "", ""},       // the group, at its last line
        {14, Row::FixedValue, "o+saka", "", ""},  // the select, at its closing line
        {15, Row::None, "", "", ""},              // the first q, left empty
        {16, Row::FixedValue, "two", "", ""},     // the second q
        {17, Row::FixedValue, "ok", "", ""},      // the button used
        {18, Row::None, "no", "", ""},            // a button not used
        {19, Row::None, "no", "", ""},            // a nameless one
    };
    const auto at = [&](std::size_t index) -> const Proposal& {
        const auto step = std::find_if(steps.begin(), steps.end(),
                                       [&](const Step& s) { return s.index == index; });
        EXPECT_NE(step, steps.end()) << index;
        return step == steps.end() ? steps.front().proposal : step->proposal;
    };
    for (const Row_& row : expected) {
        const Proposal& p = at(row.index);
        EXPECT_EQ(p.row, row.row) << row.index;
        EXPECT_EQ(p.fixedValue, row.fixedValue) << row.index;
        EXPECT_EQ(p.identity, row.identity) << row.index;
        EXPECT_EQ(p.hint2, row.hint2) << row.index;
    }
    // The choice lists stay in their rows for the user who wants them.
    EXPECT_EQ(at(10).operand, "a,b");
    EXPECT_EQ(at(14).operand, "tokyo,o+saka");
    for (const Step& step : steps)
        EXPECT_EQ(step.proposal.fixedValue.find("secret"), std::string::npos);
}

TEST(RecordedForm, TheLinesOfTheNthForm) {
    const std::vector<std::string_view> views(kLogin.begin(), kLogin.end());
    const VectorTagLines all(views);
    const std::pair<std::size_t, std::optional<std::pair<std::size_t, std::size_t>>> cases[] = {
        {0, {{0, 2}}}, {1, {{2, 20}}}, {2, {{21, 22}}}, {3, std::nullopt}};
    for (const auto& [index, expected] : cases) {
        const auto range = recordedFormLines(all, index);
        ASSERT_EQ(range.has_value(), expected.has_value()) << index;
        if (range) {
            EXPECT_EQ(std::make_pair(range->begin, range->end), *expected) << index;
        }
    }
}

TEST(RecordedForm, TheTargetIsTheFormLinesAction) {
    const std::vector<std::string_view> views(kLogin.begin(), kLogin.end());
    const VectorTagLines all(views);
    FormRecording r = loginRecording();
    r.action = "recorded.cgi";
    EXPECT_EQ(recordedTarget(all, r), "login.cgi");
    const std::vector<std::string_view> noAction = {"<form method=post>", "<input name=\"q\">"};
    EXPECT_EQ(recordedTarget(VectorTagLines(noAction), FormRecording{.action = "recorded.cgi"}),
              "recorded.cgi");
}

TEST(RecordedForm, EmailAddresses) {
    const std::pair<std::string_view, bool> cases[] = {
        {"a@b.jp", true},    {"first.last@mail.example.org", true},
        {"@b.jp", false},    {"a@b", false},
        {"a@.jp", false},    {"a@b.jp.", false},
        {"a@b@c.jp", false}, {"a b@c.jp", false},
        {"alice", false}};
    for (const auto& [text, email] : cases) EXPECT_EQ(isEmailAddress(text), email) << text;
}

TEST(RecordedForm, CountsFieldsAndWipesValues) {
    FormRecording r = loginRecording();
    EXPECT_EQ(r.fieldCount(), 11u);
    r.wipe();
    EXPECT_TRUE(r.controls.empty());
}

TEST(RecordedForm, RecodedTextsKeepTheirCharacters) {
    const CodePage utf8("UTF-8");
    FormRecording r{.action = sj("送信.cgi"), .submitterText = sj("確認")};
    r.controls = {{sj("名前"), "text", sj("山田 太郎"), true, false}};
    r.recode(sjis(), utf8);
    EXPECT_EQ(r.action, "送信.cgi");
    EXPECT_EQ(r.submitterText, "確認");
    EXPECT_EQ(r.controls[0].name, "名前");
    EXPECT_EQ(r.controls[0].value, "山田 太郎");
}
