#include "walk_check.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "auto_list.h"
#include "classify.h"
#include "memo_text.h"
#include "walk.h"

namespace verrimo {

namespace {

void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken walk: %s\n", what);
    std::abort();
}

void checkWalk(const std::vector<std::string_view>& lines, const AutoList& autoList, bool getValue,
               const CodePage& cp) {
    const VectorTagLines required(lines);
    std::size_t loaded = 0;  // the index the walker loaded before this classification
    std::size_t steps = 0;
    std::size_t accepting = 0;
    bool ended = false;
    const auto appended = walkAcceptingAll(
        required, autoList, getValue, cp, [&](std::string_view tag, const Classification& c) {
            require(!ended, "nothing follows the end");
            require(++steps <= lines.size() + 1, "one classification per line at most");
            const std::string decimal = std::to_string(c.index);
            require(std::stoull(decimal) == c.index, "the index is a decimal number");
            require(c.index >= loaded, "the index never goes back");
            if (c.end) {
                require(tag.empty() && c.index == loaded, "the walk ends on the empty line");
                ended = true;
                return;
            }
            require(!tag.empty(), "only an empty line ends the walk");
            require(c.index < lines.size(), "the index stays on a line of the list");
            const auto row = static_cast<int>(c.proposal.row);
            require(row >= 0 && row <= static_cast<int>(Row::Auto), "a row or none");
            if (c.proposal.row != Row::None) ++accepting;
            loaded = c.index + 1;
        });
    require(ended, "the walk ends");
    require(appended.size() == accepting, "one line per accepted row");
}

// The index answers as a scan of every line would: for the text before each of the first "="
// of the list (a few, so that the scans stay cheap), and for its last few bytes.
void checkLookups(const AutoList& autoList) {
    std::size_t checked = 0;
    for (const std::string_view line : autoList.lines()) {
        std::size_t start = 0;
        for (auto eq = line.find('='); eq != std::string_view::npos && checked < 64;
             start = eq + 1, eq = line.find('=', start), ++checked) {
            const std::string_view key = line.substr(start, eq - start);
            const std::string_view tail =
                key.substr(key.size() - std::min<std::size_t>(key.size(), 3));
            for (const std::string_view name : {key, tail})
                require(autoList.values(name) == autoList.scannedValues(name),
                        "the auto list's index answers as a scan");
        }
    }
}

}  // namespace

void checkWalks(std::string_view requiredTags, std::string_view page, const CodePage& cp) {
    const auto tags = splitLines(requiredTags);
    const auto pageLines = splitLines(page);
    // A short auto list keeps a long page from turning the lookups quadratic.
    const AutoList autoList{std::string(page.substr(0, 4096))};
    checkLookups(autoList);
    checkWalk(tags, autoList, true, cp);
    checkWalk(pageLines, autoList, false, cp);
}

}  // namespace verrimo
