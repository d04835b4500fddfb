// Tag extraction as the page viewer's extract command runs it: normaliser, scanner and finder.
#pragma once

#include <string_view>

#include "codepage.h"
#include "find_targets.h"
#include "scan.h"

namespace verrimo {

// What the page viewer's extract command leaves: the finder's boxes reset as the action entry
// dialog does on showing (target empty, kind "選択"), then the normaliser, the scanner and the
// finder, with urlBox as the URL box's text.
struct Extraction {
    ScanResult lists;
    FinderResult targets;
};
Extraction extractPage(std::string_view pageSource, std::string_view urlBox, const CodePage& cp);
// The same on a page source the caller gives up, in less memory.
Extraction extractOwnedPage(std::string pageSource, std::string_view urlBox, const CodePage& cp);
// The scanner and the finder on the text normalise gave with LineEnds::None. Each piece of the
// page-source list goes to readPiece as soon as it is cut, as a view into joined, and
// lists.source stays empty.
Extraction extractNormalised(std::string_view joined, std::string_view urlBox, const CodePage& cp,
                             const PieceReader& readPiece);

}  // namespace verrimo
