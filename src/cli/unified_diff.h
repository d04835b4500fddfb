// A unified diff between two texts, as patch applies it: lines compared and written with their
// own line breaks, so that CR LF survives.
#pragma once

#include <string>
#include <string_view>

namespace verrimo::cli {

// The diff that turns before into after, both named path in its headers; empty when they are
// the same. Three lines of context.
std::string unifiedDiff(std::string_view path, std::string_view before, std::string_view after);

}  // namespace verrimo::cli
