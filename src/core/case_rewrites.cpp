#include "case_rewrites.h"

#include <cstdint>

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

// One bit per word byte, so that a run can skip the rows whose bytes it does not hold.
constexpr std::uint64_t bitOf(unsigned char b) {
    const int bit = b >= 'A' && b <= 'Z'   ? b - 'A'
                    : b >= 'a' && b <= 'z' ? 26 + b - 'a'
                    : b == '='             ? 52
                    : b == '<'             ? 53
                                           : 54;
    return std::uint64_t{1} << bit;
}

constexpr std::uint64_t bitsOf(std::string_view s) {
    std::uint64_t bits = 0;
    for (const char c : s) bits |= bitOf(static_cast<unsigned char>(c));
    return bits;
}

struct RowBits {
    std::uint64_t pattern;
    std::uint64_t replacement;
};

constexpr std::array<RowBits, kCaseRewrites.size()> kRowBits = [] {
    std::array<RowBits, kCaseRewrites.size()> bits{};
    for (std::size_t r = 0; r < kCaseRewrites.size(); ++r)
        bits[r] = {bitsOf(kCaseRewrites[r].pattern), bitsOf(kCaseRewrites[r].replacement)};
    return bits;
}();

// Every row in order, each on every occurrence left to right; the run's bytes are all ASCII, so
// each of them starts a character. present holds at least the bits of the run's bytes.
void rewriteRun(char* run, std::size_t size, std::uint64_t present) {
    const std::string_view view(run, size);
    for (std::size_t r = 0; r < kCaseRewrites.size(); ++r) {
        const Rewrite& row = kCaseRewrites[r];
        if ((kRowBits[r].pattern & ~present) != 0 || row.pattern.size() > size) continue;
        for (auto at = view.find(row.pattern); at != std::string_view::npos;
             at = view.find(row.pattern, at + row.pattern.size())) {
            row.replacement.copy(run + at, row.replacement.size());
            present |= kRowBits[r].replacement;
        }
    }
}

constexpr std::uint64_t kCapitalBits = bitsOf("ABCDEFGHIJKLMNOPQRSTUVWXYZ");

}  // namespace

std::string applyCaseRewrites(std::string_view pageSource, const CodePage& cp) {
    std::string text = crLfLines(pageSource);

    // Per byte: its bit when it is a word byte, else 0; and whether it leads a character.
    std::array<std::uint64_t, 256> bits{};
    std::array<bool, 256> lead{};
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<unsigned char>(b);
        bits[b] = isWordByte(u) ? bitOf(u) : 0;
        lead[b] = cp.isLeadByte(u);
    }

    std::size_t runStart = 0;
    std::uint64_t present = 0;  // the bits of the run so far; 0 outside a run
    for (std::size_t i = 0; i <= text.size();) {
        const auto b = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        if (bits[b] != 0) {
            if (present == 0) runStart = i;
            present |= bits[b];
            ++i;
            continue;
        }
        if ((present & kCapitalBits) != 0)
            rewriteRun(text.data() + runStart, i - runStart, present);
        present = 0;
        // A lead byte and the byte after it, whatever that is, make one character.
        i += lead[b] ? 2 : 1;
    }
    return text;
}

}  // namespace verrimo
