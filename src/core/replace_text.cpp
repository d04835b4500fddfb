#include "replace_text.h"

namespace verrimo {

std::string replaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement, Replace mode, const CodePage& cp) {
    if (pattern.empty()) return std::string(text);
    std::string out;
    std::size_t copied = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == pattern[0] && text.compare(i, pattern.size(), pattern) == 0) {
            if (out.empty()) out.reserve(text.size() + replacement.size());
            out.append(text, copied, i - copied);
            out += replacement;
            i += pattern.size();
            copied = i;
            if (mode == Replace::First) break;
        } else {
            // A lead byte and the byte after it, whatever that is, make one character.
            i += cp.isLeadByte(static_cast<unsigned char>(c)) ? 2 : 1;
        }
    }
    if (copied == 0) return std::string(text);
    out.append(text, copied);
    return out;
}

}  // namespace verrimo
