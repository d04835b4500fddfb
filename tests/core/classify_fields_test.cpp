// One tag, one field: the input kinds, the text area, the end of the walk and the tags that match
// no kind.
#include <gtest/gtest.h>

#include "classify_support.h"

using namespace verrimo;
using namespace verrimo::testing;

namespace {

// What an earlier tag or the user's typing left in the controls.
Proposal earlier() {
    return {"old hint",   "old hint2", "old",    "Zem-ID", "typed",
            "Zem-Random", "1-12:1",    "stored", {"more"}, Row::Auto};
}

Classification classifyOne(const std::string& tag, bool getValue = true,
                           const std::vector<std::string_view>& autoList = {}) {
    return classifyAt({tag}, 0, autoList, getValue, earlier());
}

const std::string kText = sj("文字入力　です");
const std::string kHidden = sj("hidden　です");
const std::string kCheck = sj("チェックBOXです！");
const std::string kCheck2 = sj("value値が無く、常にチェックの時はonにしてください");
const std::string kSubmit = sj("Submitボタンです");

}  // namespace

TEST(FieldKinds, EachKindWritesItsRowsOverTheEarlierProposal) {
    struct Case {
        std::string tag;
        bool getValue;
        Proposal expected;
    };
    const Case cases[] = {
        {R"(<input type=text name="q">)", true, {.hint = kText, .name = "q"}},
        {R"(<input type="text" name="q" value="50% a+b c">)",
         true,
         {.hint = kText, .name = "q", .fixedValue = "50%+a+b+c"}},
        {R"(<input type=hidden name="sid" value="a b/c">)",
         true,
         {.hint = kHidden,
          .name = "sid",
          .fixedValue = "a+b%2Fc",
          .expression = "Zem-GetValue",
          .operand = "sid",
          .row = Row::Expression}},
        {R"(<input type="hidden" name="sid" value="a b/c">)",
         false,
         {.hint = kHidden,
          .name = "sid",
          .fixedValue = "a+b%2Fc",
          .expression = "Zem-GetValue",
          .operand = "sid",
          .row = Row::FixedValue}},
        {R"(<input type=password name="pw" value="x y">)",
         true,
         {.hint = sj("何らかのPass入力です"),
          .name = "pw",
          .identity = "Zem-Pass",
          .fixedValue = "x+y",
          .row = Row::Identity}},
        {R"(<input type=submit name="go" value="Send it">)",
         true,
         {.hint = kSubmit, .name = "go", .fixedValue = "Send+it", .row = Row::FixedValue}},
        {R"(<input type=checkbox name="ok" value="yes">)",
         true,
         {.hint = kCheck,
          .hint2 = kCheck2,
          .name = "ok",
          .identity = "yes",
          .fixedValue = "yes",
          .row = Row::FixedValue}},
        {R"(<input type="checkbox" name="ok">)",
         true,
         {.hint = kCheck,
          .hint2 = kCheck2,
          .name = "ok",
          .identity = "on",
          .row = Row::FixedValue}},
        {R"(<input type=checkbox name="a" value="x&y">)",
         true,
         {.hint = kCheck,
          .hint2 = kCheck2,
          .name = "a",
          .identity = "x%26y",
          .fixedValue = "x%26y",
          .row = Row::FixedValue}},
        // No auto-row candidates for a text area, though msg=hi is in the list.
        {R"(<textarea name="msg" rows="3">)",
         true,
         {.hint = sj("テキスト入力欄です"), .name = "msg"}},
        // Without name= the name is empty, without a closing quote too; the empty name finds
        // every auto-list line.
        {R"(<input type=hidden value="v">)",
         true,
         {.hint = kHidden,
          .fixedValue = "v",
          .expression = "Zem-GetValue",
          .autoValue = "hi",
          .row = Row::Expression}},
        {R"(<input type=password>)",
         true,
         {.hint = sj("何らかのPass入力です"),
          .identity = "Zem-Pass",
          .autoValue = "hi",
          .row = Row::Identity}},
        {R"(<input type=text name="abc value="x>)", true, {.hint = kText, .name = "abc value="}},
        {R"(<input type=text name="abc>)", true, {.hint = kText, .autoValue = "hi"}},
        // name= inside a longer word; an unquoted name loses its first character.
        {R"(<input type=text username="bob">)", true, {.hint = kText, .name = "bob"}},
        {R"(<input type=text name=abc" x>)", true, {.hint = kText, .name = "bc"}},
        {sj(R"(<input type=hidden name="表示" value="ソ 能/">)"),
         false,
         {.hint = kHidden,
          .name = sj("表示"),
          .fixedValue = sj("ソ+能%2F"),
          .expression = "Zem-GetValue",
          .operand = sj("表示"),
          .row = Row::FixedValue}},
        // The kind tests see only what a value cut left: type=text before the value is gone.
        {R"(<input type=text value="x" type=hidden name="h">)",
         true,
         {.hint = kHidden,
          .name = "h",
          .fixedValue = "x",
          .expression = "Zem-GetValue",
          .operand = "h",
          .row = Row::Expression}},
        // A second kind matches behind the first one's value, and its name cut goes on from
        // the first one's name.
        {R"(<input type=hidden name="h" value="a" type=text name="t">)",
         true,
         {.hint = kText, .name = "t"}},
        {R"(<input type=hidden name="h" value="type=text">)",
         true,
         {.hint = kText, .autoValue = "hi"}},
        {R"(<input type=text name="a" value="<textarea">)",
         true,
         {.hint = sj("テキスト入力欄です")}},
    };
    for (const Case& c : cases) {
        const Classification out = classifyOne(c.tag, c.getValue, {"msg=hi"});
        EXPECT_EQ(out.proposal, c.expected) << c.tag;
        EXPECT_EQ(out.index, 0u) << c.tag;
        EXPECT_FALSE(out.end) << c.tag;
    }
}

