// Runs the classifier on a required-tag list given as lines, as the walker does at one index.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "auto_list.h"
#include "classify.h"
#include "memo_text.h"
#include "walk.h"

namespace verrimo {

// Failure messages show the controls, not the object's bytes.
inline void PrintTo(const Proposal& p, std::ostream* os) {
    using ::testing::PrintToString;
    *os << "{hint=" << PrintToString(p.hint) << " hint2=" << PrintToString(p.hint2)
        << " name=" << PrintToString(p.name) << " identity=" << PrintToString(p.identity)
        << " fixedValue=" << PrintToString(p.fixedValue)
        << " expression=" << PrintToString(p.expression) << " operand=" << PrintToString(p.operand)
        << " autoValue=" << PrintToString(p.autoValue) << " items=" << PrintToString(p.autoChoices)
        << " row=" << static_cast<int>(p.row) << "}";
}

}  // namespace verrimo

namespace verrimo::testing {

inline const CodePage& sjis() {
    static const CodePage page("CP932");
    return page;
}

// A fixed Japanese text in the program's code page.
inline std::string sj(std::string_view utf8) {
    return sjis().fromUtf8(utf8);
}

// The line at index is the tag text, as the walker loads it. The auto list is an auto.txt of
// autoLines.
inline Classification classifyAt(const std::vector<std::string>& lines, std::size_t index,
                                 const std::vector<std::string_view>& autoLines = {},
                                 bool getValue = true, Proposal current = initialProposal()) {
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    const VectorTagLines list(views);
    return classifyTag(list.line(index), index, list, AutoList(joinLines(autoLines)), getValue,
                       std::move(current), sjis());
}

// What a classification that writes nothing leaves: the old proposal without hints and auto row.
inline Proposal withClearedHints(Proposal p) {
    p.hint.clear();
    p.hint2.clear();
    p.autoValue.clear();
    p.autoChoices.clear();
    return p;
}

}  // namespace verrimo::testing
