// A browser's record of a session, the HAR file (HTTP Archive 1.2) that its developer tools
// save: the requests that loaded documents, with what a definition needs of them. Everything
// else (images, scripts, cookies, timings) is passed over as the file streams by, so that a file
// of a few hundred megabytes reads in the memory of its pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "har_error.h"

namespace verrimo {

// A posted parameter, as the file lists it when it gives no body text.
struct HarParam {
    std::string name;
    std::string value;
    bool file = false;  // an uploaded file's part
};

// How sure the file is that a request loaded a page.
enum class HarLoad {
    Document,  // the browser says so: a page of the tab
    Frame,     // the browser says it loaded a frame: a form may target one, a script too
    Guessed,   // the file does not say; the request asked for HTML
};

// One document request and its answer. Texts are as the file gives them (JSON strings, so
// UTF-8); a header the file does not hold is empty.
struct HarEntry {
    std::size_t index = 0;  // among the file's entries, from 0
    HarLoad load = HarLoad::Document;
    std::string method;
    std::string url;
    std::string referer;
    std::string requestContentType;
    bool hasPostData = false;
    std::string postMimeType;
    std::optional<std::string> postText;
    bool postBase64 = false;     // postText is the body's bytes in base64
    bool postCut = false;        // the body was over the bound and is left out
    std::int64_t bodySize = -1;  // the request's, in bytes; -1 when the file does not say
    std::vector<HarParam> params;
    bool paramsCut = false;  // a parameter was over the bound and is left out
    int status = 0;          // 0 when the file gives none in the range of HTTP statuses
    std::string responseContentType;
    std::string redirectUrl;  // redirectURL, else the Location header; as written
    std::string contentMimeType;
    std::optional<std::string> contentText;  // an HTML answer's, when the file holds it
    bool contentBase64 = false;
    bool contentCut = false;  // over the bound: left out
};

struct Har {
    std::string version;
    std::string creator;              // "name version"
    std::size_t entries = 0;          // every entry of the file
    std::vector<HarEntry> documents;  // the document requests, in the file's order
};

struct HarLimits {
    // An HTML answer or a request body is kept up to the bound of a downloaded page.
    std::size_t maxText = 256u << 20;
    // Any other text kept (addresses, headers, parameters): longer ones are left out.
    std::size_t maxLine = 1u << 20;
};

// Throws HarError when the input is not a whole HAR file.
Har readHar(std::istream& in, const HarLimits& limits = {});
Har readHar(std::string_view text, const HarLimits& limits = {});

// The bytes that base64 text stands for; none when it is not base64. Line breaks and blanks
// are passed over.
std::optional<std::string> base64Decoded(std::string_view text);

// A media type without its parameters, in lower case: "text/html; charset=x" → "text/html".
std::string mediaType(std::string_view contentType);

}  // namespace verrimo
