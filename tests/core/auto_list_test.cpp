// The auto list: how it is read from auto.txt and which of its lines a field name finds.
#include <gtest/gtest.h>

#include "classify_support.h"

using namespace verrimo;
using namespace verrimo::testing;

namespace {

Proposal lookup(std::string_view name, std::vector<std::string_view> autoList) {
    Walker w{{"<input type=text name=\"" + std::string(name) + "\">"}, std::move(autoList)};
    return w.at(0).proposal;
}

}  // namespace

TEST(AutoLookup, FirstMatchInTheBoxLaterOnesInItsList) {
    const Proposal p = lookup("mail", {"mail=a@x", "name=n", "mail=b@x", "mail=c@x"});
    EXPECT_EQ(p.cb3, "a@x");
    EXPECT_EQ(p.cb3Items, (std::vector<std::string>{"b@x", "c@x"}));
}

TEST(AutoLookup, TwoLinesForOneName) {
    const Proposal p = lookup("id", {"id=1", "id=2"});
    EXPECT_EQ(p.cb3, "1");
    EXPECT_EQ(p.cb3Items, std::vector<std::string>{"2"});
}

TEST(AutoLookup, KeyFoundInsideTheLine) {
    EXPECT_EQ(lookup("id", {"userid=abc"}).cb3, "abc");
    // The value follows the line's first "=", not the key's.
    EXPECT_EQ(lookup("b", {"a=xb=y"}).cb3, "xb=y");
}

TEST(AutoLookup, LinesWithoutEqualsNeverMatch) {
    const Proposal p = lookup("id", {"id", "id value", "x=id"});
    EXPECT_EQ(p.cb3, "");
    EXPECT_TRUE(p.cb3Items.empty());
}

TEST(AutoLookup, EmptyFirstValueLeavesTheBoxForTheNext) {
    const Proposal p = lookup("id", {"id=", "id=2", "id=3"});
    EXPECT_EQ(p.cb3, "2");
    EXPECT_EQ(p.cb3Items, std::vector<std::string>{"3"});
}

TEST(AutoLookup, EmptyNameMatchesEveryLineWithEquals) {
    const Proposal p = lookup("", {"a=1", "plain", "=2", "b=c=3"});
    EXPECT_EQ(p.cb3, "1");
    EXPECT_EQ(p.cb3Items, (std::vector<std::string>{"2", "c=3"}));
}

TEST(AutoLookup, IsCaseSensitive) {
    EXPECT_EQ(lookup("ID", {"id=1"}).cb3, "");
}

TEST(AutoLookup, JapaneseKeysAndValues) {
    const std::string line = sj("名前=ソ表");
    EXPECT_EQ(lookup(sj("名前"), {line}).cb3, sj("ソ表"));
}

TEST(AutoLookup, EachClassificationStartsWithAnEmptyAutoRow) {
    Walker w{{"<input type=text name=\"a\">", "<input type=text name=\"b\">"}, {"a=1"}};
    w.proposal = w.at(0).proposal;
    ASSERT_EQ(w.proposal.cb3, "1");
    EXPECT_EQ(w.at(1).proposal.cb3, "");
}

TEST(AutoListLines, CommentLinesAreRemoved) {
    const auto lines = autoListLines("#c\r\nid=1\r\n\r\n #kept\n#\rmail=m\r\n");
    EXPECT_EQ(lines, (std::vector<std::string_view>{"id=1", "", " #kept", "mail=m"}));
}

TEST(AutoListLines, ConsecutiveCommentsAndEmptyFile) {
    EXPECT_TRUE(autoListLines("").empty());
    EXPECT_TRUE(autoListLines("#a\n#b\n#c").empty());
}
