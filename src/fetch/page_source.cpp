#include <algorithm>

#include "fetch.h"
#include "memo_text.h"

namespace verrimo {

std::string pageSourceFromBody(std::string_view body) {
    std::string source;
    if (body.empty()) return source;
    std::string text;
    text.reserve(body.size());
    std::copy_if(body.begin(), body.end(), std::back_inserter(text),
                 [](char c) { return c != '\0'; });
    // The page source is empty here, so the rule always ends the text with CR LF.
    addLine(source, text);
    return source;
}

}  // namespace verrimo
