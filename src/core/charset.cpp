#include "charset.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <utility>

#include "ascii_text.h"
#include "byte_search.h"
#include "html_tags.h"

namespace verrimo {

namespace {

// The charset in a Content-Type value, as browsers take it from a <meta>'s content: after the
// first "charset" (any letter case) that an "=" follows, quoted or up to a blank, a quote or ";".
std::string extractedCharset(std::string_view value) {
    const auto blank = [&](std::size_t i) { return static_cast<unsigned char>(value[i]) <= ' '; };
    const std::string lowered = asciiLowered(value);
    for (std::size_t pos = lowered.find("charset"); pos != std::string::npos;
         pos = lowered.find("charset", pos)) {
        pos += 7;
        while (pos < value.size() && blank(pos)) ++pos;
        if (pos >= value.size() || value[pos] != '=') continue;
        ++pos;
        while (pos < value.size() && blank(pos)) ++pos;
        const char quote =
            pos < value.size() && (value[pos] == '"' || value[pos] == '\'') ? value[pos++] : '\0';
        std::size_t end = pos;
        while (end < value.size() && (quote ? value[end] != quote
                                            : !blank(end) && value[end] != '"' &&
                                                  value[end] != '\'' && value[end] != ';'))
            ++end;
        if (quote && end == value.size()) break;  // the closing quote is missing
        return std::string(value.substr(pos, end - pos));
    }
    return {};
}

// The length of the UTF-8 character at i, or 0 when the bytes there are none.
std::size_t utf8CharacterAt(std::string_view bytes, std::size_t i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size()) return 0;
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    if (second < low || second > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        const auto c = static_cast<unsigned char>(bytes[i + k]);
        if (c < 0x80 || c > 0xBF) return 0;
    }
    return length;
}

bool validUtf8(std::string_view bytes) {
    for (std::size_t i = 0, n = 0; i < bytes.size(); i += n) {
        // Runs of ASCII, which most of a page is, eight bytes at a time.
        while (i + 8 <= bytes.size() && (loadWord(bytes.data() + i) & kHighs) == 0) i += 8;
        if (i == bytes.size()) break;
        if ((n = utf8CharacterAt(bytes, i)) == 0) return false;
    }
    return true;
}

// UTF-8 but for stray bytes, fewer than the bytes of the characters above ASCII: a page saved
// with a few bytes of another charset, which a browser reads as the UTF-8 it declares. Text in a
// legacy charset has hardly any byte sequences that are UTF-8.
bool mostlyUtf8(std::string_view bytes) {
    std::size_t utf8 = 0, stray = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = utf8CharacterAt(bytes, i);
        if (n == 0) ++stray;
        if (n > 1) utf8 += n;
        i += n == 0 ? 1 : n;
    }
    return stray < utf8 || stray == 0;
}

bool validShiftJis(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        while (i + 8 <= bytes.size() && (loadWord(bytes.data() + i) & kHighs) == 0) i += 8;
        if (i == bytes.size()) break;
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
        if (!((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) || i + 1 >= bytes.size())
            return false;
        const auto t = static_cast<unsigned char>(bytes[++i]);
        if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
    }
    return true;
}

bool validEucJp(std::string_view bytes) {
    const auto high = [&](std::size_t i) {
        return i < bytes.size() && static_cast<unsigned char>(bytes[i]) >= 0xA1 &&
               static_cast<unsigned char>(bytes[i]) <= 0xFE;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) continue;
        if (b == 0x8E) {  // half-width katakana
            const bool kana = i + 1 < bytes.size() &&
                              static_cast<unsigned char>(bytes[i + 1]) >= 0xA1 &&
                              static_cast<unsigned char>(bytes[i + 1]) <= 0xDF;
            if (!kana) return false;
            i += 1;
        } else if (b == 0x8F) {  // JIS X 0212
            if (!high(i + 1) || !high(i + 2)) return false;
            i += 2;
        } else if (b >= 0xA1 && b <= 0xFE) {
            if (!high(i + 1)) return false;
            i += 1;
        } else {
            return false;
        }
    }
    return true;
}

bool validByIconv(std::string_view bytes, const std::string& charset) {
    const iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::array<char, 4096> buffer;
    bool clean = true;
    while (inLeft > 0) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) &&
            errno != E2BIG) {
            clean = false;
            break;
        }
    }
    iconv_close(cd);
    return clean;
}

bool hasNonAscii(std::string_view bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8)
        if (loadWord(bytes.data() + i) & kHighs) return true;
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return true;
    return false;
}

bool japaneseLegacy(std::string_view charset) {
    return charset == "Shift_JIS" || charset == "EUC-JP" || charset == "ISO-2022-JP";
}

