#include "extract_page.h"

#include "definition.h"
#include "normalise.h"

namespace verrimo {

namespace {

Extraction extractJoined(std::string_view joined, std::string_view urlBox, const CodePage& cp,
                         const PieceReader& readPiece) {
    Extraction result;
    result.lists = readPiece ? scanJoined(joined, readPiece) : scanJoined(joined);
    result.targets = findTargets(urlBox, result.lists.required, result.lists.links, std::string(),
                                 cp.fromUtf8(definition::kKindChooseUtf8), cp);
    return result;
}

}  // namespace

Extraction extractPage(std::string_view pageSource, std::string_view urlBox, const CodePage& cp) {
    return extractJoined(normalise(pageSource, cp, LineEnds::None), urlBox, cp, {});
}

Extraction extractOwnedPage(std::string pageSource, std::string_view urlBox, const CodePage& cp,
                            const PieceReader& readPiece) {
    // The page source is let go as soon as the normalised text is made, so that a big page is
    // held about twice.
    const std::string joined = normalise(pageSource, cp, LineEnds::None);
    std::string().swap(pageSource);
    return extractJoined(joined, urlBox, cp, readPiece);
}

}  // namespace verrimo
