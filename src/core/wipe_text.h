// Overwriting a secret before its memory goes back.
#pragma once

#include <string>

namespace verrimo {

// Zeroes every byte of the text, then empties it.
inline void wipeText(std::string& text) {
    // Written through volatile, so that the stores are not dropped as dead ones.
    volatile char* byte = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) byte[i] = '\0';
    text.clear();
}

}  // namespace verrimo
