#include "har_json.h"

#include <istream>
#include <vector>

#include "codepage.h"
#include "har_error.h"

namespace verrimo {

namespace {

// A HAR nests eight deep; far deeper is no HAR, and would only grow the reader's stacks.
constexpr std::size_t kMaxDepth = 1000;
constexpr std::size_t kMaxKey = 256;
constexpr std::size_t kMaxNumber = 64;

// The input in chunks, from a stream or from text in memory.
class JsonInput {
  public:
    explicit JsonInput(std::istream& in) : in_(&in), buffer_(64 * 1024) {}
    explicit JsonInput(std::string_view text)
        : start_(text.data()), at_(text.data()), end_(text.data() + text.size()) {}

    int peek() {
        if (at_ == end_ && !fill()) return -1;
        return static_cast<unsigned char>(*at_);
    }
    int get() {
        const int c = peek();
        if (c >= 0) ++at_;
        return c;
    }
    // The offset of the next byte.
    std::size_t offset() const { return done_ + static_cast<std::size_t>(at_ - start_); }

  private:
    bool fill() {
        if (!in_) return false;
        done_ = offset();
        in_->read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        const auto got = static_cast<std::size_t>(in_->gcount());
        start_ = at_ = buffer_.data();
        end_ = at_ + got;
        return got > 0;
    }

    std::istream* in_ = nullptr;
    std::vector<char> buffer_;
    const char* start_ = nullptr;
    const char* at_ = nullptr;
    const char* end_ = nullptr;
    std::size_t done_ = 0;  // bytes before start_
};

class JsonParser {
  public:
    JsonParser(JsonInput& bytes, JsonEvents& events) : in_(bytes), events_(events) {}

    void run() {
        skipBom();
        skipSpace();
        if (in_.peek() < 0) fail(HarError::Kind::NotJson, "no JSON text");
        bool needValue = true;
        while (true) {
            if (needValue) {
                needValue = value();
                if (needValue) continue;
            }
            if (open_.empty()) break;
            skipSpace();
            const int c = next();
            if (open_.back() == '{' && c == ',') {
                skipSpace();
                key();
                needValue = true;
            } else if (open_.back() == '[' && c == ',') {
                needValue = true;
            } else if (c == (open_.back() == '{' ? '}' : ']')) {
                close();
            } else {
                fail(HarError::Kind::NotJson, "no ',' or end of the list");
            }
        }
        skipSpace();
        if (in_.peek() >= 0) fail(HarError::Kind::NotJson, "more after the end of the JSON text");
    }

  private:
    // Fails at the next byte, or `back` bytes before it.
    [[noreturn]] void fail(HarError::Kind kind, const std::string& what, std::size_t back = 0) {
        const std::size_t at = in_.offset() - back;
        std::string text;
        switch (kind) {
            case HarError::Kind::Truncated:
                text =
                    "the HAR file ends early, at byte " + std::to_string(at) + ": it was cut off";
                break;
            case HarError::Kind::InvalidUtf8:
                text = "not a HAR file: invalid UTF-8 at byte " + std::to_string(at);
                break;
            default:
                text = "not a HAR file: " + what + " at byte " + std::to_string(at);
                break;
        }
        throw HarError(kind, at, text);
    }

    // The next byte; the input may not end here.
    int next() {
        const int c = in_.get();
        if (c < 0) fail(HarError::Kind::Truncated, "");
        return c;
    }
    void skipBom() {
        if (in_.peek() != 0xEF) return;
        in_.get();
        if (in_.get() != 0xBB || in_.get() != 0xBF) fail(HarError::Kind::NotJson, "no JSON text");
    }

    void skipSpace() {
        for (int c = in_.peek(); c == ' ' || c == '\t' || c == '\n' || c == '\r'; c = in_.peek())
            in_.get();
    }

    void expect(char c) {
        if (next() != c) fail(HarError::Kind::NotJson, std::string("no '") + c + "'");
    }

    void open(char c) {
        if (open_.size() == kMaxDepth)
            fail(HarError::Kind::NotHar, "its JSON nests deeper than " + std::to_string(kMaxDepth));
        open_.push_back(c);
        if (c == '{')
            events_.startObject();
        else
            events_.startArray();
    }
    void close() {
        const char c = open_.back();
        open_.pop_back();
        if (c == '{')
            events_.endObject();
        else
            events_.endArray();
    }

    void key() {
        expect('"');
        bool cut = false;
        std::string name = string(kMaxKey, cut);
        events_.key(cut ? std::string() : std::move(name));
        skipSpace();
        expect(':');
    }

