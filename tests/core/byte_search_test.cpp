// The word-at-a-time searches must find exactly what a byte-by-byte search finds, at every
// length and offset, whatever bytes stand around the one sought.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "byte_search.h"

using namespace verrimo;

namespace {

// Texts of every length up to 150 (past the 64 searched in line) from a few bytes that meet the
// word tests' edge cases: the byte sought, its neighbours, 0x00, 0x80 and 0xFF.
std::vector<std::string> texts() {
    std::mt19937 gen(11);
    const std::string alphabet = std::string("<=>;?") + '\0' + "\x80\xff\x01x";
    std::vector<std::string> out;
    for (std::size_t size = 0; size <= 150; ++size)
        for (int n = 0; n < 6; ++n) {
            std::string text;
            for (std::size_t i = 0; i < size; ++i) text += alphabet[gen() % alphabet.size()];
            out.push_back(text);
        }
    return out;
}

}  // namespace

TEST(ByteSearch, FindByteFindsTheFirstFromAnyStart) {
    for (const std::string& text : texts())
        for (std::size_t from = 0; from <= text.size(); ++from)
            for (const char c : {'<', '>', '\0', '\x80'})
                ASSERT_EQ(findByte(text, from, c), std::string_view(text).find(c, from))
                    << "size " << text.size() << " from " << from << " byte " << int(c);
}

TEST(ByteSearch, ForEachOfVisitsEveryMatchInOrderAndStopsWhenAsked) {
    for (const std::string& text : texts()) {
        std::vector<std::size_t> expected;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '<' || text[i] == '=') expected.push_back(i);
        std::vector<std::size_t> seen;
        forEachOf(text, '<', '=', [&](std::size_t at) {
            seen.push_back(at);
            return true;
        });
        ASSERT_EQ(seen, expected) << "size " << text.size();
        seen.clear();
        forEachOf(text, '<', '=', [&](std::size_t at) {
            seen.push_back(at);
            return seen.size() < 2;
        });
        expected.resize(std::min<std::size_t>(expected.size(), 2));
        ASSERT_EQ(seen, expected);
    }
}

TEST(ByteSearch, HoldsAtComparesWithinTheText) {
    EXPECT_TRUE(holdsAt("a href=\"x\"", 1, " href=\""));
    EXPECT_FALSE(holdsAt("a href=", 1, " href=\""));
    EXPECT_FALSE(holdsAt("abc", 4, ""));
    EXPECT_TRUE(holdsAt("abc", 3, ""));
}

TEST(ByteSearch, CountByteCountsEveryOne) {
    for (const std::string& text : texts())
        for (const char c : {'<', '\0', '\x80'})
            ASSERT_EQ(countByte(text, c),
                      static_cast<std::size_t>(std::count(text.begin(), text.end(), c)))
                << "size " << text.size();
}
