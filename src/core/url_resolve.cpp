// Parsing a reference against a base as a browser's URL parser does: the states of the URL
// Standard's basic URL parser, on code points. Characters past ASCII stay as they are, for
// requestedUrl to encode in the charset the page gives them; domains past ASCII are mapped to
// ASCII by IDNA (UTS #46), as browsers map them.
#include <idn2.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "codepage.h"
#include "url.h"

namespace verrimo {

namespace {

using Text = std::u32string;
using View = std::u32string_view;
constexpr char32_t kEof = 0xFFFFFFFF;

// The parser's address, on code points.
struct Parsed {
    Text scheme;
    Text username;
    Text password;
    std::optional<Text> host;
    std::optional<int> port;
    std::vector<Text> path;
    std::optional<Text> opaquePath;  // for a URL such as mailto: or javascript:
    std::optional<Text> query;
    std::optional<Text> fragment;
};

bool isAlpha(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}
bool isDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}
bool isHex(char32_t c) {
    return isDigit(c) || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
}
char32_t lower(char32_t c) {
    return c >= U'A' && c <= U'Z' ? c + 32 : c;
}
int hexValue(char32_t c) {
    return isDigit(c) ? static_cast<int>(c - U'0') : static_cast<int>(lower(c) - U'a') + 10;
}

// The percent-encode sets, on ASCII: bytes past it are left for requestedUrl.
enum class EncodeSet { C0, Fragment, Query, SpecialQuery, Path, Userinfo };

bool inSet(char32_t c, EncodeSet set) {
    if (c < 0x20 || c == 0x7F) return true;
    if (c > 0x7F) return false;
    static constexpr std::u32string_view kFragment = U" \"<>`";
    static constexpr std::u32string_view kQuery = U" \"#<>";
    // Browsers encode "|" in a path too, beyond the standard's set.
    static constexpr std::u32string_view kPath = U" \"#<>?^`{}|";
    static constexpr std::u32string_view kUserinfo = U" \"#<>?^`{}/:;=@[\\]|";
    switch (set) {
        case EncodeSet::C0:
            return false;
        case EncodeSet::Fragment:
            return kFragment.find(c) != View::npos;
        case EncodeSet::Query:
            return kQuery.find(c) != View::npos;
        case EncodeSet::SpecialQuery:
            return c == U'\'' || kQuery.find(c) != View::npos;
        case EncodeSet::Path:
            return kPath.find(c) != View::npos;
        case EncodeSet::Userinfo:
            return kUserinfo.find(c) != View::npos;
    }
    return false;
}

void appendPercent(unsigned char b, Text& out) {
    static constexpr char32_t kDigits[] = U"0123456789ABCDEF";
    out += {U'%', kDigits[b >> 4], kDigits[b & 15]};
}

void appendEncoded(char32_t c, EncodeSet set, Text& out) {
    if (inSet(c, set))
        appendPercent(static_cast<unsigned char>(c), out);
    else
        out += c;
}

// ASCII text, such as a scheme, in bytes.
std::string ascii(View text) {
    return std::string(text.begin(), text.end());
}

bool isSpecial(View scheme) {
    return defaultPort(ascii(scheme)) || scheme == U"file";
}

bool isDriveLetter(View s, bool normalized = false) {
    return s.size() == 2 && isAlpha(s[0]) && (s[1] == U':' || (!normalized && s[1] == U'|'));
}

bool startsWithDriveLetter(View s) {
    return s.size() >= 2 && isDriveLetter(s.substr(0, 2)) &&
           (s.size() == 2 || View(U"/\\?#").find(s[2]) != View::npos);
}

bool isDot(View s) {
    return s == U"." || (s.size() == 3 && s[0] == U'%' && s[1] == U'2' && lower(s[2]) == U'e');
}

bool isDoubleDot(View s) {
    Text folded;
    for (const char32_t c : s) folded += lower(c);
    return folded == U".." || folded == U".%2e" || folded == U"%2e." || folded == U"%2e%2e";
}

void shortenPath(Parsed& url) {
    if (url.scheme == U"file" && url.path.size() == 1 && isDriveLetter(url.path[0], true)) return;
    if (!url.path.empty()) url.path.pop_back();
}

// An IPv4 part: decimal, "0x" hexadecimal or "0" octal; none when it is not a number.
std::optional<std::uint64_t> ipv4Number(View s) {
    if (s.empty()) return std::nullopt;
    int radix = 10;
    if (s.size() >= 2 && s[0] == U'0' && lower(s[1]) == U'x') {
        radix = 16;
        s.remove_prefix(2);
    } else if (s.size() >= 2 && s[0] == U'0') {
        radix = 8;
        s.remove_prefix(1);
    }
    std::uint64_t n = 0;
    for (const char32_t c : s) {
        const bool valid = radix == 16 ? isHex(c) : isDigit(c) && (radix == 10 || c < U'8');
        if (!valid) return std::nullopt;
        n = n * radix + hexValue(c);
        if (n > 0xFFFFFFFFull) n = 0x100000000ull;  // too big either way; no overflow
    }
    return n;
}

std::vector<View> split(View s, char32_t at) {
    std::vector<View> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = s.find(at, start);
        parts.push_back(s.substr(start, end == View::npos ? View::npos : end - start));
        if (end == View::npos) return parts;
        start = end + 1;
    }
}

