#include "extraction_json.h"

#include <iostream>

#include "extract_page.h"
#include "json.h"

namespace verrimo {

void printExtraction(cli::Output& out, std::string pageSource, std::string_view urlBox,
                     const CodePage& cp) {
    const Extraction x = extractOwnedPage(std::move(pageSource), urlBox, cp);
    warnWhenCut(x.lists);
    JsonWriter json(out);
    json.beginObject();
    json.key("source");
    json.lines(x.lists.source, cp);
    json.key("required");
    json.lines(x.lists.required, cp);
    json.key("images");
    json.lines(x.lists.images, cp);
    json.key("links");
    json.lines(x.lists.links, cp);
    json.key("referrer");
    json.string(x.targets.referrer, cp);
    json.key("targets");
    json.beginArray();
    for (const auto& t : x.targets.targets) json.string(t, cp);
    json.endArray();
    json.key("target");
    json.string(x.targets.target, cp);
    json.key("kind");
    json.string(x.targets.kind, cp);
    json.endObject();
    out.put('\n');
}

void warnWhenCut(const ScanResult& lists) {
    if (lists.cut)
        std::cerr << "verrimo-cli: warning: the page has more pieces than the scanner's cycle "
                     "limit takes; the rest of it is left out\n";
}

}  // namespace verrimo
