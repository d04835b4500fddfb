#include "extract_page.h"

#include "definition.h"
#include "normalise.h"

namespace verrimo {

Extraction extractPage(std::string_view pageSource, std::string_view urlBox, const CodePage& cp) {
    Extraction result;
    result.lists = scan(normalise(pageSource, cp));
    result.targets = findTargets(urlBox, result.lists.required, result.lists.links, std::string(),
                                 cp.fromUtf8(definition::kKindChooseUtf8), cp);
    return result;
}

}  // namespace verrimo
