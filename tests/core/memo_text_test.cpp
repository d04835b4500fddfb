#include "memo_text.h"

#include <gtest/gtest.h>

using namespace verrimo;

TEST(AddLine, EmptyTextGetsLineAndBreak) {
    std::string text;
    addLine(text, "a");
    EXPECT_EQ(text, "a\r\n");
}

TEST(AddLine, TextEndingWithBreakGetsLineAndBreak) {
    std::string text = "x\r\n";
    addLine(text, "a");
    EXPECT_EQ(text, "x\r\na\r\n");
}

TEST(AddLine, TextWithoutFinalBreakGetsBreakThenLine) {
    std::string text = "x";
    addLine(text, "a");
    EXPECT_EQ(text, "x\r\na");
    addLine(text, "b");
    EXPECT_EQ(text, "x\r\na\r\nb");
}

TEST(AddLine, BreaksInsideTheLineMakeFurtherLines) {
    std::string text = "x\r\n";
    addLine(text, "-\r\nchk-moji=\r\n");
    EXPECT_EQ(text, "x\r\n-\r\nchk-moji=\r\n\r\n");
    EXPECT_EQ(splitLines(text).size(), 4u);
}

TEST(AddLine, EmptyLineOnEmptyTextIsOneBreak) {
    std::string text;
    addLine(text, "");
    EXPECT_EQ(text, "\r\n");
    std::string open = "last";
    addLine(open, "");
    EXPECT_EQ(open, "last\r\n");
}

TEST(SplitLines, AllThreeBreaksEndALine) {
    const auto lines = splitLines("a\r\nb\rc\nd");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], "b");
    EXPECT_EQ(lines[2], "c");
    EXPECT_EQ(lines[3], "d");
}

TEST(SplitLines, FinalBreakAddsNoLineButEmptyLinesStay) {
    EXPECT_TRUE(splitLines("").empty());
    EXPECT_EQ(splitLines("\r\n").size(), 1u);
    EXPECT_EQ(splitLines("a\r\n\r\n").size(), 2u);
    EXPECT_EQ(splitLines("\n\r").size(), 2u);  // LF then a lone CR: two empty lines
}

TEST(JoinLines, EveryLineEndsWithCrLfAndSplitsBack) {
    const std::vector<std::string> lines = {"", "<a>", "", "b"};
    const std::string text = joinLines(lines);
    EXPECT_EQ(text, "\r\n<a>\r\n\r\nb\r\n");
    const auto back = splitLines(text);
    EXPECT_EQ(std::vector<std::string>(back.begin(), back.end()), lines);
}

TEST(FileText, LinesWithBreaksBetweenAndNothingAfterTheLast) {
    EXPECT_EQ(fileText(""), "");
    EXPECT_EQ(fileText("\r\n"), "");  // one empty line: an empty file
    EXPECT_EQ(fileText("\r\n<a>\r\n\r\n"), "\r\n<a>\r\n");
    EXPECT_EQ(fileText("a\nb\rc"), "a\r\nb\r\nc");
}
