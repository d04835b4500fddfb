#include "sent_step.h"

#include <algorithm>
#include <optional>

#include "charset.h"
#include "check_strings.h"
#include "definition.h"
#include "definition_check.h"
#include "form_charset.h"
#include "memo_text.h"

namespace verrimo {

namespace {

std::string utf8Of(ReceivedPage page, const CodePage& cp) {
    const auto own = browserCodePage(detectCharset(page.body, page.contentType));
    return (own ? *own : cp).toUtf8(page.body);
}

// The first check-string line at or after line `from`, a view into the text of the lines.
std::optional<std::string_view> checkStringLineOf(const std::vector<std::string_view>& lines,
                                                  const std::vector<LineReport>& reports,
                                                  std::size_t from) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (reports[i].shape == LineShape::CheckString) return lines[i];
    return std::nullopt;
}

// The text with that line (a view into it) replaced.
std::string replaced(std::string_view text, std::string_view line, std::string_view by) {
    const auto at = static_cast<std::size_t>(line.data() - text.data());
    std::string out(text.substr(0, at));
    out += by;
    out += text.substr(at + line.size());
    return out;
}

std::size_t afterLastTarget(const std::vector<LineReport>& reports) {
    const auto last = std::find_if(reports.rbegin(), reports.rend(), [](const LineReport& r) {
        return r.shape == LineShape::Target;
    });
    return last == reports.rend() ? 0 : static_cast<std::size_t>(reports.rend() - last);
}

}  // namespace

std::vector<std::string> checkStringProposals(ReceivedPage answer, ReceivedPage previous,
                                              const CodePage& cp) {
    const CodePage utf8("UTF-8");
    std::vector<std::string> proposals;
    for (const std::string& text :
         checkStringCandidates(utf8Of(answer, cp), utf8Of(previous, cp), utf8)) {
        std::string own = cp.fromUtf8(text);
        if (cp.toUtf8(own) == text) proposals.push_back(std::move(own));
    }
    return proposals;
}

StepTexts closeSentStep(const ParsedDefinition& definition, std::string_view held,
                        std::string_view check, const CodePage& cp) {
    const std::string line = definition::checkStringLine(check);
    const std::vector<LineReport>& reports = definition.report().lines;
    if (const auto own = checkStringLineOf(definition.lines(), reports, afterLastTarget(reports)))
        return {replaced(definition.text(), *own, line), std::string(held)};
    std::string text(definition.text());
    const std::vector<std::string_view> heldLines = splitLines(held);
    if (const auto waiting =
            checkStringLineOf(heldLines, checkDefinition(heldLines, cp).lines, 0)) {
        forEachLine(replaced(held, *waiting, line),
                    [&](std::string_view heldLine) { addLine(text, heldLine); });
        return {std::move(text), {}};
    }
    addLine(text, definition::kDashLine);
    addLine(text, line);
    return {std::move(text), std::string(held)};
}

bool formCameBack(const Form& sent, const std::vector<Form>& answer) {
    return std::any_of(answer.begin(), answer.end(), [&](const Form& form) {
        return form.action == sent.action && form.method == sent.method &&
               std::equal(form.controls.begin(), form.controls.end(), sent.controls.begin(),
                          sent.controls.end(), [](const FormControl& a, const FormControl& b) {
                              return a.name == b.name && a.type == b.type;
                          });
    });
}

}  // namespace verrimo
