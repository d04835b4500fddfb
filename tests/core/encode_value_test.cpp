#include <gtest/gtest.h>

#include "classify_support.h"
#include "encode_value.h"

using namespace verrimo;
using verrimo::testing::sj;
using verrimo::testing::sjis;

TEST(EncodeValue, TheTwelveAndNothingElse) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a b/c", "a+b%2Fc"},
        {"a=b&c=d", "a%3Db%26c%3Dd"},
        {"/? !\"#$&'()=", "%2F%3F+%21%22%23%24%26%27%28%29%3D"},
        {"=)('&$#\"! ?/", "%3D%29%28%27%26%24%23%22%21+%3F%2F"},
        {"100%", "100%"},
        {"x+y", "x+y"},
        {"%2F", "%2F"},  // already encoded: "%" is never escaped
        {",.-_*:;<>@[]^`{|}~\\\t\r\n", ",.-_*:;<>@[]^`{|}~\\\t\r\n"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& [value, encoded] : cases) EXPECT_EQ(encodeValue(value, sjis()), encoded);
}

TEST(EncodeValue, JapaneseWithAsciiLikeTrailBytesPassesThrough) {
    // ソ, 表 and 能 end in 0x5C, ア in 0x41; ＝ is 0x81 0x81.
    const std::string japanese = sj("ソ表能ア＝");
    ASSERT_EQ(japanese, "\x83\x5c\x95\x5c\x94\x5c\x83\x41\x81\x81");
    EXPECT_EQ(encodeValue(japanese, sjis()), japanese);
    EXPECT_EQ(encodeValue(sj("ソ 表/能"), sjis()), sj("ソ+表%2F能"));
}
