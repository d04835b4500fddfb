// Web addresses resolved as a browser resolves a link or a form action.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace verrimo {

class CodePage;

// The port a scheme's addresses use when they name none: 80, 443 or 21 for http, ws, https, wss
// and ftp; none for another scheme.
std::optional<int> defaultPort(std::string_view scheme);

// Where a page comes from, as a browser compares pages and writes the Origin header: the scheme,
// host and port of an http, https, ws, wss or ftp address; opaque for any other (file:, data:,
// an address that could not be parsed), which equals no origin.
struct Origin {
    std::string scheme;  // empty when opaque
    std::string host;
    std::optional<int> port;  // none for the scheme's default

    bool web() const { return scheme == "http" || scheme == "https"; }
    // "scheme://host[:port]", or "null" when opaque.
    std::string serialised() const;
    bool operator==(const Origin& o) const {
        return !scheme.empty() && scheme == o.scheme && host == o.host && port == o.port;
    }
};

// An address as a browser's URL parser reads it. Its texts are in the code page it was read in:
// ASCII is percent-encoded where browsers encode it, and the rest is left to requestedUrl. A
// domain is in ASCII, as IDNA maps it; an IPv4 or IPv6 address in its shortest form.
struct Url {
    std::string scheme;  // lower case
    std::string username;
    std::string password;
    std::optional<std::string> host;  // none for an address such as mailto: or javascript:
    std::optional<int> port;          // none for the scheme's default
    std::string path;                 // "/a/b", or the whole rest of a mailto: or javascript:
    std::optional<std::string> query;
    std::optional<std::string> fragment;

    // The address as a browser writes it (its href), with or without the fragment.
    std::string serialised(bool withFragment) const;
    Origin origin() const;
};

// The reference parsed against the base (none when base is empty), both read in cp; none when a
// browser could not parse it (or, without a base, when it is relative).
std::optional<Url> parseUrl(std::string_view base, std::string_view reference, const CodePage& cp);

// The reference resolved against the base, without its fragment: parseUrl's address serialised.
std::optional<std::string> resolveUrl(std::string_view base, std::string_view reference,
                                      const CodePage& cp);

// Whether a browser refuses the reference as an address: it cannot parse it, though the
// reference is absolute or the base is an address (a relative reference alone is not refused).
bool browserRefuses(std::string_view base, std::string_view reference, const CodePage& cp);

// The URL with its query (after "?") replaced.
std::string withQuery(std::string_view url, std::string_view query);

// The URL as a browser requests it: the path's text, in pathCp, goes in UTF-8, and path and
// query are percent-encoded where browsers encode them (controls, space, quotes, angle brackets,
// bytes past ASCII); the query keeps its bytes. Without pathCp the path keeps its bytes too.
std::string requestedUrl(std::string_view url, const CodePage* pathCp);

// The value of a hexadecimal digit; -1 for another character.
int hexDigit(char c);

// A value serialised as a browser serialises a form value for
// application/x-www-form-urlencoded.
std::string formUrlEncoded(std::string_view bytes);
// The bytes that query text stands for: "%XX" and "+" decoded, every other byte itself.
std::string queryDecoded(std::string_view text);

// Query text that queryDecoded reads back as exactly these bytes, for a definition line: "%",
// "+", "&", "=", "#", space, line breaks and other controls are escaped, and so is every byte
// past ASCII unless keepNonAscii (the bytes are in the definition's own code page).
std::string exactQueryText(std::string_view bytes, bool keepNonAscii);

}  // namespace verrimo
