// libFuzzer target: any bytes as page source through the normaliser, the scanner and the finder,
// checking the shapes the later steps rely on, and then through the tag walker.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "find_targets.h"
#include "memo_text.h"
#include "normalise.h"
#include "scan.h"
#include "walk_check.h"

namespace {

using namespace verrimo;

void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

// Each line is one whole tag: <, then no >, then > at the end; no line break inside a line.
void requireWholeTags(std::string_view list) {
    const auto lines = splitLines(list);
    require(joinLines(lines) == list, "a tag list is lines each ending in CR LF");
    for (const auto line : lines) {
        require(line.size() >= 2 && line.front() == '<', "a tag begins with <");
        require(line.find('>') == line.size() - 1, "a tag holds one > at its end");
    }
}

// What the normaliser may not lose: every byte but line breaks and double quotes, up to case.
std::string kept(std::string_view page) {
    std::string s = joinLines(splitLines(page));
    std::erase(s, '"');
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::size_t linesContaining(std::string_view list, std::string_view what) {
    const auto lines = splitLines(list);
    return std::count_if(lines.begin(), lines.end(), [&](std::string_view line) {
        return line.find(what) != std::string_view::npos;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CodePage cp("CP932");
    const std::string_view page(reinterpret_cast<const char*>(data), size);

    const std::string normalised = normalise(page, cp);
    require(kept(normalised) == kept(page), "the normaliser keeps the page");

    const ScanResult lists = scan(normalised);
    std::string joined = normalised;
    std::erase(joined, '\r');
    std::erase(joined, '\n');
    require(normalise(page, cp, LineEnds::None) == joined,
            "without line ends the normaliser gives its lines run together");
    std::string handed;
    const ScanResult streamed =
        scanJoined(joined, [&](std::string_view piece) { appendLine(handed, piece); });
    require(handed == lists.source && streamed.required == lists.required &&
                streamed.images == lists.images && streamed.links == lists.links,
            "pieces handed out one by one are the piece list");
    requireWholeTags(lists.required);
    requireWholeTags(lists.images);
    require(lists.source.ends_with("\r\n") && joinLines(splitLines(lists.source)) == lists.source,
            "the page source is pieces each ending in CR LF");

    // Links are left out: a text piece holding a > before an unfinished tag is cut at that > when
    // its own output is scanned again.
    const ScanResult again = scan(lists.source);
    require(again.required == lists.required && again.images == lists.images,
            "a second scan gives the same required and image tags");

    const FinderResult found = findTargets("u", lists.required, lists.links, "", "k", cp);
    require(found.targets.size() ==
                linesContaining(lists.required, "action=") + 1 + splitLines(lists.links).size(),
            "one target per action and link, and the separator");

    checkWalks(lists.required, page, cp);
    return 0;
}
