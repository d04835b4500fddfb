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
    const CodePage eucJp("EUC-JP");
    for (const CodePage* page : {&cp932(), &eucJp}) {
        for (int b = 0; b < 256; ++b) {
            const std::string one(1, static_cast<char>(b));
            EXPECT_EQ(page->encode(page->decode(one)), one) << page->name() << b;
            for (int t = 0; t < 256; ++t) {
                const std::string two = {static_cast<char>(b), static_cast<char>(t)};
                ASSERT_EQ(page->encode(page->decode(two)), two) << page->name() << b << ' ' << t;
            }
        }
    }
    // EUC-JP's three-byte characters of JIS X 0212, and what only begins one.
    for (int second = 0; second < 256; ++second)
        for (int third = 0; third < 256; ++third) {
            const std::string three = {'\x8F', static_cast<char>(second), static_cast<char>(third)};
            ASSERT_EQ(eucJp.encode(eucJp.decode(three)), three) << second << ' ' << third;
        }
}

struct Spelling {
    const char* charset;
    std::u32string text;
    std::string bytes;
};

// As browsers read and write them: EUC-JP with the NEC and IBM rows, Shift_JIS as CP932.
TEST(CodePage, JapaneseCharactersAreSpeltAsBrowsersSpellThem) {
    const Spelling spellings[] = {
        {"EUC-JP", U"～", "\xA1\xC1"},
        {"EUC-JP", U"髙", "\xFC\xE2"},
        {"EUC-JP", U"①", "\xAD\xA1"},
        {"EUC-JP", U"纊", "\xF9\xA1"},
        {"EUC-JP", U"丂", "\x8F\xB0\xA1"},  // JIS X 0212 alone has it
        {"EUC-JP", U"ｱ", "\x8E\xB1"},
        {"EUC-JP", U"あ表", "\xA4\xA2\xC9\xBD"},
        {"Shift_JIS", U"～", "\x81\x60"},
        {"Shift_JIS", U"髙", "\xFB\xFC"},
        {"Shift_JIS", U"①", "\x87\x40"},
        {"Shift_JIS", U"纊", "\xFA\x5C"},
        {"sjis", U"髙①～", "\xFB\xFC\x87\x40\x81\x60"},
        {"x-euc-jp", U"髙①～", "\xFC\xE2\xAD\xA1\xA1\xC1"},
    };
    for (const Spelling& s : spellings) {
        const CodePage page(s.charset);
        EXPECT_EQ(page.decode(s.bytes), s.text) << s.charset << ' ' << s.bytes;
        EXPECT_EQ(page.encode(s.text), s.bytes) << s.charset << ' ' << s.bytes;
    }
}

TEST(CodePage, EucJpWritesSomeCharactersAsOthers) {
    const CodePage eucJp("EUC-JP");
    EXPECT_EQ(eucJp.encode(U"\u00A5\u203E\u2212"), "\x5C\x7E\xA1\xDD");
    EXPECT_EQ(eucJp.decode("\x5C\x7E\xA1\xDD"), U"\\~\uFF0D");
    EXPECT_EQ(eucJp.encode(U"〜é\U0001F600"), "?\x8F\xAB\xB1?");
}

// Bytes of a character that the code page writes otherwise are escaped, so that they are kept;
// a browser reads the character.
struct Duplicate {
    const char* charset;
    std::string bytes;
    std::u32string decoded;
    std::u32string read;
};

TEST(CodePage, BytesWrittenOtherwiseAreKeptAndReadAsBrowsersReadThem) {
    const Duplicate duplicates[] = {
        {"EUC-JP", "\x8F\xA2\xB7", U"\uF78F\uF7A2\uF7B7", U"～"},  // ～ in JIS X 0212
        {"EUC-JP",
         "a\xAD\xF0"
         "b",
         U"a\uF7AD\uF7F0"
         "b",
         U"a≒b"},                                        // NEC row 13
        {"EUC-JP", "\xFC\xFB", U"\uF7FC\uF7FB", U"￢"},  // NEC-selected row 92, not row 2
        {"CP932", "\xED\x40\xEE\xEC", U"\uF7ED@\uF7EE\uF7EC", U"纊黑"},
        {"CP932", "\x87\x90", U"\uF787\uF790", U"≒"},
        // Not characters at all, the same both ways.
        {"EUC-JP", "\x80\xA0\xFF", U"\uF780\uF7A0\uF7FF", U"\uF780\uF7A0\uF7FF"},
        // No katakana after 8E; a lead byte before ASCII, and at the end.
        {"EUC-JP", "\x8E\xA0\xB0 ", U"\uF78E\uF7A0\uF7B0 ", U"\uF78E\uF7A0\uF7B0 "},
        {"EUC-JP", "\xB0<\xB0", U"\uF7B0<\uF7B0", U"\uF7B0<\uF7B0"},
        // An empty cell of JIS X 0212, then a character.
        {"EUC-JP", "\x8F\xA1\xA1", U"\uF78F\u3000", U"\uF78F\u3000"},
        {"UTF-8", "\xEF\x9E\x80", U"\uF7EF\uF79E\uF780", U"\uF7EF\uF79E\uF780"},
    };
    for (const Duplicate& d : duplicates) {
        const CodePage page(d.charset);
        EXPECT_EQ(page.decode(d.bytes), d.decoded) << d.charset << ' ' << d.bytes;
        EXPECT_EQ(page.encode(d.decoded), d.bytes) << d.charset << ' ' << d.bytes;
        EXPECT_EQ(page.browserDecode(d.bytes), d.read) << d.charset << ' ' << d.bytes;
    }
}

// Every label of the Encoding Standard for them opens the same code page.
TEST(CodePage, LabelsOpenTheBrowsersCodePage) {
    const std::pair<const char*, const char*> labels[] = {
        {"Shift_JIS", "CP932"},     {"shift-jis", "CP932"},
        {"sjis", "CP932"},          {"x-sjis", "CP932"},
        {"ms_kanji", "CP932"},      {"csshiftjis", "CP932"},
        {"windows-31j", "CP932"},   {"ms932", "CP932"},
        {"CP932", "CP932"},         {"SHIFT_JIS", "CP932"},
        {"euc-jp", "EUC-JP"},       {"x-euc-jp", "EUC-JP"},
        {"EUC-JP", "EUC-JP"},       {"cseucpkdfmtjapanese", "EUC-JP"},
        {"utf8", "UTF-8"},          {"unicode-1-1-utf-8", "UTF-8"},
        {"unicode11utf8", "UTF-8"}, {"x-unicode20utf8", "UTF-8"},
    };
    for (const auto& [label, name] : labels) EXPECT_EQ(CodePage(label).name(), name) << label;
    EXPECT_THROW(CodePage(""), std::runtime_error);
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
    EXPECT_EQ(CodePage::setProgram("Shift_JIS").name(), "CP932");
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
