#include "codepage.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace verrimo {

namespace {

// Code points the windows use for their own purposes, so that no byte sequence may decode
// to them: the escape range, the line and paragraph separators that stand for line breaks,
// and the text document's frame markers.
bool reserved(char32_t c) {
    return (c >= CodePage::kEscapeBase && c <= CodePage::kEscapeBase + 0xFF) || c == 0x2028 ||
           c == 0x2029 || c == 0xFDD0 || c == 0xFDD1;
}

}  // namespace

struct CodePage::Iconv {
    iconv_t toUnicode = reinterpret_cast<iconv_t>(-1);
    iconv_t fromUnicode = reinterpret_cast<iconv_t>(-1);
    std::unordered_map<char32_t, std::string> encoded;
    // The converters keep state and the cache grows: one thread at a time uses them.
    std::mutex mutex;
    ~Iconv() {
        if (toUnicode != reinterpret_cast<iconv_t>(-1)) iconv_close(toUnicode);
        if (fromUnicode != reinterpret_cast<iconv_t>(-1)) iconv_close(fromUnicode);
    }
};

CodePage::CodePage(const std::string& name) : name_(name), iconv_(std::make_unique<Iconv>()) {
    iconv_->toUnicode = iconv_open("UTF-32LE", name.c_str());
    iconv_->fromUnicode = iconv_open(name.c_str(), "UTF-32LE");
    if (iconv_->toUnicode == reinterpret_cast<iconv_t>(-1) ||
        iconv_->fromUnicode == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("unknown code page: " + name);
    std::lock_guard lock(iconv_->mutex);
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const char32_t c = decodeOne(std::string_view(&byte, 1));
        single_[b] = c == kIncomplete ? kInvalid : c;
        plain_[b] = b < 0x80 && c == static_cast<char32_t>(b);
        lead_[b] = c == kIncomplete;
        // The logic searches the bytes for ASCII marks such as '<' and '"': each of them must
        // stand alone as a character.
        if (b < 0x80 && (c == kInvalid || c == kIncomplete))
            throw std::runtime_error("code page is not ASCII-compatible: " + name);
    }
}

CodePage::~CodePage() = default;

namespace {

// Every program code page of the run. One that was replaced stays: a caller may still hold it.
struct ProgramPages {
    std::mutex mutex;
    std::vector<std::unique_ptr<const CodePage>> pages;
    std::atomic<const CodePage*> current{nullptr};
};

ProgramPages& programPages() {
    static ProgramPages pages;
    return pages;
}

}  // namespace

const CodePage& CodePage::program() {
    ProgramPages& pages = programPages();
    if (const CodePage* page = pages.current.load()) return *page;
    std::lock_guard lock(pages.mutex);
    if (!pages.current.load()) {
        const char* env = std::getenv("VERRIMO_CODEPAGE");
        pages.pages.push_back(std::make_unique<const CodePage>(env && *env ? env : "CP932"));
        pages.current = pages.pages.back().get();
    }
    return *pages.current.load();
}

const CodePage& CodePage::setProgram(const std::string& name) {
    auto page = std::make_unique<const CodePage>(name);
    ProgramPages& pages = programPages();
    std::lock_guard lock(pages.mutex);
    pages.pages.push_back(std::move(page));
    pages.current = pages.pages.back().get();
    return *pages.current.load();
}

