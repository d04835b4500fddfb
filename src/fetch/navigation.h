// How a browser's request changes on its way: the Referer and Origin it sends from a page, and
// the method it keeps after a redirect. Addresses here are as sent and received, read as UTF-8.
#pragma once

#include <string>

#include "origin.h"

namespace verrimo {

// The origin of an address, as originOf reads it in UTF-8.
Origin originOf(const std::string& url);

// refererFor and originHeaderFor on addresses in UTF-8.
std::string refererFor(const std::string& referrer, const std::string& target);
std::string originHeaderFor(const Origin& pageOrigin, const std::string& target);

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
