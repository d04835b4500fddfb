// The walk over a recorded form: which lines it covers and what the recording fills in.
#include "form_recording.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "classify_support.h"
#include "definition.h"
#include "extract_page.h"
#include "form_charset.h"
#include "url.h"

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

std::shared_ptr<FormRecording> loginRecording() {
    auto made = std::make_shared<FormRecording>();
    FormRecording& r = *made;
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
    return made;
}

// The form at these lines, sent in Shift_JIS, which the program's code page is.
RecordedForm recorded(std::shared_ptr<const FormRecording> r, LineRange lines) {
    return {std::move(r), lines, "Shift_JIS", browserCodePage("Shift_JIS")};
}

struct Step {
    std::size_t index;  // where the classification left the walker
    Proposal proposal;
};

// The walk over the recorded form: each step as the walker shows it. It starts from what an
// earlier walk left: a line that the recording says nothing about must not take it up.
std::vector<Step> walkRecorded(const std::vector<std::string>& lines, const RecordedForm& r) {
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    const VectorTagLines all(views);
    const FormTagLines form(all, r.lines.end);
    std::vector<Step> steps;
    Classification state{
        {.name = "login", .fixedValue = "old", .row = Row::FixedValue}, r.lines.begin, false};
    for (;;) {
        const std::string tag = form.line(state.index);
        const std::size_t at = state.index;
        state = classifyTag(tag, at, form, {}, true, std::move(state.proposal), sjis());
        if (state.end) return steps;
        applyRecording(state, tag, at, form, r, sjis());
        steps.push_back({state.index, state.proposal});
        ++state.index;
    }
}

// The lines that accepting every step appends.
std::vector<std::string> accepted(const std::vector<Step>& steps) {
    std::vector<std::string> lines;
    for (const Step& step : steps)
        if (const auto line = acceptedLine(step.proposal)) lines.push_back(*line);
    return lines;
}

}  // namespace

