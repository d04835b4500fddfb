#include "navigation.h"

#include "codepage.h"

namespace verrimo {
namespace {

// Addresses on the wire, and in a Location, are read as UTF-8, as browsers read them.
const CodePage& wire() {
    static const CodePage utf8("UTF-8");
    return utf8;
}

}  // namespace

Origin originOf(const std::string& url) {
    return originOf(url, wire());
}

std::string refererFor(const std::string& referrer, const std::string& target) {
    return refererFor(referrer, target, wire());
}

std::string originHeaderFor(const Origin& pageOrigin, const std::string& target) {
    return originHeaderFor(pageOrigin, target, wire());
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
