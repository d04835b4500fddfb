#include "url.h"

#include <vector>

#include "codepage.h"

namespace verrimo {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void appendEscape(unsigned char b, std::string& out) {
    out += {'%', kHex[b >> 4], kHex[b & 15]};
}

struct Parts {
    std::string scheme;     // without ":"
    std::string authority;  // with "//", when there is one
    std::string path;
    std::string query;  // with "?", when there is one
};

bool isSchemeChar(char c, bool first) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

Parts split(std::string_view url) {
    Parts p;
    if (const std::size_t hash = url.find('#'); hash != std::string_view::npos)
        url = url.substr(0, hash);
    const std::size_t colon = url.find(':');
    if (colon != std::string_view::npos && colon > 0) {
        bool scheme = true;
        for (std::size_t i = 0; i < colon; ++i) scheme = scheme && isSchemeChar(url[i], i == 0);
        if (scheme) {
            p.scheme = std::string(url.substr(0, colon));
            url.remove_prefix(colon + 1);
        }
    }
    if (url.substr(0, 2) == "//") {
        const std::size_t end = url.find_first_of("/?", 2);
        p.authority = std::string(url.substr(0, end));
        url = end == std::string_view::npos ? std::string_view() : url.substr(end);
    }
    const std::size_t question = url.find('?');
    p.path = std::string(url.substr(0, question));
    if (question != std::string_view::npos) p.query = std::string(url.substr(question));
    return p;
}

std::string withoutDotSegments(std::string_view path) {
    std::vector<std::string_view> segments;
    const bool absolute = !path.empty() && path.front() == '/';
    std::size_t start = absolute ? 1 : 0;
    bool directory = false;
    while (start <= path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::string_view segment = path.substr(
            start, slash == std::string_view::npos ? path.size() - start : slash - start);
        directory = segment == "." || segment == "..";
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (segment != ".") {
            segments.push_back(segment);
        }
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    std::string out = absolute ? "/" : "";
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) out += '/';
        out += segments[i];
    }
    if (directory && !out.empty() && out.back() != '/') out += '/';
    return out;
}

}  // namespace

std::string resolveUrl(std::string_view base, std::string_view reference) {
    // Browsers strip the blanks around an address.
    while (!reference.empty() && static_cast<unsigned char>(reference.front()) <= ' ')
        reference.remove_prefix(1);
    while (!reference.empty() && static_cast<unsigned char>(reference.back()) <= ' ')
        reference.remove_suffix(1);
    const Parts b = split(base);
    Parts r = split(reference);
    Parts t;
    if (!r.scheme.empty() && (r.scheme != b.scheme || !r.authority.empty())) {
        t = r;
        t.path = withoutDotSegments(r.path);
    } else if (!r.authority.empty()) {
        t = {b.scheme, r.authority, withoutDotSegments(r.path), r.query};
    } else if (r.path.empty()) {
        t = {b.scheme, b.authority, b.path, r.query.empty() ? b.query : r.query};
    } else if (r.path.front() == '/') {
        t = {b.scheme, b.authority, withoutDotSegments(r.path), r.query};
    } else {
        const std::size_t slash = b.path.rfind('/');
        const std::string merged = slash == std::string::npos
                                       ? (b.authority.empty() ? "" : "/") + r.path
                                       : b.path.substr(0, slash + 1) + r.path;
        t = {b.scheme, b.authority, withoutDotSegments(merged), r.query};
    }
    if (!t.authority.empty() && t.path.empty()) t.path = "/";
    return (t.scheme.empty() ? "" : t.scheme + ":") + t.authority + t.path + t.query;
}

std::string withQuery(std::string_view url, std::string_view query) {
    if (const std::size_t hash = url.find('#'); hash != std::string_view::npos)
        url = url.substr(0, hash);
    return std::string(url.substr(0, url.find('?'))) + "?" + std::string(query);
}

std::string requestedUrl(std::string_view url, const CodePage* pathCp) {
    std::string out;
    const auto append = [&](std::string_view bytes, std::string_view encodedToo) {
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (b <= 0x20 || b >= 0x7F || encodedToo.find(c) != std::string_view::npos)
                appendEscape(b, out);
            else
                out += c;
        }
    };
    const std::size_t question = url.find('?');
    const std::string_view path = url.substr(0, question);
    append(pathCp ? pathCp->toUtf8(path) : std::string(path), "\"<>`{}");
    if (question != std::string_view::npos) {
        out += '?';
        append(url.substr(question + 1), "\"<>'");
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string formUrlEncoded(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
                           (b >= 'a' && b <= 'z') || b == '*' || b == '-' || b == '.' || b == '_';
        if (plain)
            out += c;
        else if (b == ' ')
            out += '+';
        else
            appendEscape(b, out);
    }
    return out;
}

std::string queryDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::string exactQueryText(std::string_view bytes, bool keepNonAscii) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool escaped = b <= 0x20 || b == 0x7F || (b >= 0x80 && !keepNonAscii) || c == '%' ||
                             c == '+' || c == '&' || c == '=' || c == '#';
        if (escaped)
            appendEscape(b, out);
        else
            out += c;
    }
    return out;
}

}  // namespace verrimo
