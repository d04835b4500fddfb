// The road a HAR file records: the form submissions among its document requests, each made
// into one step of a definition, with its values written as a recording writes them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "codepage.h"
#include "har.h"
#include "page_forms.h"

namespace verrimo {

// A page the file holds, as a load reads it.
struct HarPage {
    std::string url;          // where it was loaded from
    std::string bytes;        // in its own charset
    std::string contentType;  // of the answer that brought it
    std::string charset;      // canonical name of what a browser reads it in
    std::vector<Form> forms;  // read as a load reads them, in codePage
    std::string baseHref;
    std::string codePage;  // the name of the code page it was read in
};

struct HarStep {
    std::size_t entry = 0;  // the request's place among the file's entries, from 0
    std::string method;
    std::string url;                          // the request's address
    std::string referrer;                     // the referrer line's address
    std::optional<std::size_t> referrerPage;  // into HarRoad::pages: the page the form was on
    std::optional<std::size_t> answerPage;    // the page that answered, after its redirects
    std::string target;                       // as the target line writes it
    std::string charset;                      // what the values were sent in
    std::vector<std::string> fields;          // the field lines, in the order sent
    std::vector<std::string> checkStrings;    // proposals, best first
    std::string checkString;                  // the one the step's lines take
    std::vector<std::string> notes;           // what the file lacks for the step (UTF-8)
};

struct HarRoad {
    std::vector<HarPage> pages;
    std::vector<HarStep> steps;
    std::vector<std::string> notes;  // requests refused as steps, and why (UTF-8)
};

// The steps in the file's order. Lines are text in cp: a value is a literal that reads back as
// exactly the bytes sent, Zem-Pass for a password (never the password itself), Zem-GetValue
// where a hidden field was sent as the page had it, and an identity keyword where the walker
// proposes one for the field.
HarRoad findRoad(const Har& har, const CodePage& cp);

// The step's lines: the referrer (when one is known), the target, the fields, the dash and the
// check string, in the order a walk leaves them once the held lines are pasted after the fields.
std::vector<std::string> stepLines(const HarStep& step);

// The lines of the chosen steps (indices into road.steps), each followed by CR LF.
std::string roadDefinition(const HarRoad& road, const std::vector<std::size_t>& chosen);

}  // namespace verrimo
