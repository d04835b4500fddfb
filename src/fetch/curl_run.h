// libcurl state that lives as long as the program: global set-up and the cookie jar.
#pragma once

#include <curl/curl.h>

namespace verrimo {

// The share handle through which every download of the run keeps the cookies it was given.
// Sets libcurl up on first use.
CURLSH* runCookieShare();

}  // namespace verrimo
