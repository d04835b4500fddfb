#include <gtest/gtest.h>

#include "classify_support.h"

using namespace verrimo;
using verrimo::testing::sj;
using verrimo::testing::sjis;

namespace {
std::string encode(std::string_view value) {
    return encodeValue(value, sjis());
}
}  // namespace

TEST(EncodeValue, EmptyStaysEmpty) {
    EXPECT_EQ(encode(""), "");
}

TEST(EncodeValue, BlankAndSlash) {
    EXPECT_EQ(encode("a b/c"), "a+b%2Fc");
}

TEST(EncodeValue, QueryLikeValue) {
    EXPECT_EQ(encode("a=b&c=d"), "a%3Db%26c%3Dd");
}

TEST(EncodeValue, EachOfTheTwelveWithUpperCaseHex) {
    EXPECT_EQ(encode("/? !\"#$&'()="), "%2F%3F+%21%22%23%24%26%27%28%29%3D");
    EXPECT_EQ(encode("=)('&$#\"! ?/"), "%3D%29%28%27%26%24%23%22%21+%3F%2F");
    EXPECT_EQ(encode("  //"), "++%2F%2F");
}

TEST(EncodeValue, PercentAndPlusAreNeverTouched) {
    EXPECT_EQ(encode("100%"), "100%");
    EXPECT_EQ(encode("x+y"), "x+y");
    EXPECT_EQ(encode("%2F"), "%2F");
    // Encoding twice only escapes what the first pass left: no "%" becomes "%25".
    EXPECT_EQ(encode(encode("a b/c")), "a+b%2Fc");
}

TEST(EncodeValue, OtherPunctuationAndControlBytesPassThrough) {
    const std::string other = ",.-_*:;%+<>@[]^`{|}~\\\t\r\n";
    EXPECT_EQ(encode(other), other);
    EXPECT_EQ(encode(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(EncodeValue, JapaneseWithAsciiLikeTrailBytesPassesThrough) {
    // ソ, 表 and 能 end in 0x5C, ア in 0x41, ＝ is 0x81 0x81.
    const std::string japanese = sj("ソ表能ア＝");
    ASSERT_EQ(japanese, "\x83\x5c\x95\x5c\x94\x5c\x83\x41\x81\x81");
    EXPECT_EQ(encode(japanese), japanese);
    EXPECT_EQ(encode(sj("ソ 表/能")), sj("ソ+表%2F能"));
}
