// The normaliser, the extraction's first step. Page source is a memo-held text (lines separated
// by CR LF).
#pragma once

#include <string>
#include <string_view>

#include "codepage.h"

namespace verrimo {

// What follows each line of the normalised text.
enum class LineEnds {
    CrLf,
    None,  // the lines run together, as the scanner reads them
};

// Lowers the letter case of the tags and attributes the later steps look for and quotes the
// first unquoted name= and value= of each line. Page source text in, page source text out.
std::string normalise(std::string_view pageSource, const CodePage& cp,
                      LineEnds ends = LineEnds::CrLf);

}  // namespace verrimo
