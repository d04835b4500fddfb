// The origin of a page's address, as a browser writes it in the Origin header of a form it
// sends from that page.
#pragma once

#include <string>
#include <string_view>

namespace verrimo {

// "scheme://host[:port]" for an http, https, ws, wss or ftp address, the port left out when it
// is the scheme's default and the scheme and host in lower case; "null" for any other scheme
// (file: and the like, whose origin is opaque). Empty when the address has no scheme, or no
// host or port a browser would load it with.
std::string serializedOrigin(std::string_view url);

}  // namespace verrimo
