// One tag, one field: the end of the walk, the input kinds, the text area, and the tags that
// match no kind.
#include <gtest/gtest.h>

#include "classify_support.h"

using namespace verrimo;
using namespace verrimo::testing;

namespace {

// What an earlier tag or the user's typing left in the controls.
Proposal earlier() {
    Proposal p;
    p.hint = "old hint";
    p.hint2 = "old hint2";
    p.name = "old";
    p.cb2 = "Zem-ID";
    p.val = "typed";
    p.cb1 = "Zem-Random";
    p.zem = "1-12:1";
    p.cb3 = "stored";
    p.cb3Items = {"more"};
    p.row = 4;
    return p;
}

Classification classifyOne(std::string tag, bool getValue = true,
                           std::vector<std::string_view> autoList = {}) {
    Walker w{{std::move(tag)}, std::move(autoList), getValue, earlier()};
    return w.at(0);
}

}  // namespace

TEST(EndOfWalk, EmptyTagClearsHintsAndAutoRowAndEnds) {
    Walker w{{"<input type=text name=\"a\">"}, {"=x"}, true, earlier()};
    const Classification c = w.at(1);
    EXPECT_TRUE(c.end);
    EXPECT_EQ(c.index, 1u);
    EXPECT_EQ(c.proposal, withClearedHints(earlier()));
}

TEST(EndOfWalk, EmptyLineInsideTheListEnds) {
    Walker w{{"", "<input type=text name=\"a\">"}};
    EXPECT_TRUE(w.at(0).end);
}

TEST(TextField, NameWithoutValue) {
    const Classification c = classifyOne("<input type=text name=\"q\">");
    EXPECT_FALSE(c.end);
    EXPECT_EQ(c.proposal.hint, sj("文字入力　です"));
    EXPECT_EQ(c.proposal.hint2, "");
    EXPECT_EQ(c.proposal.name, "q");
    EXPECT_EQ(c.proposal.val, "");
    EXPECT_EQ(c.proposal.cb1, "");
    EXPECT_EQ(c.proposal.cb2, "");
    EXPECT_EQ(c.proposal.zem, "");
    EXPECT_EQ(c.proposal.row, 0);
    EXPECT_EQ(c.index, 0u);
}

TEST(TextField, ValueIsEncodedPercentAndPlusKept) {
    EXPECT_EQ(classifyOne("<input type=text name=\"q\" value=\"50% a+b c\">").proposal.val,
              "50%+a+b+c");
}

TEST(TextField, QuotedTypeMatchesToo) {
    const Classification c = classifyOne("<input type=\"text\" name=\"q\" value=\"v\">");
    EXPECT_EQ(c.proposal.hint, sj("文字入力　です"));
    EXPECT_EQ(c.proposal.val, "v");
}

TEST(HiddenField, GetValueTickedProposesExpression) {
    const Proposal p = classifyOne("<input type=hidden name=\"sid\" value=\"a b/c\">").proposal;
    EXPECT_EQ(p.hint, sj("hidden　です"));
    EXPECT_EQ(p.name, "sid");
    EXPECT_EQ(p.cb1, "Zem-GetValue");
    EXPECT_EQ(p.zem, "sid");
    EXPECT_EQ(p.val, "a+b%2Fc");
    EXPECT_EQ(p.cb2, "");
    EXPECT_EQ(p.row, 3);
    EXPECT_EQ(acceptedLine(p), "sid=Zem-GetValue[sid]");
}

TEST(HiddenField, GetValueClearedProposesTheValue) {
    const Proposal p =
        classifyOne("<input type=\"hidden\" name=\"sid\" value=\"a b/c\">", false).proposal;
    EXPECT_EQ(p.cb1, "Zem-GetValue");
    EXPECT_EQ(p.zem, "sid");
    EXPECT_EQ(p.val, "a+b%2Fc");
    EXPECT_EQ(p.row, 2);
    EXPECT_EQ(acceptedLine(p), "sid=a+b%2Fc");
}

TEST(PasswordField, IdentityRowWithValueStillEncoded) {
    const Proposal p = classifyOne("<input type=password name=\"pw\" value=\"x y\">").proposal;
    EXPECT_EQ(p.hint, sj("何らかのPass入力です"));
    EXPECT_EQ(p.name, "pw");
    EXPECT_EQ(p.cb2, "Zem-Pass");
    EXPECT_EQ(p.val, "x+y");
    EXPECT_EQ(p.cb1, "");
    EXPECT_EQ(p.zem, "");
    EXPECT_EQ(p.row, 1);
}

TEST(SubmitButton, WithNameProposesItsValue) {
    const Proposal p = classifyOne("<input type=submit name=\"go\" value=\"Send it\">").proposal;
    EXPECT_EQ(p.hint, sj("Submitボタンです"));
    EXPECT_EQ(p.name, "go");
    EXPECT_EQ(p.val, "Send+it");
    EXPECT_EQ(p.cb2, "");
    EXPECT_EQ(p.cb1, "");
    EXPECT_EQ(p.zem, "");
    EXPECT_EQ(p.row, 2);
}

TEST(SubmitButton, WithoutNameChangesOnlyTheHint) {
    const Classification c =
        classifyOne("<input type=submit value=\"Send\">", true, {"old=stored", "=x"});
    Proposal expected = withClearedHints(earlier());
    expected.hint = sj("Submitボタンです");
    EXPECT_EQ(c.proposal, expected);
}

TEST(CheckBox, ValueInBothRows) {
    const Proposal p = classifyOne("<input type=checkbox name=\"ok\" value=\"yes\">").proposal;
    EXPECT_EQ(p.hint, sj("チェックBOXです！"));
    EXPECT_EQ(p.hint2, sj("value値が無く、常にチェックの時はonにしてください"));
    EXPECT_EQ(p.cb2, "yes");
    EXPECT_EQ(p.val, "yes");
    EXPECT_EQ(p.cb1, "");
    EXPECT_EQ(p.zem, "");
    EXPECT_EQ(p.row, 2);
}

