// A text's bytes shared between the owner of the page and the controls that show it, so that a
// big page is held once.
#pragma once

#include <memory>
#include <string>

namespace verrimo {

using SharedText = std::shared_ptr<const std::string>;

inline SharedText shareText(std::string text) {
    return std::make_shared<const std::string>(std::move(text));
}

}  // namespace verrimo