TEST(RecordedForm, EachKindOfControl) {
    const auto steps = walkRecorded(kLogin, recorded(loginRecording(), {2, 20}));
    struct Row_ {
        std::size_t index;
        Row row;
        std::string fixedValue, identity, hint2;
    };
    const Row_ expected[] = {
        {2, Row::None, "old", "", ""},                  // the form's start: what was, unchosen
        {3, Row::Expression, "x1", "", ""},             // hidden, untouched: as before
        {4, Row::FixedValue, "alice%20smith", "", ""},  // typed
        {5, Row::Identity, "old", "Zem-Pass", ""},      // the page's default, never the typed one
        {6, Row::FixedValue, "a@b.jp", "Zem-email", ""},
        {7, Row::FixedValue, "1", "1", sj("value値が無く、常にチェックの時はonにしてください")},
        {8, Row::None, "y", "y", sj("記録では未選択")},
        {10, Row::FixedValue, "b", "", ""},         // the group, at its last line
        {14, Row::FixedValue, "o%20saka", "", ""},  // the select, at its closing line
        {15, Row::None, "", "", ""},                // the first q, left empty
        {16, Row::FixedValue, "two", "", ""},       // the second q
        {17, Row::FixedValue, "ok", "", ""},        // the button used
        {18, Row::None, "no", "", ""},              // a button not used
        {19, Row::None, "no", "", ""},              // a nameless one
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
    EXPECT_EQ(accepted(steps),
              (std::vector<std::string>{"sid=Zem-GetValue[sid]", "user=alice%20smith",
                                        "pw=Zem-Pass", "mail=a@b.jp", "keep=1", "r=b",
                                        "pref=o%20saka", "q=two", "go=ok"}));
}

// A page as the viewer's browser shows it: the extraction's pieces, one a line, and the
// required-tag list made of some of them.
struct Extracted {
    std::string pieces;
    std::vector<std::string> required;
};

Extracted extracted(std::string_view page) {
    Extraction x = extractPage(page, "", sjis());
    Extracted e{std::move(x.lists.source), {}};
    for (const auto line : splitLines(x.lists.required)) e.required.emplace_back(line);
    return e;
}

// The forms that a browser builds are the ones counted: no <form in a comment, a script or a
// text area is one, and neither is a <form inside a form.
TEST(RecordedForm, TheLinesOfTheFormTheBrowserBuilt) {
    struct Case {
        const char* page;
        std::size_t formIndex;
        std::optional<std::pair<std::size_t, std::size_t>> lines;  // begin, end
        const char* target;
    };
    const char* const kDecoys =
        "<!-- <form action=\"comment.cgi\"><input name=\"c\"> -->\n"
        "<script>var s = \"<form action='script.cgi'><input name='s'>\";</script>\n"
        "<textarea name=\"t\"><form action=\"text.cgi\"></textarea>\n";
    const std::string real = std::string(kDecoys) +
                             "<form action=\"login.cgi\" method=\"post\">\n"
                             "<form action=\"nested.cgi\"><input name=\"user\">\n"
                             "<input type=\"submit\" name=\"go\"><img src=\"x.gif\"></form>\n"
                             "<!-- <form action=\"later.cgi\"> -->"
                             "<form action=\"next.cgi\"><input name=\"q\"></form>";
    // The list: the comment's form and input, the script's, the text area's three lines, then
    // login.cgi at 7, nested.cgi, user, go, the later comment at 11, next.cgi at 12, q.
    const Case cases[] = {
        {real.c_str(), 0, {{7, 11}}, "login.cgi"},
        {real.c_str(), 1, {{12, 14}}, "next.cgi"},
        {real.c_str(), 2, std::nullopt, "recorded.cgi"},
        {"<form method=post><input name=\"q\"></form>", 0, {{0, 2}}, "recorded.cgi"},
        {"<FORM action=\"up.cgi\"><input name=\"q\"></FORM>", 0, {{0, 1}}, "recorded.cgi"},
        {"<FORM action=\"up.cgi\"><input formaction=\"f.cgi\" name=\"q\">",
         0,
         {{0, 1}},
         "recorded.cgi"},
        {kDecoys, 0, std::nullopt, "recorded.cgi"},
    };
    for (const Case& c : cases) {
        const Extracted page = extracted(c.page);
        const std::vector<std::string_view> views(page.required.begin(), page.required.end());
        const VectorTagLines lines(views);
        auto r = std::make_shared<FormRecording>();
        r->formIndex = c.formIndex;
        r->action = "recorded.cgi";
        const auto form = findRecordedForm(r, page.pieces, lines, {}, "Shift_JIS", sjis());
        ASSERT_EQ(form.has_value(), c.lines.has_value()) << c.page << " " << c.formIndex;
        if (form) {
            EXPECT_EQ(std::make_pair(form->lines.begin, form->lines.end), *c.lines) << c.formIndex;
        }
        EXPECT_EQ(recordedTarget(lines, form, *r), c.target) << c.page << " " << c.formIndex;
    }
}

// A list that no longer holds the pieces as they were, as after the user edits it: the form is
// not found rather than guessed.
TEST(RecordedForm, AnEditedListLosesTheForm) {
    const Extracted page = extracted("<form action=\"a.cgi\"><input name=\"q\"></form>");
    const std::vector<std::string_view> edited = {"<form action=\"b.cgi\">", "<input name=\"q\">"};
    EXPECT_FALSE(recordedFormLines(page.pieces, VectorTagLines(edited), 0, sjis()));
    const std::vector<std::string_view> views(page.required.begin(), page.required.end());
    EXPECT_TRUE(recordedFormLines(page.pieces, VectorTagLines(views), 0, sjis()));
}

// The values go out in the form's submission charset, as the requests of a definition take it.
TEST(RecordedForm, TheFormsCharset) {
    const std::string page =
        "<form action=\"a.cgi\" accept-charset=\"utf-8\"><input name=\"q\"></form>"
        "<form action=\"b.cgi\"><input name=\"q\"></form>";
    const Extracted e = extracted(page);
    const std::vector<std::string_view> views(e.required.begin(), e.required.end());
    const VectorTagLines lines(views);
    const std::vector<Form> forms = readPageForms(page, sjis()).forms;
    const std::pair<std::size_t, std::string> cases[] = {{0, "UTF-8"}, {1, "EUC-JP"}};
    for (const auto& [index, charset] : cases) {
        auto r = std::make_shared<FormRecording>();
        r->formIndex = index;
        const auto form = findRecordedForm(r, e.pieces, lines, forms, "EUC-JP", sjis());
        ASSERT_TRUE(form) << index;
        EXPECT_EQ(form->charset, charset);
        EXPECT_EQ(form->charsetCp->name(), browserCodePage(charset)->name());
    }
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
    FormRecording r = *loginRecording();
    EXPECT_EQ(r.fieldCount(), 11u);
    r.wipe();
    EXPECT_TRUE(r.controls.empty());
}

TEST(RecordedForm, RecodedTextsKeepTheirCharacters) {
    const CodePage utf8("UTF-8");
    FormRecording r{.action = sj("送信.cgi"), .submitterText = sj("確認")};
    r.controls = {{sj("名前"), "text", "山田 太郎", true, false}};
    r.recode(sjis(), utf8);
    EXPECT_EQ(r.action, "送信.cgi");
    EXPECT_EQ(r.submitterText, "確認");
    EXPECT_EQ(r.controls[0].name, "名前");
    EXPECT_EQ(r.controls[0].value, "山田 太郎");  // UTF-8 already, as the browser gave it
}

// What a browser sends for a typed text, as query text that reads back as exactly those bytes.
TEST(RecordedLiteral, ReadsBackAsTheBytesSent) {
    struct Case {
        const char* text;     // UTF-8, as typed
        const char* charset;  // the form's
        bool own;             // the program's code page is the charset's
        const char* literal;
        const char* sent;  // the bytes a browser sends
    };
    const Case cases[] = {
        {"taro&co+1", "Shift_JIS", true, "taro%26co%2B1", "taro&co+1"},
        {"100% = #1", "UTF-8", true, "100%25%20%3D%20%231", "100% = #1"},
        {"a/b?c;d,e@`", "UTF-8", false, "a/b?c;d,e@`", "a/b?c;d,e@`"},
        {"a\nb", "UTF-8", true, "a%0D%0Ab", "a\r\nb"},
        {"a\rb\r\nc\n", "Shift_JIS", true, "a%0D%0Ab%0D%0Ac%0D%0A", "a\r\nb\r\nc\r\n"},
        {"\n\n", "UTF-8", true, "%0D%0A%0D%0A", "\r\n\r\n"},
        {"", "UTF-8", true, "", ""},
        {"髙①～", "Shift_JIS", false, "%FB%FC%87@%81`", "\xFB\xFC\x87\x40\x81\x60"},
        {"髙①～", "Shift_JIS", true, "\xFB\xFC\x87\x40\x81\x60", "\xFB\xFC\x87\x40\x81\x60"},
        {"髙①～", "UTF-8", false, "%E9%AB%99%E2%91%A0%EF%BD%9E", "髙①～"},
        {"髙①～", "UTF-8", true, "髙①～", "髙①～"},
        {"髙①～", "EUC-JP", false, "%FC%E2%AD%A1%A1%C1", "\xFC\xE2\xAD\xA1\xA1\xC1"},
        {"髙①～", "EUC-JP", true, "\xFC\xE2\xAD\xA1\xA1\xC1", "\xFC\xE2\xAD\xA1\xA1\xC1"},
        // A character the charset lacks goes as the browser writes it; a typed reference stays
        // the text it is.
        {"😀", "Shift_JIS", false, "%26%23128512;", "&#128512;"},
        {"&#12354;", "Shift_JIS", false, "%26%2312354;", "&#12354;"},
        {"\t<\"x\">", "UTF-8", false, "%09<\"x\">", "\t<\"x\">"},
    };
    for (const Case& c : cases) {
        const std::string literal = recordedLiteral(c.text, *browserCodePage(c.charset), c.own);
        EXPECT_EQ(literal, c.literal) << c.text << " in " << c.charset;
        EXPECT_EQ(queryDecoded(literal), c.sent) << c.text << " in " << c.charset;
    }
    // The program's own charset keeps its characters as they are, in its bytes.
    EXPECT_EQ(recordedLiteral("確認 髙", *browserCodePage("Shift_JIS"), true), sj("確認%20髙"));
}

// A text area is one line, proposed at its start tag and not again at its end tag.
TEST(RecordedForm, ATextAreaIsOneLine) {
    const std::vector<std::string> lines = {
        "<form action=\"post.cgi\" method=\"post\">",
        "<textarea name=\"body\">",
        "</textarea>",
        "<textarea name=\"empty\">",
        "</textarea>",
        "<input type=\"submit\" name=\"go\" value=\"ok\">",
    };
    auto r = std::make_shared<FormRecording>();
    r->controls = {{"body", "textarea", "x+y%z&w\n2 lines\n", true, false},
                   {"empty", "textarea", "", false, false},
                   {"go", "submit", "ok", false, false}};
    r->submitter = 2;
    const auto steps = walkRecorded(lines, recorded(r, {0, 6}));
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[2].proposal.row, Row::None);
    EXPECT_EQ(steps[4].proposal.row, Row::None);
    EXPECT_EQ(accepted(steps),
              (std::vector<std::string>{"body=x%2By%25z%26w%0D%0A2%20lines%0D%0A", "go=ok"}));
}

