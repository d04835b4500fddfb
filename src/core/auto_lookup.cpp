#include "classify_steps.h"

namespace verrimo {

void autoLookup(Proposal& proposal, const AutoList& autoList) {
    for (const std::string_view value : autoList.values(proposal.name)) {
        if (proposal.cb3.empty())
            proposal.cb3 = value;
        else
            proposal.cb3Items.emplace_back(value);
    }
}

}  // namespace verrimo
