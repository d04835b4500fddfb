// The source of an image tag, as the value expression assistant offers it for "Zem-KeyCode".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace verrimo {

// What follows the first src=" of the tag up to the next double quote, empty when no double
// quote follows; none when the tag holds no src=" at all.
std::optional<std::string> imageSource(std::string_view tag);

}  // namespace verrimo
