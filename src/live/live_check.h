// A definition checked against its referrer page as the site serves it now: what verrimo-cli
// check --live prints and what the folder window shows.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "definition_check.h"
#include "fetch.h"
#include "form_request.h"
#include "parsed_definition.h"

namespace verrimo {

// At most this many pages are fetched at once.
inline constexpr std::size_t kLiveFetchesAtOnce = 4;

struct LiveCheck {
    std::vector<PageFinding> findings;
    // The page was not read whole: no answer, an answer other than 2xx, the time-out, or the
    // size bound (what was read is checked all the same).
    bool notFetched = false;
    long status = 0;  // the referrer page's HTTP status; 0 when none came
};

// How a referrer page is fetched: downloadPage, or the module that does it.
using LiveDownload = std::function<FetchResult(const std::string& url, const FetchOptions&)>;

// The bounds of a live fetch: the whole fetch of each page within 30 seconds, so that a page
// that trickles in cannot hold the check.
FetchOptions liveFetchOptions(FetchOptions options = {});

// The value of the definition's first referrer line; empty when it has none.
std::string firstReferrer(const ParsedDefinition& definition);

// The referrer page as the site serves it now, read in cp (or in the code page of its own charset
// with pageCodePage). findings: why it could not be fetched, or that it was cut.
struct LivePage {
    ReadPage page;  // no forms when it was not fetched
    std::vector<PageFinding> findings;
    bool notFetched = false;
    long status = 0;  // the page's HTTP status; 0 when none came
};
LivePage fetchReferrerPage(const std::string& referrer, const CodePage& cp,
                           const FetchOptions& fetch, const LiveDownload& download,
                           bool pageCodePage);

// The definition (read in cp) against its first referrer's page, fetched once with fetch; the
// page read in the code page of its own charset with pageCodePage.
LiveCheck checkDefinitionLive(const ParsedDefinition& definition, const CodePage& cp,
                              const FetchOptions& fetch, const LiveDownload& download,
                              const SampleValues& samples, bool pageCodePage);

// Calls check(i) for every i below count on at most kLiveFetchesAtOnce threads and returns once
// all have ended; none is begun once cancel is raised. check must not throw.
void checkEachLive(std::size_t count, const std::function<void(std::size_t)>& check,
                   const std::atomic<bool>* cancel = nullptr);

}  // namespace verrimo
