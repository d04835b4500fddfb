// Tag extraction: the normaliser, the scanner, the action and link finder, and replace text.
// Page source, tag lists and the like are memo-held texts (lines separated by CR LF).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"

namespace verrimo {

enum class Replace { First, Every };

// Replaces the first or every occurrence of pattern, left to right without overlap, case-
// sensitively; a match never starts on the second byte of a double-byte character.
std::string replaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement, Replace mode, const CodePage& cp);

// Lowers the letter case of the tags and attributes the later steps look for and quotes the
// first unquoted name= and value= of each line. Page source text in, page source text out.
std::string normalise(std::string_view pageSource, const CodePage& cp);

struct ScanResult {
    std::string source;    // one piece per line, ending with the final empty piece
    std::string required;  // form fields
    std::string images;    // the caller empties its image-tag list and adds these
    std::string links;
};

// Cuts the (normalised) page source into tags and text pieces and sorts the tags.
ScanResult scan(std::string_view pageSource);

struct FinderResult {
    std::string referrer;              // the referrer field
    std::vector<std::string> targets;  // the target box's items
    std::string target;                // the target box's text
    std::string kind;                  // the kind box's text
};

// Lists the form actions and links as targets. target and kind are the boxes' texts before the
// run: the target text is set only while it is empty, the kind only when an action is found.
FinderResult findTargets(std::string_view urlBox, std::string_view requiredTags,
                         std::string_view linkTags, std::string target, std::string kind,
                         const CodePage& cp);

// What the page viewer's extract command leaves: the finder's boxes reset as the action entry
// dialog does on showing (target empty, kind "選択"), then the normaliser, the scanner and the
// finder, with urlBox as the URL box's text.
struct Extraction {
    ScanResult lists;
    FinderResult targets;
};
Extraction extractPage(std::string_view pageSource, std::string_view urlBox, const CodePage& cp);

}  // namespace verrimo
