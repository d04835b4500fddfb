// Replace text: the one search-and-replace the extraction steps use.
#pragma once

#include <string>
#include <string_view>

#include "codepage.h"

namespace verrimo {

enum class Replace { First, Every };

// Replaces the first or every occurrence of pattern, left to right without overlap, case-
// sensitively; a match never starts on the second byte of a double-byte character.
std::string replaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement, Replace mode, const CodePage& cp);

}  // namespace verrimo
