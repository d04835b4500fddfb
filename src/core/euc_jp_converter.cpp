#include "char_converter.h"

#include <array>
#include <cstdint>

namespace verrimo {

namespace {

#include "jis_index.inc"

bool inRow(unsigned char b) {
    return b >= 0xA1 && b <= 0xFE;
}

// The pointer of a row byte and a cell byte (each A1 to FE).
std::size_t pointerOf(unsigned char row, unsigned char cell) {
    return (row - 0xA1) * 94 + (cell - 0xA1);
}

// Per code point of the BMP: how EUC-JP writes it. 0 for none; a jis0208 pointer plus 1; or
// kJis0212Flag with a jis0212 pointer, for a character that jis0208 lacks.
class Pointers {
  public:
    static constexpr std::uint16_t kJis0212Flag = 0x8000;

    Pointers() {
        // Backwards, so that a character of several pointers keeps its first.
        for (std::size_t p = kJis0212.size(); p-- > 0;)
            if (kJis0212[p]) of_[kJis0212[p]] = static_cast<std::uint16_t>(kJis0212Flag | p);
        for (std::size_t p = kJis0208.size(); p-- > 0;)
            if (kJis0208[p]) of_[kJis0208[p]] = static_cast<std::uint16_t>(p + 1);
    }
    std::uint16_t of(char32_t c) const { return c < of_.size() ? of_[c] : 0; }

  private:
    std::array<std::uint16_t, 0x10000> of_{};
};

const Pointers& pointers() {
    static const Pointers table;
    return table;
}

void putPointer(std::size_t pointer, std::string& out) {
    out += static_cast<char>(0xA1 + pointer / 94);
    out += static_cast<char>(0xA1 + pointer % 94);
}

class EucJpConverter : public CharConverter {
  public:
    char32_t read(std::string_view bytes) override {
        const auto b = static_cast<unsigned char>(bytes[0]);
        if (bytes.size() == 1) {
            if (b < 0x80) return b;
            return b == 0x8E || b == 0x8F || inRow(b) ? kIncomplete : kInvalid;
        }
        const auto second = static_cast<unsigned char>(bytes[1]);
        if (b == 0x8E)  // half-width katakana
            return bytes.size() == 2 && second >= 0xA1 && second <= 0xDF ? 0xFF61 - 0xA1 + second
                                                                         : kInvalid;
        if (b == 0x8F) {  // JIS X 0212
            if (!inRow(second)) return kInvalid;
            if (bytes.size() == 2) return kIncomplete;
            const auto third = static_cast<unsigned char>(bytes[2]);
            if (bytes.size() > 3 || !inRow(third)) return kInvalid;
            const char32_t c = kJis0212[pointerOf(second, third)];
            return c ? c : kInvalid;
        }
        if (!inRow(b) || bytes.size() > 2 || !inRow(second)) return kInvalid;
        const char32_t c = kJis0208[pointerOf(b, second)];
        return c ? c : kInvalid;
    }

    bool write(char32_t c, std::string& out) override {
        if (c < 0x80) {
            out += static_cast<char>(c);
            return true;
        }
        if (c == 0xA5 || c == 0x203E) {  // yen sign and overline: the ASCII bytes they replace
            out += c == 0xA5 ? '\x5C' : '\x7E';
            return true;
        }
        if (c >= 0xFF61 && c <= 0xFF9F) {
            out += '\x8E';
            out += static_cast<char>(c - 0xFF61 + 0xA1);
            return true;
        }
        if (c == 0x2212) c = 0xFF0D;  // minus sign as the full-width hyphen-minus
        const std::uint16_t found = pointers().of(c);
        if (!found) return false;
        if (found & Pointers::kJis0212Flag) {
            out += '\x8F';
            putPointer(found & ~Pointers::kJis0212Flag, out);
        } else {
            putPointer(found - 1, out);
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<CharConverter> eucJpConverter() {
    return std::make_unique<EucJpConverter>();
}

}  // namespace verrimo