    // One value, or the start of an object or array; whether a value is still wanted (an
    // array's first item).
    bool value() {
        skipSpace();
        const int c = next();
        if (c == '{') {
            open('{');
            skipSpace();
            if (in_.peek() == '}') {
                in_.get();
                close();
            } else {
                key();
                return true;
            }
        } else if (c == '[') {
            open('[');
            skipSpace();
            if (in_.peek() != ']') return true;
            in_.get();
            close();
        } else if (c == '"') {
            bool cut = false;
            std::string text = string(events_.stringBound(), cut);
            events_.string(std::move(text), cut);
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            number(static_cast<char>(c));
        } else if (c == 't' || c == 'f' || c == 'n') {
            const char* rest = c == 't' ? "rue" : c == 'f' ? "alse" : "ull";
            for (; *rest; ++rest)
                if (next() != *rest) fail(HarError::Kind::NotJson, "no JSON text");
            events_.literal();
        } else {
            fail(HarError::Kind::NotJson, "no JSON text");
        }
        return false;
    }

    static bool isDigit(int c) { return c >= '0' && c <= '9'; }

    void number(char first) {
        std::string text(1, first);
        bool tooLong = false;
        const auto take = [&] {
            const char c = static_cast<char>(in_.get());
            if (text.size() < kMaxNumber)
                text += c;
            else
                tooLong = true;
        };
        const auto digits = [&] {
            if (!isDigit(in_.peek())) fail(HarError::Kind::NotJson, "no digit in a number");
            while (isDigit(in_.peek())) take();
        };
        if (first == '-')
            digits();
        else if (first != '0')
            while (isDigit(in_.peek())) take();
        else if (isDigit(in_.peek()))
            fail(HarError::Kind::NotJson, "a number with a leading zero");
        if (in_.peek() == '.') {
            take();
            digits();
        }
        if (in_.peek() == 'e' || in_.peek() == 'E') {
            take();
            if (in_.peek() == '+' || in_.peek() == '-') take();
            digits();
        }
        events_.number(tooLong ? std::string_view() : std::string_view(text));
    }

    unsigned hex4() {
        unsigned n = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = next();
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0) fail(HarError::Kind::NotJson, "a bad \\u escape");
            n = n << 4 | static_cast<unsigned>(d);
        }
        return n;
    }

    // A \u escape's character; a lone surrogate, which JavaScript may write, as U+FFFD.
    char32_t escapedCharacter() {
        const unsigned high = hex4();
        if (high < 0xD800 || high > 0xDFFF) return high;
        if (high > 0xDBFF || in_.peek() != '\\') return 0xFFFD;
        in_.get();
        if (next() != 'u') fail(HarError::Kind::NotJson, "a bad escape");
        const unsigned low = hex4();
        if (low < 0xDC00 || low > 0xDFFF) return 0xFFFD;
        return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    }

    // The rest of a UTF-8 sequence whose lead byte is c, checked as the Unicode standard reads
    // UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
    void utf8Rest(int c, std::string& piece) {
        int more = 0;
        int low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            fail(HarError::Kind::InvalidUtf8, "", 1);
        }
        for (int i = 0; i < more; ++i) {
            const int b = in_.peek();
            if (b < 0) fail(HarError::Kind::Truncated, "");
            if (b < low || b > high) fail(HarError::Kind::InvalidUtf8, "");
            piece += static_cast<char>(in_.get());
            low = 0x80;
            high = 0xBF;
        }
    }

    // A string after its opening quote: up to bound bytes kept; cut when it is longer.
    std::string string(std::size_t bound, bool& cut) {
        std::string out;
        std::string piece;
        while (true) {
            const int c = next();
            if (c == '"') break;
            piece.clear();
            if (c == '\\') {
                const int e = next();
                switch (e) {
                    case '"':
                    case '\\':
                    case '/':
                        piece += static_cast<char>(e);
                        break;
                    case 'b':
                        piece += '\b';
                        break;
                    case 'f':
                        piece += '\f';
                        break;
                    case 'n':
                        piece += '\n';
                        break;
                    case 'r':
                        piece += '\r';
                        break;
                    case 't':
                        piece += '\t';
                        break;
                    case 'u':
                        CodePage::appendCodePoint(escapedCharacter(), piece);
                        break;
                    default:
                        fail(HarError::Kind::NotJson, "a bad escape");
                }
            } else if (c < 0x20) {
                fail(HarError::Kind::NotJson, "a control character in a string");
            } else {
                piece += static_cast<char>(c);
                if (c >= 0x80) utf8Rest(c, piece);
            }
            if (cut) continue;
            if (out.size() + piece.size() > bound) {
                cut = true;
                std::string().swap(out);
            } else {
                out += piece;
            }
        }
        return out;
    }

    JsonInput& in_;
    JsonEvents& events_;
    std::vector<char> open_;  // the objects and arrays the reader is in
};

}  // namespace

void readJson(std::istream& in, JsonEvents& events) {
    JsonInput bytes(in);
    JsonParser(bytes, events).run();
}

void readJson(std::string_view text, JsonEvents& events) {
    JsonInput bytes(text);
    JsonParser(bytes, events).run();
}

}  // namespace verrimo
