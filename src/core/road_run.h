// A trial run of a finished definition: its steps in order against the site, each built on the
// page it was written for, each sent only once the caller said so.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "form_request.h"
#include "parsed_definition.h"
#include "password_mask.h"
#include "sealed_text.h"
#include "step_answer.h"

namespace verrimo {

// Loads or sends one request and returns the answer. A GET of a referrer page comes with no
// header; a step comes as definitionRequests built it.
using RoadSend = std::function<StepAnswer(const StepRequest&)>;

enum class SendChoice {
    Send,     // this step
    SendAll,  // this step and the rest without asking again
    Abort,    // nothing more
};

enum class StepOutcome {
    Passed,        // sent; a page came, with the check string where the step has one
    Stopped,       // not sent: a page finding says the step no longer fits its page
    CheckMissing,  // sent; the answer lacks the step's check string
    NotFetched,    // the referrer page or the answer did not come (a network error, not 2xx)
    Declined,      // not sent: the caller said no
    Cancelled,     // the cancel flag was raised
};

struct RoadStep {
    std::size_t index = 0;  // among the definition's steps, from 0
    // As sent (or as it would have been), the password masked; Referer and Origin as the first
    // request of the answer sent them once it is sent.
    StepRequest request;
    // The GET of the referrer page, when the previous answer was not that page.
    std::optional<StepAnswer> referrerPage;
    StepAnswer answer;                       // empty until sent
    std::optional<std::string> checkString;  // the step's chk-moji value, when not empty
    bool checkFound = false;
    StepOutcome outcome = StepOutcome::Passed;
};

struct RoadRunOptions {
    // The identity keywords' values but the password, which is not read from here.
    SampleValues samples;
    // The password, opened only while a step that sends it is built and sent, and while an
    // answer is searched for it; the run's plain copies are overwritten once used.
    SealedText password;
    std::size_t until = std::numeric_limits<std::size_t>::max();  // how many steps to run
    bool pageCodePage = false;  // read each page in the code page of its own charset
    // Raised by another thread: the run ends before its next request. The caller's send should
    // look at it too, so that a transfer under way stops.
    const std::atomic<bool>* cancel = nullptr;
};

struct RoadCallbacks {
    RoadSend send;
    // Asked before each step is sent, with the step as it will go (outcome not yet known). No
    // ask function: nothing is sent.
    std::function<SendChoice(const RoadStep&)> ask;
    // Each step once its outcome is known, the last one too.
    std::function<void(const RoadStep&)> stepDone;
};

// Whether a finding's rule stops its step before it is sent: the form is gone, or the
// definition names a field the form does not have. Both say that the site changed since the
// definition was written; a request sent all the same would only be refused or go astray.
bool findingStopsStep(std::string_view rule);

// The definition's step-th step (from 0) built as runRoad builds it: against the page of forms
// alone (none without), the identity keywords from samples. None when the definition has fewer
// steps.
std::optional<StepRequest> stepOnPage(const ParsedDefinition& definition, std::size_t step,
                                      std::shared_ptr<const PageForms> forms,
                                      const SampleValues& samples, const CodePage& cp);

// Overwrites the texts of a request that may hold a password, then empties them.
void wipeRequest(StepRequest& request);

// Masks the password that sent carried, wherever the site put it in the answer's addresses, the
// hosts it went to and its message.
void maskSentPassword(const StepRequest& sent, StepAnswer& answer);

// Runs the definition (read in cp) step by step, up to options.until steps or the first step
// that does not pass. For each step: the referrer page is the previous answer when the referrer
// line is that answer's address, else a GET of it; the step's request is built against that
// page (Zem-GetValue from it, identity keywords from the samples); a finding that stops the step
// ends the run; then the caller is asked, the step is sent and its answer searched for the check
// string. Every answer of the run has the password masked, in any form the site wrote it back.
// Returns the outcome of the last step run; Passed also for a definition without steps.
StepOutcome runRoad(const ParsedDefinition& definition, const CodePage& cp,
                    const RoadRunOptions& options, const RoadCallbacks& callbacks);

}  // namespace verrimo
