// Runs a transfer through libcurl's multi interface, so that the caller's progress callback, a
// cancel and the stall time-out are looked at often also while no data arrives.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <string>

#include "fetch_options.h"
#include "transfer.h"

namespace verrimo {

// How the transfer ended: libcurl finished it (with code), the multi interface failed (with
// multiCode), progress cancelled it, or no body byte came for the stall time.
struct Ending {
    enum { Finished, Failed, Cancelled, Stalled } how = Finished;
    CURLcode code = CURLE_OK;
    CURLMcode multiCode = CURLM_OK;
};

// Runs the transfer's handle, set up and receiving into transfer, to its end. The stall time
// counts from the last body byte, or from the call before the first. An exception of progress or
// of a callback reaches the caller.
Ending runTransfer(Transfer& transfer, const FetchProgress& progress,
                   std::chrono::milliseconds stall);

// Why the transfer did not read the whole answer; empty when it did. message: libcurl's error
// buffer.
std::string endingError(const Transfer& transfer, const Ending& ending, const char* message,
                        const FetchOptions& options);

}  // namespace verrimo
