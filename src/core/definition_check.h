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

struct DefinitionReport {
    std::vector<LineShape> shapes;  // one per line, as splitLines cuts the text
    std::vector<Finding> findings;  // in line order
};

DefinitionReport checkDefinition(std::string_view text, const CodePage& cp);

}  // namespace verrimo
