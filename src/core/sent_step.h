// A step of the road once it was sent: the texts of its answer proposed as its check string, and
// the check string the user chose written into the step.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "page_forms.h"
#include "parsed_definition.h"

namespace verrimo {

// A page as it was received.
struct ReceivedPage {
    std::string_view body;
    std::string_view contentType;
};

// What checkStringCandidates proposes from the answer, against the page the step was sent from
// (none: an empty body), each page read in its own charset; as text of cp, without those that
// cp cannot write.
std::vector<std::string> checkStringProposals(ReceivedPage answer, ReceivedPage previous,
                                              const CodePage& cp);

// The definition and the holding area, both memo texts in cp.
struct StepTexts {
    std::string definition;
    std::string held;
};

// The sent step, the definition's last, gets check as its check string. Its place: the first
// check-string line after the last target line; else the first one the holding area keeps, the
// held lines then going below the definition and the holding area emptied; else a dash line and
// a check-string line appended. Every other byte stays.
StepTexts closeSentStep(const ParsedDefinition& definition, std::string_view held,
                        std::string_view check, const CodePage& cp);

// Whether the answer holds the sent form again: the same action and method, and controls of the
// same names in the same order. A site that refuses the values mostly answers with its form.
bool formCameBack(const Form& sent, const std::vector<Form>& answer);

}  // namespace verrimo
