#include "parsed_definition.h"

#include <atomic>

#include "memo_text.h"

namespace verrimo {

namespace {

std::atomic<std::size_t> parses{0};

// A referrer line waits for its target; the field lines after the target belong to the step
// until the next referrer line.
std::vector<DefinitionStep> stepsOfLines(const std::vector<LineReport>& lines) {
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<DefinitionStep> steps;
    std::size_t referrer = kNone;  // a referrer line still waiting for its target
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineReport& line = lines[i];
        if (line.shape == LineShape::Referrer) {
            referrer = i;
        } else if (line.shape == LineShape::Target && referrer != kNone) {
            if (!steps.empty()) steps.back().end = referrer;
            steps.push_back({referrer, i, {}, {}, {}, lines.size()});
            referrer = kNone;
        } else if (line.shape == LineShape::Field && !steps.empty() && referrer == kNone) {
            steps.back().fields.push_back({i, line.key, line.value});
        }
    }
    // The dash and check-string lines may stand anywhere in the step, after the pasted fields.
    for (DefinitionStep& step : steps)
        for (std::size_t i = step.targetLine + 1; i < step.end; ++i) {
            if (lines[i].shape == LineShape::Dash && !step.dashLine) step.dashLine = i;
            if (lines[i].shape == LineShape::CheckString && !step.checkLine) step.checkLine = i;
        }
    return steps;
}

}  // namespace

std::optional<std::string_view> ParsedDefinition::checkString(const DefinitionStep& step) const {
    if (!step.checkLine) return std::nullopt;
    return value(*step.checkLine);
}

std::shared_ptr<const ParsedDefinition> parseDefinition(std::string text, const CodePage& cp) {
    ++parses;
    // The views point into the text held by the value itself, which never moves.
    std::shared_ptr<ParsedDefinition> parsed(new ParsedDefinition(std::move(text)));
    parsed->lines_ = splitLines(parsed->text_);
    parsed->report_ = checkDefinition(parsed->lines_, cp);
    parsed->steps_ = stepsOfLines(parsed->report_.lines);
    return parsed;
}

std::size_t definitionParses() {
    return parses.load();
}

}  // namespace verrimo
