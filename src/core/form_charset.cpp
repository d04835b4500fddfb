#include "form_charset.h"

#include <stdexcept>

#include "charset.h"

namespace verrimo {

namespace {

constexpr const char* kShiftJis = "CP932";
constexpr const char* kEucJp = "EUC-JP";

// The bytes a browser writes for c in the code page; empty when it writes a reference instead.
std::string browserBytes(char32_t c, const CodePage& to) {
    if (c == U'\u00A6') c = U'\uFFE4';  // the broken bar goes as its full-width form
    // Browsers give these no Shift_JIS bytes, though the code page gives the full-width forms'.
    if (to.name() == kShiftJis && (c == U'\u00A2' || c == U'\u00A3' || c == U'\u00AC')) return {};
    std::string bytes = to.encode(std::u32string(1, c));
    if (bytes == "?" && c != U'?') bytes.clear();
    // Nor EUC-JP bytes of JIS X 0212, in which the code page keeps what only it has.
    if (to.name() == kEucJp && bytes.starts_with('\x8F')) bytes.clear();
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

// c as a browser writes it in a form value: its bytes, else the reference "&#N;".
void appendInCharset(char32_t c, const CodePage& to, std::string& out) {
    const std::string encoded = browserBytes(c, to);
    out += encoded.empty() ? "&#" + std::to_string(c) + ";" : encoded;
}

}  // namespace

std::shared_ptr<const CodePage> browserCodePage(std::string_view charset) {
    try {
        return std::make_shared<const CodePage>(std::string(charset));
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
    const std::u32string text = from.browserDecode(bytes);
    // In the page's own charset a reference stands for a character that it lacks, which goes
    // as the reference again.
    const bool referencesKept = from.name() == to.name();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (const auto [referenced, length] = decimalReference(text, i);
            length && !referencesKept) {
            c = referenced;
            i += length - 1;
        }
        appendInCharset(c, to, out);
    }
    return out;
}

std::string typedInCharset(std::string_view utf8, const CodePage& to) {
    std::string out;
    for (const char32_t c : CodePage::utf8ToUtf32(utf8)) appendInCharset(c, to, out);
    return out;
}

}  // namespace verrimo
