// The value encoder of the tag walker.
#pragma once

#include <string>
#include <string_view>

#include "codepage.h"

namespace verrimo {

// URL-encodes a value taken from a page: twelve characters become escapes, nothing else changes.
std::string encodeValue(std::string_view value, const CodePage& cp);

}  // namespace verrimo
