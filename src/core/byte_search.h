// Searches for single bytes and short words, tuned for the short distances between the marks of
// a page (a tag's < and >, an attribute's =).
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace verrimo {

inline constexpr std::uint64_t kOnes = 0x0101010101010101;
inline constexpr std::uint64_t kHighs = 0x8080808080808080;

// Eight bytes as one word with the first of them lowest, so that the lowest flagged byte of a
// word test is the first in the text.
inline std::uint64_t loadWord(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

// The high bit of each zero byte; exact for the lowest one, which is all the callers use.
constexpr std::uint64_t zeroBytes(std::uint64_t word) {
    return (word - kOnes) & ~word & kHighs;
}

// The first c at or after from; npos when there is none. The first 64 bytes are searched eight
// at a time here, the rest by memchr, which costs more to start.
inline std::size_t findByte(std::string_view text, std::size_t from, char c) {
    const std::uint64_t pattern = kOnes * static_cast<unsigned char>(c);
    std::size_t i = from;
    const std::size_t near = std::min(text.size(), from + 64);
    for (; i + 8 <= near; i += 8)
        if (const std::uint64_t found = zeroBytes(loadWord(text.data() + i) ^ pattern); found != 0)
            return i + static_cast<std::size_t>(std::countr_zero(found)) / 8;
    if (near < text.size()) {
        const void* at = std::memchr(text.data() + i, c, text.size() - i);
        return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text.data())
                  : std::string_view::npos;
    }
    if (i >= text.size()) return std::string_view::npos;
    if (text.size() < 8) {
        for (; i < text.size(); ++i)
            if (text[i] == c) return i;
        return std::string_view::npos;
    }
    // The last eight bytes, with those before i made to differ from c (and so borrow nothing).
    const std::size_t last = text.size() - 8;
    const std::uint64_t before = (std::uint64_t{1} << (8 * (i - last))) - 1;
    const std::uint64_t found = zeroBytes((loadWord(text.data() + last) ^ pattern) | before);
    return found != 0 ? last + static_cast<std::size_t>(std::countr_zero(found)) / 8
                      : std::string_view::npos;
}

// The high bit of each byte of word that equals the byte pattern repeats; exact for every byte.
constexpr std::uint64_t equalBytes(std::uint64_t word, std::uint64_t pattern) {
    const std::uint64_t x = word ^ pattern;
    return ~(((x & ~kHighs) + ~kHighs) | x) & kHighs;
}

// Hands visit the position of each byte of text that is a or b, in order, while visit returns
// true.
template <typename Visit>
void forEachOf(std::string_view text, char a, char b, Visit visit) {
    const auto flagged = [&](std::uint64_t word) {
        return equalBytes(word, kOnes * static_cast<unsigned char>(a)) |
               equalBytes(word, kOnes * static_cast<unsigned char>(b));
    };
    const auto visitAll = [&](std::size_t base, std::uint64_t flags) {
        for (; flags != 0; flags &= flags - 1)
            if (!visit(base + static_cast<std::size_t>(std::countr_zero(flags)) / 8)) return false;
        return true;
    };
    if (text.size() < 8) {
        for (std::size_t i = 0; i < text.size(); ++i)
            if ((text[i] == a || text[i] == b) && !visit(i)) return;
        return;
    }
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8)
        if (!visitAll(i, flagged(loadWord(text.data() + i)))) return;
    if (i == text.size()) return;
    // The last eight bytes once more, without those already seen.
    const std::size_t last = text.size() - 8;
    const std::uint64_t seen = (std::uint64_t{1} << (8 * (i - last))) - 1;
    visitAll(last, flagged(loadWord(text.data() + last)) & ~seen);
}

// How many bytes of text are c.
inline std::size_t countByte(std::string_view text, char c) {
    const std::uint64_t pattern = kOnes * static_cast<unsigned char>(c);
    std::size_t count = 0;
    std::size_t i = 0;
    // Each byte's flag moved to its low bit, and the eight summed into the top byte: baseline
    // x86-64 has no popcount instruction.
    for (; i + 8 <= text.size(); i += 8)
        count += static_cast<std::size_t>(
            ((equalBytes(loadWord(text.data() + i), pattern) >> 7) * kOnes) >> 56);
    for (; i < text.size(); ++i) count += text[i] == c;
    return count;
}

// Whether word stands in text at position at; short words are compared here byte by byte.
inline bool holdsAt(std::string_view text, std::size_t at, std::string_view word) {
    if (at > text.size() || text.size() - at < word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (text[at + k] != word[k]) return false;
    return true;
}

}  // namespace verrimo
