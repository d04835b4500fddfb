#include <algorithm>
#include <array>

#include "extract.h"

namespace verrimo {

namespace {

constexpr std::size_t kMaxCycles = 999'999;

std::string_view trimmed(std::string_view s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
    return s.substr(begin, end - begin);
}

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

void addPiece(ScanResult& result, std::string_view piece) {
    result.source += piece;
    result.source += "\r\n";
    for (const auto& rule : kSortRules) {
        if (piece.find(rule.needle) == std::string_view::npos) continue;
        if (rule.list) {
            std::string& list = result.*rule.list;
            list += piece;
            list += "\r\n";
        }
        return;
    }
}

}  // namespace

ScanResult scan(std::string_view pageSource) {
    // The lines run together with nothing between them.
    std::string work;
    work.reserve(pageSource.size());
    for (std::size_t from = 0; from < pageSource.size();) {
        const auto br = std::min(pageSource.find_first_of("\r\n", from), pageSource.size());
        work.append(pageSource, from, br - from);
        from = br + 1;
    }

    ScanResult result;
    const std::string_view rest(work);
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
        if (last || cycle == kMaxCycles) break;
    }
    // What is left after the last cut is dropped; the piece list ends with an empty piece.
    result.source += "\r\n";
    return result;
}

}  // namespace verrimo
