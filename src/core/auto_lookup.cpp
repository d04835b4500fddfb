#include "classify_steps.h"

namespace verrimo {

void autoLookup(Proposal& proposal, const AutoList& autoList) {
    for (const std::string_view value : autoList.values(proposal.name)) {
        if (proposal.autoValue.empty())
            proposal.autoValue = value;
        else
            proposal.autoChoices.emplace_back(value);
    }
}

}  // namespace verrimo
