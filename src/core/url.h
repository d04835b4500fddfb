// Web addresses resolved as a browser resolves a link or a form action.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace verrimo {

class CodePage;

// The reference resolved against the base as browsers parse a URL, both read in cp; none when a
// browser could not parse it (or, without a base, when it is relative). The fragment is dropped;
// ASCII is percent-encoded where browsers encode it, and the rest is left to requestedUrl.
std::optional<std::string> resolveUrl(std::string_view base, std::string_view reference,
                                      const CodePage& cp);

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
