// Writing a file whole: a new file renamed over the old one.
#pragma once

#include <string>
#include <string_view>

namespace verrimo {

// Writes bytes to path as a new file that then takes the old one's place, so that a reader never
// sees half of it and a symbolic link named path is replaced, never followed. False when the
// file cannot be created.
bool replaceFile(const std::string& path, std::string_view bytes);

}  // namespace verrimo
