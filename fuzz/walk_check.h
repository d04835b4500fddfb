// The walk over fuzzed tag lists: it must end, and every step must leave the walker a line of
// the list as its index.
#pragma once

#include <string_view>

#include "codepage.h"

namespace verrimo {

// Walks the extracted required-tag list, and the raw page lines as if they were one, accepting
// every proposal, with the page's beginning as auto.txt; aborts when a step breaks the walker's
// rules or the auto list's index answers otherwise than a scan of its lines.
void checkWalks(std::string_view requiredTags, std::string_view page, const CodePage& cp);

}  // namespace verrimo
