// Reading a command's input.
#pragma once

#include <string>

namespace verrimo::cli {

// The bytes of the file, as they are; an empty path or "-" reads standard input.
// Throws std::runtime_error naming the file when it cannot be read.
std::string readInput(const std::string& path);

}  // namespace verrimo::cli
