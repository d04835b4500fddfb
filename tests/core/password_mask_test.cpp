// The password found in whatever form a site writes it back.
#include "password_mask.h"

#include <gtest/gtest.h>

using namespace verrimo;

namespace {

// Every byte as "%XY", in upper or lower case hex.
std::string everyByteEscaped(std::string_view bytes, bool lower) {
    std::string out;
    for (const char c : bytes) {
        char escape[4];
        std::snprintf(escape, sizeof escape, lower ? "%%%02x" : "%%%02X",
                      static_cast<unsigned char>(c));
        out += escape;
    }
    return out;
}

TEST(PasswordMask, FindsEveryFormOfThePassword) {
    const std::vector<std::string> secrets = {"Qq7 Sec&ret9Zz"};
    struct Case {
        std::string text;
        std::string masked;
    };
    const Case cases[] = {
        {"/landing/Qq7 Sec&ret9Zz", "/landing/********"},
        {"/landing?p=Qq7+Sec%26ret9Zz", "/landing?p=********"},
        {"/landing?p=Qq7%20Sec%26ret9Zz&q=1", "/landing?p=********&q=1"},
        {"/landing/Qq7%20Sec&ret9Zz", "/landing/********"},
        {"/x?" + everyByteEscaped("Qq7 Sec&ret9Zz", true), "/x?********"},
        {"/x?" + everyByteEscaped("Qq7 Sec&ret9Zz", false), "/x?********"},
        {"/x?Qq7%2520Sec%2526ret9Zz", "/x?********"},
        {"a=Qq7 Sec&ret9Zz&b=Qq7+Sec%26ret9Zz", "a=********&b=********"},
        {"Qq7 Sec&ret9ZzQq7 Sec&ret9Zz", "****************"},
        // Not the password: a part of it, other letter case, a byte changed.
        {"/x?p=Qq7 Sec&ret9Z", "/x?p=Qq7 Sec&ret9Z"},
        {"/x?p=qq7 sec&ret9zz", "/x?p=qq7 sec&ret9zz"},
        {"/x?p=Qq7%21Sec%26ret9Zz", "/x?p=Qq7%21Sec%26ret9Zz"},
        {"/x?p=Qq7%2Sec", "/x?p=Qq7%2Sec"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(maskSecrets(c.text, secrets), c.masked) << c.text;
}

TEST(PasswordMask, TakesEachSecretInItsOwnBytes) {
    struct Case {
        std::vector<std::string> secrets;
        std::string text;
        std::string masked;
    };
    const Case cases[] = {
        // Shift_JIS as a form sends it, and UTF-8 as a site may write it back.
        {{"\x83p\x83X", "\xE3\x83\x91\xE3\x82\xB9"}, "/a?p=%83p%83X", "/a?p=********"},
        {{"\x83p\x83X", "\xE3\x83\x91\xE3\x82\xB9"}, "/a/%e3%83%91%E3%82%B9", "/a/********"},
        // A percent sign in the password, raw and escaped.
        {{"a%41"}, "x=a%41", "x=********"},
        {{"a%41"}, "x=a%2541", "x=********"},
        // The longest first; an empty secret is no secret.
        {{"ab", "abc"}, "abcab", "****************"},
        {{""}, "text", "text"},
        {{}, "Qq7", "Qq7"},
    };
    for (const Case& c : cases) EXPECT_EQ(maskSecrets(c.text, c.secrets), c.masked) << c.text;
}

}  // namespace
