#include "definition.h"

#include <gtest/gtest.h>

using namespace verrimo::definition;

TEST(DefinitionLines, ShapesJoinKeyAndValueWithOneEqualsSign) {
    EXPECT_EQ(referrerLine("top.html"), "Zem-Referer=top.html");
    EXPECT_EQ(referrerLine(""), "Zem-Referer=");
    EXPECT_EQ(targetLine("action", "post.cgi"), "action=post.cgi");
    EXPECT_EQ(checkStringLine(""), "chk-moji=");
    EXPECT_EQ(fieldLine("sid", expression("Zem-GetValue", "sid")), "sid=Zem-GetValue[sid]");
    EXPECT_EQ(fieldLine("q", expression("Zem-Select", "")), "q=Zem-Select[]");
}

TEST(DefinitionLines, PiecesAreTakenVerbatim) {
    EXPECT_EQ(fieldLine(" a=b ", " /x "), " a=b = /x ");
    EXPECT_EQ(targetLine("\x91\x49\x91\xf0", "x"), "\x91\x49\x91\xf0=x");  // 選択 in Shift_JIS
}

TEST(DefinitionLines, OnlyTheExactKindActionHoldsBackTheCheckLines) {
    EXPECT_TRUE(checkLinesWait("action"));
    EXPECT_FALSE(checkLinesWait("Action"));
    EXPECT_FALSE(checkLinesWait("action "));
    EXPECT_FALSE(checkLinesWait("Zem-Open"));
    EXPECT_FALSE(checkLinesWait(""));
}
