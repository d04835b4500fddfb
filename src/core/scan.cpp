#include "scan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "byte_search.h"
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
constexpr std::array<SortRule, 10> kSortRules{{
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

// Per byte: the rules that begin with < and that byte, one bit per rule.
constexpr std::array<std::uint32_t, 256> kRulesBySecondByte = [] {
    std::array<std::uint32_t, 256> rules{};
    for (std::size_t r = 0; r < kSortRules.size(); ++r)
        if (kSortRules[r].needle[0] == '<')
            rules[static_cast<unsigned char>(kSortRules[r].needle[1])] |= 1u << r;
    return rules;
}();

// The first rule beginning with < that holds at the < that begins at, or kSortRules.size().
std::size_t ruleAt(std::string_view at) {
    if (at.size() < 3) return kSortRules.size();  // every needle has a character after the <
    for (auto rules = kRulesBySecondByte[static_cast<unsigned char>(at[1])]; rules != 0;
         rules &= rules - 1) {
        const auto r = static_cast<std::size_t>(std::countr_zero(rules));
        if (holdsAt(at, 0, kSortRules[r].needle)) return r;
    }
    return kSortRules.size();
}

// The first rule that holds, or kSortRules.size(). The rules that begin with < are tried at each
// < of the piece; the link rule, which comes last and holds an =, at each = in the same walk.
std::size_t firstRuleHolding(std::string_view piece) {
    constexpr std::string_view kLink = kSortRules.back().needle;
    constexpr std::size_t kLinkEquals = kLink.find('=');
    static_assert(kLink[0] != '<' && kLinkEquals != std::string_view::npos);
    std::size_t best = kSortRules.size();
    bool link = false;
    forEachOf(piece, '<', '=', [&](std::size_t at) {
        if (piece[at] == '<')
            best = std::min(best, ruleAt(piece.substr(at)));
        else if (!link && at >= kLinkEquals)
            link = holdsAt(piece, at - kLinkEquals, kLink);
        return best > 0;
    });
    if (best == kSortRules.size() && link) return kSortRules.size() - 1;
    return best;
}

// Adds a tag piece to the list its first holding rule names, if any.
void sortPiece(ScanResult& result, std::string_view piece) {
    const std::size_t rule = firstRuleHolding(piece);
    if (rule == kSortRules.size() || !kSortRules[rule].list) return;
    appendLine(result.*kSortRules[rule].list, piece);
}

// Cuts the joined page into pieces, each handed to readPiece and sorted, the final empty piece
// included; sets result.cut.
template <typename ReadPiece>
void cutPieces(std::string_view rest, ScanResult& result, ReadPiece readPiece) {
    const auto addPiece = [&](std::string_view piece) {
        readPiece(piece);
        sortPiece(result, piece);
    };
    std::size_t pos = 0;
    for (std::size_t cycle = 1;; ++cycle) {
        bool last = false;
        if (const auto open = findByte(rest, pos, '<'); open != std::string_view::npos) {
            addPiece(trimmed(rest.substr(pos, open - pos)));
            pos = open;
        } else {
            last = true;
        }
        if (const auto close = findByte(rest, pos, '>'); close != std::string_view::npos) {
            addPiece(trimmed(rest.substr(pos, close + 1 - pos)));
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
    readPiece(std::string_view());
}

}  // namespace

ScanResult scan(std::string_view pageSource) {
    // The lines run together with nothing between them.
    std::string joined;
    joined.reserve(pageSource.size());
    for (std::size_t from = 0; from < pageSource.size();) {
        const std::size_t br = std::min(findLineBreak(pageSource, from), pageSource.size());
        joined.append(pageSource, from, br - from);
        from = br + 1;
    }
    return scanJoined(joined);
}

ScanResult scanJoined(std::string_view joined) {
    ScanResult result;
    // Each cycle cuts at most two pieces, each followed by CR LF, and takes a < or ends the cut:
    // room for all of them at once, so that a big page's piece list is never moved.
    const std::size_t opens = countByte(joined, '<');
    result.source.reserve(joined.size() + 4 * (std::min(opens, kMaxCycles) + 1) + 2);
    cutPieces(joined, result, [&](std::string_view piece) { appendLine(result.source, piece); });
    return result;
}

ScanResult scanJoined(std::string_view joined, const PieceReader& readPiece) {
    ScanResult result;
    cutPieces(joined, result, readPiece);
    return result;
}

}  // namespace verrimo
