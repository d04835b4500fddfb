#include "har.h"

#include <functional>
#include <istream>
#include <nlohmann/json.hpp>

#include "ascii_text.h"

namespace verrimo {

namespace {

using json = nlohmann::json;

// Where in the file the reader is: the places a HAR's needed values sit, and Skip for
// everything else, whose values go by unread.
enum class Place {
    Root,
    Log,
    Creator,
    Entries,
    Entry,
    Request,
    RequestHeaders,
    RequestHeader,
    PostData,
    Params,
    Param,
    Response,
    ResponseHeaders,
    ResponseHeader,
    Content,
    Skip,
};

bool isHtml(std::string_view mimeType) {
    const std::string type = mediaType(mimeType);
    return type == "text/html" || type == "application/xhtml+xml";
}

// The needed parts of the entry being read.
struct EntryState {
    HarEntry entry;
    std::string resourceType;  // Chrome's own field
    std::string accept;
    std::string fetchDest;
    std::string location;
    std::string headerName;
    std::string headerValue;
    HarParam param;

    bool isDocument() const {
        if (!resourceType.empty()) return resourceType == "document";
        if (!fetchDest.empty()) return fetchDest == "document";
        return asciiLowered(accept).starts_with("text/html") || isHtml(entry.contentMimeType);
    }
};

class HarReader {
  public:
    // atEnd: whether the input has no byte left after the position where reading stopped.
    HarReader(const HarLimits& limits, std::function<bool(std::size_t)> atEnd)
        : limits_(limits), atEnd_(std::move(atEnd)) {}

    Har take() {
        if (!sawEntries_)
            throw HarError(HarError::Kind::NotHar, 0, "not a HAR file: it has no log with entries");
        return std::move(har_);
    }

    // The SAX callbacks of nlohmann::json.
    bool null() { return value(); }
    bool boolean(bool) { return value(); }
    bool number_integer(json::number_integer_t n) { return number(static_cast<double>(n)); }
    bool number_unsigned(json::number_unsigned_t n) { return number(static_cast<double>(n)); }
    bool number_float(json::number_float_t n, const std::string&) { return number(n); }
    bool binary(json::binary_t&) { return value(); }

    bool string(std::string& text) {
        started_ = true;
        switch (place()) {
            case Place::Log:
                if (key_ == "version") har_.version = std::move(text);
                break;
            case Place::Creator:
                if (key_ == "name" || key_ == "version") {
                    if (!har_.creator.empty()) har_.creator += ' ';
                    har_.creator += text;
                }
                break;
            case Place::Entry:
                if (key_ == "_resourceType") entry_.resourceType = std::move(text);
                break;
            case Place::Request:
                if (key_ == "method") entry_.entry.method = std::move(text);
                if (key_ == "url") entry_.entry.url = std::move(text);
                break;
            case Place::RequestHeader:
            case Place::ResponseHeader:
                if (key_ == "name") entry_.headerName = asciiLowered(text);
                if (key_ == "value") entry_.headerValue = std::move(text);
                break;
            case Place::PostData:
                if (key_ == "mimeType") entry_.entry.postMimeType = std::move(text);
                if (key_ == "encoding") entry_.entry.postBase64 = text == "base64";
                if (key_ == "text") keepText(text, entry_.entry.postText, entry_.entry.postCut);
                break;
            case Place::Param:
                if (key_ == "name") entry_.param.name = std::move(text);
                if (key_ == "value") entry_.param.value = std::move(text);
                if (key_ == "fileName") entry_.param.file = true;
                break;
            case Place::Response:
                if (key_ == "redirectURL") entry_.entry.redirectUrl = std::move(text);
                break;
            case Place::Content:
                if (key_ == "mimeType") entry_.entry.contentMimeType = std::move(text);
                if (key_ == "encoding") entry_.entry.contentBase64 = text == "base64";
                // An answer that says it is no HTML page is never kept.
                if (key_ == "text" &&
                    (entry_.entry.contentMimeType.empty() || isHtml(entry_.entry.contentMimeType)))
                    keepText(text, entry_.entry.contentText, entry_.entry.contentCut);
                break;
            default:
                break;
        }
        return true;
    }

    bool key(std::string& name) {
        key_ = std::move(name);
        return true;
    }

    bool start_object(std::size_t) { return enter(true); }
    bool start_array(std::size_t) { return enter(false); }

    bool end_object() {
        switch (place()) {
            case Place::Entry:
                endEntry();
                break;
            case Place::RequestHeader:
                requestHeader();
                break;
            case Place::ResponseHeader:
                responseHeader();
                break;
            case Place::Param:
                entry_.entry.params.push_back(std::move(entry_.param));
                entry_.param = {};
                break;
            case Place::Content:
                if (!isHtml(entry_.entry.contentMimeType)) entry_.entry.contentText.reset();
                break;
            default:
                break;
        }
        places_.pop_back();
        return true;
    }
    bool end_array() {
        places_.pop_back();
        return true;
    }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) {
        const std::string what = e.what();
        if (started_ &&
            (atEnd_(position) || what.find("unexpected end of input") != std::string::npos))
            throw HarError(HarError::Kind::Truncated, position,
                           "the HAR file ends early, at byte " + std::to_string(position) +
                               ": it was cut off");
        throw HarError(HarError::Kind::NotJson, position,
                       "not a HAR file: no JSON text at byte " + std::to_string(position));
    }

