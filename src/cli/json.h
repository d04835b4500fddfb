// A small writer of compact JSON with no blanks between tokens, streaming into an Output.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "output.h"

namespace verrimo {

class JsonWriter {
  public:
    explicit JsonWriter(cli::Output& out) : out_(out) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The name of the next member of the current object.
    void key(std::string_view utf8);
    void string(std::string_view utf8);
    // A string of code-page text, decoded on the way.
    void string(std::string_view bytes, const CodePage& cp);
    // An array of the lines of a memo-held text, each decoded from the code page.
    void lines(std::string_view memoText, const CodePage& cp);
    void number(std::int64_t value);
    void boolean(bool value);
    void null();

  private:
    void beforeValue();
    void quoted(std::string_view utf8);
    void raw(std::string_view text);
    // Writes the bytes decoded and escaped into the string being written. With splitLines, each
    // line break ends that string and, unless the text ends there, begins the next.
    void encoded(std::string_view bytes, const CodePage& cp, bool splitLines);

    cli::Output& out_;
    std::vector<char> empty_;  // per open object or array: nothing written into it yet
    bool afterKey_ = false;
    // Per byte: whether it stands for itself in the code page and in JSON, for plainFor_.
    std::array<bool, 256> plain_{};
    bool wordPlain_ = false;  // plain_ is JSON's own table: eight bytes can be tested at once
    const CodePage* plainFor_ = nullptr;
};

}  // namespace verrimo
