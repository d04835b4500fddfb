#include "line_diff.h"

#include <gtest/gtest.h>

#include <random>

using namespace verrimo;

namespace {

struct DiffCase {
    const char* name;
    std::string from, to;
    std::vector<LineHunk> hunks;
};

// The fewest lines removed and added, by the textbook table of common subsequences.
std::size_t fewestEdits(const std::vector<std::string_view>& a,
                        const std::vector<std::string_view>& b) {
    std::vector<std::vector<std::size_t>> common(a.size() + 1,
                                                 std::vector<std::size_t>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
    return a.size() + b.size() - 2 * common[0][0];
}

std::size_t editsOf(const std::vector<LineHunk>& hunks) {
    std::size_t n = 0;
    for (const LineHunk& h : hunks) n += h.fromEnd - h.fromBegin + h.toEnd - h.toBegin;
    return n;
}

}  // namespace

TEST(LineDiff, HunksOfRepairs) {
    const DiffCase cases[] = {
        {"same", "a\r\nb\r\n", "a\r\nb\r\n", {}},
        {"renamed line", "a\r\nemail=x\r\nc\r\n", "a\r\nmail=x\r\nc\r\n", {{1, 2, 1, 2}}},
        {"added after", "a\r\nb\r\n", "a\r\nb\r\nnew=1\r\n", {{2, 2, 2, 3}}},
        {"removed first", "gone\r\nb\r\n", "b\r\n", {{0, 1, 0, 0}}},
        {"two apart", "a\r\nb\r\nc\r\nd\r\n", "A\r\nb\r\nc\r\nD\r\n", {{0, 1, 0, 1}, {3, 4, 3, 4}}},
        {"renamed and added beside", "a\r\nb\r\nc\r\n", "a\r\nB\r\nnew\r\nc\r\n", {{1, 2, 1, 3}}},
        {"last line without break", "a\r\nb", "a\r\nb\r\n", {{1, 2, 1, 2}}},
        {"from nothing", "", "a\r\n", {{0, 0, 0, 1}}},
        {"to nothing", "a\r\nb\r\n", "", {{0, 2, 0, 0}}},
    };
    for (const DiffCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto from = linePieces(c.from), to = linePieces(c.to);
        const std::vector<LineHunk> hunks = diffLines(from, to);
        EXPECT_EQ(hunks, c.hunks);
        EXPECT_EQ(applyHunks(from, to, hunks, std::vector<bool>(hunks.size(), true)), c.to);
        EXPECT_EQ(applyHunks(from, to, hunks, std::vector<bool>(hunks.size(), false)), c.from);
    }
}

TEST(LineDiff, EachHunkTakenAloneChangesOnlyItsLines) {
    const std::string from = "r\r\nemail=a\r\nkind=b\r\ntok=c\r\n-\r\n";
    const std::string to = "r\r\nmail=a\r\nkind=b\r\ntok=c\r\nnew=d\r\n-\r\n";
    const auto a = linePieces(from), b = linePieces(to);
    const std::vector<LineHunk> hunks = diffLines(a, b);
    ASSERT_EQ(hunks.size(), 2u);
    EXPECT_EQ(applyHunks(a, b, hunks, {true, false}), "r\r\nmail=a\r\nkind=b\r\ntok=c\r\n-\r\n");
    EXPECT_EQ(applyHunks(a, b, hunks, {false, true}),
              "r\r\nemail=a\r\nkind=b\r\ntok=c\r\nnew=d\r\n-\r\n");
}

// Random texts of few distinct lines: the hunks are as few lines as can be, and taken whole
// make the new text.
TEST(LineDiff, FewestLinesOnRandomTexts) {
    std::mt19937 random(7);
    const std::string_view words[] = {"a\r\n", "b\r\n", "c\r\n", "d\r\n"};
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string_view> from, to;
        for (auto* side : {&from, &to}) {
            const std::size_t lines = random() % 12;
            for (std::size_t i = 0; i < lines; ++i) side->push_back(words[random() % 4]);
        }
        const std::vector<LineHunk> hunks = diffLines(from, to);
        EXPECT_EQ(editsOf(hunks), fewestEdits(from, to));
        std::string whole;
        for (const std::string_view line : to) whole += line;
        EXPECT_EQ(applyHunks(from, to, hunks, std::vector<bool>(hunks.size(), true)), whole);
    }
}

// Which hunk each line of the old text is changed by: a renamed line, a line added after another,
// a line removed, a line left alone.
TEST(LineDiff, TheHunkOfEachLine) {
    const std::string from = "r\r\na\r\nemail=x\r\nb\r\ngone=1\r\nc\r\n";
    const std::string to = "r\r\na\r\nnew=1\r\nmail=x\r\nb\r\nc\r\n";
    const auto a = linePieces(from), b = linePieces(to);
    const std::vector<LineHunk> hunks = diffLines(a, b);
    const std::vector<std::size_t> lines = {0, 1, 2, 3, 4, 5};
    const std::vector<std::optional<std::size_t>> expected = {std::nullopt, 0, 0,
                                                              std::nullopt, 1, std::nullopt};
    ASSERT_EQ(hunks.size(), 2u);
    EXPECT_EQ(hunksOfLines(hunks, lines), expected);
}

// A field renamed right after a hidden field added: two hunks, each taken alone.
TEST(LineDiff, RewrittenLinesPairUp) {
    struct Case {
        const char* name;
        std::string from, to;
        std::vector<LineHunk> finer;
    };
    const Case cases[] = {
        {"added, then renamed keeping its value",
         "t=1\r\nemail=Zem-email\r\n-\r\n",
         "t=1\r\nticket=Zem-GetValue[ticket]\r\nmail=Zem-email\r\n-\r\n",
         {{1, 1, 1, 2}, {1, 2, 2, 3}}},
        {"renamed with its operand, then added",
         "name=Zem-GetValue[name]\r\n-\r\n",
         "fullname=Zem-GetValue[fullname]\r\nnew=Zem-GetValue[new]\r\n-\r\n",
         {{0, 1, 0, 1}, {1, 1, 1, 2}}},
        {"a new action", "action=a.cgi\r\nx=1\r\n", "action=b.cgi\r\nx=1\r\n", {{0, 1, 0, 1}}},
        {"nothing alike", "a=1\r\n", "b=2\r\n", {{0, 1, 0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto a = linePieces(c.from), b = linePieces(c.to);
        const std::vector<LineHunk> finer = pairLines(a, b, diffLines(a, b));
        EXPECT_EQ(finer, c.finer);
        EXPECT_EQ(applyHunks(a, b, finer, std::vector<bool>(finer.size(), true)), c.to);
    }
}
