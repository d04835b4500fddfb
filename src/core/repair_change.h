// One change a repair makes to a definition, or one question it leaves to the user.
#pragma once

#include <cstddef>
#include <string>

namespace verrimo {

enum class RepairKind {
    Renamed,        // the field's new name, its value or keyword kept
    Added,          // a new hidden field's line
    Removed,        // a field the form no longer has: its line dropped
    Action,         // the form's new action
    Choices,        // a choice list as the walker lists the control now
    Charset,        // literals written for the page's new charset
    SubmitRenamed,  // a submit button's new name or value
    NeedsYou,       // left as it was: the page does not tell
};

struct RepairChange {
    std::size_t line = 0;  // zero-based line of the old definition it concerns
    RepairKind kind = RepairKind::NeedsYou;
    std::string message;  // Japanese, UTF-8, naming the fields
    bool needsUser = false;
};

}  // namespace verrimo
