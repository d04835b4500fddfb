#include "line_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codepage.h"
#include "random_bytes.h"

using namespace verrimo;

namespace {

// What a text control shows, worked out the slow way: each line's bytes and its first unit,
// and the unit of every character boundary.
struct Shown {
    std::vector<std::string_view> lines;
    std::vector<std::size_t> lineStarts;                          // bytes
    std::vector<std::size_t> lineUnits;                           // units at each line's start
    std::vector<std::pair<std::size_t, std::size_t>> boundaries;  // byte, unit
    std::size_t units = 0;
};

Shown shown(std::string_view text, const CodePage& cp) {
    Shown s;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        s.lines.push_back(text.substr(start, end - start));
        s.lineStarts.push_back(start);
        s.lineUnits.push_back(s.units);
        for (std::size_t pos = start; pos < end;) {
            s.boundaries.emplace_back(pos, s.units);
            char32_t c;
            pos += cp.decodeAt(text.substr(0, end), pos, c);
            s.units += c >= 0x10000 ? 2 : 1;
        }
        s.boundaries.emplace_back(end, s.units);
        if (end == text.size()) break;
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        ++s.units;
    }
    return s;
}

struct Case {
    const char* name;
    std::string text;
    const char* codePage;
};

std::vector<Case> cases() {
    std::string manyLines;
    for (int i = 0; i < 300; ++i)
        manyLines +=
            (i % 7 == 0 ? "" : "<a href=\"/" + std::to_string(i) + "\">") + (i % 3 == 0   ? "\n"
                                                                             : i % 5 == 0 ? "\r"
                                                                                          : "\r\n");
    std::string japanese;
    for (int i = 0; i < 200; ++i)
        japanese += "\x83\x65\x83\x58\x83\x67 " + std::to_string(i) + "\r\n";
    std::string random = verrimo::test::randomBytes(8000, 7);
    return {
        {"empty", "", "CP932"},
        {"one line", "abc", "CP932"},
        {"ends with a break", "abc\r\n", "CP932"},
        {"only breaks", "\r\n\n\r\r\n", "CP932"},
        {"lone CR then LF makes two lines", "a\n\rb", "CP932"},
        {"many lines, three breaks", manyLines, "CP932"},
        {"Shift_JIS lines", japanese, "CP932"},
        {"undecodable bytes", "\x82\r\n\xff\x80x\x82", "CP932"},
        {"random bytes in CP932", random, "CP932"},
        {"random bytes in UTF-8", random, "UTF-8"},
        {"characters beyond the BMP",
         "a\xf0\x9f\x98\x80"
         "b\r\n\xf0\x9f\x98\x80",
         "UTF-8"},
        {"EUC-JP", "\xa4\xa2\xa4\xa4\n\x8e\xb1", "EUC-JP"},
    };
}

}  // namespace

TEST(LineIndex, AgreesWithTheLinesAndUnitsAControlShows) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const CodePage cp(c.codePage);
        const LineIndex index(c.text, cp);
        const Shown expected = shown(c.text, cp);
        ASSERT_EQ(index.Lines(), expected.lines.size());
        EXPECT_EQ(index.Units(), expected.units);
        std::size_t widest = 0;
        for (std::size_t n = 0; n < expected.lines.size(); ++n) {
            const LineIndex::Line line = index.Numbered(c.text, n);
            EXPECT_EQ(line.number, n);
            EXPECT_EQ(line.start, expected.lineStarts[n]);
            EXPECT_EQ(c.text.substr(line.start, line.end - line.start), expected.lines[n]);
            EXPECT_EQ(line.Last(), n + 1 == expected.lines.size());
            const std::size_t units = utf16Units(expected.lines[n], cp);
            if (units > utf16Units(expected.lines[widest], cp)) widest = n;
            for (std::size_t byte = line.start; byte < line.next || byte == line.end; ++byte)
                EXPECT_EQ(index.Holding(c.text, byte).number, n) << "byte " << byte;
        }
        EXPECT_EQ(index.WidestLine(), widest);
        for (const auto& [byte, unit] : expected.boundaries) {
            EXPECT_EQ(index.UnitOf(c.text, cp, byte), unit) << "byte " << byte;
            EXPECT_EQ(index.ByteOf(c.text, cp, unit), byte) << "unit " << unit;
        }
    }
}

TEST(LineIndex, PlacesBeyondTheTextOrInsideACharacterGiveItsStartOrTheEnd) {
    const CodePage utf8("UTF-8");
    const std::string text =
        "a\xf0\x9f\x98\x80"
        "b";  // the emoji takes units 1 and 2
    const LineIndex index(text, utf8);
    EXPECT_EQ(index.ByteOf(text, utf8, 2), 1u);
    EXPECT_EQ(index.ByteOf(text, utf8, 3), 5u);
    EXPECT_EQ(index.ByteOf(text, utf8, 99), text.size());
    EXPECT_EQ(index.Numbered(text, 99).number, 0u);
}

TEST(LineIndex, TheEmptyIndexIsTheEmptyText) {
    const CodePage cp("CP932");
    const LineIndex empty;
    EXPECT_EQ(empty.Lines(), 1u);
    EXPECT_EQ(empty.Units(), 0u);
    EXPECT_EQ(empty.Numbered("", 0).end, 0u);
    EXPECT_EQ(empty.ByteOf("", cp, 5), 0u);
}
