// Runs the classifier on a required-tag list given as lines, as the walker does at one index.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "classify.h"
#include "walk.h"

namespace verrimo {

// Failure messages show the controls, not the object's bytes.
inline void PrintTo(const Proposal& p, std::ostream* os) {
    *os << "{hint=" << ::testing::PrintToString(p.hint)
        << " hint2=" << ::testing::PrintToString(p.hint2)
        << " name=" << ::testing::PrintToString(p.name)
        << " cb2=" << ::testing::PrintToString(p.cb2) << " val=" << ::testing::PrintToString(p.val)
        << " cb1=" << ::testing::PrintToString(p.cb1) << " zem=" << ::testing::PrintToString(p.zem)
        << " cb3=" << ::testing::PrintToString(p.cb3)
        << " items=" << ::testing::PrintToString(p.cb3Items) << " row=" << p.row << "}";
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

struct Walker {
    explicit Walker(std::vector<std::string> lines, std::vector<std::string_view> autoList = {},
                    bool getValue = true, Proposal proposal = initialProposal())
        : lines(std::move(lines)),
          autoList(std::move(autoList)),
          getValue(getValue),
          proposal(std::move(proposal)) {}

    std::vector<std::string> lines;
    std::vector<std::string_view> autoList;
    bool getValue;
    Proposal proposal;

    // The line at index is the tag text, as the walker loads it.
    Classification at(std::size_t index) const {
        const std::vector<std::string_view> views(lines.begin(), lines.end());
        const VectorTagLines list(views);
        return classifyTag(list.line(index), index, list, autoList, getValue, proposal, sjis());
    }
};

// The proposal a classification that writes nothing leaves: the old one without the hints
// and the auto row.
inline Proposal withClearedHints(Proposal p) {
    p.hint.clear();
    p.hint2.clear();
    p.cb3.clear();
    p.cb3Items.clear();
    return p;
}

}  // namespace verrimo::testing
