#include "origin.h"

namespace verrimo {

std::string Origin::serialised() const {
    if (scheme.empty()) return "null";
    return scheme + "://" + host + (port ? ":" + std::to_string(*port) : "");
}

Origin Url::origin() const {
    // file: and the like have an opaque origin, as do addresses without a host.
    if (!defaultPort(scheme) || !host) return {};
    return {scheme, *host, port};
}

Origin originOf(std::string_view url, const CodePage& cp) {
    const std::optional<Url> parsed = parseUrl("", url, cp);
    return parsed ? parsed->origin() : Origin{};
}

std::string refererFor(std::string_view referrer, std::string_view target, const CodePage& cp) {
    std::optional<Url> from = parseUrl("", referrer, cp);
    if (!from) return {};
    const Origin origin = from->origin();
    const Origin to = originOf(target, cp);
    if (!origin.web() || (origin.scheme == "https" && to.scheme != "https")) return {};
    if (origin != to) return origin.serialised() + "/";
    if (from->username.empty() && from->password.empty())
        return std::string(referrer.substr(0, referrer.find('#')));
    from->username.clear();
    from->password.clear();
    return from->serialised(false);
}

std::string originHeaderFor(const Origin& page, std::string_view target, const CodePage& cp) {
    if (page.scheme == "https" && originOf(target, cp).scheme != "https") return "null";
    return page.serialised();
}

}  // namespace verrimo
