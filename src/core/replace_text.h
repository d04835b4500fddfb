// Replace text: the one search-and-replace the extraction steps use.
#pragma once

#include <string>
#include <string_view>

#include "codepage.h"

namespace verrimo {

enum class Replace { First, Every };

// Where pattern first stands at or after from (which starts a character), walking by
// characters; npos when it does not.
std::size_t findText(std::string_view text, std::string_view pattern, std::size_t from,
                     const CodePage& cp);

// Replaces the first or every occurrence of pattern, left to right without overlap, case-
// sensitively; a match never starts on the second byte of a double-byte character.
std::string replaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement, Replace mode, const CodePage& cp);

}  // namespace verrimo
