// A step's request as the members of a JSON object, shared by request and run.
#pragma once

#include "codepage.h"
#include "form_request.h"
#include "json.h"

namespace verrimo::cli {

// "line", "kind", "method", "url", "headers", "charset", "body", "samples" and "findings" into the
// object being written. Definition text is in cp; the body and a GET's query in the form's
// charset.
void writeRequestMembers(JsonWriter& w, const StepRequest& r, const CodePage& cp);

}  // namespace verrimo::cli
