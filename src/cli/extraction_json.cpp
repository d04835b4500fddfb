#include "extraction_json.h"

#include <iostream>

#include "extract_page.h"
#include "json.h"

namespace verrimo {

namespace {

constexpr std::size_t kPiecesAtOnce = 1 << 16;

}  // namespace

void printExtraction(cli::Output& out, std::string pageSource, std::string_view urlBox,
                     const CodePage& cp) {
    JsonWriter json(out);
    json.beginObject();
    json.key("source");
    // The pieces are written as they are cut, gathered as lines in a small text first (none of
    // them holds a line break).
    json.beginArray();
    std::string pieces;
    const auto writePieces = [&] {
        json.moreLines(pieces, cp);
        pieces.clear();
    };
    const Extraction x =
        extractOwnedPage(std::move(pageSource), urlBox, cp, [&](std::string_view piece) {
            pieces += piece;
            pieces += "\r\n";
            if (pieces.size() >= kPiecesAtOnce) writePieces();
        });
    writePieces();
    json.endArray();
    warnWhenCut(x.lists);
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
