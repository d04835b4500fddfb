#include "encode_value.h"

#include <array>
#include <utility>

#include "replace_text.h"

namespace verrimo {

namespace {
// Applied in this order; no escape holds a character that a later row replaces.
constexpr std::array<std::pair<std::string_view, std::string_view>, 12> kEscapes = {{
    {"/", "%2F"},
    {"?", "%3F"},
    {" ", "+"},
    {"!", "%21"},
    {"\"", "%22"},
    {"#", "%23"},
    {"$", "%24"},
    {"&", "%26"},
    {"'", "%27"},
    {"(", "%28"},
    {")", "%29"},
    {"=", "%3D"},
}};
}  // namespace

std::string encodeValue(std::string_view value, const CodePage& cp) {
    std::string text(value);
    for (const auto& [character, escape] : kEscapes)
        if (text.find(character) != std::string::npos)  // most values need few of the twelve
            text = replaceText(text, character, escape, Replace::Every, cp);
    return text;
}

}  // namespace verrimo
