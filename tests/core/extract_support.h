// Shift_JIS text and line helpers for the extraction tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "memo_text.h"

namespace verrimo::testing {

inline const CodePage& cp932() {
    static const CodePage page("CP932");
    return page;
}

inline std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    for (const auto line : splitLines(text)) lines.emplace_back(line);
    return lines;
}

// A memo text holding the given lines.
inline std::string memo(const std::vector<std::string>& lines) {
    return joinLines(lines);
}

}  // namespace verrimo::testing