bool endsInNumber(View host) {
    std::vector<View> parts = split(host, U'.');
    if (parts.back().empty()) {
        if (parts.size() == 1) return false;
        parts.pop_back();
    }
    const View last = parts.back();
    if (!last.empty() && std::all_of(last.begin(), last.end(), isDigit)) return true;
    return ipv4Number(last).has_value();
}

Text decimal(std::uint64_t n) {
    Text out;
    do out.insert(out.begin(), static_cast<char32_t>(U'0' + n % 10));
    while ((n /= 10) != 0);
    return out;
}

std::optional<Text> ipv4(View host) {
    std::vector<View> parts = split(host, U'.');
    if (parts.back().empty() && parts.size() > 1) parts.pop_back();
    if (parts.size() > 4) return std::nullopt;
    std::vector<std::uint64_t> numbers;
    for (const View part : parts) {
        const auto n = ipv4Number(part);
        if (!n) return std::nullopt;
        numbers.push_back(*n);
    }
    for (std::size_t i = 0; i + 1 < numbers.size(); ++i)
        if (numbers[i] > 255) return std::nullopt;
    if (numbers.back() >= (1ull << (8 * (5 - numbers.size())))) return std::nullopt;
    std::uint64_t address = numbers.back();
    for (std::size_t i = 0; i + 1 < numbers.size(); ++i) address += numbers[i] << (8 * (3 - i));
    Text out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += decimal(address >> shift & 0xFF);
        if (shift) out += U'.';
    }
    return out;
}