// Where the classifier proposes an identity keyword, it stays chosen; what was typed is offered
// in the fixed-value row. A typed password is offered nowhere.
TEST(RecordedForm, IdentityKeywordsWin) {
    const std::vector<std::string> lines = {"<form action=\"login.cgi\">",
                                            "<input type=\"text\" name=\"id\">",
                                            "<input type=\"password\" name=\"pw\">"};
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    const VectorTagLines all(views);
    auto r = std::make_shared<FormRecording>();
    r->controls = {{"id", "text", "taro@example.jp", true, false},
                   {"pw", "password", "", true, false}};
    const RecordedForm form = recorded(r, {0, 3});
    for (const std::string_view keyword : definition::kIdentityKeywords) {
        Classification c = classifyAt(lines, 1);
        c.proposal.identity = keyword;
        c.proposal.row = Row::Identity;
        applyRecording(c, lines[1], 1, all, form, sjis());
        EXPECT_EQ(c.proposal.row, Row::Identity) << keyword;
        EXPECT_EQ(c.proposal.identity, keyword);
        EXPECT_EQ(c.proposal.fixedValue, "taro@example.jp");
    }
    Classification typed = classifyAt(lines, 1);
    applyRecording(typed, lines[1], 1, all, form, sjis());
    EXPECT_EQ(typed.proposal.row, Row::FixedValue);
    EXPECT_EQ(typed.proposal.identity, definition::kEmail);
    Classification pass = classifyAt(lines, 2);
    applyRecording(pass, lines[2], 2, all, form, sjis());
    EXPECT_EQ(acceptedLine(pass.proposal), "pw=Zem-Pass");
}