  private:
    Place place() const { return places_.empty() ? Place::Root : places_.back(); }

    bool value() {
        started_ = true;
        return true;
    }

    bool number(double n) {
        started_ = true;
        if (place() == Place::Response && key_ == "status")
            entry_.entry.status = static_cast<int>(n);
        return true;
    }

    // The place a new object or array opens, from where it stands and its key.
    bool enter(bool object) {
        started_ = true;
        const Place at = place();
        if (places_.empty() && !object)
            throw HarError(HarError::Kind::NotHar, 0, "not a HAR file: it is a JSON array");
        Place next = Place::Skip;
        const auto is = [&](std::string_view name, bool wantObject) {
            return key_ == name && object == wantObject;
        };
        switch (at) {
            case Place::Root:
                // The top object itself; its "log" is the HAR.
                next = places_.empty() ? Place::Root : is("log", true) ? Place::Log : Place::Skip;
                break;
            case Place::Log:
                if (is("creator", true)) next = Place::Creator;
                if (is("entries", false)) {
                    next = Place::Entries;
                    sawEntries_ = true;
                }
                break;
            case Place::Entries:
                if (object) {
                    next = Place::Entry;
                    entry_ = {};
                    entry_.entry.index = har_.entries;
                }
                break;
            case Place::Entry:
                if (is("request", true)) next = Place::Request;
                if (is("response", true)) next = Place::Response;
                break;
            case Place::Request:
                if (is("headers", false)) next = Place::RequestHeaders;
                if (is("postData", true)) {
                    next = Place::PostData;
                    entry_.entry.hasPostData = true;
                }
                break;
            case Place::RequestHeaders:
                if (object) next = Place::RequestHeader;
                break;
            case Place::PostData:
                if (is("params", false)) next = Place::Params;
                break;
            case Place::Params:
                if (object) next = Place::Param;
                break;
            case Place::Response:
                if (is("headers", false)) next = Place::ResponseHeaders;
                if (is("content", true)) next = Place::Content;
                break;
            case Place::ResponseHeaders:
                if (object) next = Place::ResponseHeader;
                break;
            default:
                break;
        }
        places_.push_back(next);
        return true;
    }

    void keepText(std::string& text, std::optional<std::string>& into, bool& cut) {
        if (text.size() > limits_.maxText) {
            cut = true;
            into.reset();
        } else {
            into = std::move(text);
        }
    }

    void requestHeader() {
        const std::string& name = entry_.headerName;
        std::string& value = entry_.headerValue;
        if (name == "referer") entry_.entry.referer = std::move(value);
        if (name == "content-type") entry_.entry.requestContentType = std::move(value);
        if (name == "accept") entry_.accept = std::move(value);
        if (name == "sec-fetch-dest") entry_.fetchDest = std::move(value);
        entry_.headerName.clear();
        entry_.headerValue.clear();
    }

    void responseHeader() {
        const std::string& name = entry_.headerName;
        std::string& value = entry_.headerValue;
        if (name == "content-type") entry_.entry.responseContentType = std::move(value);
        if (name == "location") entry_.location = std::move(value);
        entry_.headerName.clear();
        entry_.headerValue.clear();
    }

    void endEntry() {
        ++har_.entries;
        if (!entry_.isDocument()) return;
        HarEntry& e = entry_.entry;
        if (e.redirectUrl.empty()) e.redirectUrl = std::move(entry_.location);
        har_.documents.push_back(std::move(e));
    }

    const HarLimits& limits_;
    std::function<bool(std::size_t)> atEnd_;
    Har har_;
    std::vector<Place> places_;
    std::string key_;
    EntryState entry_;
    bool sawEntries_ = false;
    bool started_ = false;
};

int base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

}  // namespace

Har readHar(std::istream& in, const HarLimits& limits) {
    HarReader reader(limits,
                     [&in](std::size_t) { return in.peek() == std::istream::traits_type::eof(); });
    json::sax_parse(in, &reader);
    return reader.take();
}

Har readHar(std::string_view text, const HarLimits& limits) {
    HarReader reader(limits, [&text](std::size_t position) { return position >= text.size(); });
    json::sax_parse(text.begin(), text.end(), &reader);
    return reader.take();
}

std::optional<std::string> base64Decoded(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    unsigned bits = 0;
    int count = 0;
    std::size_t padding = 0;
    for (const char c : text) {
        if (isHtmlSpace(c)) continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int digit = base64Digit(c);
        if (digit < 0 || padding > 0) return std::nullopt;
        bits = bits << 6 | static_cast<unsigned>(digit);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16 & 0xFF);
            out += static_cast<char>(bits >> 8 & 0xFF);
            out += static_cast<char>(bits & 0xFF);
            bits = 0;
            count = 0;
        }
    }
    if (count == 1 || padding > 2) return std::nullopt;
    if (count == 2) out += static_cast<char>(bits >> 4 & 0xFF);
    if (count == 3) {
        out += static_cast<char>(bits >> 10 & 0xFF);
        out += static_cast<char>(bits >> 2 & 0xFF);
    }
    return out;
}

std::string mediaType(std::string_view contentType) {
    return asciiLowered(htmlTrimmed(contentType.substr(0, contentType.find(';'))));
}

}  // namespace verrimo