std::optional<Text> ipv6(View input) {
    std::array<std::uint16_t, 8> address{};
    std::size_t piece = 0;
    std::optional<std::size_t> compress;
    std::size_t p = 0;
    const auto at = [&](std::size_t i) { return i < input.size() ? input[i] : kEof; };
    if (at(p) == U':') {
        if (at(p + 1) != U':') return std::nullopt;
        p += 2;
        compress = ++piece;
    }
    while (at(p) != kEof) {
        if (piece == 8) return std::nullopt;
        if (at(p) == U':') {
            if (compress) return std::nullopt;
            ++p;
            compress = ++piece;
            continue;
        }
        unsigned value = 0;
        std::size_t length = 0;
        while (length < 4 && isHex(at(p))) {
            value = value * 16 + hexValue(at(p));
            ++p;
            ++length;
        }
        if (at(p) == U'.') {
            if (length == 0) return std::nullopt;
            p -= length;
            if (piece > 6) return std::nullopt;
            int numbersSeen = 0;
            while (at(p) != kEof) {
                int ipv4Piece = -1;
                if (numbersSeen > 0) {
                    if (at(p) != U'.' || numbersSeen >= 4) return std::nullopt;
                    ++p;
                }
                if (!isDigit(at(p))) return std::nullopt;
                while (isDigit(at(p))) {
                    const int digit = static_cast<int>(at(p) - U'0');
                    if (ipv4Piece == 0) return std::nullopt;
                    ipv4Piece = ipv4Piece < 0 ? digit : ipv4Piece * 10 + digit;
                    if (ipv4Piece > 255) return std::nullopt;
                    ++p;
                }
                address[piece] = static_cast<std::uint16_t>(address[piece] * 0x100 + ipv4Piece);
                if (++numbersSeen == 2 || numbersSeen == 4) ++piece;
            }
            if (numbersSeen != 4) return std::nullopt;
            break;
        }
        if (at(p) == U':') {
            if (at(++p) == kEof) return std::nullopt;
        } else if (at(p) != kEof) {
            return std::nullopt;
        }
        address[piece++] = static_cast<std::uint16_t>(value);
    }
    if (compress) {
        std::size_t swaps = piece - *compress;
        piece = 7;
        while (piece != 0 && swaps > 0) {
            std::swap(address[piece], address[*compress + swaps - 1]);
            --piece;
            --swaps;
        }
    } else if (piece != 8) {
        return std::nullopt;
    }
    // Serialised with the first longest run of two or more zero pieces as "::".
    std::size_t bestStart = 8, bestLength = 1;
    for (std::size_t i = 0; i < 8;) {
        std::size_t j = i;
        while (j < 8 && address[j] == 0) ++j;
        if (j - i > bestLength) bestStart = i, bestLength = j - i;
        i = j == i ? i + 1 : j;
    }
    Text out = U"[";
    for (std::size_t i = 0; i < 8; ++i) {
        if (i == bestStart) {
            out += i == 0 ? U"::" : U":";
            i += bestLength - 1;
            continue;
        }
        static constexpr char32_t kDigits[] = U"0123456789abcdef";
        Text hex;
        unsigned v = address[i];
        do hex.insert(hex.begin(), kDigits[v & 15]);
        while ((v >>= 4) != 0);
        out += hex;
        if (i != 7) out += U':';
    }
    return out + U"]";
}

bool forbiddenInHost(char32_t c) {
    return c == 0 || View(U"\t\n\r #/:<>?@[\\]^|").find(c) != View::npos;
}

// The bytes of a domain with its "%XX" decoded; none when that leaves a NUL, which would end the
// text IDNA reads.
std::optional<std::string> percentDecoded(View input) {
    std::string out;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] == U'%' && i + 2 < input.size() && isHex(input[i + 1]) &&
            isHex(input[i + 2])) {
            out += static_cast<char>(hexValue(input[i + 1]) * 16 + hexValue(input[i + 2]));
            i += 2;
        } else {
            CodePage::appendCodePoint(input[i], out);
        }
    }
    if (out.find('\0') != std::string::npos) return std::nullopt;
    return out;
}

// A domain's UTF-8 in ASCII as browsers map it (UTS #46, nontransitional): each label past
// ASCII through IDNA, the full-width and ideographic full stops ("．", "。", "｡") read as dots,
// ASCII labels lower-cased as they are; none when a label is no domain name (or no UTF-8).
std::optional<std::string> domainToAscii(std::string_view utf8) {
    static constexpr std::string_view kDots[] = {".", "\u3002", "\uFF0E", "\uFF61"};
    std::string out;
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        std::size_t dot = 0;
        if (i < utf8.size())
            for (const std::string_view d : kDots)
                if (utf8.substr(i).starts_with(d)) dot = d.size();
        if (i < utf8.size() && dot == 0) continue;
        const std::string label(utf8.substr(start, i - start));
        if (std::all_of(label.begin(), label.end(), [](char c) { return c >= 0; })) {
            for (const char c : label) out += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        } else {
            char* mapped = nullptr;
            if (idn2_to_ascii_8z(label.c_str(), &mapped, IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL) !=
                IDN2_OK)
                return std::nullopt;
            out += mapped;
            idn2_free(mapped);
        }
        if (i >= utf8.size()) return out;
        out += '.';
        i += dot - 1;
        start = i + 1;
    }
}