// A typed value stands in the program's code page when the form is sent in it, so that the line
// reads right; in another charset its bytes are escaped.
TEST(RecordedForm, TheProgramsOwnCharsetReadsRight) {
    const std::vector<std::string> lines = {"<form action=\"a.cgi\">",
                                            "<input type=\"text\" name=\"n\">"};
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    const VectorTagLines all(views);
    auto r = std::make_shared<FormRecording>();
    r->controls = {{"n", "text", "山田 太郎", true, false}};
    const std::pair<const char*, std::string> cases[] = {
        {"Shift_JIS", sj("山田%20太郎")},
        {"UTF-8", "%E5%B1%B1%E7%94%B0%20%E5%A4%AA%E9%83%8E"},
        {"EUC-JP", "%BB%B3%C5%C4%20%C2%C0%CF%BA"},
    };
    for (const auto& [charset, literal] : cases) {
        Classification c = classifyAt(lines, 1);
        applyRecording(c, lines[1], 1, all, {r, {0, 2}, charset, browserCodePage(charset)}, sjis());
        EXPECT_EQ(c.proposal.fixedValue, literal) << charset;
    }
}

// Zem-ID and Zem-email take what was typed into their fields, in the form's charset; a field left
// as it was, a password or a field of another name leaves the sample.
TEST(TypedIdentities, WhatWasTypedGoes) {
    struct Case {
        const char* name;
        std::vector<RecordedControl> controls;
        std::vector<RequestField> fields;
        SampleValues sent;
        std::vector<std::string_view> taken;
    };
    const RecordedControl typedUser{"user", "text", "taro", true, false};
    const RecordedControl typedMail{"mail", "email", "t@x.jp", true, false};
    const RecordedControl untouched{"user", "text", "", false, false};
    const RecordedControl pass{"pw", "password", "", true, false};
    const RequestField id{2, "user", "user", std::string(definition::kId)};
    const RequestField email{3, "mail", "user@example.org", std::string(definition::kEmail)};
    const RequestField password{4, "pw", "password", std::string(definition::kPass)};
    const SampleValues samples;
    const Case cases[] = {
        {"both typed",
         {typedUser, typedMail},
         {id, email},
         {"taro", "password", "t@x.jp"},
         {definition::kId, definition::kEmail}},
        {"left as it was", {untouched}, {id}, samples, {}},
        {"the password is never read", {pass}, {password}, samples, {}},
        {"another field's text", {typedMail}, {id}, samples, {}},
        {"typed but not sent as a keyword", {typedUser}, {{2, "user", "taro", ""}}, samples, {}},
        {"in the form's charset",
         {{"user", "text", "山田", true, false}},
         {id},
         {sjis().fromUtf8("山田"), "password", "user@example.org"},
         {definition::kId}},
    };
    for (const Case& c : cases) {
        auto recording = std::make_shared<FormRecording>();
        recording->controls = c.controls;
        const RecordedForm form{recording, {}, "Shift_JIS", browserCodePage("Shift_JIS")};
        StepRequest step;
        step.fields = c.fields;
        SampleValues values;
        EXPECT_EQ(useTypedIdentities(step, form, values, sjis()), c.taken) << c.name;
        EXPECT_EQ(values.id, c.sent.id) << c.name;
        EXPECT_EQ(values.password, c.sent.password) << c.name;
        EXPECT_EQ(values.email, c.sent.email) << c.name;
    }
}
