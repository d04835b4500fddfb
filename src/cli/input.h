// Reading a command's input.
#pragma once

#include <string>

namespace verrimo::cli {

// The bytes of the file, as they are; an empty path or "-" reads standard input.
// Throws std::runtime_error naming the file when it cannot be read.
std::string readInput(const std::string& path);

// A definition, read as readInput reads it; throws when a line is longer than any address a
// browser takes (2 MiB), which no definition needs and which would only hold the reading up.
std::string readDefinition(const std::string& path);

}  // namespace verrimo::cli
