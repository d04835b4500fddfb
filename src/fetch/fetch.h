// Downloads a page over HTTP(S) with libcurl, for the page fetcher.
#pragma once

#include <string>

#include "fetch_options.h"

namespace verrimo {

struct FetchResult {
    std::string body;  // what was read, also when the read stopped early
    // The answer to the URL itself began: its headers arrived (a redirect that was followed
    // does not count). False for a malformed URL, an unsupported scheme, a host that does not
    // resolve, a refused connection or a redirect that could not be followed.
    bool opened = false;
    long status = 0;          // the answer's HTTP status; 0 when none came
    std::string contentType;  // the answer's Content-Type header, where it gave one
    bool cut = false;         // the body reached maxBytes; the rest was not read
    std::string error;        // empty when the whole page was read
};

// GET of url: agent "MyApp", no proxy (the proxy environment variables are ignored), redirects
// followed, cookies kept for the run, certificates verified, only http and https (also on
// redirects; the scheme must be written out). The status code is only reported.
FetchResult downloadPage(const std::string& url, const FetchProgress& progress = {},
                         const FetchOptions& options = {});

}  // namespace verrimo
