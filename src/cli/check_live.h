// check --live: every definition checked against its referrer page as the site serves it now.
#pragma once

#include "arguments.h"
#include "fetch.h"
#include "output.h"

namespace verrimo::cli {

// Fetches each definition's referrer page, at most four at once, each fetch within --timeout,
// and prints one JSON line per finding with the definition's file name. Status 1 when any
// definition no longer fits its page, else 3 when a page could not be fetched (no answer, an
// answer other than 2xx, the time-out) or was cut at the size bound, else 0.
int checkLive(const Arguments& parsed, Output& out);

// --timeout and the size bound of a live check.
FetchOptions liveFetchOptions(const Arguments& parsed);

}  // namespace verrimo::cli
