#include "navigation.h"

#include <curl/curl.h>

#include <memory>

#include "ascii_text.h"
#include "curl_options.h"

namespace verrimo {
namespace {

// One part of a parsed address; empty when it has none.
std::string part(CURLU* url, CURLUPart which) {
    char* text = nullptr;
    if (curl_url_get(url, which, &text, 0) != CURLUE_OK || !text) return {};
    std::string out(text);
    curl_free(text);
    return out;
}

std::unique_ptr<CURLU, UrlDeleter> parsed(const std::string& url) {
    std::unique_ptr<CURLU, UrlDeleter> handle(curl_url());
    if (handle && curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        handle.reset();
    return handle;
}

}  // namespace

std::string UrlOrigin::serialised() const {
    return scheme + "://" + host + (port.empty() ? "" : ":" + port);
}

UrlOrigin originOf(const std::string& url) {
    const auto handle = parsed(url);
    if (!handle) return {};
    UrlOrigin origin{asciiLowered(part(handle.get(), CURLUPART_SCHEME)),
                     asciiLowered(part(handle.get(), CURLUPART_HOST)),
                     part(handle.get(), CURLUPART_PORT)};
    if ((origin.scheme == "http" && origin.port == "80") ||
        (origin.scheme == "https" && origin.port == "443"))
        origin.port.clear();
    return origin;
}

std::string refererFor(const std::string& referrer, const std::string& target) {
    const UrlOrigin from = originOf(referrer);
    const UrlOrigin to = originOf(target);
    if (!from.web() || (from.scheme == "https" && to.scheme != "https")) return {};
    if (from != to) return from.serialised() + "/";
    const auto handle = parsed(referrer);
    if (part(handle.get(), CURLUPART_USER).empty() &&
        part(handle.get(), CURLUPART_PASSWORD).empty())
        return referrer.substr(0, referrer.find('#'));
    curl_url_set(handle.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(handle.get(), CURLUPART_PASSWORD, nullptr, 0);
    curl_url_set(handle.get(), CURLUPART_FRAGMENT, nullptr, 0);
    return part(handle.get(), CURLUPART_URL);
}

std::string originHeaderFor(const UrlOrigin& pageOrigin, const std::string& target) {
    if (pageOrigin.scheme == "https" && originOf(target).scheme != "https") return "null";
    return pageOrigin.serialised();
}

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

Redirected redirected(const std::string& method, long status) {
    const bool toGet = ((status == 301 || status == 302) && method == "POST") ||
                       (status == 303 && method != "GET" && method != "HEAD");
    if (toGet) return {"GET", false};
    return {method, true};
}

}  // namespace verrimo
