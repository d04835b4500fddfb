// A step once sent: the check strings proposed from its answer, where the chosen one is written,
// and the step built against its own page.
#include <gtest/gtest.h>

#include "extract_page.h"
#include "extract_support.h"
#include "road_run.h"
#include "sent_step.h"

using namespace verrimo;
using verrimo::testing::cp932;

namespace {

std::string sjis(std::string_view utf8) {
    return cp932().fromUtf8(utf8);
}

struct Closing {
    const char* name;
    const char* definition;  // UTF-8; every text below is this in CP932
    const char* held;
    const char* check;
    const char* closed;
    const char* heldAfter;
};

const Closing kClosings[] = {
    {"the step's own empty line", "Zem-Referer=a\r\naction=b\r\nx=1\r\n-\r\nchk-moji=\r\n", "",
     "完了", "Zem-Referer=a\r\naction=b\r\nx=1\r\n-\r\nchk-moji=完了\r\n", ""},
    {"the step's line is taken whatever it held, an earlier step's stays",
     "Zem-Referer=a\r\naction=b\r\n-\r\nchk-moji=x\r\nZem-Referer=c\r\naction=d\r\n-\r\n"
     "chk-moji=old\r\nq=1",
     "-\r\nchk-moji=\r\n", "new",
     "Zem-Referer=a\r\naction=b\r\n-\r\nchk-moji=x\r\nZem-Referer=c\r\naction=d\r\n-\r\n"
     "chk-moji=new\r\nq=1",
     "-\r\nchk-moji=\r\n"},
    {"held lines go below, the first check-string line filled",
     "Zem-Referer=a\r\naction=b\r\nx=1\r\n", "-\r\nchk-moji=\r\n-\r\nchk-moji=\r\n", "確認",
     "Zem-Referer=a\r\naction=b\r\nx=1\r\n-\r\nchk-moji=確認\r\n-\r\nchk-moji=\r\n", ""},
    {"held lines below a last line without a line break, by the add-line rule",
     "Zem-Referer=a\r\naction=b\r\nx=1", "-\r\nchk-moji=", "ok",
     "Zem-Referer=a\r\naction=b\r\nx=1\r\n-\r\nchk-moji=ok", ""},
    {"nothing waits: appended, the holding area kept", "Zem-Referer=a\r\naction=b\r\nx=1\r\n",
     "memo\r\n", "ok", "Zem-Referer=a\r\naction=b\r\nx=1\r\n-\r\nchk-moji=ok\r\n", "memo\r\n"},
    {"a check string before the last target is another step's",
     "Zem-Referer=a\r\naction=b\r\n-\r\nchk-moji=first\r\nZem-Referer=c\r\naction=d\r\n", "",
     "second",
     "Zem-Referer=a\r\naction=b\r\n-\r\nchk-moji=first\r\nZem-Referer=c\r\naction=d\r\n-\r\n"
     "chk-moji=second\r\n",
     ""},
};

TEST(SentStep, TheCheckStringGoesWhereTheStepWaitsForIt) {
    for (const Closing& c : kClosings) {
        const StepTexts closed = closeSentStep(*parseDefinition(sjis(c.definition), cp932()),
                                               sjis(c.held), sjis(c.check), cp932());
        EXPECT_EQ(closed.definition, sjis(c.closed)) << c.name;
        EXPECT_EQ(closed.held, sjis(c.heldAfter)) << c.name;
    }
}

struct Proposing {
    const char* name;
    std::string answer;
    const char* answerType;
    std::string previous;
    std::vector<std::string> proposals;  // UTF-8
};

TEST(SentStep, ProposalsAreTextOfTheProgramsCodePage) {
    const CodePage utf8("UTF-8");
    const Proposing cases[] = {
        {"Shift_JIS answer",
         sjis("<title>確認</title><h1>入力内容の確認</h1><p>お名前</p>"),
         "text/html; charset=Shift_JIS",
         sjis("<p>お名前</p>"),
         {"確認", "入力内容の確認"}},
        {"UTF-8 answer after a Shift_JIS page, a character CP932 lacks left out",
         "<meta charset=utf-8><title>完了</title><p>ありがとうございました</p><p>ok 😀</p>"
         "<p>お名前</p>",
         "",
         sjis("<p>お名前</p>"),
         {"完了", "ありがとうございました"}},
        {"no page before",
         sjis("<title>完了</title>"),
         "text/html; charset=Shift_JIS",
         "",
         {"完了"}},
    };
    for (const Proposing& c : cases) {
        std::vector<std::string> expected;
        for (const std::string& p : c.proposals) expected.push_back(sjis(p));
        EXPECT_EQ(checkStringProposals({c.answer, c.answerType}, {c.previous, ""}, cp932()),
                  expected)
            << c.name;
    }
}

TEST(SentStep, AStepIsBuiltAgainstItsOwnPage) {
    const std::string definition =
        "Zem-Referer=http://s.example/a.html\r\naction=http://s.example/a.cgi\r\nq=1\r\n"
        "Zem-Referer=http://s.example/b.html\r\naction=http://s.example/b.cgi\r\n"
        "t=Zem-GetValue[t]\r\npw=Zem-Pass\r\nzz=2\r\n";
    const PageReading b = readPage({"<form action=b.cgi method=post><input type=hidden name=t "
                                    "value=tok><input type=password name=pw></form>"},
                                   cp932(), {.forms = true});
    const auto parsed = parseDefinition(definition, cp932());
    const auto step = stepOnPage(*parsed, 1, b.forms, {"u", "p&w", "e"}, cp932());
    ASSERT_TRUE(step);
    EXPECT_EQ(step->method, "POST");
    EXPECT_EQ(step->url, "http://s.example/b.cgi");
    EXPECT_EQ(step->body, "t=tok&pw=p%26w&zz=2");
    EXPECT_EQ(step->targetLine, 4u);
    ASSERT_EQ(step->findings.size(), 1u);
    EXPECT_EQ(step->findings[0].rule, "field-unknown");
    EXPECT_EQ(step->findings[0].line, 7u);
    EXPECT_FALSE(stepOnPage(*parsed, 2, nullptr, {}, cp932()));
}

}  // namespace

// The answer holds the sent form again when it has one of the same action, method and controls.
TEST(SentStep, TheFormCameBack) {
    const std::string sent =
        "<form action=\"login.cgi\" method=\"post\"><input name=user><input type=password "
        "name=pass><input type=submit value=go></form>";
    const std::pair<const char*, bool> cases[] = {
        {"<p>error</p><form action=\"login.cgi\" method=\"post\"><input name=user value=taro>"
         "<input type=password name=pass><input type=submit value=again></form>",
         true},
        {"<form action=\"login.cgi\" method=\"get\"><input name=user><input type=password "
         "name=pass><input type=submit value=go></form>",
         false},
        {"<form action=\"confirm.cgi\" method=\"post\"><input name=user><input type=password "
         "name=pass><input type=submit value=go></form>",
         false},
        {"<form action=\"login.cgi\" method=\"post\"><input name=user><input type=submit "
         "value=go></form>",
         false},
        {"<p>ようこそ</p>", false},
    };
    const Form form = readPageForms(sent, cp932()).forms.at(0);
    for (const auto& [answer, back] : cases)
        EXPECT_EQ(formCameBack(form, readPageForms(answer, cp932()).forms), back) << answer;
}
