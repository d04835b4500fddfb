#include "url.h"

#include "codepage.h"

namespace verrimo {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void appendEscape(unsigned char b, std::string& out) {
    out += {'%', kHex[b >> 4], kHex[b & 15]};
}

}  // namespace

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
