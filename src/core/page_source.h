// The page source that a downloaded body gives.
#pragma once

#include <string>

namespace verrimo {

// The body as one text (its NUL bytes dropped), ended by one line break; empty when nothing was
// read. Works in the body's own buffer.
std::string pageSourceFromBody(std::string body);

}  // namespace verrimo
