#include "har.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>

#include "ascii_text.h"
#include "har_json.h"

namespace verrimo {

namespace {

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

// Whether an Accept header asks for HTML, as a browser's navigation does.
bool acceptsHtml(std::string_view accept) {
    const std::string lower = asciiLowered(accept);
    for (std::size_t from = 0; from <= lower.size();) {
        const std::size_t comma = std::min(lower.find(',', from), lower.size());
        if (mediaType(std::string_view(lower).substr(from, comma - from)) == "text/html")
            return true;
        from = comma + 1;
    }
    return false;
}

// A number of the file in [low, high] when it is a whole one there.
std::optional<std::int64_t> wholeNumber(std::string_view text, std::int64_t low,
                                        std::int64_t high) {
    double n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size() ||
        !(n >= static_cast<double>(low)) || !(n <= static_cast<double>(high)) || n != std::floor(n))
        return std::nullopt;
    return static_cast<std::int64_t>(n);
}

// The needed parts of the entry being read.
struct EntryState {
    HarEntry entry;
    std::string resourceType;  // Chrome's own field
    std::optional<std::string> accept;
    std::string fetchDest;
    std::string location;
    std::string headerName;
    std::string headerValue;
    HarParam param;
    bool paramCut = false;

    // Whether the request loaded a page, and how sure the file is of it. A frame is told by
    // Sec-Fetch-Dest, since Chrome calls a frame's load a document too.
    std::optional<HarLoad> load() const {
        const std::string dest = asciiLowered(fetchDest);
        if (dest == "iframe" || dest == "frame") return HarLoad::Frame;
        if (!resourceType.empty())
            return asciiLowered(resourceType) == "document" ? std::optional(HarLoad::Document)
                                                            : std::nullopt;
        if (!dest.empty())
            return dest == "document" ? std::optional(HarLoad::Document) : std::nullopt;
        // Without either, an HTML answer alone makes no page: scripts and pings get HTML too.
        if (accept) return acceptsHtml(*accept) ? std::optional(HarLoad::Guessed) : std::nullopt;
        return isHtml(entry.contentMimeType) ? std::optional(HarLoad::Guessed) : std::nullopt;
    }
};

class HarReader : public JsonEvents {
  public:
    explicit HarReader(const HarLimits& limits) : limits_(limits) {}

    Har take() {
        if (!sawEntries_)
            throw HarError(HarError::Kind::NotHar, 0, "not a HAR file: it has no log with entries");
        return std::move(har_);
    }

    void literal() override {}

    void number(std::string_view text) override {
        if (place() == Place::Response && key_ == "status")
            entry_.entry.status = static_cast<int>(wholeNumber(text, 0, 999).value_or(0));
        if (place() == Place::Request && key_ == "bodySize")
            entry_.entry.bodySize = wholeNumber(text, -1, std::int64_t{1} << 53).value_or(-1);
    }

    std::size_t stringBound() override {
        constexpr std::size_t kShort = 256;  // names, kinds, versions
        const auto keyIs = [&](std::initializer_list<std::string_view> names) {
            return std::find(names.begin(), names.end(), key_) != names.end();
        };
        switch (place()) {
            case Place::Log:
                return key_ == "version" ? kShort : 0;
            case Place::Creator:
                return keyIs({"name", "version"}) ? kShort : 0;
            case Place::Entry:
                return key_ == "_resourceType" ? kShort : 0;
            case Place::Request:
                return keyIs({"method", "url"}) ? limits_.maxLine : 0;
            case Place::RequestHeader:
            case Place::ResponseHeader:
                return key_ == "name" ? kShort : key_ == "value" ? limits_.maxLine : 0;
            case Place::PostData:
                return key_ == "text"       ? limits_.maxText
                       : key_ == "mimeType" ? limits_.maxLine
                       : key_ == "encoding" ? kShort
                                            : 0;
            case Place::Param:
                return keyIs({"name", "value", "fileName"}) ? limits_.maxLine : 0;
            case Place::Response:
                return key_ == "redirectURL" ? limits_.maxLine : 0;
            case Place::Content:
                if (keyIs({"mimeType", "encoding"})) return kShort;
                // An answer that says it is no HTML page is never kept.
                return key_ == "text" && (entry_.entry.contentMimeType.empty() ||
                                          isHtml(entry_.entry.contentMimeType))
                           ? limits_.maxText
                           : 0;
            default:
                return 0;
        }
    }

    void string(std::string&& text, bool cut) override {
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
                if (key_ == "text")
                    keepText(text, cut, entry_.entry.postText, entry_.entry.postCut);
                break;
            case Place::Param:
                entry_.paramCut = entry_.paramCut || cut;
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
                if (key_ == "text" &&
                    (entry_.entry.contentMimeType.empty() || isHtml(entry_.entry.contentMimeType)))
                    keepText(text, cut, entry_.entry.contentText, entry_.entry.contentCut);
                break;
            default:
                break;
        }
    }

    void key(std::string&& name) override { key_ = std::move(name); }

    void startObject() override { enter(true); }
    void startArray() override { enter(false); }

    void endObject() override {
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
                if (entry_.paramCut)
                    entry_.entry.paramsCut = true;
                else
                    entry_.entry.params.push_back(std::move(entry_.param));
                entry_.param = {};
                entry_.paramCut = false;
                break;
            case Place::Content:
                if (!isHtml(entry_.entry.contentMimeType)) entry_.entry.contentText.reset();
                break;
            default:
                break;
        }
        places_.pop_back();
    }
    void endArray() override { places_.pop_back(); }

  private:
    Place place() const { return places_.empty() ? Place::Root : places_.back(); }

    // The place a new object or array opens, from where it stands and its key.
    void enter(bool object) {
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
    }

    static void keepText(std::string& text, bool cut, std::optional<std::string>& into,
                         bool& wasCut) {
        wasCut = cut;
        if (cut)
            into.reset();
        else
            into = std::move(text);
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
        const auto load = entry_.load();
        if (!load) return;
        HarEntry& e = entry_.entry;
        e.load = *load;
        if (e.redirectUrl.empty()) e.redirectUrl = std::move(entry_.location);
        har_.documents.push_back(std::move(e));
    }

    const HarLimits& limits_;
    Har har_;
    std::vector<Place> places_;
    std::string key_;
    EntryState entry_;
    bool sawEntries_ = false;
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
    HarReader reader(limits);
    readJson(in, reader);
    return reader.take();
}

Har readHar(std::string_view text, const HarLimits& limits) {
    HarReader reader(limits);
    readJson(text, reader);
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
