#include "find_targets.h"

#include "memo_text.h"

namespace verrimo {

namespace {

// The line without everything through the marker and the one character after it (the opening
// quote of a quoted value), cut at its first double quote. A line without the marker counts it
// at position 0 and so loses as many characters as the marker has.
std::string valueAfter(std::string_view line, std::string_view marker) {
    const auto at = line.find(marker);
    const std::size_t skip = at == std::string_view::npos ? marker.size() : at + marker.size() + 1;
    std::string_view value = skip < line.size() ? line.substr(skip) : std::string_view();
    return std::string(value.substr(0, value.find('"')));
}

}  // namespace

FinderResult findTargets(std::string_view urlBox, std::string_view requiredTags,
                         std::string_view linkTags, std::string target, std::string kind,
                         const CodePage& cp) {
    FinderResult result{std::string(urlBox), {}, std::move(target), std::move(kind)};
    const auto offer = [&](std::string value) {
        if (result.target.empty()) result.target = value;
        result.targets.push_back(std::move(value));
    };
    forEachLine(requiredTags, [&](std::string_view line) {
        if (line.find("action=") == std::string_view::npos) return;
        offer(valueAfter(line, "action="));
        result.kind = "action";
    });
    result.targets.push_back(cp.fromUtf8(kLinkSeparatorUtf8));
    forEachLine(linkTags, [&](std::string_view line) { offer(valueAfter(line, "href=")); });
    return result;
}

}  // namespace verrimo
