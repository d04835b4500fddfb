#include "password_mask.h"

#include <algorithm>

#include "url.h"

namespace verrimo {
namespace {

// The byte that two hex digits at text[at] stand for, or -1.
int hexPair(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size()) return -1;
    const int high = hexDigit(text[at]);
    const int low = hexDigit(text[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// How many bytes of text from at spell the byte b, in the longest form that does; 0 for none.
std::size_t spelling(std::string_view text, std::size_t at, unsigned char b) {
    if (at >= text.size()) return 0;
    if (text[at] == '%') {
        const int escaped = hexPair(text, at + 1);
        // "%25XY": the percent sign of "%XY" encoded once more.
        if (escaped == '%' && hexPair(text, at + 3) == b) return 5;
        if (escaped == b) return 3;
    }
    if (b == ' ' && text[at] == '+') return 1;
    return static_cast<unsigned char>(text[at]) == b ? 1 : 0;
}

// Where the secret spelled from at ends, or at when it is not there.
std::size_t matchEnd(std::string_view text, std::size_t at, std::string_view secret) {
    std::size_t p = at;
    for (const char c : secret) {
        const std::size_t n = spelling(text, p, static_cast<unsigned char>(c));
        if (n == 0) return at;
        p += n;
    }
    return p;
}

}  // namespace

std::string maskSecrets(std::string_view text, const std::vector<std::string>& secrets) {
    std::vector<std::string_view> order;
    for (const std::string& s : secrets)
        if (!s.empty()) order.push_back(s);
    std::sort(order.begin(), order.end(),
              [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = at;
        for (const std::string_view secret : order)
            if ((end = matchEnd(text, at, secret)) != at) break;
        if (end != at) {
            out += kMaskedPassword;
            at = end;
        } else {
            out += text[at++];
        }
    }
    return out;
}

}  // namespace verrimo
