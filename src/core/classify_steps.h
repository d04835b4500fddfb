// The pieces of one classification that read beyond the tag itself: the auto list and the
// lines after the current one.
#pragma once

#include <string_view>

#include "auto_list.h"
#include "classify.h"

namespace verrimo {

struct ClassifyInput {
    const TagLines& required;
    const AutoList& autoList;
    const CodePage& cp;
};

// Offers the auto-list values stored for the proposal's field name in CB3: the first match
// as its text, every later one in its item list.
void autoLookup(Proposal& proposal, const AutoList& autoList);

// Gathers the select element from the current line on into one choice list and moves the
// index onto the closing line, or onto the last line taken when none comes.
void gatherSelect(Classification& out, const ClassifyInput& in);

// Gathers the radio group that starts with this tag: every following line of the same name.
// names and values are the two working copies of the tag text.
void gatherRadio(Classification& out, std::string_view names, std::string_view values,
                 const ClassifyInput& in);

}  // namespace verrimo