// Whether most double-byte characters of a Shift_JIS text are kana or common kanji, as in
// Japanese prose, rather than accented Latin letters that happen to pair up.
bool mostlyJapaneseShiftJis(std::string_view bytes) {
    std::size_t japanese = 0, other = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
        (b >= 0x81 && b <= 0x9F ? japanese : other) += 1;
        ++i;
    }
    return japanese > other;
}

// A page cannot declare in itself a charset that is not ASCII-compatible: its declaration would
// not be readable. Browsers read such a page as UTF-8.
std::string inPageCharset(std::string declared) {
    return declared.starts_with("UTF-16") || declared.starts_with("UTF-32") ? "UTF-8" : declared;
}

// A label a browser knows, as a canonical name; empty for one it does not. Browsers read
// US-ASCII and ISO-8859-1 as windows-1252.
std::string knownCharset(std::string_view label) {
    std::string name = canonicalCharset(label);
    if (name == "US-ASCII" || name == "ISO-8859-1") name = "WINDOWS-1252";
    if (name.empty()) return name;
    const iconv_t cd = iconv_open("UTF-8", codePageFor(name).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    iconv_close(cd);
    return name;
}

// The label a <meta> names, as a browser reads its attributes in order: the first charset
// attribute or charset in a content attribute counts, the latter only beside
// http-equiv="Content-Type"; empty when it names none.
std::string metaTagCharset(const HtmlTag& meta) {
    bool pragma = false;
    bool fromContent = false;
    std::string label;
    for (const Attribute& a : meta.attributes) {
        if (a.name == "http-equiv") {
            pragma = pragma || asciiLowered(a.value) == "content-type";
        } else if (label.empty() && a.name == "charset") {
            label = a.value;
            fromContent = false;
        } else if (label.empty() && a.name == "content") {
            label = extractedCharset(a.value);
            fromContent = true;
        }
    }
    return fromContent && !pragma ? std::string() : std::string(htmlTrimmed(label));
}

// The charset a byte-order mark names; empty when the page has none.
std::string bomCharset(std::string_view page) {
    if (page.substr(0, 3) == "\xEF\xBB\xBF") return "UTF-8";
    if (page.substr(0, 2) == "\xFF\xFE") return "UTF-16LE";
    if (page.substr(0, 2) == "\xFE\xFF") return "UTF-16BE";
    return {};
}

bool isUtf8Text(std::string_view page) {
    return hasNonAscii(page) && validUtf8(page);
}

// Whether the bytes are text in the charset a page declares. A template saved as UTF-8 often
// still declares the legacy charset it was made for.
bool fitsDeclared(std::string_view page, const std::string& declared, bool utf8Text) {
    if (declared == "UTF-8" ? !mostlyUtf8(page) : !decodesCleanly(page, declared)) return false;
    return !(utf8Text && japaneseLegacy(declared));
}

// uchardet settles long before this; the whole page must still decode cleanly in its guess.
constexpr std::size_t kGuessBytes = 1u << 20;

std::string uchardetGuess(std::string_view page) {
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(
        uchardet_new(), uchardet_delete);
    if (!detector ||
        uchardet_handle_data(detector.get(), page.data(), std::min(page.size(), kGuessBytes)) != 0)
        return {};
    uchardet_data_end(detector.get());
    const std::string guess = canonicalCharset(uchardet_get_charset(detector.get()));
    return guess == "US-ASCII" || !decodesCleanly(page, guess) ? std::string() : guess;
}

// What the bytes look like, for a page that says nothing true of itself. The pages this program
// reads are mostly Japanese: the Japanese charsets are tried before a general guess.
std::string guessedCharset(std::string_view page, bool utf8Text) {
    if (utf8Text) return "UTF-8";
    const std::string guess = uchardetGuess(page);
    if (japaneseLegacy(guess)) return guess;
    // Shift_JIS Japanese nearly always holds a lead byte that EUC-JP lacks.
    if (validEucJp(page)) return "EUC-JP";
    if (validShiftJis(page) && mostlyJapaneseShiftJis(page)) return "Shift_JIS";
    return guess.empty() ? "ISO-8859-1" : guess;
}

}  // namespace

