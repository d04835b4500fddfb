// The start tags of a page with their attributes, as a browser's tokenizer reads them, and the
// text between them. Works on the page's bytes in any ASCII-compatible charset: no byte of a
// multi-byte character in Shift_JIS, EUC-JP or UTF-8 is one of the ASCII marks it looks for.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace verrimo {

struct Attribute {
    std::string name;   // lower case
    std::string value;  // as written, character references left in
};

struct HtmlTag {
    std::string name;  // lower case; "/form" for an end tag
    std::vector<Attribute> attributes;
    std::size_t at = 0;  // where its "<" stands in the page

    // The first attribute of the name; nullptr when there is none.
    const Attribute* find(std::string_view attribute) const;
};

struct HtmlVisitor {
    std::function<void(const HtmlTag&)> tag;
    std::function<void(std::string_view)> text;  // between tags; comments are left out
    std::function<bool()> done{};                // asked after each tag: stop reading there
};

// Reads the page in order. The contents of script, style, textarea and title elements are
// text, whatever they hold.
void readHtml(std::string_view page, const HtmlVisitor& visit);

}  // namespace verrimo
