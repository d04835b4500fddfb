// A JSON reader that streams, for HAR files: it calls back for each value as the bytes go by,
// keeps of a string only as much as the caller asks for, and passes over the rest unheld, so
// that a file with a one-gigabyte image reads in the memory of the strings wanted.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace verrimo {

class JsonEvents {
  public:
    virtual ~JsonEvents() = default;
    virtual void startObject() = 0;
    virtual void endObject() = 0;
    virtual void startArray() = 0;
    virtual void endArray() = 0;
    // An object's key; empty when it is longer than any key worth reading.
    virtual void key(std::string&& name) = 0;
    // How many bytes of the string value that comes next to keep: 0 passes it over.
    virtual std::size_t stringBound() = 0;
    // The string, UTF-8; cut (and text empty) when it was longer than its bound.
    virtual void string(std::string&& text, bool cut) = 0;
    // A number as written; empty when it is too long to be any number worth reading.
    virtual void number(std::string_view text) = 0;
    virtual void literal() = 0;  // true, false or null
};

// Reads one JSON text from in (or text) to its end, calling events. Throws HarError: NotJson,
// InvalidUtf8, Truncated (the input ends inside the text), NotHar (nested too deep).
void readJson(std::istream& in, JsonEvents& events);
void readJson(std::string_view text, JsonEvents& events);

}  // namespace verrimo
