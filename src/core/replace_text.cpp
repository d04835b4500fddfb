#include "replace_text.h"

namespace verrimo {

std::size_t findText(std::string_view text, std::string_view pattern, std::size_t from,
                     const CodePage& cp) {
    for (std::size_t i = from; i < text.size();) {
        const char c = text[i];
        if (c == pattern[0] && text.compare(i, pattern.size(), pattern) == 0) return i;
        // A lead byte and the byte after it, whatever that is, make one character.
        i += cp.isLeadByte(static_cast<unsigned char>(c)) ? 2 : 1;
    }
    return std::string_view::npos;
}

std::string replaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement, Replace mode, const CodePage& cp) {
    if (pattern.empty()) return std::string(text);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t at = findText(text, pattern, 0, cp); at != std::string_view::npos;
         at = findText(text, pattern, copied, cp)) {
        if (out.empty()) out.reserve(text.size() + replacement.size());
        out.append(text, copied, at - copied);
        out += replacement;
        copied = at + pattern.size();
        if (mode == Replace::First) break;
    }
    if (copied == 0) return std::string(text);
    out.append(text, copied);
    return out;
}

}  // namespace verrimo
