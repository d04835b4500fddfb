// The scanner, the extraction's second step. Page source and tag lists are memo-held texts
// (lines separated by CR LF).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace verrimo {

struct ScanResult {
    std::string source;    // one piece per line, ending with the final empty piece
    std::string required;  // form fields
    std::string images;    // the caller empties its image-tag list and adds these
    std::string links;
    // The cycle limit ended the cut while the page still held a < or >: the rest is missing.
    bool cut = false;
};

// Cuts the (normalised) page source into tags and text pieces and sorts the tags.
ScanResult scan(std::string_view pageSource);
// The same on a page source whose lines already run together, with no line breaks left.
ScanResult scanJoined(std::string_view joined);

// Takes each piece of the piece list in turn.
using PieceReader = std::function<void(std::string_view piece)>;
// The same again, with each piece handed to readPiece instead; source stays empty.
ScanResult scanJoined(std::string_view joined, const PieceReader& readPiece);

}  // namespace verrimo
