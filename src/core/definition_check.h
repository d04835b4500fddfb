// Reading a definition text back: the shape of each line and the mistakes the host would trip
// over. Only warnings: the text is never changed, and what an operand means is left to the host.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "codepage.h"

namespace verrimo {

enum class LineShape { Referrer, Target, Dash, CheckString, Field, Empty, Other };

// A byte range within one line; empty when begin == end.
struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool empty() const { return begin == end; }
};

struct Finding {
    std::size_t line = 0;  // zero-based
    Span span;
    std::string_view rule;     // a short fixed id such as "blank-around-equals"
    std::string_view message;  // Japanese, UTF-8
};

// One line taken apart, for checking and for colouring.
struct LineReport {
    LineShape shape = LineShape::Empty;
    Span key;      // before the "="; empty when the line has none
    Span equals;   // the "=" itself
    Span value;    // after the "="
    Span keyword;  // a word beginning with "Zem-", at the start of the key or the value
    Span operand;  // between the brackets of an expression
    std::vector<Finding> findings;  // each with line 0
};

// A line on its own. targetExpected: the line stands where a referrer line wants its target.
LineReport checkLine(std::string_view line, bool targetExpected, const CodePage& cp);

// Whether the line after this one, skipping empty lines, is expected to be a target line.
bool expectsTarget(LineShape shape, bool targetExpected);

// The finding of a referrer line that no target line follows.
Finding missingTarget(std::size_t line, std::string_view text);

// A line without "=" between two field lines may be the rest of a value that a line break split:
// the lines between them, empty lines among them, are at most this many.
inline constexpr std::size_t kLongestSplit = 100;

// How far below a field line the line after this one is (1 right below, 0 when it is not after
// one, or too far for a split value): after, the same for this line.
std::size_t linesAfterField(LineShape shape, std::size_t after);

// The finding of a line without "=" that stands between two field lines.
Finding splitLine(std::size_t line, std::string_view text);

struct DefinitionReport {
    // One per line, as splitLines cuts the text; their findings are moved into findings.
    std::vector<LineReport> lines;
    std::vector<Finding> findings;  // in line order
};

// lines: as splitLines cuts the text.
DefinitionReport checkDefinition(const std::vector<std::string_view>& lines, const CodePage& cp);
DefinitionReport checkDefinition(std::string_view text, const CodePage& cp);

}  // namespace verrimo
