// Why a HAR file could not be read, and where in it reading stopped.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace verrimo {

class HarError : public std::runtime_error {
  public:
    enum class Kind {
        NotJson,      // the bytes are no JSON text
        InvalidUtf8,  // JSON is UTF-8, and the bytes are not
        Truncated,    // the JSON text ends before it is complete
        NotHar,       // JSON, but no log with entries
    };
    HarError(Kind kind, std::size_t offset, const std::string& what)
        : std::runtime_error(what), kind(kind), offset(offset) {}

    Kind kind;
    std::size_t offset;  // the byte where reading stopped
};

}  // namespace verrimo
