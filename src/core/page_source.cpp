#include "page_source.h"

#include <algorithm>

namespace verrimo {

std::string pageSourceFromBody(std::string body) {
    if (body.empty()) return body;
    body.erase(std::remove(body.begin(), body.end(), '\0'), body.end());
    // The whole body is added as one line to an empty page source, which ends it with CR LF
    // whatever it ends with itself.
    body += "\r\n";
    return body;
}

}  // namespace verrimo
