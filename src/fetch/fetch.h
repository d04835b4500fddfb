// Downloads a page over HTTP(S) with libcurl, for the page fetcher.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace verrimo {

class CookieJar;

struct FetchOptions {
    long connectTimeoutSeconds = 30;
    // Give up when no body byte has arrived for this long (before the first: since the start).
    std::chrono::milliseconds stall{30'000};
    // Give up when the whole fetch, redirects included, has taken this long; 0: no bound.
    std::chrono::milliseconds total{0};
    // The body is cut at this many bytes and the rest is not read, so that a huge or endless
    // page cannot exhaust memory; 256 MiB is far beyond any real page.
    std::size_t maxBytes = 256u << 20;
    // The jar the cookies are kept in; none: the road's, shared by every load of the run.
    std::shared_ptr<CookieJar> cookies;
};

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

// Called while the page downloads, on the thread that called downloadPage, with the bytes
// received so far: before each turn of the transfer, so at least every 100 ms or so also when no
// data arrives; returning false cancels and keeps what was read.
using FetchProgress = std::function<bool(std::size_t received)>;

// GET of url: agent "MyApp", no proxy (the proxy environment variables are ignored), redirects
// followed, cookies kept for the run, certificates verified, only http and https (also on
// redirects; the scheme must be written out). The status code is only reported.
FetchResult downloadPage(const std::string& url, const FetchProgress& progress = {},
                         const FetchOptions& options = {});

}  // namespace verrimo
