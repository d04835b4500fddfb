#include "road_run.h"

#include <algorithm>
#include <memory>

#include "charset.h"
#include "definition.h"
#include "extract_page.h"
#include "form_charset.h"
#include "replace_text.h"
#include "wipe_text.h"

namespace verrimo {

namespace {

namespace def = definition;

constexpr std::string_view kStoppingRules[] = {"form-missing", "field-unknown", "url-invalid"};

// A step's request against its page (none when it has none), its referrer line read as the
// address it was resolved to, which the page is said to come from.
StepRequest requestOnPage(const ParsedDefinition& definition, std::size_t step,
                          std::string_view referrer, std::shared_ptr<const PageForms> forms,
                          const SampleValues& samples, const CodePage& cp) {
    const bool any = forms != nullptr;
    const ReadPage page{std::move(forms), std::string(referrer)};
    return stepRequest(definition, step, referrer, {&page, any ? 1u : 0u}, samples, cp);
}

// The step's check string, when it has one that is not empty.
std::optional<std::string> checkStringOf(const ParsedDefinition& definition,
                                         const DefinitionStep& step) {
    const std::optional<std::string_view> check = definition.checkString(step);
    if (!check || check->empty()) return std::nullopt;
    return std::string(*check);
}

// Whether the answer holds the check string, read as text of the answer's own charset.
bool holdsCheckString(const StepAnswer& answer, const std::string& check, const CodePage& cp) {
    const auto pageCp = browserCodePage(detectCharset(answer.body, answer.contentType));
    const CodePage& in = pageCp ? *pageCp : cp;
    const std::string needle = in.name() == cp.name() ? check : in.fromUtf8(cp.toUtf8(check));
    return findText(answer.body, needle, 0, in) != std::string_view::npos;
}

// A GET of a page's address, as typed into the address bar: no header of its own.
StepRequest pageLoad(const std::string& url) {
    StepRequest load;
    load.method = "GET";
    load.url = url;
    return load;
}

// The password as each field that carried it sent it.
std::vector<std::string> passwordForms(const StepRequest& request) {
    std::vector<std::string> forms;
    for (const RequestField& f : request.fields)
        if (f.sampleOf == def::kPass) forms.push_back(f.value);
    return forms;
}

// The answer's addresses, hosts and message with the secrets masked, wherever the site put them.
void maskAnswer(StepAnswer& answer, const std::vector<std::string>& secrets) {
    const auto mask = [&](std::string& text) {
        std::string masked = maskSecrets(text, secrets);
        wipeText(text);
        text = std::move(masked);
    };
    for (AnswerHop& hop : answer.hops) {
        mask(hop.url);
        mask(hop.referer);
    }
    for (std::string& host : answer.otherHosts) mask(host);
    mask(answer.url);
    mask(answer.error);
}

void wipeAll(std::vector<std::string>& texts) {
    for (std::string& text : texts) wipeText(text);
}

// The request's Referer and Origin as its first request sent them.
void headersAsSent(StepRequest& request, const StepAnswer& answer) {
    if (answer.hops.empty()) return;
    const AnswerHop& first = answer.hops.front();
    auto& headers = request.headers;
    std::erase_if(headers,
                  [](const auto& h) { return h.first == "Referer" || h.first == "Origin"; });
    if (!first.referer.empty()) headers.emplace_back("Referer", first.referer);
    if (!first.origin.empty()) headers.emplace_back("Origin", first.origin);
}

class RoadRun {
  public:
    RoadRun(const ParsedDefinition& definition, const CodePage& cp, const RoadRunOptions& options,
            const RoadCallbacks& callbacks)
        : definition_(definition), cp_(cp), options_(options), callbacks_(callbacks) {
        masked_ = options.samples;
        wipeText(masked_.password);
        masked_.password = kMaskedPassword;
    }
    ~RoadRun() {
        wipeText(previous_.url);
        wipeText(previous_.body);
    }
    RoadRun(const RoadRun&) = delete;
    RoadRun& operator=(const RoadRun&) = delete;

    StepOutcome run() {
        StepOutcome outcome = StepOutcome::Passed;
        const std::size_t count = std::min(definition_.steps().size(), options_.until);
        for (std::size_t i = 0; i < count && outcome == StepOutcome::Passed; ++i) {
            RoadStep step;
            step.index = i;
            outcome = runStep(step);
            step.outcome = outcome;
            if (callbacks_.stepDone) callbacks_.stepDone(step);
        }
        return outcome;
    }

  private:
    bool cancelled() const { return options_.cancel && options_.cancel->load(); }

