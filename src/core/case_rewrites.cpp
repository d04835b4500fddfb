#include "case_rewrites.h"

#include <bit>
#include <cstdint>

#include "byte_search.h"

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

// Per capital letter: the rows whose first capital it is, one bit per row. A row can only match
// in a run that holds its first capital, and the rewrites never add a capital to a run.
constexpr std::array<std::uint64_t, 26> kRowsByFirstCapital = [] {
    static_assert(kCaseRewrites.size() <= 64);
    std::array<std::uint64_t, 26> rows{};
    for (std::size_t r = 0; r < kCaseRewrites.size(); ++r)
        for (const char c : kCaseRewrites[r].pattern)
            if (isUpper(static_cast<unsigned char>(c))) {
                rows[c - 'A'] |= std::uint64_t{1} << r;
                break;
            }
    return rows;
}();

// Every row in order, each on every occurrence left to right; the run's bytes are all ASCII, so
// each of them starts a character. present holds at least the bits of the run's bytes.
void rewriteRun(char* run, std::size_t size, std::uint64_t present) {
    std::uint64_t rows = 0;
    for (std::uint64_t capitals = present & ((std::uint64_t{1} << 26) - 1); capitals != 0;
         capitals &= capitals - 1)
        rows |= kRowsByFirstCapital[std::countr_zero(capitals)];
    const std::string_view view(run, size);
    for (; rows != 0; rows &= rows - 1) {
        const auto r = static_cast<std::size_t>(std::countr_zero(rows));
        const Rewrite& row = kCaseRewrites[r];
        if ((kRowBits[r].pattern & ~present) != 0 || row.pattern.size() > size) continue;
        for (auto at = view.find(row.pattern); at != std::string_view::npos;
             at = view.find(row.pattern, at + row.pattern.size())) {
            row.replacement.copy(run + at, row.replacement.size());
            present |= kRowBits[r].replacement;
        }
    }
}

// Per byte: its bit when it is a word byte, else 0.
constexpr std::array<std::uint64_t, 256> kWordBits = [] {
    std::array<std::uint64_t, 256> bits{};
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<unsigned char>(b);
        bits[b] = isWordByte(u) ? bitOf(u) : 0;
    }
    return bits;
}();

// The high bit of each of eight bytes that is a capital letter or has its high bit set: only
// those can begin a change (a run needs a capital) or a character of two bytes.
constexpr std::uint64_t capitalOrHigh(std::uint64_t word) {
    const std::uint64_t ascii = word & ~kHighs;
    const std::uint64_t atLeastA = ascii + kOnes * (0x80 - 'A');
    const std::uint64_t aboveZ = ascii + kOnes * (0x80 - 'Z' - 1);
    return (word | (atLeastA & ~aboveZ)) & kHighs;
}

// The first capital letter or byte with its high bit set at or after i; size when none.
std::size_t nextCapitalOrHigh(const char* text, std::size_t i, std::size_t size) {
    for (; size - i >= 8; i += 8) {
        if (const std::uint64_t found = capitalOrHigh(loadWord(text + i)); found != 0)
            return i + static_cast<std::size_t>(std::countr_zero(found)) / 8;
    }
    for (; i < size; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x80 || isUpper(b)) return i;
    }
    return size;
}

}  // namespace

void rewriteCase(char* text, std::size_t size, const CodePage& cp) {
    // floor: where the bytes since the last character of two bytes or the last run begin; all
    // of them are ASCII, so a run may reach back to there but no further.
    std::size_t floor = 0;
    for (std::size_t i = nextCapitalOrHigh(text, 0, size); i < size;
         i = nextCapitalOrHigh(text, i, size)) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x80) {
            // A lead byte and the byte after it, whatever that is, make one character.
            i += cp.isLeadByte(b) ? 2 : 1;
            floor = i;
            if (i >= size) break;
            continue;
        }
        std::size_t start = i;
        std::uint64_t present = 0;
        for (; start > floor && kWordBits[static_cast<unsigned char>(text[start - 1])] != 0;
             --start)
            present |= kWordBits[static_cast<unsigned char>(text[start - 1])];
        std::size_t end = i;
        for (; end < size && kWordBits[static_cast<unsigned char>(text[end])] != 0; ++end)
            present |= kWordBits[static_cast<unsigned char>(text[end])];
        rewriteRun(text + start, end - start, present);
        i = floor = end;
    }
}

}  // namespace verrimo
