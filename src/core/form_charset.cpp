#include "form_charset.h"

#include <iconv.h>

#include <map>
#include <stdexcept>

#include "charset.h"

namespace verrimo {

namespace {

// Browsers read EUC-JP with Microsoft's mappings (A1C1 is ～, row 13 holds NEC's symbols).
constexpr const char* kEucJp = "EUC-JP-MS";
constexpr const char* kShiftJis = "CP932";

// IBM's extension kanji as NEC placed them: CP932's ED40 to EEFC, which are EUC-JP's rows 89 to
// 92. Browsers write these rows for such a kanji in EUC-JP rather than its JIS X 0212 code, and
// read them back as the kanji; the code page leaves the rows to private use.
class NecSelectedRows {
  public:
    NecSelectedRows() {
        const iconv_t cd = iconv_open("UTF-32LE", kShiftJis);
        if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932");
        for (const int lead : {0xED, 0xEE}) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char32_t c = 0;
                char* inp = in;
                char* outp = reinterpret_cast<char*>(&c);
                std::size_t inLeft = 2, outLeft = sizeof c;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1))
                    continue;
                // Shift_JIS to the JIS row and cell, then to EUC-JP.
                int row = (lead - 0xC1) * 2 + 1;
                int cell = trail - 0x40 + 1 - (trail >= 0x80);
                if (trail >= 0x9F) {
                    ++row;
                    cell = trail - 0x9F + 1;
                }
                const int code = (0xA0 + row) << 8 | (0xA0 + cell);
                eucOf_.emplace(c, code);
                charOf_.emplace(code, c);
            }
        }
        iconv_close(cd);
    }

    // The two bytes of c in those rows; 0 when it has none.
    int eucOf(char32_t c) const {
        const auto found = eucOf_.find(c);
        return found == eucOf_.end() ? 0 : found->second;
    }

    // The kanji that EUC-JP-MS read as private-use character c; c itself for any other.
    char32_t read(char32_t c) const {
        // The code page maps rows 85 to 94 onto U+E000 upwards, 94 cells a row.
        if (c < 0xE000 || c >= 0xE000 + 10 * 94) return c;
        const int offset = static_cast<int>(c - 0xE000);
        const auto found = charOf_.find((0xA0 + 85 + offset / 94) << 8 | (0xA1 + offset % 94));
        return found == charOf_.end() ? c : found->second;
    }

  private:
    std::map<char32_t, int> eucOf_;
    std::map<int, char32_t> charOf_;
};

const NecSelectedRows& necSelectedRows() {
    static const NecSelectedRows rows;
    return rows;
}

// The bytes a browser writes for c in the code page; empty when it writes a reference instead.
std::string browserBytes(char32_t c, const CodePage& to) {
    if (c == U'\u00A6') c = U'\uFFE4';  // the broken bar goes as its full-width form
    // Browsers give these no Shift_JIS bytes, though the code page gives the full-width forms'.
    if (to.name() == kShiftJis && (c == U'\u00A2' || c == U'\u00A3' || c == U'\u00AC')) return {};
    std::string bytes = to.encode(std::u32string(1, c));
    if (bytes == "?" && c != U'?') bytes.clear();
    if (to.name() == kEucJp && (bytes.empty() || bytes[0] == '\x8F'))
        if (const int code = necSelectedRows().eucOf(c))
            bytes = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    return bytes;
}

// The character of a decimal reference "&#N;" at text[at] and the reference's length; a length
// of 0 when there is none. The forms keep a character their page's charset lacks as one.
std::pair<char32_t, std::size_t> decimalReference(std::u32string_view text, std::size_t at) {
    if (text.substr(at, 2) != U"&#") return {0, 0};
    char32_t c = 0;
    std::size_t end = at + 2;
    for (; end < text.size() && end < at + 10 && text[end] >= U'0' && text[end] <= U'9'; ++end)
        c = c * 10 + (text[end] - U'0');
    if (end == at + 2 || end == text.size() || text[end] != U';' || c == 0 || c > 0x10FFFF)
        return {0, 0};
    return {c, end + 1 - at};
}

}  // namespace

std::shared_ptr<const CodePage> browserCodePage(std::string_view charset) {
    try {
        return std::make_shared<const CodePage>(charset == "EUC-JP" ? kEucJp
                                                                    : codePageFor(charset));
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

std::string submissionCharset(std::string_view acceptCharset, const std::string& pageCharset) {
    const auto sent = [](std::string label) {
        return label.starts_with("UTF-16") ? std::string("UTF-8") : label;
    };
    while (!acceptCharset.empty()) {
        const std::size_t end = acceptCharset.find_first_of(" \t\r\n\f,");
        const std::string label = sent(canonicalCharset(acceptCharset.substr(0, end)));
        acceptCharset =
            end == std::string_view::npos ? std::string_view() : acceptCharset.substr(end + 1);
        if (!label.empty() && browserCodePage(label)) return label;
    }
    return sent(pageCharset);
}

std::string inFormCharset(std::string_view bytes, const CodePage& from, const CodePage& to) {
    std::string out;
    const std::u32string text = from.decode(bytes);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (from.name() == kEucJp) c = necSelectedRows().read(c);
        if (const auto [referenced, length] = decimalReference(text, i); length) {
            c = referenced;
            i += length - 1;
        }
        const std::string encoded = browserBytes(c, to);
        out += encoded.empty() ? "&#" + std::to_string(c) + ";" : encoded;
    }
    return out;
}

}  // namespace verrimo
