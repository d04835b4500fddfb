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

// The charset named by a Content-Type value ("text/html; charset=EUC-JP"), or by a
// <meta charset=…> or <meta http-equiv="Content-Type" content="…; charset=…"> near the top of a
// page, in any letter case, as written; empty when there is none.
std::string contentTypeCharset(std::string_view contentType);
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
// the bytes themselves look like. As in browsers, a page that declares UTF-16 or UTF-32 in a meta
// tag is read as UTF-8, and a declared UTF-8 takes a few stray bytes (under 1 % of the bytes
// above ASCII) that are no UTF-8.
std::string detectCharset(std::string_view page, std::string_view httpContentType = {});

// Whether text in the charset reads the same in the code page (an iconv name): always for text
// of ASCII alone.
bool readsAlike(std::string_view text, std::string_view charset, std::string_view codePage);

}  // namespace verrimo