TEST(FieldKinds, SubmitWithoutNameChangesOnlyTheHint) {
    Proposal expected = withClearedHints(earlier());
    expected.hint = kSubmit;
    EXPECT_EQ(classifyOne(R"(<input type=submit value="Send">)", true, {"old=1", "=2"}).proposal,
              expected);
}

TEST(FieldKinds, TwoMatchingKindsEachRunTheLookup) {
    const Proposal p = classifyOne(R"(<input type=hidden name="h" value="a" type=text name="t">)",
                                   true, {"h=1", "t=2"})
                           .proposal;
    EXPECT_EQ(p.autoValue, "1");
    EXPECT_EQ(p.autoChoices, std::vector<std::string>{"2"});
}

TEST(NoKind, OtherTagsLeaveTheProposal) {
    for (const char* tag : {"</textarea>", R"(<form action="post.cgi">)", R"(<option value="a">)",
                            R"(<optgroup label="g">)", R"(<input type=file name="f">)",
                            R"(<inputtype=text name="q">)", R"(<button type=submit name="b">)"}) {
        const Classification c = classifyOne(tag, true, {"f=1", "q=2", "b=3"});
        EXPECT_EQ(c.proposal, withClearedHints(earlier())) << tag;
        EXPECT_EQ(c.index, 0u) << tag;
        EXPECT_FALSE(c.end) << tag;
    }
}

TEST(EndOfWalk, EmptyTagClearsHintsAndAutoRowAndEnds) {
    const Classification past =
        classifyAt({R"(<input type=text name="a">)"}, 1, {"=x"}, true, earlier());
    EXPECT_TRUE(past.end);
    EXPECT_EQ(past.index, 1u);
    EXPECT_EQ(past.proposal, withClearedHints(earlier()));
    EXPECT_TRUE(classifyAt({"", R"(<input type=text name="a">)"}, 0).end);
}
