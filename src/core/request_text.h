// The requests of a definition as the preview shows them and as curl command lines, in UTF-8.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "codepage.h"
#include "form_request.h"

namespace verrimo {

// A field of a step: its name and value read as characters, each on one line (a line break
// shown as ↵), and the field as the request carries it.
struct FieldView {
    std::string name;
    std::string value;  // a sample is marked with the keyword it stands for
    // "name=value" as the query or the body holds it: percent-encoded for a URL-encoded form,
    // the bytes themselves for multipart and text/plain.
    std::string sent;
};

struct StepView {
    std::string heading;               // the target line and its kind
    std::vector<std::string> request;  // the request line (METHOD URL), then the headers
    std::vector<FieldView> fields;
    bool hasBody = false;           // a POST
    std::vector<std::string> body;  // its lines as sent, read in the form's charset
    // That the step's page is not the one loaded, what a sample is, then the step's findings.
    std::vector<std::string> notes;
};

// What the preview says when the definition makes no request.
std::string noRequestsText();

// Each step's texts; the step's bytes read in the form's charset (cp when the program does not
// know it), the definition's own in cp.
std::vector<StepView> requestViews(std::span<const StepRequest> requests, const CodePage& cp);

// One curl command line per step, each ended by a line break; the request's bytes read in the
// form's charset (cp when the program does not know it).
std::string curlText(std::span<const StepRequest> requests, const CodePage& cp);

}  // namespace verrimo
