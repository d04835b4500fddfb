// Downloads a page over HTTP(S) with libcurl, for the page fetcher.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace verrimo {

struct FetchOptions {
    long connectTimeoutSeconds = 30;
    long stallSeconds = 30;             // give up when no data arrives for this long
    std::size_t maxBytes = 256u << 20;  // the page is cut here
};

struct FetchResult {
    std::string body;  // what was read, also when the read stopped early
    bool opened = false;
    std::string error;  // empty when the whole page was read
};

// Called as data arrives with the bytes received so far; returning false cancels.
using FetchProgress = std::function<bool(std::size_t received)>;

// GET of url: agent "MyApp", no proxy, redirects followed, cookies kept for the run, only http
// and https. The status code is not examined.
FetchResult downloadPage(const std::string& url, const FetchProgress& progress = {},
                         const FetchOptions& options = {});

// The page source for a downloaded body: the body as one text (its NUL bytes dropped), ended by
// one line break; empty when nothing was read.
std::string pageSourceFromBody(std::string_view body);

}  // namespace verrimo
