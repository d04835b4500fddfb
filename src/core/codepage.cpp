#include "codepage.h"

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "char_converter.h"
#include "charset.h"

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

CodePage::CodePage(const std::string& charset)
    : name_(codePageFor(charset)),
      converter_(name_ == "EUC-JP" ? eucJpConverter() : iconvConverter(name_)) {
    std::lock_guard lock(mutex_);
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const char32_t c = decodeOne(std::string_view(&byte, 1));
        single_[b] = c == kIncomplete ? kInvalid : c;
        plain_[b] = b < 0x80 && c == static_cast<char32_t>(b);
        lead_[b] = c == kIncomplete;
        // The logic searches the bytes for ASCII marks such as '<' and '"': each of them must
        // stand alone as a character.
        if (b < 0x80 && (c == kInvalid || c == kIncomplete))
            throw std::runtime_error("code page is not ASCII-compatible: " + name_);
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

const CodePage& CodePage::setProgram(const std::string& charset) {
    auto page = std::make_unique<const CodePage>(charset);
    ProgramPages& pages = programPages();
    std::lock_guard lock(pages.mutex);
    pages.pages.push_back(std::move(page));
    pages.current = pages.pages.back().get();
    return *pages.current.load();
}

char32_t CodePage::decodeOne(std::string_view bytes) const {
    static_assert(kInvalid == CharConverter::kInvalid && kIncomplete == CharConverter::kIncomplete);
    const char32_t c = converter_->read(bytes);
    if (c == kIncomplete || c == kInvalid) return c;
    std::string again;
    if (reserved(c) || !converter_->write(c, again) || again != bytes) return kInvalid;
    return c;
}

char32_t CodePage::doubleChar(unsigned char lead, unsigned char trail) const {
    if (!doubleDone_[lead].load(std::memory_order_acquire)) {
        std::lock_guard lock(mutex_);
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
        // Longer characters (UTF-8, EUC-JP's three-byte plane) are rare enough to ask the
        // converter each time.
        std::lock_guard lock(mutex_);
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

std::u32string CodePage::browserDecode(std::string_view bytes) const {
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        char32_t c;
        std::size_t length = decodeAt(bytes, pos, c);
        if (c == kEscapeBase + static_cast<unsigned char>(bytes[pos]) &&
            lead_[static_cast<unsigned char>(bytes[pos])]) {
            // Escaped: perhaps a character all the same, only written back otherwise.
            std::lock_guard lock(mutex_);
            for (std::size_t n = 2; n <= 6 && pos + n <= bytes.size(); ++n) {
                const char32_t read = converter_->read(bytes.substr(pos, n));
                if (read == kIncomplete) continue;
                if (read != kInvalid && !reserved(read)) c = read, length = n;
                break;
            }
        }
        text.push_back(c);
        pos += length;
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
    std::unique_lock lock(mutex_, std::defer_lock);  // taken at the first need, once
    for (char32_t c : text) {
        if (c < 0x80 && single_[c] == c) {
            bytes.push_back(static_cast<char>(c));
        } else if (c >= kEscapeBase && c <= kEscapeBase + 0xFF) {
            bytes.push_back(static_cast<char>(c - kEscapeBase));
        } else {
            if (!lock.owns_lock()) lock.lock();
            if (!converter_->write(c, bytes)) bytes.push_back('?');
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
