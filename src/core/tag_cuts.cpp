#include "tag_cuts.h"

#include <algorithm>

namespace verrimo {

Cut attributeCut(std::string_view text, std::string_view key) {
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos) return {{}, text};
    const std::size_t start = std::min(text.size(), at + key.size() + 1);
    const std::string_view rest = text.substr(start);
    const std::size_t quote = rest.find('"');
    return {quote == std::string_view::npos ? std::string_view() : rest.substr(0, quote), rest};
}

std::string_view quotedCut(std::string_view text) {
    const std::size_t open = text.find('"');
    if (open == std::string_view::npos) return {};
    const std::size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) return {};
    return text.substr(open + 1, close - open - 1);
}

}  // namespace verrimo
