// The requests of a definition as text to read and as curl command lines, in UTF-8.
#pragma once

#include <span>
#include <string>

#include "codepage.h"
#include "form_request.h"

namespace verrimo {

// For each step: a heading with its target line, the request line (METHOD URL), the headers,
// then the fields it sends one a line as name=value, decoded into characters; a sample marked
// with the keyword it stands for, and a note that the host fills in its own value; then the
// step's findings.
std::string requestText(std::span<const StepRequest> requests, const CodePage& cp);

// One curl command line per step, each ended by a line break; the request's bytes read in the
// form's charset (cp when the program does not know it).
std::string curlText(std::span<const StepRequest> requests, const CodePage& cp);

}  // namespace verrimo