char32_t CodePage::decodeOne(std::string_view bytes) const {
    iconv(iconv_->toUnicode, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    unsigned char buf[16];
    char* out = reinterpret_cast<char*>(buf);
    std::size_t outLeft = sizeof buf;
    if (iconv(iconv_->toUnicode, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
        return errno == EINVAL ? kIncomplete : kInvalid;
    if (sizeof buf - outLeft != 4) return kInvalid;
    const char32_t c = buf[0] | buf[1] << 8 | buf[2] << 16 | static_cast<char32_t>(buf[3]) << 24;
    std::string again;
    if (reserved(c) || !encodeOne(c, again) || again != bytes) return kInvalid;
    return c;
}

bool CodePage::encodeOne(char32_t c, std::string& out) const {
    auto cached = iconv_->encoded.find(c);
    if (cached == iconv_->encoded.end()) {
        iconv(iconv_->fromUnicode, nullptr, nullptr, nullptr, nullptr);
        unsigned char in4[4] = {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                                static_cast<unsigned char>(c >> 16),
                                static_cast<unsigned char>(c >> 24)};
        char* in = reinterpret_cast<char*>(in4);
        std::size_t inLeft = 4;
        char buf[16];
        char* outp = buf;
        std::size_t outLeft = sizeof buf;
        std::string bytes;
        if (iconv(iconv_->fromUnicode, &in, &inLeft, &outp, &outLeft) !=
            static_cast<std::size_t>(-1))
            bytes.assign(buf, sizeof buf - outLeft);
        cached = iconv_->encoded.emplace(c, std::move(bytes)).first;
    }
    out += cached->second;
    return !cached->second.empty();
}

char32_t CodePage::doubleChar(unsigned char lead, unsigned char trail) const {
    if (!doubleDone_[lead].load(std::memory_order_acquire)) {
        std::lock_guard lock(iconv_->mutex);
        if (!double_) double_ = std::make_unique<std::array<char32_t, 65536>>();
        if (!doubleDone_[lead].load(std::memory_order_relaxed)) {
            for (int t = 0; t < 256; ++t) {
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(t)};
                (*double_)[lead << 8 | t] = decodeOne(std::string_view(pair, 2));
            }
            doubleDone_[lead].store(true, std::memory_order_release);
        }
    }
    return (*double_)[lead << 8 | trail];
}

std::size_t CodePage::decodeRest(std::string_view bytes, std::size_t pos, char32_t& out) const {
    const auto b = static_cast<unsigned char>(bytes[pos]);
    out = kEscapeBase + b;
    if (!lead_[b] || pos + 1 >= bytes.size()) return 1;
    char32_t c = doubleChar(b, static_cast<unsigned char>(bytes[pos + 1]));
    if (c == kIncomplete) {
        // Longer characters (UTF-8, EUC-JP's three-byte plane) are rare enough to ask iconv.
        std::lock_guard lock(iconv_->mutex);
        for (std::size_t len = 3; len <= 6 && pos + len <= bytes.size(); ++len) {
            c = decodeOne(bytes.substr(pos, len));
            if (c != kIncomplete) {
                if (c == kInvalid) break;
                out = c;
                return len;
            }
        }
        return 1;
    }
    if (c == kInvalid) return 1;
    out = c;
    return 2;
}

std::u32string CodePage::decode(std::string_view bytes) const {
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        char32_t c;
        pos += decodeAt(bytes, pos, c);
        text.push_back(c);
    }
    return text;
}

std::string CodePage::toUtf8(std::string_view bytes) const {
    std::string out;
    out.reserve(bytes.size());
    appendUtf8(bytes, out);
    return out;
}

void CodePage::appendUtf8(std::string_view bytes, std::string& out) const {
    for (std::size_t pos = 0; pos < bytes.size();) {
        // ASCII that stands for itself is copied a run at a time.
        std::size_t run = pos;
        while (run < bytes.size() && plain_[static_cast<unsigned char>(bytes[run])]) ++run;
        out.append(bytes, pos, run - pos);
        if (run == bytes.size()) break;
        char32_t c;
        pos = run + decodeAt(bytes, run, c);
        appendCodePoint(c, out);
    }
}

std::string CodePage::encode(std::u32string_view text) const {
    std::string bytes;
    bytes.reserve(text.size());
    std::unique_lock lock(iconv_->mutex, std::defer_lock);  // taken at the first need, once
    for (char32_t c : text) {
        if (c < 0x80 && single_[c] == c) {
            bytes.push_back(static_cast<char>(c));
        } else if (c >= kEscapeBase && c <= kEscapeBase + 0xFF) {
            bytes.push_back(static_cast<char>(c - kEscapeBase));
        } else {
            if (!lock.owns_lock()) lock.lock();
            if (!encodeOne(c, bytes)) bytes.push_back('?');
        }
    }
    return bytes;
}

std::u32string CodePage::utf8ToUtf32(std::string_view utf8) {
    std::u32string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        int len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (i + len > utf8.size()) len = 1;
        char32_t c = len == 1 ? b : b & (0x3F >> (len - 1));
        for (int k = 1; k < len; ++k) c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        text.push_back(c);
        i += len;
    }
    return text;
}

std::string CodePage::utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) appendCodePoint(c, out);
    return out;
}

void CodePage::appendCodePoint(char32_t c, std::string& out) {
    char utf8[4];
    out.append(utf8, putCodePoint(c, utf8));
}

}  // namespace verrimo
