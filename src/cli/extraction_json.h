// The extraction of a page as one JSON object, for the commands that extract pages.
#pragma once

#include <string_view>

#include "codepage.h"
#include "json.h"

namespace verrimo {

// Runs the extract command's steps on the page source with urlBox as the URL box's text (both in
// the code page) and writes {"source","required","images","links","referrer","targets",
// "target","kind"}, every text decoded from the code page.
void writeExtraction(JsonWriter& json, std::string_view pageSource, std::string_view urlBox,
                     const CodePage& cp);

}  // namespace verrimo
