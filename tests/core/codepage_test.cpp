#include "codepage.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "random_bytes.h"

using namespace verrimo;
using verrimo::test::randomBytes;

namespace {

const CodePage& cp932() {
    static const CodePage page("CP932");
    return page;
}

}  // namespace

TEST(CodePage, DecodesShiftJisCharacters) {
    EXPECT_EQ(cp932().decode("\x82\xa0"), U"\u3042");                // hiragana a
    EXPECT_EQ(cp932().decode("\x91\x49\x91\xf0"), U"\u9078\u629e");  // 選択
    EXPECT_EQ(cp932().decode("\x81\x40"), U"\u3000");                // ideographic space
    EXPECT_EQ(cp932().decode("\xb1"), U"\uff71");                    // half-width katakana
    EXPECT_EQ(cp932().decode("\\~"), U"\\~");
    EXPECT_EQ(cp932().fromUtf8("ソース貼り付けです"), cp932().encode(U"ソース貼り付けです"));
}

TEST(CodePage, BytesThatDoNotDecodeBecomeEscapes) {
    EXPECT_EQ(cp932().decode("\x80"), U"\uf780");
    EXPECT_EQ(cp932().decode("\xa0\xfd\xfe\xff"), U"\uf7a0\uf7fd\uf7fe\uf7ff");
    // A lead byte at the end, and a lead byte before a byte that cannot follow it.
    EXPECT_EQ(cp932().decode("a\x82"), U"a\uf782");
    EXPECT_EQ(cp932().decode("\x82\x20x"), U"\uf782 x");
    // NEC-selected IBM extension: decodes, but encodes back as FA 5C, so it is escaped.
    EXPECT_EQ(cp932().decode("\xed\x40"), U"\uf7ed@");
}

TEST(CodePage, EveryByteValueRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(cp932().encode(cp932().decode(one)), one) << b;
        for (int t = 0; t < 256; ++t) {
            const std::string two = {static_cast<char>(b), static_cast<char>(t)};
            ASSERT_EQ(cp932().encode(cp932().decode(two)), two) << b << ' ' << t;
        }
    }
}

TEST(CodePage, RandomAndLongTextsRoundTripInSeveralCodePages) {
    for (const char* name : {"CP932", "UTF-8", "EUC-JP", "SHIFT_JIS"}) {
        const CodePage page(name);
        for (unsigned seed = 1; seed <= 20; ++seed) {
            const std::string bytes = randomBytes(seed == 20 ? 1 << 20 : 4096, seed);
            ASSERT_EQ(page.encode(page.decode(bytes)), bytes) << name << " seed " << seed;
        }
    }
}

TEST(CodePage, NoSequenceDecodesToACodePointTheWindowsReserve) {
    const CodePage utf8("UTF-8");
    // U+F780, U+2028 and U+FDD0 written in UTF-8 are kept as escaped bytes.
    EXPECT_EQ(utf8.decode("\xef\x9e\x80"), U"\uf7ef\uf79e\uf780");
    EXPECT_EQ(utf8.decode("\xe2\x80\xa8"), U"\uf7e2\uf780\uf7a8");
    EXPECT_EQ(utf8.decode("\xef\xb7\x90"), U"\uf7ef\uf7b7\uf790");
    EXPECT_EQ(utf8.decode("\xe3\x81\x82"), U"\u3042");
    // A truncated three-byte character.
    EXPECT_EQ(utf8.decode("\xe3\x81"), U"\uf7e3\uf781");
}

TEST(CodePage, LeadBytesAreThoseThatStartADoubleByteCharacter) {
    EXPECT_TRUE(cp932().isLeadByte(0x81));
    EXPECT_TRUE(cp932().isLeadByte(0x9f));
    EXPECT_TRUE(cp932().isLeadByte(0xe0));
    EXPECT_TRUE(cp932().isLeadByte(0xfc));
    EXPECT_FALSE(cp932().isLeadByte('A'));
    EXPECT_FALSE(cp932().isLeadByte(0x80));
    EXPECT_FALSE(cp932().isLeadByte(0xa0));
    EXPECT_FALSE(cp932().isLeadByte(0xb1));
    EXPECT_FALSE(cp932().isLeadByte(0xfd));
}

TEST(CodePage, UnknownOrNonAsciiCodePagesAreRefused) {
    EXPECT_THROW(CodePage("NO-SUCH-CODEPAGE"), std::runtime_error);
    EXPECT_THROW(CodePage("UTF-16LE"), std::runtime_error);
}

TEST(CodePage, CharactersTheCodePageLacksEncodeAsQuestionMarks) {
    EXPECT_EQ(cp932().encode(U"a\U0001F600b"), "a?b");
}

TEST(CodePage, TheProgramsCodePageCanBeSwitchedAndTheOldOneStaysValid) {
    const CodePage& before = CodePage::program();
    const std::string name = before.name();
    const CodePage& utf8 = CodePage::setProgram("UTF-8");
    EXPECT_EQ(&CodePage::program(), &utf8);
    EXPECT_EQ(utf8.toUtf8("\xe3\x81\x82"), "\xe3\x81\x82");
    EXPECT_THROW(CodePage::setProgram("no-such-code-page"), std::runtime_error);
    EXPECT_EQ(&CodePage::program(), &utf8);
    EXPECT_EQ(before.name(), name);  // still usable by whoever holds it
    CodePage::setProgram(name);
    EXPECT_EQ(CodePage::program().name(), name);
}

TEST(CodePage, AppendUtf8IsToUtf8AddedToTheText) {
    for (const char* name : {"CP932", "UTF-8", "EUC-JP"}) {
        const CodePage cp(name);
        for (int seed = 0; seed < 20; ++seed) {
            const std::string bytes = randomBytes(200, seed);
            std::string text = "kept";
            cp.appendUtf8(bytes, text);
            EXPECT_EQ(text, "kept" + CodePage::utf32ToUtf8(cp.decode(bytes))) << name << seed;
        }
    }
}

TEST(CodePage, SeveralThreadsMayDecodeAndEncodeAtOnce) {
    // A fresh code page, so that the threads fill its tables and cache while racing.
    for (const char* name : {"CP932", "EUC-JP", "UTF-8"}) {
        const CodePage reference(name);
        std::vector<std::string> texts;
        std::vector<std::u32string> decoded;
        for (unsigned seed = 1; seed <= 4; ++seed) {
            texts.push_back(randomBytes(1 << 16, seed));
            decoded.push_back(reference.decode(texts.back()));
        }
        const CodePage shared(name);
        std::vector<int> wrong(texts.size());
        {
            std::vector<std::jthread> threads;
            for (std::size_t t = 0; t < texts.size(); ++t)
                threads.emplace_back([&, t] {
                    for (int round = 0; round < 3; ++round)
                        wrong[t] += shared.decode(texts[t]) != decoded[t] ||
                                    shared.encode(decoded[t]) != texts[t];
                });
        }
        EXPECT_EQ(wrong, std::vector<int>(texts.size(), 0)) << name;
    }
}
