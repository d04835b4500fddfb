// A text and where its lines start, found in a code page: what a page memo shows. A load finds
// the lines off the window thread, so that showing a page of millions of lines costs nothing.
#pragma once

#include <memory>

#include "line_index.h"
#include "shared_text.h"

namespace verrimo {

struct IndexedText {
    SharedText bytes;
    std::shared_ptr<const LineIndex> lines;
};

inline IndexedText indexText(SharedText bytes, const CodePage& cp) {
    auto lines = std::make_shared<const LineIndex>(*bytes, cp);
    return {std::move(bytes), std::move(lines)};
}

}  // namespace verrimo
