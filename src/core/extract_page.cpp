#include "extract_page.h"

#include "definition.h"
#include "normalise.h"

namespace verrimo {

namespace {

Extraction withTargets(ScanResult lists, std::string_view urlBox, const CodePage& cp) {
    Extraction result;
    result.lists = std::move(lists);
    result.targets = findTargets(urlBox, result.lists.required, result.lists.links, std::string(),
                                 cp.fromUtf8(definition::kKindChooseUtf8), cp);
    return result;
}

}  // namespace

Extraction extractPage(std::string_view pageSource, std::string_view urlBox, const CodePage& cp) {
    return withTargets(scanJoined(normalise(pageSource, cp, LineEnds::None)), urlBox, cp);
}

Extraction extractOwnedPage(std::string pageSource, std::string_view urlBox, const CodePage& cp) {
    // The page source is let go as soon as the normalised text is made, so that a big page is
    // held about twice.
    const std::string joined = normalise(pageSource, cp, LineEnds::None);
    std::string().swap(pageSource);
    return withTargets(scanJoined(joined), urlBox, cp);
}

Extraction extractNormalised(std::string_view joined, std::string_view urlBox, const CodePage& cp,
                             const PieceReader& readPiece) {
    return withTargets(scanJoined(joined, readPiece), urlBox, cp);
}

}  // namespace verrimo