std::optional<Text> parseHost(View input, bool special) {
    if (!input.empty() && input.front() == U'[') {
        if (input.back() != U']') return std::nullopt;
        return ipv6(input.substr(1, input.size() - 2));
    }
    if (!special) {  // an opaque host, whose characters past ASCII go in UTF-8 at once
        Text out;
        for (const char32_t c : input) {
            if (c != U'%' && forbiddenInHost(c)) return std::nullopt;
            if (c < 0x80) {
                appendEncoded(c, EncodeSet::C0, out);
                continue;
            }
            std::string utf8;
            CodePage::appendCodePoint(c, utf8);
            for (const char b : utf8) appendPercent(static_cast<unsigned char>(b), out);
        }
        return out;
    }
    const std::optional<std::string> decoded = percentDecoded(input);
    const std::optional<std::string> mapped = decoded ? domainToAscii(*decoded) : std::nullopt;
    if (!mapped || mapped->empty()) return std::nullopt;
    const Text domain(mapped->begin(), mapped->end());
    for (const char32_t c : domain)
        if (forbiddenInHost(c) || c < 0x20 || c == U'%' || c == 0x7F) return std::nullopt;
    if (endsInNumber(domain)) return ipv4(domain);
    return domain;
}

class Parser {
  public:
    Parser(View input, const Parsed* base) : input_(input), base_(base) {}

    std::optional<Parsed> run() {
        for (;;) {
            const std::size_t at = p_;
            if (!step(c())) return std::nullopt;
            // Done at the end, unless a state wants the end read again in the next.
            if (at >= input_.size() && p_ == at) return std::move(url_);
            ++p_;
        }
    }

  private:
    enum class State {
        SchemeStart,
        Scheme,
        NoScheme,
        SpecialRelativeOrAuthority,
        PathOrAuthority,
        Relative,
        RelativeSlash,
        SpecialAuthoritySlashes,
        SpecialAuthorityIgnoreSlashes,
        Authority,
        Host,
        Port,
        File,
        FileSlash,
        FileHost,
        PathStart,
        Path,
        OpaquePath,
        Query,
        Fragment,
    };

    char32_t c() const { return p_ < input_.size() ? input_[p_] : kEof; }
    View remaining() const { return p_ + 1 < input_.size() ? input_.substr(p_ + 1) : View(); }
    bool special() const { return isSpecial(url_.scheme); }
    // Reads c again in the next state.
    void again() { --p_; }
    bool slash(char32_t ch) const { return ch == U'/' || (special() && ch == U'\\'); }
    bool endOfAuthority(char32_t ch) const {
        return ch == kEof || ch == U'/' || ch == U'?' || ch == U'#' || (special() && ch == U'\\');
    }

    void startFragment() {
        url_.fragment = Text();
        state_ = State::Fragment;
    }

    void copyAuthority() {
        url_.username = base_->username;
        url_.password = base_->password;
        url_.host = base_->host;
        url_.port = base_->port;
    }

