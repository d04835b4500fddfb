#include "json.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "byte_search.h"

namespace verrimo {

namespace {

// The escape JSON needs for an ASCII byte; size 0 when the byte stands for itself.
struct Escape {
    char text[6];
    std::size_t size;
};

constexpr std::array<Escape, 128> kEscapes = [] {
    constexpr char kHex[] = "0123456789abcdef";
    std::array<Escape, 128> t{};
    for (int b = 0; b < 0x20; ++b) t[b] = {{'\\', 'u', '0', '0', kHex[b >> 4], kHex[b & 0xF]}, 6};
    const auto two = [&](char b, char letter) {
        t[static_cast<unsigned char>(b)] = {{'\\', letter}, 2};
    };
    two('"', '"');
    two('\\', '\\');
    two('\b', 'b');
    two('\f', 'f');
    two('\n', 'n');
    two('\r', 'r');
    two('\t', 't');
    return t;
}();

// Per byte: whether it goes into a JSON string as it is.
constexpr std::array<bool, 256> kPlainBytes = [] {
    std::array<bool, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = b >= 0x80 || kEscapes[b].size == 0;
    return t;
}();

// The high bit of each of the eight bytes that is a control character, a double quote, a
// backslash or not ASCII.
constexpr std::uint64_t specialBytes(std::uint64_t word) {
    const std::uint64_t control = (word - kOnes * 0x20) & ~word & kHighs;
    return (word & kHighs) | control | zeroBytes(word ^ (kOnes * '"')) |
           zeroBytes(word ^ (kOnes * '\\'));
}

}  // namespace

void JsonWriter::raw(std::string_view text) {
    out_.write(text);
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back()) out_.put(',');
        empty_.back() = false;
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    out_.put('{');
    empty_.push_back(true);
}

void JsonWriter::endObject() {
    out_.put('}');
    empty_.pop_back();
}

void JsonWriter::beginArray() {
    beforeValue();
    out_.put('[');
    empty_.push_back(true);
}

void JsonWriter::endArray() {
    out_.put(']');
    empty_.pop_back();
}

void JsonWriter::key(std::string_view utf8) {
    beforeValue();
    quoted(utf8);
    out_.put(':');
    afterKey_ = true;
}

void JsonWriter::string(std::string_view utf8) {
    beforeValue();
    quoted(utf8);
}

void JsonWriter::string(std::string_view bytes, const CodePage& cp) {
    beforeValue();
    out_.put('"');
    encoded(bytes, cp, false);
    out_.put('"');
}

void JsonWriter::lines(std::string_view memoText, const CodePage& cp) {
    beginArray();
    if (!memoText.empty()) {
        beforeValue();
        out_.put('"');
        encoded(memoText, cp, true);
        if (memoText.back() != '\r' && memoText.back() != '\n') out_.put('"');
    }
    endArray();
}

void JsonWriter::encoded(std::string_view bytes, const CodePage& cp, bool splitLines) {
    if (plainFor_ != &cp) {
        wordPlain_ = true;
        for (int b = 0; b < 256; ++b) {
            plain_[b] = kPlainBytes[b] && cp.standsForItself(static_cast<unsigned char>(b));
            wordPlain_ =
                wordPlain_ && plain_[b] == (b >= 0x20 && b < 0x80 && b != '"' && b != '\\');
        }
        plainFor_ = &cp;
    }
    // A slice at a time, so that the room asked for stays small: a byte becomes at most six.
    constexpr std::size_t kSlice = 4096;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t end = std::min(bytes.size(), i + kSlice);
        char* out = out_.room(6 * (end - i) + 8);
        while (i < end) {
            // Bytes that stand for themselves are copied eight at a time where the code page
            // lets the test run on whole words; the copy may overrun, the room allows it.
            if (wordPlain_) {
                while (i + 8 <= end) {
                    std::memcpy(out, bytes.data() + i, 8);
                    const std::uint64_t special = specialBytes(loadWord(bytes.data() + i));
                    if (special != 0) {
                        const int plain = std::countr_zero(special) / 8;
                        i += plain;
                        out += plain;
                        break;
                    }
                    i += 8;
                    out += 8;
                }
            }
            while (i < end && plain_[static_cast<unsigned char>(bytes[i])]) *out++ = bytes[i++];
            if (i == end) break;
            const char b = bytes[i];
            if (splitLines && (b == '\r' || b == '\n')) {
                // CR LF, a lone CR and a lone LF each end a line.
                i += b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? 2 : 1;
                *out++ = '"';
                if (i < bytes.size()) {
                    std::memcpy(out, ",\"", 2);
                    out += 2;
                }
                continue;
            }
            char32_t c;
            i += cp.decodeAt(bytes, i, c);
            if (c < 0x80 && kEscapes[c].size != 0) {
                std::memcpy(out, kEscapes[c].text, sizeof kEscapes[c].text);
                out += kEscapes[c].size;
            } else {
                out = CodePage::putCodePoint(c, out);
            }
        }
        out_.commit(out);
    }
}

void JsonWriter::number(std::int64_t value) {
    beforeValue();
    raw(std::to_string(value));
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    raw(value ? "true" : "false");
}

void JsonWriter::null() {
    beforeValue();
    raw("null");
}

void JsonWriter::quoted(std::string_view utf8) {
    out_.put('"');
    std::size_t plain = 0;  // start of the bytes not yet copied
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (kPlainBytes[b]) continue;
        out_.write(utf8.substr(plain, i - plain));
        out_.write(std::string_view(kEscapes[b].text, kEscapes[b].size));
        plain = i + 1;
    }
    out_.write(utf8.substr(plain));
    out_.put('"');
}

}  // namespace verrimo
