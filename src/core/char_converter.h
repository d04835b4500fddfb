// How a code page reads and writes one character: through iconv, or from the tables of the
// browsers' EUC-JP. A converter keeps state; one thread at a time uses it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace verrimo {

class CharConverter {
  public:
    static constexpr char32_t kInvalid = 0xFFFFFFFF;
    static constexpr char32_t kIncomplete = 0xFFFFFFFE;

    virtual ~CharConverter() = default;
    // The character that the bytes are, all of them; kIncomplete when they only begin one,
    // kInvalid when they are none. Whether it is written back as the same bytes is not asked.
    virtual char32_t read(std::string_view bytes) = 0;
    // Appends c's bytes; false, and nothing appended, when the code page lacks it.
    virtual bool write(char32_t c, std::string& out) = 0;
};

// Throws std::runtime_error when iconv does not know the name.
std::unique_ptr<CharConverter> iconvConverter(const std::string& name);

// EUC-JP as browsers read it: the Encoding Standard's jis0208 index with the NEC and IBM rows,
// and JIS X 0212 after 8F. It writes a character of jis0208 as browsers do, with its first
// pointer; one that only JIS X 0212 has, with 8F, so that the program keeps it (a browser
// submits it as a reference instead).
std::unique_ptr<CharConverter> eucJpConverter();

}  // namespace verrimo
