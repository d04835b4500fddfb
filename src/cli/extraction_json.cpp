#include "extraction_json.h"

#include "extract_page.h"
#include "memo_text.h"

namespace verrimo {

namespace {

std::vector<std::string> decodedLines(std::string_view memoText, const CodePage& cp) {
    std::vector<std::string> lines;
    for (const auto line : splitLines(memoText)) lines.push_back(cp.toUtf8(line));
    return lines;
}

}  // namespace

void writeExtraction(JsonWriter& json, std::string_view pageSource, std::string_view urlBox,
                     const CodePage& cp) {
    const Extraction x = extractPage(pageSource, urlBox, cp);
    json.beginObject();
    json.key("source");
    json.stringArray(decodedLines(x.lists.source, cp));
    json.key("required");
    json.stringArray(decodedLines(x.lists.required, cp));
    json.key("images");
    json.stringArray(decodedLines(x.lists.images, cp));
    json.key("links");
    json.stringArray(decodedLines(x.lists.links, cp));
    json.key("referrer");
    json.string(cp.toUtf8(x.targets.referrer));
    json.key("targets");
    std::vector<std::string> targets;
    for (const auto& t : x.targets.targets) targets.push_back(cp.toUtf8(t));
    json.stringArray(targets);
    json.key("target");
    json.string(cp.toUtf8(x.targets.target));
    json.key("kind");
    json.string(cp.toUtf8(x.targets.kind));
    json.endObject();
}

}  // namespace verrimo
