#include <string>

#include "classify_steps.h"

namespace verrimo {

void autoLookup(Proposal& proposal, const std::vector<std::string_view>& autoList) {
    const std::string key = proposal.name + "=";
    for (const std::string_view line : autoList) {
        if (line.find(key) == std::string_view::npos) continue;
        // The key may stand inside the line (id= in userid=); the value still follows the
        // line's first "=".
        const std::string_view value = line.substr(line.find('=') + 1);
        if (proposal.cb3.empty())
            proposal.cb3 = value;
        else
            proposal.cb3Items.emplace_back(value);
    }
}

}  // namespace verrimo
