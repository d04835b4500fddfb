// The requests a definition makes: for each step (a referrer line, a target line and the field
// lines up to the next referrer line), what a browser would send for the same form filled in
// with the definition's values; and where the definition no longer fits its page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "extract_page.h"
#include "forms.h"

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
};

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
    std::vector<PageFinding> findings;
    bool pageNotLoaded = false;  // a page is loaded, but not this step's
};

// The referrer's page, as readPage read it with its forms.
struct RequestPage {
    const std::vector<Form>* forms = nullptr;  // none when there is no page
    std::string pageUrl;  // where the page was loaded from; referrer lines are resolved against it
    std::string baseHref;
    const CodePage* codePage = nullptr;  // what the page is read in
    std::string charset;                 // the page's charset
};

// The page as readPage read it with its forms; the reading must outlive what is made.
RequestPage requestPageOf(const PageReading& reading, std::string pageUrl = {});

// The boundary of a multipart body in the preview; a browser makes up its own.
inline constexpr std::string_view kPreviewBoundary = "----VerrimoFormBoundary7MA4YWxkTrZu0gW";

// The sample values as a file keeps them: "Zem-ID=…", "Zem-Pass=…" and "Zem-email=…" lines;
// what the text leaves out keeps its default.
SampleValues readSampleValues(std::string_view text);

// definition: the definition text, in cp. The page is the first step's referrer page; the other
// steps, and every step when there is no page, count only the definition's own lines and make
// no page finding.
std::vector<StepRequest> definitionRequests(std::string_view definition, const RequestPage& page,
                                            const SampleValues& samples, const CodePage& cp);

// The request as a curl command line for a POSIX shell. Texts are the request's bytes.
std::string curlCommand(const StepRequest& request);

}  // namespace verrimo
