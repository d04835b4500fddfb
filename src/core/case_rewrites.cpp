#include "case_rewrites.h"

#include "memo_text.h"

namespace verrimo {

namespace {

// Bytes a row's pattern or replacement may hold. A match lies inside one run of them, and a run
// is ASCII, so the rows can be applied run by run in a single walk over the page.
constexpr bool isWordByte(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '=' || b == '<' || b == '/';
}

constexpr bool isUpper(unsigned char b) {
    return b >= 'A' && b <= 'Z';
}

// Rows keep the length (so they can be applied in place), stay within the word bytes, and each
// needs a capital letter (so a run without one is left alone).
constexpr bool rowsFitTheRunWalk() {
    for (const auto& row : kCaseRewrites) {
        if (row.pattern.empty() || row.pattern.size() != row.replacement.size()) return false;
        bool capital = false;
        for (std::size_t i = 0; i < row.pattern.size(); ++i) {
            const auto p = static_cast<unsigned char>(row.pattern[i]);
            if (!isWordByte(p) || !isWordByte(static_cast<unsigned char>(row.replacement[i])))
                return false;
            capital = capital || isUpper(p);
        }
        if (!capital) return false;
    }
    return true;
}
static_assert(rowsFitTheRunWalk());

// Every row in order, each on every occurrence left to right; the run's bytes are all ASCII, so
// each of them starts a character.
void rewriteRun(char* run, std::size_t size) {
    const std::string_view view(run, size);
    for (const auto& row : kCaseRewrites) {
        for (auto at = view.find(row.pattern); at != std::string_view::npos;
             at = view.find(row.pattern, at + row.pattern.size()))
            row.replacement.copy(run + at, row.replacement.size());
    }
}

enum ByteKind : unsigned char { kOther, kWord, kCapital, kLead };

}  // namespace

std::string applyCaseRewrites(std::string_view pageSource, const CodePage& cp) {
    std::string text = joinLines(splitLines(pageSource));

    std::array<ByteKind, 256> kind{};
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<unsigned char>(b);
        kind[b] = cp.isLeadByte(u) ? kLead : isUpper(u) ? kCapital : isWordByte(u) ? kWord : kOther;
    }

    std::size_t runStart = 0;
    bool inRun = false;
    bool capital = false;
    const auto endRun = [&](std::size_t end) {
        if (inRun && capital) rewriteRun(text.data() + runStart, end - runStart);
        inRun = false;
        capital = false;
    };
    for (std::size_t i = 0; i < text.size();) {
        const ByteKind k = kind[static_cast<unsigned char>(text[i])];
        if (k == kWord || k == kCapital) {
            if (!inRun) runStart = i;
            inRun = true;
            capital = capital || k == kCapital;
            ++i;
        } else {
            endRun(i);
            // A lead byte and the byte after it, whatever that is, make one character.
            i += k == kLead ? 2 : 1;
        }
    }
    endRun(text.size());
    return text;
}

}  // namespace verrimo
