// The cuts that take a field's name and values out of a normalised tag line. Searches are
// byte-wise and find the first occurrence, also inside longer words.
#pragma once

#include <string_view>

namespace verrimo {

inline bool holds(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

struct Cut {
    std::string_view field;  // the attribute's value, up to the next double quote
    std::string_view rest;   // the text after the opening quote; the whole text without the key
};

// Cuts after key (e.g. "name=") and the one character following it, the opening quote.
Cut attributeCut(std::string_view text, std::string_view key);

inline Cut nameCut(std::string_view text) {
    return attributeCut(text, "name=");
}
inline Cut valueCut(std::string_view text) {
    return attributeCut(text, "value=");
}

// The first double-quoted attribute value of the line; empty with fewer than two quotes.
std::string_view quotedCut(std::string_view text);

}  // namespace verrimo
