// Web addresses resolved as a browser resolves a link or a form action.
#pragma once

#include <string>
#include <string_view>

namespace verrimo {

class CodePage;

// The reference resolved against the base: an absolute reference stands alone; the others
// take the base's scheme, host, path or query as far as they lack them. Dot segments are
// removed and the fragment is dropped.
std::string resolveUrl(std::string_view base, std::string_view reference);

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
