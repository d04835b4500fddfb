// The forms of a page, as a browser builds them from its HTML: each form's attributes and its
// controls in document order with their default state.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"

namespace verrimo {

struct FormOption {
    std::string value;  // its value attribute, else its text
    bool selected = false;
    bool disabled = false;
};

struct FormControl {
    std::string element;  // "input", "select", "textarea" or "button"
    std::string type;     // lower case: "text", "hidden", "submit", ..., "select-one", "textarea"
    std::string name;
    std::string value;  // the default value; for a select, empty
    bool checked = false;
    bool disabled = false;
    std::vector<FormOption> options;  // a select's

    bool isButton() const;  // submit, image, reset or button: sent only as the submitter
    bool isCheckable() const { return type == "checkbox" || type == "radio"; }
};

struct Form {
    std::size_t index = 0;      // among the page's forms, from 0
    std::string action;         // as written; empty when the attribute is missing
    std::string method;         // "get" or "post"
    std::string enctype;        // "text/plain", "multipart/form-data" or the urlencoded type
    std::string acceptCharset;  // as written
    std::vector<FormControl> controls;
    std::size_t at = 0;  // where its start tag stands in the page read
};

// Every text is in the page's bytes, with character references decoded into the code page.
// Controls outside any form are left out; a select with no option selected selects its first.
std::vector<Form> readForms(std::string_view page, const CodePage& cp);

// The href of the page's first <base>, references decoded; empty when there is none.
std::string baseHref(std::string_view page, const CodePage& cp);

// A name=value pair of a form's data set, as a browser submits the form with no submitter.
struct FormEntry {
    std::string name;
    std::string value;
    const FormControl* control = nullptr;
};
std::vector<FormEntry> successfulEntries(const Form& form);

// &amp;, &lt;, &gt;, &quot;, &apos;, &nbsp; and numeric references decoded; others kept. A
// character cp lacks becomes a decimal reference "&#N;", as a browser sends it.
std::string decodeReferences(std::string_view text, const CodePage& cp);

}  // namespace verrimo
