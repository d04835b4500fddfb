#include "scan.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "memo_text.h"
#include "trim.h"

namespace verrimo {

namespace {

constexpr std::size_t kMaxCycles = 999'999;

struct SortRule {
    std::string_view needle;
    std::string ScanResult::*list;  // nullptr: the piece is dropped
};

// First rule that holds decides; <font must come before <fo.
const std::array<SortRule, 10> kSortRules{{
    {"<in", &ScanResult::required},
    {"<font", nullptr},
    {"<fo", &ScanResult::required},
    {"<se", &ScanResult::required},
    {"<te", &ScanResult::required},
    {"<op", &ScanResult::required},
    {"</te", &ScanResult::required},
    {"</se", &ScanResult::required},
    {"<img", &ScanResult::images},
    {" href=\"", &ScanResult::links},
}};

// The first rule that holds, or kSortRules.size(). Rules that begin with < are tried where the
// piece has a <, all in one walk; the others are searched for only while they could still win.
std::size_t firstRuleHolding(std::string_view piece) {
    std::size_t best = kSortRules.size();
    for (auto lt = piece.find('<'); lt != std::string_view::npos && best > 0;
         lt = piece.find('<', lt + 1)) {
        const std::string_view at = piece.substr(lt);
        if (at.size() < 3) continue;  // every needle has a character after the <
        for (std::size_t r = 0; r < best; ++r) {
            // The second byte rules most needles out without a compare.
            const std::string_view needle = kSortRules[r].needle;
            if (needle[1] == at[1] && at.starts_with(needle)) {
                best = r;
                break;
            }
        }
    }
    for (std::size_t r = 0; r < best; ++r)
        if (kSortRules[r].needle[0] != '<' && piece.find(kSortRules[r].needle) != piece.npos)
            return r;
    return best;
}

void addPiece(ScanResult& result, std::string_view piece) {
    result.source += piece;
    result.source += "\r\n";
    const std::size_t rule = firstRuleHolding(piece);
    if (rule == kSortRules.size() || !kSortRules[rule].list) return;
    std::string& list = result.*kSortRules[rule].list;
    list += piece;
    list += "\r\n";
}

}  // namespace

ScanResult scan(std::string_view pageSource) {
    return scanOwned(std::string(pageSource));
}

ScanResult scanOwned(std::string pageSource) {
    // The lines run together with nothing between them.
    std::size_t joined = 0;
    for (std::size_t from = 0; from < pageSource.size();) {
        const std::size_t br = std::min(findLineBreak(pageSource, from), pageSource.size());
        std::memmove(pageSource.data() + joined, pageSource.data() + from, br - from);
        joined += br - from;
        from = br + 1;
    }
    pageSource.resize(joined);

    ScanResult result;
    // Each cycle cuts at most two pieces, each followed by CR LF, and takes a < or ends the cut:
    // room for all of them at once, so that a big page's piece list is never moved.
    const auto opens =
        static_cast<std::size_t>(std::count(pageSource.begin(), pageSource.end(), '<'));
    result.source.reserve(pageSource.size() + 4 * (std::min(opens, kMaxCycles) + 1) + 2);
    const std::string_view rest(pageSource);
    std::size_t pos = 0;
    for (std::size_t cycle = 1;; ++cycle) {
        bool last = false;
        if (const auto open = rest.find('<', pos); open != std::string_view::npos) {
            addPiece(result, trimmed(rest.substr(pos, open - pos)));
            pos = open;
        } else {
            last = true;
        }
        if (const auto close = rest.find('>', pos); close != std::string_view::npos) {
            addPiece(result, trimmed(rest.substr(pos, close + 1 - pos)));
            pos = close + 1;
        } else {
            last = true;
        }
        if (last) break;
        if (cycle == kMaxCycles) {
            // Another cycle would still have cut a piece.
            result.cut = rest.find_first_of("<>", pos) != std::string_view::npos;
            break;
        }
    }
    // What is left after the last cut is dropped; the piece list ends with an empty piece.
    result.source += "\r\n";
    return result;
}

}  // namespace verrimo
