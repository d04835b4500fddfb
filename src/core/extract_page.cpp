#include "extract_page.h"

#include "case_rewrites.h"
#include "definition.h"
#include "normalise.h"

namespace verrimo {

namespace {

Extraction extractNormalised(std::string normalised, std::string_view urlBox, const CodePage& cp) {
    Extraction result;
    result.lists = scanOwned(std::move(normalised));
    result.targets = findTargets(urlBox, result.lists.required, result.lists.links, std::string(),
                                 cp.fromUtf8(definition::kKindChooseUtf8), cp);
    return result;
}

}  // namespace

Extraction extractPage(std::string_view pageSource, std::string_view urlBox, const CodePage& cp) {
    return extractNormalised(normalise(pageSource, cp), urlBox, cp);
}

Extraction extractOwnedPage(std::string pageSource, std::string_view urlBox, const CodePage& cp) {
    // Each text is let go as soon as the next is made, so that a big page is held about twice.
    std::string rewritten = applyCaseRewrites(pageSource, cp);
    std::string().swap(pageSource);
    std::string normalised = quoteNamesAndValues(rewritten, cp);
    std::string().swap(rewritten);
    return extractNormalised(std::move(normalised), urlBox, cp);
}

}  // namespace verrimo
