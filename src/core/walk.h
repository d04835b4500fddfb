// The tag walker's logic without its window: the accepted line and a walk that accepts every
// proposal.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "auto_list.h"
#include "classify.h"

namespace verrimo {

// The walker's controls as created: each field shows its own name, no row is selected.
Proposal initialProposal();

// The definition line that accepting the proposal appends; none when no row is selected.
std::optional<std::string> acceptedLine(const Proposal& proposal);

// Shows the walker on the required-tag list and accepts every proposal until the walk ends.
// visit sees the tag text and the outcome of each classification, the ending one included.
// Returns the appended lines in order.
std::vector<std::string> walkAcceptingAll(
    const TagLines& required, const AutoList& autoList, bool getValueDefault, const CodePage& cp,
    const std::function<void(std::string_view tag, const Classification&)>& visit);

}  // namespace verrimo