    // One code point in the current state; false on failure.
    bool step(char32_t ch) {
        switch (state_) {
            case State::SchemeStart:
                if (isAlpha(ch)) {
                    buffer_ += lower(ch);
                    state_ = State::Scheme;
                } else {
                    state_ = State::NoScheme;
                    again();
                }
                return true;
            case State::Scheme:
                if (isAlpha(ch) || isDigit(ch) || ch == U'+' || ch == U'-' || ch == U'.') {
                    buffer_ += lower(ch);
                } else if (ch == U':') {
                    url_.scheme = std::exchange(buffer_, {});
                    if (url_.scheme == U"file") {
                        state_ = State::File;
                    } else if (special() && base_ && base_->scheme == url_.scheme) {
                        state_ = State::SpecialRelativeOrAuthority;
                    } else if (special()) {
                        state_ = State::SpecialAuthoritySlashes;
                    } else if (remaining().starts_with(U'/')) {
                        state_ = State::PathOrAuthority;
                        ++p_;
                    } else {
                        url_.opaquePath = Text();
                        state_ = State::OpaquePath;
                    }
                } else {
                    buffer_.clear();
                    state_ = State::NoScheme;
                    p_ = static_cast<std::size_t>(-1);  // from the start again
                }
                return true;
            case State::NoScheme:
                if (!base_ || (base_->opaquePath && ch != U'#')) return false;
                if (base_->opaquePath) {  // a fragment alone
                    url_ = *base_;
                    startFragment();
                } else {
                    state_ = base_->scheme != U"file" ? State::Relative : State::File;
                    again();
                }
                return true;
            case State::SpecialRelativeOrAuthority:
                if (ch == U'/' && remaining().starts_with(U'/')) {
                    state_ = State::SpecialAuthorityIgnoreSlashes;
                    ++p_;
                } else {
                    state_ = State::Relative;
                    again();
                }
                return true;
            case State::PathOrAuthority:
                if (ch == U'/') {
                    state_ = State::Authority;
                } else {
                    state_ = State::Path;
                    again();
                }
                return true;
            case State::Relative:
                url_.scheme = base_->scheme;
                if (slash(ch)) {
                    state_ = State::RelativeSlash;
                    return true;
                }
                copyAuthority();
                url_.path = base_->path;
                url_.query = base_->query;
                if (ch == U'?') {
                    url_.query = Text();
                    state_ = State::Query;
                } else if (ch == U'#') {
                    startFragment();
                } else if (ch != kEof) {
                    url_.query.reset();
                    shortenPath(url_);
                    state_ = State::Path;
                    again();
                }
                return true;
            case State::RelativeSlash:
                if (special() && slash(ch)) {
                    state_ = State::SpecialAuthorityIgnoreSlashes;
                } else if (ch == U'/') {
                    state_ = State::Authority;
                } else {
                    copyAuthority();
                    state_ = State::Path;
                    again();
                }
                return true;
            case State::SpecialAuthoritySlashes:
                state_ = State::SpecialAuthorityIgnoreSlashes;
                if (ch == U'/' && remaining().starts_with(U'/'))
                    ++p_;
                else
                    again();
                return true;
            case State::SpecialAuthorityIgnoreSlashes:
                if (ch != U'/' && ch != U'\\') {
                    state_ = State::Authority;
                    again();
                }
                return true;
            case State::Authority:
                return authority(ch);
            case State::Host:
                return host(ch);
            case State::Port:
                return port(ch);
            case State::File:
                return file(ch);
            case State::FileSlash:
                if (ch == U'/' || ch == U'\\') {
                    state_ = State::FileHost;
                    return true;
                }
                if (base_ && base_->scheme == U"file") {
                    url_.host = base_->host;
                    if (!startsWithDriveLetter(input_.substr(std::min(p_, input_.size()))) &&
                        !base_->path.empty() && isDriveLetter(base_->path[0], true))
                        url_.path.push_back(base_->path[0]);
                }
                state_ = State::Path;
                again();
                return true;
            case State::FileHost:
                return fileHost(ch);
            case State::PathStart:
                if (special()) {
                    state_ = State::Path;
                    if (ch != U'/' && ch != U'\\') again();
                } else if (ch == U'?') {
                    url_.query = Text();
                    state_ = State::Query;
                } else if (ch == U'#') {
                    startFragment();
                } else if (ch != kEof) {
                    state_ = State::Path;
                    if (ch != U'/') again();
                }
                return true;
            case State::Path:
                path(ch);
                return true;
            case State::OpaquePath:
                if (ch == U'?') {
                    url_.query = Text();
                    state_ = State::Query;
                } else if (ch == U'#') {
                    startFragment();
                } else if (ch != kEof) {
                    appendEncoded(ch, EncodeSet::C0, *url_.opaquePath);
                }
                return true;
            case State::Query:
                if (ch == U'#' || ch == kEof) {
                    for (const char32_t b : buffer_)
                        appendEncoded(b, special() ? EncodeSet::SpecialQuery : EncodeSet::Query,
                                      *url_.query);
                    buffer_.clear();
                    if (ch == U'#') startFragment();
                } else {
                    buffer_ += ch;
                }
                return true;
            case State::Fragment:
                if (ch != kEof) appendEncoded(ch, EncodeSet::Fragment, *url_.fragment);
                return true;
        }
        return true;
    }

