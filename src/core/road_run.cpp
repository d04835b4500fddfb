#include "road_run.h"

#include <algorithm>
#include <memory>

#include "charset.h"
#include "definition.h"
#include "definition_check.h"
#include "extract_page.h"
#include "form_charset.h"
#include "memo_text.h"
#include "replace_text.h"
#include "url.h"
#include "wipe_text.h"

namespace verrimo {

namespace {

namespace def = definition;

constexpr std::string_view kStoppingRules[] = {"form-missing", "field-unknown", "url-invalid"};

std::string_view valueOf(std::string_view line) {
    const std::size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
}

// The lines of one step: from its referrer line up to the next step's.
struct StepSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t target = 0;
};

std::vector<StepSpan> stepSpans(std::string_view definition, std::size_t lineCount,
                                const CodePage& cp) {
    std::vector<StepSpan> spans;
    for (const StepRequest& r :
         definitionRequests(definition, checkDefinition(definition, cp), {}, {}, cp)) {
        if (!spans.empty()) spans.back().end = r.referrerLine;
        spans.push_back({r.referrerLine, lineCount, r.targetLine});
    }
    return spans;
}

// A step's request against its page (none when it has none). The lines before the step are left
// blank, so that it is the first and keeps its line numbers, and its referrer line is the address
// it was resolved to, which the page is said to come from.
StepRequest requestOnPage(const std::vector<std::string_view>& lines, const StepSpan& span,
                          std::string_view referrer, std::shared_ptr<const PageForms> forms,
                          const SampleValues& samples, const CodePage& cp) {
    std::string text;
    for (std::size_t i = 0; i < span.end; ++i) {
        if (i == span.begin)
            text += def::referrerLine(referrer);
        else if (i > span.begin)
            text += lines[i];
        text += "\r\n";
    }
    const bool any = forms != nullptr;
    const ReadPage page{std::move(forms), std::string(referrer)};
    return std::move(
        definitionRequests(text, checkDefinition(text, cp), {&page, any ? 1u : 0u}, samples, cp)
            .front());
}

// The step's check string: the first chk-moji line after its target line.
std::optional<std::string> checkStringOf(const std::vector<std::string_view>& lines,
                                         const std::vector<LineReport>& reports,
                                         const StepSpan& span) {
    for (std::size_t i = span.target + 1; i < span.end; ++i) {
        if (reports[i].shape != LineShape::CheckString) continue;
        const std::string_view value = valueOf(lines[i]);
        if (value.empty()) return std::nullopt;
        return std::string(value);
    }
    return std::nullopt;
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

// Every way the password went into the request, longest first.
std::vector<std::string> passwordForms(const StepRequest& request) {
    std::vector<std::string> forms;
    for (const RequestField& f : request.fields) {
        if (f.sampleOf != def::kPass || f.value.empty()) continue;
        forms.push_back(formUrlEncoded(f.value));
        forms.push_back(f.value);
    }
    std::sort(forms.begin(), forms.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    return forms;
}

// The answer's addresses and message with the password masked, wherever the site put it.
void maskPassword(StepAnswer& answer, const std::vector<std::string>& forms, const CodePage& cp) {
    const auto mask = [&](std::string& text) {
        for (const std::string& form : forms) {
            if (text.find(form) == std::string::npos) continue;
            std::string masked = replaceText(text, form, kMaskedPassword, Replace::Every, cp);
            wipeText(text);
            text = std::move(masked);
        }
    };
    for (AnswerHop& hop : answer.hops) {
        mask(hop.url);
        mask(hop.referer);
    }
    mask(answer.url);
    mask(answer.error);
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
    RoadRun(std::string_view definition, const CodePage& cp, const RoadRunOptions& options,
            const RoadCallbacks& callbacks)
        : lines_(splitLines(definition)),
          reports_(checkDefinition(definition, cp).lines),
          spans_(stepSpans(definition, lines_.size(), cp)),
          cp_(cp),
          options_(options),
          callbacks_(callbacks) {
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
        const std::size_t count = std::min(spans_.size(), options_.until);
        for (std::size_t i = 0; i < count && outcome == StepOutcome::Passed; ++i) {
            RoadStep step;
            step.index = i;
            outcome = runStep(spans_[i], step);
            step.outcome = outcome;
            if (callbacks_.stepDone) callbacks_.stepDone(step);
        }
        return outcome;
    }

  private:
    bool cancelled() const { return options_.cancel && options_.cancel->load(); }

    StepOutcome runStep(const StepSpan& span, RoadStep& step) {
        step.checkString = checkStringOf(lines_, reports_, span);
        if (cancelled()) return StepOutcome::Cancelled;
        const std::string referrer = referrerOf(span);
        // The page the step was written on: the answer just read, or a load of its address.
        const bool onAnswer = hasPrevious_ && previous_.url == referrer;
        if (!onAnswer) {
            step.referrerPage = callbacks_.send(pageLoad(referrer));
            if (cancelled()) return StepOutcome::Cancelled;
            if (!step.referrerPage->fetched()) {
                step.request = requestOnPage(lines_, span, referrer, nullptr, masked_, cp_);
                return StepOutcome::NotFetched;
            }
        }
        const StepAnswer& page = onAnswer ? previous_ : *step.referrerPage;
        const std::shared_ptr<const PageForms> forms =
            readPage({page.body, page.contentType, referrer}, cp_,
                     {.pageCodePage = options_.pageCodePage, .forms = true})
                .forms;
        step.request = requestOnPage(lines_, span, referrer, forms, masked_, cp_);
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
        StepRequest real = requestOnPage(lines_, span, referrer, forms, options_.samples, cp_);
        const WipeAtEnd wiped([&] { wipeRequest(real); });
        step.answer = callbacks_.send(real);
        keepAsPrevious(step.answer);
        maskSentPassword(real, step.answer, cp_);
        headersAsSent(step.request, step.answer);
        if (cancelled()) return StepOutcome::Cancelled;
        if (!step.answer.fetched()) return StepOutcome::NotFetched;
        if (step.checkString) {
            step.checkFound = holdsCheckString(step.answer, *step.checkString, cp_);
            if (!step.checkFound) return StepOutcome::CheckMissing;
        }
        return StepOutcome::Passed;
    }

    // The referrer line's address as a browser asks for it, resolved against the last answer.
    std::string referrerOf(const StepSpan& span) const {
        const std::string_view written = valueOf(lines_[span.begin]);
        const std::string resolved =
            resolveUrl(hasPrevious_ ? previous_.url : std::string(), written, cp_)
                .value_or(std::string(written));
        return requestedUrl(resolved, &cp_);
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

    std::vector<std::string_view> lines_;
    std::vector<LineReport> reports_;
    std::vector<StepSpan> spans_;
    const CodePage& cp_;
    const RoadRunOptions& options_;
    const RoadCallbacks& callbacks_;
    SampleValues masked_;
    StepAnswer previous_;  // the last step's answer, its addresses as they were
    bool hasPrevious_ = false;
    bool sendAll_ = false;
};

}  // namespace

std::optional<StepRequest> stepOnPage(std::string_view definition, std::size_t step,
                                      std::shared_ptr<const PageForms> forms,
                                      const SampleValues& samples, const CodePage& cp) {
    const std::vector<std::string_view> lines = splitLines(definition);
    const std::vector<StepSpan> spans = stepSpans(definition, lines.size(), cp);
    if (step >= spans.size()) return std::nullopt;
    const StepSpan& span = spans[step];
    return requestOnPage(lines, span, valueOf(lines[span.begin]), std::move(forms), samples, cp);
}

void wipeRequest(StepRequest& request) {
    wipeText(request.url);
    wipeText(request.body);
    for (RequestField& f : request.fields) wipeText(f.value);
}

void maskSentPassword(const StepRequest& sent, StepAnswer& answer, const CodePage& cp) {
    std::vector<std::string> secrets = passwordForms(sent);
    const WipeAtEnd wiped([&] {
        for (std::string& secret : secrets) wipeText(secret);
    });
    maskPassword(answer, secrets, cp);
}

bool findingStopsStep(std::string_view rule) {
    return std::find(std::begin(kStoppingRules), std::end(kStoppingRules), rule) !=
           std::end(kStoppingRules);
}

StepOutcome runRoad(std::string_view definition, const CodePage& cp, const RoadRunOptions& options,
                    const RoadCallbacks& callbacks) {
    return RoadRun(definition, cp, options, callbacks).run();
}

}  // namespace verrimo
