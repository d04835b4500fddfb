#include <gtest/gtest.h>

#include "extract_support.h"
#include "replace_text.h"

using namespace verrimo;
using verrimo::testing::cp932;

namespace {

std::string every(std::string_view text, std::string_view pattern, std::string_view with) {
    return replaceText(text, pattern, with, Replace::Every, cp932());
}

std::string first(std::string_view text, std::string_view pattern, std::string_view with) {
    return replaceText(text, pattern, with, Replace::First, cp932());
}

}  // namespace

TEST(ReplaceText, FirstOrEveryOccurrence) {
    EXPECT_EQ(first("a=1 a=2 a=3", "a=", "b="), "b=1 a=2 a=3");
    EXPECT_EQ(every("a=1 a=2 a=3", "a=", "b="), "b=1 b=2 b=3");
    EXPECT_EQ(every("xNAME=NAME=", "NAME=", "name="), "xname=name=");
}

TEST(ReplaceText, LeftToRightWithoutOverlapAndNoSecondSearchOfTheReplacement) {
    EXPECT_EQ(every("aaaaa", "aa", "b"), "bba");
    EXPECT_EQ(every("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(every("abab", "ab", "b"), "bb");
}

TEST(ReplaceText, CaseSensitiveAndUnchangedWithoutMatch) {
    EXPECT_EQ(every("Name= nAme= NAME=", "Name=", "name="), "name= nAme= NAME=");
    EXPECT_EQ(every("nothing here", "Type=", "type="), "nothing here");
    EXPECT_EQ(every("", "a", "b"), "");
    EXPECT_EQ(every("abc", "", "x"), "abc");
    EXPECT_EQ(every("ab", "abc", "x"), "ab");
}

TEST(ReplaceText, NeverStartsOnTheSecondByteOfADoubleByteCharacter) {
    // 0x83 0x5C is one character whose second byte is a backslash.
    EXPECT_EQ(every("\x83\\\\", "\\", "/"), "\x83\\/");
    // 0x83 'N' is one character: the pattern would have to start on its second byte.
    EXPECT_EQ(every("\x83NAME=", "NAME=", "name="), "\x83NAME=");
    EXPECT_EQ(every("\x83 NAME=", "NAME=", "name="), "\x83 name=");
    // A double-byte pattern is found only where a character begins.
    EXPECT_EQ(every("\x82\xa0\x82\xa0", "\xa0\x82", "!"), "\x82\xa0\x82\xa0");
    EXPECT_EQ(every("\x82\xa0x\x82\xa0", "\x82\xa0", "A"), "AxA");
}

TEST(ReplaceText, ALeadByteTakesTheNextByteWhateverItIs) {
    // Not a valid pair in Shift_JIS, still taken together.
    EXPECT_EQ(every("\x81<a<", "<", "["), "\x81<a[");
    EXPECT_EQ(every("\x81\r\nx", "\n", "|"), "\x81\r|x");
    // A lead byte at the very end has no second byte; nothing is read past the text.
    EXPECT_EQ(every("ab\x81", "b", "c"), "ac\x81");
    EXPECT_EQ(every("\x81", "\x81", "x"), "x");
}

TEST(ReplaceText, NulBytesAreOrdinaryBytes) {
    const std::string text("a\0b\0a", 5);
    EXPECT_EQ(every(text, "a", "c"), std::string("c\0b\0c", 5));
    EXPECT_EQ(every(text, std::string_view("\0", 1), "-"), "a-b-a");
}
