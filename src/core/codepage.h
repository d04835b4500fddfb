// The program's code page: its texts are byte strings in it, and the windows show them as
// Unicode. The mapping is lossless: a character decodes normally only if encoding it again
// gives the same bytes; every other byte b becomes the private-use code point U+F700 + b.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace verrimo {

class CharConverter;

class CodePage {
  public:
    // Opens the code page that reads a charset as browsers do (codePageFor: "Shift_JIS",
    // "sjis", "CP932" → CP932; "euc-jp" → EUC-JP; another name as iconv knows it). Throws
    // std::runtime_error when the program does not know it or it is not ASCII-compatible.
    explicit CodePage(const std::string& charset);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    // CP932 unless VERRIMO_CODEPAGE names another, or setProgram was called; created on first
    // use.
    static const CodePage& program();
    // Makes the named code page the program's from now on; throws as the constructor does, and
    // then leaves the program's code page as it was. A code page replaced stays valid.
    static const CodePage& setProgram(const std::string& charset);

    // The code page's own name: "CP932", "EUC-JP", "UTF-8", or iconv's.
    const std::string& name() const { return name_; }

    // True when b is ASCII that decodes to the same code point.
    bool standsForItself(unsigned char b) const { return plain_[b]; }
    // True when b begins a character of two or more bytes.
    bool isLeadByte(unsigned char b) const { return lead_[b]; }

    std::u32string decode(std::string_view bytes) const;
    // As decode, but bytes of a character that the code page writes with other bytes (CP932's
    // NEC-selected IBM kanji, EUC-JP's ～ of JIS X 0212) are that character, as a browser reads
    // them: not lossless.
    std::u32string browserDecode(std::string_view bytes) const;
    // Decodes the character at pos into out; returns how many bytes it takes.
    std::size_t decodeAt(std::string_view bytes, std::size_t pos, char32_t& out) const {
        // Inline for the two commonest cases: a character of one byte, and one of two bytes
        // whose lead byte's row is in the table already.
        const auto b = static_cast<unsigned char>(bytes[pos]);
        out = single_[b];
        if (out != kInvalid) return 1;
        if (pos + 1 < bytes.size() && doubleDone_[b].load(std::memory_order_acquire)) {
            const char32_t c = (*double_)[b << 8 | static_cast<unsigned char>(bytes[pos + 1])];
            if (c < kIncomplete) {
                out = c;
                return 2;
            }
        }
        return decodeRest(bytes, pos, out);
    }
    // Inverse of decode; a character the code page lacks becomes "?".
    std::string encode(std::u32string_view text) const;

    std::string fromUtf8(std::string_view utf8) const { return encode(utf8ToUtf32(utf8)); }
    std::string toUtf8(std::string_view bytes) const;
    // Appends what toUtf8 gives, in one pass with no text in between.
    void appendUtf8(std::string_view bytes, std::string& out) const;

    static constexpr char32_t kEscapeBase = 0xF700;

    static std::u32string utf8ToUtf32(std::string_view utf8);
    static std::string utf32ToUtf8(std::u32string_view text);
    static void appendCodePoint(char32_t c, std::string& utf8);
    // Writes c's UTF-8 (at most four bytes) at out; returns the end of what it wrote.
    static char* putCodePoint(char32_t c, char* out) {
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | c >> 6);
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *out++ = static_cast<char>(0xE0 | c >> 12);
            *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *out++ = static_cast<char>(0xF0 | c >> 18);
            *out++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
            *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
        return out;
    }

  private:
    // Table entries that are not characters.
    static constexpr char32_t kInvalid = 0xFFFFFFFF;
    static constexpr char32_t kIncomplete = 0xFFFFFFFE;

    // decodeAt for a byte that is not a character by itself.
    std::size_t decodeRest(std::string_view bytes, std::size_t pos, char32_t& out) const;
    // Decodes exactly the bytes given as one character; kIncomplete or kInvalid when they are
    // not one whole, round-tripping character. It needs mutex_ held.
    char32_t decodeOne(std::string_view bytes) const;
    char32_t doubleChar(unsigned char lead, unsigned char trail) const;

    std::string name_;
    // The converter keeps state and the tables fill as they are read: one thread at a time.
    mutable std::mutex mutex_;
    std::unique_ptr<CharConverter> converter_;
    std::array<bool, 256> lead_{};
    // Characters of one byte, and of two bytes indexed by (lead << 8 | trail).
    std::array<char32_t, 256> single_{};
    std::array<bool, 256> plain_{};  // ASCII bytes that decode to the same code point
    mutable std::unique_ptr<std::array<char32_t, 65536>> double_;
    // Per lead byte: its row of double_ is filled. Read without a lock, so that decoding from
    // several threads at once stays cheap.
    mutable std::array<std::atomic<bool>, 256> doubleDone_{};
};

}  // namespace verrimo
