// Page text carried into a form's charset as browsers re-encode it.
#include "form_charset.h"

#include <gtest/gtest.h>

using namespace verrimo;

namespace {

struct Carried {
    const char* from;
    const char* to;
    std::string bytes;
    std::string sent;
};

TEST(FormCharset, PageTextGoesAsBrowsersReencodeIt) {
    const Carried cases[] = {
        // NEC-selected IBM kanji and NEC row 13 go as the IBM rows and row 2.
        {"Shift_JIS", "Shift_JIS", "\xED\x40\xEE\xEC\x87\x90", "\xFA\x5C\xFC\x4B\x81\xE0"},
        {"Shift_JIS", "Shift_JIS", "\x82\xA0\xFB\xFC", "\x82\xA0\xFB\xFC"},
        // In its own charset a reference is a character the charset lacks: it stays.
        {"Shift_JIS", "Shift_JIS", "&#128512;", "&#128512;"},
        // ～ of JIS X 0212 and ≒ of row 13 as jis0208 has them; a kanji of JIS X 0212 alone as a
        // reference.
        {"EUC-JP", "EUC-JP", "\x8F\xA2\xB7\xAD\xF0", "\xA1\xC1\xA2\xE2"},
        {"EUC-JP", "EUC-JP", "\x8F\xB0\xA1x\x8F\xAB\xB1", "&#19970;x&#233;"},
        {"EUC-JP", "EUC-JP", "\xFC\xE2\xAD\xA1\xA1\xC1", "\xFC\xE2\xAD\xA1\xA1\xC1"},
        {"EUC-JP", "Shift_JIS", "\xFC\xE2\xAD\xA1\xA1\xC1\x8F\xB0\xA1",
         "\xFB\xFC\x87\x40\x81\x60&#19970;"},
        {"Shift_JIS", "EUC-JP", "\xED\x40\xFB\xFC\x87\x40", "\xF9\xA1\xFC\xE2\xAD\xA1"},
        {"UTF-8", "EUC-JP", "〜¥é", "&#12316;\x5C&#233;"},
        {"UTF-8", "Shift_JIS", "¢&#12354;", "&#162;\x82\xA0"},
        {"Shift_JIS", "UTF-8", "\xED\x40&#128512;", "纊😀"},
        // Bytes that are no character go as they are.
        {"EUC-JP", "EUC-JP", "\xFF\x8E", "\xFF\x8E"},
    };
    for (const Carried& c : cases) {
        const auto from = browserCodePage(c.from);
        const auto to = browserCodePage(c.to);
        ASSERT_TRUE(from && to) << c.from << ' ' << c.to;
        EXPECT_EQ(inFormCharset(c.bytes, *from, *to), c.sent)
            << c.from << " to " << c.to << ": " << c.bytes;
    }
}

TEST(FormCharset, NoBrowserCodePageForACharsetTheProgramLacks) {
    EXPECT_EQ(browserCodePage("no-such-charset"), nullptr);
    EXPECT_EQ(browserCodePage(""), nullptr);
}

}  // namespace
