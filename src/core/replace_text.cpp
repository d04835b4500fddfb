#include "extract.h"

#include <array>

namespace verrimo {

std::string replaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement, Replace mode, const CodePage& cp) {
    if (pattern.empty()) return std::string(text);
    // Bytes where the walk must look closer: a possible match, or a lead byte whose next byte
    // belongs to it whatever that byte is.
    std::array<bool, 256> stop{};
    for (int b = 0; b < 256; ++b) stop[b] = cp.isLeadByte(static_cast<unsigned char>(b));
    stop[static_cast<unsigned char>(pattern[0])] = true;

    std::string out;
    std::size_t copied = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (!stop[b]) {
            ++i;
        } else if (text.compare(i, pattern.size(), pattern) == 0) {
            if (out.empty()) out.reserve(n);
            out.append(text, copied, i - copied);
            out += replacement;
            i += pattern.size();
            copied = i;
            if (mode == Replace::First) break;
        } else {
            i += cp.isLeadByte(b) ? 2 : 1;
        }
    }
    if (copied == 0) return std::string(text);
    out.append(text, copied);
    return out;
}

}  // namespace verrimo