    bool authority(char32_t ch) {
        if (ch == U'@') {
            if (atSignSeen_) buffer_.insert(0, U"%40");
            atSignSeen_ = true;
            for (const char32_t b : buffer_) {
                if (b == U':' && !passwordSeen_) {
                    passwordSeen_ = true;
                    continue;
                }
                appendEncoded(b, EncodeSet::Userinfo,
                              passwordSeen_ ? url_.password : url_.username);
            }
            buffer_.clear();
        } else if (endOfAuthority(ch)) {
            if (atSignSeen_ && buffer_.empty()) return false;
            p_ -= buffer_.size() + 1;
            buffer_.clear();
            state_ = State::Host;
        } else {
            buffer_ += ch;
        }
        return true;
    }

    bool host(char32_t ch) {
        if (ch == U':' && !insideBrackets_) {
            if (buffer_.empty()) return false;
            url_.host = parseHost(buffer_, special());
            if (!url_.host) return false;
            buffer_.clear();
            state_ = State::Port;
        } else if (endOfAuthority(ch)) {
            again();
            if (special() && buffer_.empty()) return false;
            if (buffer_.empty()) {
                url_.host = Text();
            } else {
                url_.host = parseHost(buffer_, special());
                if (!url_.host) return false;
            }
            buffer_.clear();
            state_ = State::PathStart;
        } else {
            if (ch == U'[') insideBrackets_ = true;
            if (ch == U']') insideBrackets_ = false;
            buffer_ += ch;
        }
        return true;
    }

    bool port(char32_t ch) {
        if (isDigit(ch)) {
            buffer_ += ch;
            return true;
        }
        if (!endOfAuthority(ch)) return false;
        if (!buffer_.empty()) {
            std::uint32_t n = 0;
            for (const char32_t d : buffer_) {
                n = n * 10 + (d - U'0');
                if (n > 65535) return false;
            }
            url_.port = static_cast<int>(n);
            if (url_.port == defaultPort(ascii(url_.scheme))) url_.port.reset();
            buffer_.clear();
        }
        state_ = State::PathStart;
        again();
        return true;
    }

    bool file(char32_t ch) {
        url_.scheme = U"file";
        url_.host = Text();
        if (ch == U'/' || ch == U'\\') {
            state_ = State::FileSlash;
        } else if (base_ && base_->scheme == U"file") {
            url_.host = base_->host;
            url_.path = base_->path;
            url_.query = base_->query;
            if (ch == U'?') {
                url_.query = Text();
                state_ = State::Query;
            } else if (ch == U'#') {
                startFragment();
            } else if (ch != kEof) {
                url_.query.reset();
                if (!startsWithDriveLetter(input_.substr(p_)))
                    shortenPath(url_);
                else
                    url_.path.clear();
                state_ = State::Path;
                again();
            }
        } else {
            state_ = State::Path;
            again();
        }
        return true;
    }

    bool fileHost(char32_t ch) {
        if (!(ch == kEof || ch == U'/' || ch == U'\\' || ch == U'?' || ch == U'#')) {
            buffer_ += ch;
            return true;
        }
        again();
        if (isDriveLetter(buffer_)) {
            state_ = State::Path;  // the buffer is read again as the path's first segment
            return true;
        }
        if (buffer_.empty()) {
            url_.host = Text();
        } else {
            url_.host = parseHost(buffer_, true);
            if (!url_.host) return false;
            if (*url_.host == U"localhost") url_.host = Text();
        }
        buffer_.clear();
        state_ = State::PathStart;
        return true;
    }

