// Web addresses resolved as a browser resolves a link or a form action.
#pragma once

#include <string>
#include <string_view>

namespace verrimo {

// The reference resolved against the base: an absolute reference stands alone; the others
// take the base's scheme, host, path or query as far as they lack them. Dot segments are
// removed and the fragment is dropped.
std::string resolveUrl(std::string_view base, std::string_view reference);

// The URL with its query (after "?") replaced.
std::string withQuery(std::string_view url, std::string_view query);

}  // namespace verrimo
