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

TEST(FindLineBreak, FindsTheFirstBreakAtAnyPlaceInAWord) {
    // Breaks before, inside and after an eight-byte word, and bytes that differ from CR or LF
    // in one bit only.
    for (std::size_t at = 0; at < 20; ++at) {
        for (const char br : {'\r', '\n'}) {
            std::string text(20, '\x0c');
            text.replace(0, 4, "\x0b\x8d\x8a\x0e");
            text[at] = br;
            EXPECT_EQ(findLineBreak(text, 0), at) << at;
            EXPECT_EQ(findLineBreak(text, at), at);
            EXPECT_EQ(findLineBreak(text, at + 1), std::string_view::npos);
        }
    }
    EXPECT_EQ(findLineBreak("", 0), std::string_view::npos);
}

TEST(CrLfLines, IsJoinLinesOfSplitLines) {
    for (const std::string_view text : {"", "a", "a\r\n", "a\rb\nc\r\nd", "\n\r\r\n", "x\n\n"})
        EXPECT_EQ(crLfLines(text), joinLines(splitLines(text))) << text;
}