    void path(char32_t ch) {
        const bool end = ch == kEof || slash(ch) || ch == U'?' || ch == U'#';
        if (!end) {
            appendEncoded(ch, EncodeSet::Path, buffer_);
            return;
        }
        if (isDoubleDot(buffer_)) {
            shortenPath(url_);
            if (!slash(ch)) url_.path.emplace_back();
        } else if (isDot(buffer_)) {
            if (!slash(ch)) url_.path.emplace_back();
        } else {
            if (url_.scheme == U"file" && url_.path.empty() && isDriveLetter(buffer_))
                buffer_[1] = U':';
            url_.path.push_back(buffer_);
        }
        buffer_.clear();
        if (ch == U'?') {
            url_.query = Text();
            state_ = State::Query;
        } else if (ch == U'#') {
            startFragment();
        }
    }

    View input_;
    const Parsed* base_;
    Parsed url_;
    State state_ = State::SchemeStart;
    std::size_t p_ = 0;
    Text buffer_;
    bool atSignSeen_ = false;
    bool insideBrackets_ = false;
    bool passwordSeen_ = false;
};

// Browsers take an address without the controls and blanks around it, and without the tabs and
// line breaks inside it.
Text cleaned(View input) {
    while (!input.empty() && input.front() <= U' ') input.remove_prefix(1);
    while (!input.empty() && input.back() <= U' ') input.remove_suffix(1);
    Text out;
    for (const char32_t c : input)
        if (c != U'\t' && c != U'\n' && c != U'\r') out += c;
    return out;
}

std::optional<Parsed> parse(View input, const Parsed* base) {
    return Parser(cleaned(input), base).run();
}

Url inCodePage(const Parsed& p, const CodePage& cp) {
    Url url{
        cp.encode(p.scheme), cp.encode(p.username), cp.encode(p.password), std::nullopt, p.port, {},
        std::nullopt,        std::nullopt};
    if (p.host) url.host = cp.encode(*p.host);
    if (p.opaquePath)
        url.path = cp.encode(*p.opaquePath);
    else
        for (const Text& segment : p.path) url.path += "/" + cp.encode(segment);
    if (p.query) url.query = cp.encode(*p.query);
    if (p.fragment) url.fragment = cp.encode(*p.fragment);
    return url;
}

}  // namespace

std::optional<int> defaultPort(std::string_view scheme) {
    if (scheme == "http" || scheme == "ws") return 80;
    if (scheme == "https" || scheme == "wss") return 443;
    if (scheme == "ftp") return 21;
    return std::nullopt;
}

std::string Url::serialised(bool withFragment) const {
    std::string out = scheme + ":";
    if (host) {
        out += "//";
        if (!username.empty() || !password.empty()) {
            out += username;
            if (!password.empty()) out += ":" + password;
            out += "@";
        }
        out += *host;
        if (port) out += ":" + std::to_string(*port);
    } else if (path.starts_with("//")) {
        out += "/.";  // so that the path's empty first segment is not read as a host
    }
    out += path;
    if (query) out += "?" + *query;
    if (fragment && withFragment) out += "#" + *fragment;
    return out;
}

std::optional<Url> parseUrl(std::string_view base, std::string_view reference, const CodePage& cp) {
    std::optional<Parsed> baseUrl;
    if (!base.empty()) baseUrl = parse(cp.decode(base), nullptr);
    const std::optional<Parsed> url = parse(cp.decode(reference), baseUrl ? &*baseUrl : nullptr);
    if (!url) return std::nullopt;
    return inCodePage(*url, cp);
}

std::optional<std::string> resolveUrl(std::string_view base, std::string_view reference,
                                      const CodePage& cp) {
    const std::optional<Url> url = parseUrl(base, reference, cp);
    if (!url) return std::nullopt;
    return url->serialised(false);
}

bool browserRefuses(std::string_view base, std::string_view reference, const CodePage& cp) {
    if (parseUrl(base, reference, cp)) return false;
    if (!base.empty() && parseUrl("", base, cp)) return true;
    // Whether the reference begins with a scheme, as the parser reads one.
    const Text text = cleaned(cp.decode(reference));
    const std::size_t colon = text.find(U':');
    return colon != Text::npos && colon > 0 && isAlpha(text[0]) &&
           std::all_of(text.begin(), text.begin() + colon, [](char32_t c) {
               return isAlpha(c) || isDigit(c) || c == U'+' || c == U'-' || c == U'.';
           });
}

}  // namespace verrimo
