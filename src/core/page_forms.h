// The forms of a page, as a browser builds them from its HTML: each form's attributes and its
// controls in document order with their default state.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"

namespace verrimo {

struct FormOption {
    std::string value;                   // its value attribute, else its text
    std::optional<std::string> written;  // the value attribute as the page writes it
    bool selected = false;
    bool disabled = false;
};

struct FormControl {
    std::string element;  // "input", "select", "textarea" or "button"
    std::string type;     // lower case: "text", "hidden", "submit", ..., "select-one", "textarea"
    std::string name;
    std::string value;                   // the default value; for a select, empty
    std::optional<std::string> written;  // the value attribute as the page writes it
    bool checked = false;
    bool disabled = false;
    std::vector<FormOption> options;  // a select's

    bool isButton() const;  // submit, image, reset or button: sent only as the submitter
    bool isCheckable() const { return type == "checkbox" || type == "radio"; }
};

struct Form {
    std::size_t index = 0;      // among the page's forms, from 0
    std::string action;         // references decoded; empty when the attribute is missing
    std::string writtenAction;  // the attribute as the page writes it
    std::string method;         // "get" or "post"
    std::string enctype;        // "text/plain", "multipart/form-data" or the urlencoded type
    std::string acceptCharset;  // as written
    std::vector<FormControl> controls;
    std::size_t at = 0;  // where its start tag stands in the page read
};

// A page's forms with what resolving and sending them needs.
struct PageForms {
    std::vector<Form> forms;
    std::string baseHref;  // of the page's first <base>; empty when there is none
    std::string charset;   // what a browser reads the page in (see browserCharset)
    // What the page's texts are in: charset's code page, or the program's when it has none.
    std::shared_ptr<const CodePage> codePage;
    // What the bytes look like when they are not text in charset; empty when they are.
    std::string bytesCharset;
};

// The forms and the base of a page, read in one pass. Every text is in the page's bytes, with
// character references decoded into the code page. Controls outside any form are left out; a
// select with no option selected selects its first.
PageForms readPageForms(std::string_view page, const CodePage& cp);

// A name=value pair of a form's data set, as a browser submits the form with no submitter; a file
// input's value is the name of the file chosen, none by default.
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
