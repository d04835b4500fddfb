// ASCII letter case and HTML's white space, for reading tags, attributes and charset labels in
// any ASCII-compatible charset: no byte of a multi-byte character is one of these.
#pragma once

#include <string>
#include <string_view>

namespace verrimo {

inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = asciiLower(c);
    return out;
}

inline bool isHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

inline std::string_view htmlTrimmed(std::string_view text) {
    while (!text.empty() && isHtmlSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isHtmlSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace verrimo
