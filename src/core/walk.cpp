#include "walk.h"

#include "definition.h"

namespace verrimo {

Proposal initialProposal() {
    Proposal p;
    p.name = "Edit_name";
    p.fixedValue = "Edit_val";
    p.operand = "Edit_zem";
    p.autoValue = "CB3";
    return p;
}

std::optional<std::string> acceptedLine(const Proposal& p) {
    switch (p.row) {
        case Row::Identity:
            return definition::fieldLine(p.name, p.identity);
        case Row::FixedValue:
            return definition::fieldLine(p.name, p.fixedValue);
        case Row::Expression:
            return definition::fieldLine(p.name, definition::expression(p.expression, p.operand));
        case Row::Auto:
            return definition::fieldLine(p.name, p.autoValue);
        case Row::None:
            break;
    }
    return std::nullopt;
}

std::vector<std::string> walkAcceptingAll(
    const TagLines& required, const AutoList& autoList, bool getValueDefault, const CodePage& cp,
    const std::function<void(std::string_view tag, const Classification&)>& visit) {
    std::vector<std::string> appended;
    Classification state{initialProposal(), 0, false};
    for (;;) {
        const std::string tag = required.line(state.index);
        state = classifyTag(tag, state.index, required, autoList, getValueDefault,
                            std::move(state.proposal), cp);
        visit(tag, state);
        if (state.end) return appended;
        if (auto line = acceptedLine(state.proposal)) appended.push_back(std::move(*line));
        ++state.index;
    }
}

}  // namespace verrimo
