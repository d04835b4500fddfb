// How a transfer of the fetcher is bounded, and how its caller follows it.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

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

// Called while the page downloads, on the thread that called downloadPage, with the bytes
// received so far: before each turn of the transfer, so at least every 100 ms or so also when no
// data arrives; returning false cancels and keeps what was read.
using FetchProgress = std::function<bool(std::size_t received)>;

}  // namespace verrimo
