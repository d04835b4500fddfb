// A definition read once: its lines, what the checker says of each, and its steps. The checker,
// the request builder and the road all take this one value, so that the text is cut into lines
// and taken apart only once however many of them look at it.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "definition_check.h"

namespace verrimo {

// A field line of a step: the line and where its name (before the "=") and value stand in it.
struct StepField {
    std::size_t line = 0;
    Span name;
    Span value;
};

// A step: a referrer line, the target line that answers it, and the lines after the target up
// to the next step's referrer line. Line numbers count from 0.
struct DefinitionStep {
    std::size_t referrerLine = 0;
    std::size_t targetLine = 0;
    // The field lines after the target line, in order; none after a later referrer line that
    // still waits for its target.
    std::vector<StepField> fields;
    std::optional<std::size_t> dashLine;   // the first dash line after the target line
    std::optional<std::size_t> checkLine;  // the first check-string line after the target line
    std::size_t end = 0;                   // the next step's referrer line, or the number of lines
};

class ParsedDefinition {
  public:
    ParsedDefinition(const ParsedDefinition&) = delete;
    ParsedDefinition& operator=(const ParsedDefinition&) = delete;

    // The definition's bytes, in the code page it was read in.
    const std::string& text() const { return text_; }
    // As splitLines cuts the text; views into text().
    const std::vector<std::string_view>& lines() const { return lines_; }
    // The checker's report: one LineReport per line and the findings.
    const DefinitionReport& report() const { return report_; }
    const std::vector<DefinitionStep>& steps() const { return steps_; }

    // The bytes of a span of a line.
    std::string_view part(std::size_t line, Span span) const {
        return lines_[line].substr(span.begin, span.end - span.begin);
    }
    // Before the line's "=" and after it; empty for a line without one.
    std::string_view key(std::size_t line) const { return part(line, report_.lines[line].key); }
    std::string_view value(std::size_t line) const { return part(line, report_.lines[line].value); }

    // The referrer address as the step's referrer line writes it.
    std::string_view referrer(const DefinitionStep& step) const { return value(step.referrerLine); }
    // The step's check string; none without a check-string line.
    std::optional<std::string_view> checkString(const DefinitionStep& step) const;

  private:
    friend std::shared_ptr<const ParsedDefinition> parseDefinition(std::string text,
                                                                   const CodePage& cp);
    explicit ParsedDefinition(std::string text) : text_(std::move(text)) {}

    const std::string text_;
    std::vector<std::string_view> lines_;
    DefinitionReport report_;
    std::vector<DefinitionStep> steps_;
};

// Reads the definition's bytes, in cp, once.
std::shared_ptr<const ParsedDefinition> parseDefinition(std::string text, const CodePage& cp);

// How many definitions parseDefinition has read in this process, on every thread: what a test
// counts to see that a text is read once.
std::size_t definitionParses();

}  // namespace verrimo
