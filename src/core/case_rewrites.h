// The normaliser's letter-case rewrites: 34 rows applied one after the other to the whole page.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "codepage.h"

namespace verrimo {

struct Rewrite {
    std::string_view pattern;
    std::string_view replacement;
};

inline constexpr std::array<Rewrite, 34> kCaseRewrites{{
    {"Name=", "name="},         {"NAME=", "name="},         {"Value=", "value="},
    {"VALUE=", "value="},       {"Action=", "action="},     {"ACTION=", "action="},
    {"Type=", "type="},         {"TYPE=", "type="},         {"=Hidden", "=hidden"},
    {"=HIDDEN", "=hidden"},     {"<Select", "<select"},     {"<SELECT", "<select"},
    {"</Select", "</select"},   {"</SELECT", "</select"},   {"=Checkbox", "=checkbox"},
    {"=CHECKBOX", "=checkbox"}, {"=Text", "=text"},         {"=TEXT", "=text"},
    {"=Password", "=password"}, {"=PASSWORD", "=password"}, {"<Input", "<input"},
    {"<INPUT", "<input"},       {"=Submit", "=submit"},     {"=SUBMIT", "=submit"},
    {"<Textarea", "<textarea"}, {"<TEXTAREA", "<textarea"}, {"=Radio", "=radio"},
    {"=RADIO", "=radio"},       {"Href=", "href="},         {"HREF=", "href="},
    {"<Img", "<img"},           {"<IMG", "<img"},           {"SRC=", "src="},
    {"Src=", "src="},
}};

// The rows applied in place to size bytes of text that begin a character and end a line.
void rewriteCase(char* text, std::size_t size, const CodePage& cp);

}  // namespace verrimo
