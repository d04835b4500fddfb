#include "origin.h"

#include "ascii_text.h"

namespace verrimo {

namespace {

struct Special {
    std::string_view scheme;
    std::string_view defaultPort;
};

constexpr Special kSpecial[] = {
    {"http", "80"}, {"https", "443"}, {"ws", "80"}, {"wss", "443"}, {"ftp", "21"}};

// The port's digits without leading zeros; empty for no port; none when it is no port number.
bool portNumber(std::string_view digits, std::string& out) {
    out.clear();
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        if (out.empty() && c == '0') continue;
        out += c;
        if (out.size() > 5) return false;
    }
    if (!digits.empty() && out.empty()) out = "0";
    return out.size() < 5 || out <= "65535";
}

}  // namespace

std::string serializedOrigin(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) return {};
    const std::string scheme = asciiLowered(url.substr(0, colon));
    if (scheme.front() < 'a' || scheme.front() > 'z' ||
        scheme.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789+-.") != std::string::npos)
        return {};  // a relative address
    const Special* special = nullptr;
    for (const Special& s : kSpecial)
        if (s.scheme == scheme) special = &s;
    if (!special) return "null";
    // Browsers read any run of slashes, either way round, before the host of these schemes.
    std::string_view rest = url.substr(colon + 1);
    while (!rest.empty() && (rest.front() == '/' || rest.front() == '\\')) rest.remove_prefix(1);
    std::string_view authority = rest.substr(0, rest.find_first_of("/\\?#"));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    const std::size_t bracket = authority.rfind(']');
    const std::size_t portColon = authority.rfind(':');
    std::string_view host = authority, digits;
    if (portColon != std::string_view::npos &&
        (bracket == std::string_view::npos || portColon > bracket)) {
        host = authority.substr(0, portColon);
        digits = authority.substr(portColon + 1);
    }
    std::string port;
    if (host.empty() || !portNumber(digits, port)) return {};
    std::string origin = scheme + "://" + asciiLowered(host);
    if (!port.empty() && port != special->defaultPort) origin += ":" + port;
    return origin;
}

}  // namespace verrimo
