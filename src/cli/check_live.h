// check --live: every definition checked against its referrer page as the site serves it now.
#pragma once

#include <string>
#include <vector>

#include "arguments.h"
#include "fetch.h"
#include "form_request.h"
#include "output.h"

namespace verrimo::cli {

// Fetches each definition's referrer page, at most four at once, each fetch within --timeout,
// and prints one JSON line per finding with the definition's file name. Status 1 when any
// definition no longer fits its page, else 3 when a page could not be fetched (no answer, an
// answer other than 2xx, the time-out) or was cut at the size bound, else 0.
int checkLive(const Arguments& parsed, Output& out);

// --timeout and the size bound of a live check.
FetchOptions liveFetchOptions(const Arguments& parsed);

// The referrer page as the site serves it now, read in cp (or its own code page with
// --codepage auto). findings: why it could not be fetched, or that it was cut.
struct LivePage {
    ReadPage page;  // no forms when it was not fetched
    std::vector<PageFinding> findings;
    bool notFetched = false;
};
LivePage fetchReferrerPage(const std::string& referrer, const FetchOptions& fetch,
                           const CodePage& cp);

}  // namespace verrimo::cli