TEST(CheckBox, WithoutValueOffersOn) {
    const Proposal p = classifyOne("<input type=\"checkbox\" name=\"ok\">").proposal;
    EXPECT_EQ(p.cb2, "on");
    EXPECT_EQ(p.val, "");
    EXPECT_EQ(p.row, 2);
    EXPECT_EQ(p.hint2, sj("value値が無く、常にチェックの時はonにしてください"));
    EXPECT_EQ(acceptedLine(p), "ok=");
}

TEST(CheckBox, EncodedValueInTheIdentityRow) {
    EXPECT_EQ(classifyOne("<input type=checkbox name=\"a\" value=\"x&y\">").proposal.cb2, "x%26y");
}

TEST(TextArea, NameAndEmptyRowsWithoutAutoCandidates) {
    const Classification c = classifyOne("<textarea name=\"msg\" rows=\"3\">", true, {"msg=hi"});
    Proposal expected = withClearedHints(earlier());
    expected.hint = sj("テキスト入力欄です");
    expected.name = "msg";
    expected.cb2 = expected.val = expected.cb1 = expected.zem = "";
    expected.row = 0;
    EXPECT_EQ(c.proposal, expected);
}

TEST(NoKind, ClosingAndOtherTagsLeaveTheProposal) {
    for (const char* tag : {"</textarea>", "<form action=\"post.cgi\">", "<option value=\"a\">",
                            "<optgroup label=\"g\">", "<input type=file name=\"f\">",
                            "<inputtype=text name=\"q\">"}) {
        const Classification c = classifyOne(tag, true, {"f=1", "q=2"});
        EXPECT_EQ(c.proposal, withClearedHints(earlier())) << tag;
        EXPECT_EQ(c.index, 0u) << tag;
        EXPECT_FALSE(c.end) << tag;
    }
}

TEST(NoKind, InputMarkersOutsideAnInputTagAreIgnored) {
    const Classification c = classifyOne("<button type=submit name=\"b\">");
    EXPECT_EQ(c.proposal, withClearedHints(earlier()));
}

TEST(MissingName, EveryKindProposesTheEmptyName) {
    for (const char* tag : {"<input type=hidden value=\"v\">", "<input type=text>",
                            "<input type=password>", "<input type=checkbox value=\"v\">",
                            "<textarea rows=\"2\">", "<input type=radio value=\"v\">"}) {
        EXPECT_EQ(classifyOne(tag).proposal.name, "") << tag;
    }
}

TEST(MissingName, NameWithoutClosingQuoteIsEmpty) {
    EXPECT_EQ(classifyOne("<input type=text name=\"abc>").proposal.name, "");
    EXPECT_EQ(classifyOne("<input type=text value=\"abc>").proposal.val, "");
}

TEST(Cuts, NameFoundInsideLongerWordsAndUnquotedLosesOneCharacter) {
    EXPECT_EQ(classifyOne("<input type=text username=\"bob\">").proposal.name, "bob");
    // The character after "name=" is taken for the opening quote.
    EXPECT_EQ(classifyOne("<input type=text name=abc\" x>").proposal.name, "bc");
}

TEST(Cuts, JapaneseNamesAndValuesKeepTheirTrailBytes) {
    const Proposal p =
        classifyOne(sj("<input type=hidden name=\"表示\" value=\"ソ 能/\">"), false).proposal;
    EXPECT_EQ(p.name, sj("表示"));
    EXPECT_EQ(p.zem, sj("表示"));
    EXPECT_EQ(p.val, sj("ソ+能%2F"));
}

TEST(WorkingCopies, KindTestsSeeOnlyWhatTheValueCutLeft) {
    // type=text stands before the hidden field's value, so only the hidden kind matches.
    const Proposal p = classifyOne("<input type=text value=\"x\" type=hidden name=\"h\">").proposal;
    EXPECT_EQ(p.hint, sj("hidden　です"));
    EXPECT_EQ(p.val, "x");
    EXPECT_EQ(p.row, 3);
}

TEST(WorkingCopies, SecondKindTakesTheNextName) {
    const Classification c = classifyOne(
        "<input type=hidden name=\"h\" value=\"a\" type=text name=\"t\">", true, {"h=1", "t=2"});
    const Proposal& p = c.proposal;
    EXPECT_EQ(p.hint, sj("文字入力　です"));
    EXPECT_EQ(p.name, "t");
    EXPECT_EQ(p.val, "");  // the text kind finds no value= in what is left
    EXPECT_EQ(p.cb1, "");
    EXPECT_EQ(p.zem, "");
    EXPECT_EQ(p.row, 0);
    // Each kind ran its own lookup.
    EXPECT_EQ(p.cb3, "1");
    EXPECT_EQ(p.cb3Items, std::vector<std::string>{"2"});
}

TEST(WorkingCopies, SecondKindWithoutFurtherNameGetsEmptyName) {
    const Proposal p = classifyOne("<input type=hidden name=\"h\" value=\"type=text\">").proposal;
    EXPECT_EQ(p.hint, sj("文字入力　です"));
    EXPECT_EQ(p.name, "");
    EXPECT_EQ(p.val, "");
}

TEST(WorkingCopies, TextAreaMarkerLeftInAnInputValue) {
    const Proposal p = classifyOne("<input type=text name=\"a\" value=\"<textarea\">").proposal;
    EXPECT_EQ(p.hint, sj("テキスト入力欄です"));
    EXPECT_EQ(p.name, "");
}
