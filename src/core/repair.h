// A definition brought back in line with its pages as they are now: each line the walker would
// write differently today is rewritten as the walker writes it, and what cannot be told from the
// page is left as it was and named as the user's to decide. Only text changes; nothing is sent.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "form_request.h"
#include "parsed_definition.h"
#include "repair_change.h"

namespace verrimo {

struct RepairResult {
    std::string text;                   // the repaired definition, in the code page, CR LF
    std::vector<RepairChange> changes;  // in line order
    bool changed() const;               // any change, open questions included
    bool needsUser() const;             // any open question
};

// The definition (read in cp) repaired against the pages as they are now, each step against its
// own page as the request builder picks it.
RepairResult repairDefinition(const ParsedDefinition& definition, std::span<const ReadPage> pages,
                              const CodePage& cp);

// "renamed", "added", "removed", "action", "choices", "charset", "submit-renamed", "needs-you".
std::string_view repairKindId(RepairKind kind);

}  // namespace verrimo