std::string canonicalCharset(std::string_view label) {
    std::string name = asciiLowered(label);
    while (!name.empty() && isHtmlSpace(name.back())) name.pop_back();
    name.erase(0, std::min(name.size(), name.find_first_not_of(" \t\r\n\"'")));
    while (!name.empty() && (name.back() == '"' || name.back() == '\'')) name.pop_back();
    static const std::pair<const char*, const char*> kAliases[] = {
        {"shift_jis", "Shift_JIS"},
        {"shift-jis", "Shift_JIS"},
        {"sjis", "Shift_JIS"},
        {"x-sjis", "Shift_JIS"},
        {"s-jis", "Shift_JIS"},
        {"ms_kanji", "Shift_JIS"},
        {"csshiftjis", "Shift_JIS"},
        {"windows-31j", "Shift_JIS"},
        {"cp932", "Shift_JIS"},
        {"ms932", "Shift_JIS"},
        {"euc-jp", "EUC-JP"},
        {"x-euc-jp", "EUC-JP"},
        {"eucjp", "EUC-JP"},
        {"euc_jp", "EUC-JP"},
        {"ujis", "EUC-JP"},
        {"cseucpkdfmtjapanese", "EUC-JP"},
        {"utf-8", "UTF-8"},
        {"utf8", "UTF-8"},
        {"unicode-1-1-utf-8", "UTF-8"},
        {"unicode11utf8", "UTF-8"},
        {"unicode20utf8", "UTF-8"},
        {"x-unicode20utf8", "UTF-8"},
        {"iso-2022-jp", "ISO-2022-JP"},
        {"csiso2022jp", "ISO-2022-JP"},
        {"iso-8859-1", "ISO-8859-1"},
        {"iso8859-1", "ISO-8859-1"},
        {"latin1", "ISO-8859-1"},
        {"l1", "ISO-8859-1"},
        {"ascii", "US-ASCII"},
        {"us-ascii", "US-ASCII"},
        {"utf-16le", "UTF-16LE"},
        {"utf-16be", "UTF-16BE"},
        {"utf-16", "UTF-16"},
    };
    for (const auto& [alias, canonical] : kAliases)
        if (name == alias) return canonical;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return name;
}

std::string contentTypeCharset(std::string_view contentType) {
    return extractedCharset(contentType);
}

std::string metaCharset(std::string_view page) {
    // Where browsers look: the first 1024 bytes, and past them while no tag but the head's has
    // come. A label no browser knows is passed over.
    constexpr std::size_t kUnconditional = 1024;
    std::string found;
    bool inHead = true;
    bool done = false;
    const auto tag = [&](const HtmlTag& t) {
        if (!inHead && t.at >= kUnconditional) {
            done = true;
            return;
        }
        if (t.name == "meta") {
            found = metaTagCharset(t);
            if (knownCharset(found).empty()) found.clear();
            if (!found.empty()) {
                done = true;
                return;
            }
        }
        static constexpr std::string_view kHeadTags[] = {"script", "noscript", "style", "link",
                                                         "meta",   "object",   "title", "base"};
        const bool end = t.name.starts_with('/');
        const std::string_view name = std::string_view(t.name).substr(end);
        inHead = inHead && (std::find(std::begin(kHeadTags), std::end(kHeadTags), name) !=
                                std::end(kHeadTags) ||
                            (!end && (name == "html" || name == "head")));
    };
    readHtml(page, {tag, {}, [&] { return done; }});
    return found;
}

std::string codePageFor(std::string_view label) {
    const std::string charset = canonicalCharset(label);
    return charset == "Shift_JIS" ? "CP932" : charset;
}

bool decodesCleanly(std::string_view bytes, std::string_view charset) {
    if (charset == "UTF-8" || charset == "US-ASCII")
        return charset == "UTF-8" ? validUtf8(bytes) : !hasNonAscii(bytes);
    if (charset == "Shift_JIS") return validShiftJis(bytes);
    if (charset == "EUC-JP") return validEucJp(bytes);
    return validByIconv(bytes, std::string(charset));
}

std::string detectCharset(std::string_view page, std::string_view httpContentType,
                          std::string_view fallback) {
    if (std::string bom = bomCharset(page); !bom.empty()) return bom;
    const bool utf8Text = isUtf8Text(page);
    for (const std::string& declared : {canonicalCharset(contentTypeCharset(httpContentType)),
                                        inPageCharset(canonicalCharset(metaCharset(page)))}) {
        if (declared.empty() || !fitsDeclared(page, declared, utf8Text)) continue;
        return declared == "US-ASCII" ? "UTF-8" : declared;
    }
    if (!hasNonAscii(page)) return canonicalCharset(fallback);
    return guessedCharset(page, utf8Text);
}

std::string browserCharset(std::string_view page, std::string_view httpContentType,
                           std::string_view fallback) {
    if (std::string bom = bomCharset(page); !bom.empty()) return bom;
    if (std::string http = knownCharset(contentTypeCharset(httpContentType)); !http.empty())
        return http;
    if (const std::string meta = metaCharset(page); !meta.empty())
        return inPageCharset(knownCharset(meta));
    // Browsers guess the Japanese legacy charsets from the bytes, but never UTF-8.
    if (hasNonAscii(page))
        if (std::string guess = guessedCharset(page, false); japaneseLegacy(guess)) return guess;
    return canonicalCharset(fallback);
}

bool fitsCharset(std::string_view page, const std::string& charset) {
    return fitsDeclared(page, charset, isUtf8Text(page));
}

bool readsAlike(std::string_view text, std::string_view charset, std::string_view codePage) {
    return !hasNonAscii(text) || canonicalCharset(codePage) == charset;
}

}  // namespace verrimo