    StepOutcome runStep(RoadStep& step) {
        const DefinitionStep& own = definition_.steps()[step.index];
        step.checkString = checkStringOf(definition_, own);
        if (cancelled()) return StepOutcome::Cancelled;
        const std::string referrer = referrerOf(own);
        // The page the step was written on: the answer just read, or a load of its address.
        const bool onAnswer = hasPrevious_ && previous_.url == referrer;
        if (!onAnswer) {
            step.referrerPage = callbacks_.send(pageLoad(referrer));
            // The site has had the password since the first step sent it.
            mask(*step.referrerPage);
            if (cancelled()) return StepOutcome::Cancelled;
            if (!step.referrerPage->fetched()) {
                step.request =
                    requestOnPage(definition_, step.index, referrer, nullptr, masked_, cp_);
                return StepOutcome::NotFetched;
            }
        }
        const StepAnswer& page = onAnswer ? previous_ : *step.referrerPage;
        const std::shared_ptr<const PageForms> forms =
            readPage({page.body, page.contentType, referrer}, cp_,
                     {.pageCodePage = options_.pageCodePage, .forms = true})
                .forms;
        step.request = requestOnPage(definition_, step.index, referrer, forms, masked_, cp_);
        const auto& findings = step.request.findings;
        if (std::any_of(findings.begin(), findings.end(),
                        [](const PageFinding& f) { return findingStopsStep(f.rule); }))
            return StepOutcome::Stopped;

        if (!sendAll_) {
            const SendChoice choice = callbacks_.ask ? callbacks_.ask(step) : SendChoice::Abort;
            if (choice == SendChoice::Abort) return StepOutcome::Declined;
            sendAll_ = choice == SendChoice::SendAll;
        }
        if (cancelled()) return StepOutcome::Cancelled;
        SampleValues samples = options_.samples;
        samples.password = options_.password.open();
        StepRequest real = requestOnPage(definition_, step.index, referrer, forms, samples, cp_);
        const WipeAtEnd wiped([&] {
            wipeText(samples.password);
            wipeRequest(real);
            wipeStackBelow();
        });
        step.answer = callbacks_.send(real);
        keepAsPrevious(step.answer);
        rememberSent(real, samples.password);
        mask(step.answer);
        headersAsSent(step.request, step.answer);
        if (cancelled()) return StepOutcome::Cancelled;
        if (!step.answer.fetched()) return StepOutcome::NotFetched;
        if (step.checkString) {
            step.checkFound = holdsCheckString(step.answer, *step.checkString, cp_);
            if (!step.checkFound) return StepOutcome::CheckMissing;
        }
        return StepOutcome::Passed;
    }

    // The forms of the password the site has once the request went: as each field sent it, as
    // the definition has it, and in UTF-8, as a site may write it back.
    void rememberSent(const StepRequest& sent, const std::string& password) {
        std::vector<std::string> forms = passwordForms(sent);
        if (forms.empty()) return;
        forms.push_back(password);
        forms.push_back(cp_.toUtf8(password));
        for (std::string& form : forms) secrets_.emplace_back(form);
    }

    // Masks every form of the password sent so far in the answer.
    void mask(StepAnswer& answer) const {
        std::vector<std::string> plain;
        const WipeAtEnd wiped([&] { wipeAll(plain); });
        for (const SealedText& secret : secrets_) plain.push_back(secret.open());
        maskAnswer(answer, plain);
    }

    // The referrer line's address as a browser asks for it, resolved against the last answer.
    std::string referrerOf(const DefinitionStep& step) const {
        return referrerAddress(hasPrevious_ ? previous_.url : std::string(),
                               definition_.referrer(step), cp_);
    }

    void keepAsPrevious(const StepAnswer& answer) {
        wipeText(previous_.url);
        wipeText(previous_.body);
        previous_ = {};
        previous_.url = answer.url;
        previous_.body = answer.body;
        previous_.contentType = answer.contentType;
        hasPrevious_ = true;
    }

    const ParsedDefinition& definition_;
    const CodePage& cp_;
    const RoadRunOptions& options_;
    const RoadCallbacks& callbacks_;
    SampleValues masked_;
    std::vector<SealedText> secrets_;  // every form of the password the site has
    StepAnswer previous_;              // the last step's answer, its addresses as they were
    bool hasPrevious_ = false;
    bool sendAll_ = false;
};

}  // namespace

std::optional<StepRequest> stepOnPage(const ParsedDefinition& definition, std::size_t step,
                                      std::shared_ptr<const PageForms> forms,
                                      const SampleValues& samples, const CodePage& cp) {
    if (step >= definition.steps().size()) return std::nullopt;
    return requestOnPage(definition, step, definition.referrer(definition.steps()[step]),
                         std::move(forms), samples, cp);
}

void wipeRequest(StepRequest& request) {
    wipeText(request.url);
    wipeText(request.body);
    for (RequestField& f : request.fields) wipeText(f.value);
}

void maskSentPassword(const StepRequest& sent, StepAnswer& answer) {
    std::vector<std::string> secrets = passwordForms(sent);
    const WipeAtEnd wiped([&] { wipeAll(secrets); });
    maskAnswer(answer, secrets);
}

bool findingStopsStep(std::string_view rule) {
    return std::find(std::begin(kStoppingRules), std::end(kStoppingRules), rule) !=
           std::end(kStoppingRules);
}

StepOutcome runRoad(const ParsedDefinition& definition, const CodePage& cp,
                    const RoadRunOptions& options, const RoadCallbacks& callbacks) {
    return RoadRun(definition, cp, options, callbacks).run();
}

}  // namespace verrimo
