// A small writer of compact JSON with no blanks between tokens.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace verrimo {

class JsonWriter {
  public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The name of the next member of the current object.
    void key(std::string_view utf8);
    void string(std::string_view utf8);
    void stringArray(const std::vector<std::string>& utf8);
    void number(std::int64_t value);
    void boolean(bool value);
    void null();

  private:
    void beforeValue();
    void quoted(std::string_view utf8);

    std::string& out_;
    std::vector<bool> empty_;  // per open object or array: nothing written into it yet
    bool afterKey_ = false;
};

}  // namespace verrimo
