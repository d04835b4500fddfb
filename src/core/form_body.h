// The fields of a submitted form read back from what went out: a URL's query or a body in one
// of the three form encodings. Names and values are the bytes sent, in the form's charset.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace verrimo {

struct SentField {
    std::string name;
    std::string value;
    bool file = false;  // a file's part of a multipart body; value is the file's content
};

// application/x-www-form-urlencoded text: a body, or a URL's query.
std::vector<SentField> urlEncodedFields(std::string_view text);
// A text/plain body: name=value lines, each ended by CR LF.
std::vector<SentField> plainTextFields(std::string_view body);
// A multipart/form-data body with the boundary of its Content-Type.
std::vector<SentField> multipartFields(std::string_view body, std::string_view boundary);
// The boundary parameter of a Content-Type; empty when there is none.
std::string multipartBoundary(std::string_view contentType);

}  // namespace verrimo
