#include "image_source.h"

namespace verrimo {

std::optional<std::string> imageSource(std::string_view tag) {
    constexpr std::string_view kOpening = "src=\"";
    const std::size_t at = tag.find(kOpening);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view rest = tag.substr(at + kOpening.size());
    const std::size_t close = rest.find('"');
    if (close == std::string_view::npos) return std::string();
    return std::string(rest.substr(0, close));
}

}  // namespace verrimo
