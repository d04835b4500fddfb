#include <gtest/gtest.h>

#include "extract_support.h"
#include "find_targets.h"

using namespace verrimo;
using verrimo::testing::cp932;
using verrimo::testing::memo;
using Lines = std::vector<std::string>;

namespace {

const std::string kChoose = "\x91\x49\x91\xf0";  // 選択 in Shift_JIS

const std::string& separator() {
    static const std::string s = cp932().encode(
        U"\uff1d\u3053\u3053\u304b\u3089\u4e0b\u304c\u901a\u5e38\u30ea\u30f3"
        U"\u30af\u30bf\u30b0\u304b\u3089\u306e\u62bd\u51fa\uff1d");
    return s;
}

FinderResult find(const Lines& required, const Lines& links, std::string target = "",
                  std::string kind = kChoose) {
    return findTargets("http://h/p", memo(required), memo(links), std::move(target),
                       std::move(kind), cp932());
}

}  // namespace

TEST(FindTargets, TheSeparatorReadsAsWrittenInTheProgramsCodePage) {
    EXPECT_EQ(cp932().decode(find({}, {}).targets.at(0)),
              U"＝ここから下が通常リンクタグからの抽出＝");
}

TEST(FindTargets, NothingFoundLeavesOnlyTheSeparator) {
    const FinderResult r = find({"<input name=\"a\">"}, {});
    EXPECT_EQ(r.referrer, "http://h/p");
    EXPECT_EQ(r.targets, Lines{separator()});
    EXPECT_EQ(r.target, "");
    EXPECT_EQ(r.kind, kChoose);
}

TEST(FindTargets, FormActionsInPageOrderBeforeTheSeparator) {
    const FinderResult r = find({"<form action=\"post.cgi\" method=\"post\">", "<input name=\"a\">",
                                 "<form action=\"second.cgi\">"},
                                {});
    EXPECT_EQ(r.targets, (Lines{"post.cgi", "second.cgi", separator()}));
    EXPECT_EQ(r.target, "post.cgi");
    EXPECT_EQ(r.kind, "action");
}

TEST(FindTargets, ActionCutAfterTheCharacterFollowingTheEqualsSign) {
    EXPECT_EQ(find({"<form action=post.cgi method=post>"}, {}).targets.at(0),
              "ost.cgi method=post>");
    EXPECT_EQ(find({"<form action=post.cgi method=\"post\">"}, {}).targets.at(0),
              "ost.cgi method=");
    EXPECT_EQ(find({"<form action='x.cgi'>"}, {}).targets.at(0), "x.cgi'>");
    // Nothing after action= and its one character: an empty entry, still an action.
    const FinderResult bare = find({"<form action="}, {});
    EXPECT_EQ(bare.targets, (Lines{"", separator()}));
    EXPECT_EQ(bare.kind, "action");
    EXPECT_EQ(find({"xaction=\""}, {}).targets.at(0), "");
}

TEST(FindTargets, AnEmptyValueLeavesTheTextForTheNextValue) {
    const FinderResult r = find({"<form action=\"\">"}, {"<a href=\"next.html\">"});
    EXPECT_EQ(r.targets, (Lines{"", separator(), "next.html"}));
    EXPECT_EQ(r.target, "next.html");
    EXPECT_EQ(r.kind, "action");
}

TEST(FindTargets, LinksAfterTheSeparatorDoNotTouchTheKind) {
    const FinderResult r =
        find({}, {"<a class=\"m\" href=\"next.html\">", "<a href=\"\">", "<a href=\"next.html\">"});
    EXPECT_EQ(r.targets, (Lines{separator(), "next.html", "", "next.html"}));
    EXPECT_EQ(r.target, "next.html");
    EXPECT_EQ(r.kind, kChoose);
}

TEST(FindTargets, LinkValuesAreCutLikeActions) {
    // The first href= counts, even inside another attribute.
    EXPECT_EQ(find({}, {"<a data-href=x href=\"y\">"}).targets.at(1), " href=");
    // A text piece that reached the list through its space-href-quote.
    EXPECT_EQ(find({}, {"see href=\"a.html\">"}).targets.at(1), "a.html");
    // A hand-edited line without href= loses its first five characters.
    EXPECT_EQ(find({}, {"abcdefgh"}).targets.at(1), "fgh");
}

TEST(FindTargets, TheTargetTextIsOnlySetWhileEmpty) {
    const FinderResult r = find({"<form action=\"a.cgi\">"}, {}, "previous.html", "Zem-Open");
    EXPECT_EQ(r.target, "previous.html");
    EXPECT_EQ(r.kind, "action");
    EXPECT_EQ(r.targets.front(), "a.cgi");
}
