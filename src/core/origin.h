// What a browser says of the page a request comes from: the Origin and Referer headers.
#pragma once

#include <string>
#include <string_view>

#include "url.h"

namespace verrimo {

class CodePage;

// The origin of an address read in cp, opaque when a browser cannot parse it.
Origin originOf(std::string_view url, const CodePage& cp);

// The Referer a browser sends, under its default policy (strict-origin-when-cross-origin), for a
// request to target from a page at referrer, both read in cp: the whole address without its
// fragment to the page's own origin, only the origin ("scheme://host[:port]/") to another,
// nothing from https to http or from a page that is not http or https. An address's user name
// and password are never sent.
std::string refererFor(std::string_view referrer, std::string_view target, const CodePage& cp);

// The Origin a browser sends for a request other than GET and HEAD to target, read in cp, from a
// page of that origin: the origin, or "null" from https to http.
std::string originHeaderFor(const Origin& page, std::string_view target, const CodePage& cp);

}  // namespace verrimo
