// How a browser's request changes on its way: the Referer and Origin it sends from a page, and
// the method it keeps after a redirect.
#pragma once

#include <string>

namespace verrimo {

// An address's scheme, host and port as libcurl reads them, lower-cased, the port empty when it
// is the scheme's default; the scheme is empty when the address cannot be read.
struct UrlOrigin {
    std::string scheme;
    std::string host;
    std::string port;

    bool web() const { return scheme == "http" || scheme == "https"; }
    // "scheme://host[:port]", as the Origin header writes it.
    std::string serialised() const;
    bool operator==(const UrlOrigin&) const = default;
};

UrlOrigin originOf(const std::string& url);

// The Referer a browser sends, under its default policy (strict-origin-when-cross-origin), for a
// request to target from a page at referrer: the whole address to the page's own origin, only
// the origin ("scheme://host[:port]/") to another, nothing from https to http. An address's
// user name and password are never sent.
std::string refererFor(const std::string& referrer, const std::string& target);

// The Origin a browser sends for a request other than GET and HEAD to target from a page of
// origin pageOrigin: that origin, or "null" from https to http.
std::string originHeaderFor(const UrlOrigin& pageOrigin, const std::string& target);

// Whether a browser follows an answer of this status to its Location.
bool isRedirect(long status);

// The method of the request after a redirect: a POST after a 301 or 302, and anything but GET or
// HEAD after a 303, becomes a GET without a body; a 307 or 308 keeps method and body.
struct Redirected {
    std::string method;
    bool keepsBody = true;
};
Redirected redirected(const std::string& method, long status);

}  // namespace verrimo
