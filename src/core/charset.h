// Which character set a page is written in, from its bytes and what is said of them.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace verrimo {

// The canonical name of a charset label ("shift_jis", "x-sjis", "Windows-31J" → "Shift_JIS";
// "euc-jp", "x-euc-jp" → "EUC-JP"; "utf8" → "UTF-8"; ...); other labels upper-cased; empty for
// an empty label.
std::string canonicalCharset(std::string_view label);

// The charset named by a Content-Type value ("text/html; charset=EUC-JP"), in any letter case,
// as written; empty when there is none.
std::string contentTypeCharset(std::string_view contentType);
// The label of the charset a page declares in a <meta>, as written, where browsers look: the
// first <meta charset=…>, or <meta http-equiv="Content-Type" content="…; charset=…"> in either
// order, that names a charset a browser knows; in the first 1024 bytes, or past them while no
// tag but the head's (<meta>, <title>, <script>, <noscript>, ...) has come. Empty when none does.
std::string metaCharset(std::string_view page);

// The charsets the program's code page can be switched to while it runs.
inline constexpr std::array<std::string_view, 3> kSwitchableCharsets = {"Shift_JIS", "EUC-JP",
                                                                        "UTF-8"};
// The name of the code page that reads a charset label as browsers do: every Shift_JIS label
// (and "CP932") gives CP932, the Windows code page that browsers read and write as Shift_JIS;
// EUC-JP's labels give the browsers' EUC-JP; UTF-8's give UTF-8; another label is an iconv name.
// CodePage opens every code page through it.
std::string codePageFor(std::string_view label);

// Whether the bytes are text in the charset (canonical name): no byte sequence it lacks.
bool decodesCleanly(std::string_view bytes, std::string_view charset);

// The page's charset, as a canonical name. A byte-order mark decides; then what the HTTP answer
// and the page itself declare, each taken only when the bytes decode cleanly in it (and, for a
// declared Japanese legacy charset, only when they are not UTF-8 text after all); otherwise what
// the bytes themselves look like, and for bytes of ASCII alone the fallback, which a browser reads
// such a page in (see browserCharset). As in browsers, a page that declares UTF-16 or UTF-32 in a
// meta tag is read as UTF-8, and a declared UTF-8 takes stray bytes that are no UTF-8 as long as
// most bytes above ASCII are.
std::string detectCharset(std::string_view page, std::string_view httpContentType = {},
                          std::string_view fallback = "UTF-8");

// The charset a browser reads the page in, and sends its forms in unless they name another: a
// byte-order mark; else the HTTP answer's charset; else a <meta> in the first 1024 bytes or,
// past them, while only the head's tags have come; else, for a page with bytes past ASCII, the
// Japanese legacy charset they look like; else the fallback, a browser's default. Unlike
// detectCharset, a declaration counts whether or not the bytes fit it.
std::string browserCharset(std::string_view page, std::string_view httpContentType,
                           std::string_view fallback);

// Whether the page's bytes are text in the charset it declares, as detectCharset takes a
// declaration: a legacy Japanese charset does not fit UTF-8 text.
bool fitsCharset(std::string_view page, const std::string& charset);

// Whether text in the charset reads the same in the code page (an iconv name): always for text
// of ASCII alone.
bool readsAlike(std::string_view text, std::string_view charset, std::string_view codePage);

}  // namespace verrimo
