// The requests a definition makes: for each step (a referrer line, a target line and the field
// lines up to the next referrer line), what a browser would send for the same form filled in
// with the definition's values; and where the definition no longer fits its page.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "page_forms.h"
#include "parsed_definition.h"

namespace verrimo {

// What stands for the identity keywords in a request; the host fills in the user's own.
struct SampleValues {
    std::string id = "user";
    std::string password = "password";
    std::string email = "user@example.org";
};

struct RequestField {
    std::size_t line = 0;  // of the definition, from 0
    std::string name;      // bytes as sent, in the form's charset, before serialisation
    std::string value;
    std::string sampleOf;  // the keyword or expression a sample value stands for; empty otherwise
};

struct PageFinding {
    std::size_t line = 0;
    std::string rule;
    std::string message;  // Japanese, UTF-8
    // What the line's value, after its "=", must be for the host to send what a browser sends,
    // in the definition's code page; none when the finding has no such value to offer.
    std::optional<std::string> browserValue = std::nullopt;
};

// Whether a step was checked against its own page: the page loaded from its referrer, or pasted
// source that holds its form. A step whose page is not loaded has no findings.
enum class PageCheck {
    Checked,
    NotLoaded,  // pages are loaded, but not this step's
    NoPages,    // no page is loaded at all
};

struct ReadPage;

struct StepRequest {
    std::size_t referrerLine = 0;
    std::size_t targetLine = 0;
    std::string kind;    // of the target line
    std::string method;  // "GET" or "POST"
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string charset;  // what the form's values are sent in
    std::vector<RequestField> fields;
    std::string body;  // as sent; empty for a GET
    PageCheck pageCheck = PageCheck::NoPages;
    std::vector<PageFinding> findings;
    // What the step was checked against: its own page and the form of its target there; none
    // when not found. They point into the pages given.
    const ReadPage* page = nullptr;
    const Form* form = nullptr;
};

// A page that the steps of a definition may have been written for.
struct ReadPage {
    std::shared_ptr<const PageForms> forms;
    // Where it was loaded from, in the definition's code page; empty for pasted source.
    std::string url;
};

// The boundary of a multipart body in the preview; a browser makes up its own.
inline constexpr std::string_view kPreviewBoundary = "----VerrimoFormBoundary7MA4YWxkTrZu0gW";

// The sample values as a file keeps them: "Zem-ID=…", "Zem-Pass=…" and "Zem-email=…" lines;
// what the text leaves out keeps its default.
SampleValues readSampleValues(std::string_view text);

// definition: read in cp. Each step is checked against the first of the pages that is its own:
// loaded from the address its referrer line resolves to, or, without an address, holding the
// form of its target. Referrer lines are resolved against the first page's address.
std::vector<StepRequest> definitionRequests(const ParsedDefinition& definition,
                                            std::span<const ReadPage> pages,
                                            const SampleValues& samples, const CodePage& cp);

// The step-th step's request (from 0) as definitionRequests builds it, with referrer standing
// for the address that its referrer line writes. Throws std::out_of_range without that step.
StepRequest stepRequest(const ParsedDefinition& definition, std::size_t step,
                        std::string_view referrer, std::span<const ReadPage> pages,
                        const SampleValues& samples, const CodePage& cp);

// A referrer line's address as a browser asks for it, resolved against base (empty: none), both
// read in cp: the page a step is sent from, as its Referer names it.
std::string referrerAddress(std::string_view base, std::string_view written, const CodePage& cp);

// The request as a curl command line for a POSIX shell. Texts are the request's bytes. A
// request refused for its address (url-invalid) is a shell comment that says so.
std::string curlCommand(const StepRequest& request);

}  // namespace verrimo
