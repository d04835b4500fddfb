// What every transfer of the fetcher shares: how its handle is set up and how its end is worded.
#pragma once

#include <curl/curl.h>

#include <string>

#include "fetch.h"
#include "transfer.h"
#include "transfer_loop.h"

namespace verrimo {

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// Agent "MyApp", no proxy (the proxy environment variables are ignored), only http and https,
// the run's cookie jar in memory, certificates verified, the connect time-out, no signals.
void setCommonOptions(CURL* curl, const FetchOptions& options);

// Why the transfer did not read the whole answer; empty when it did. message: libcurl's error
// buffer.
std::string endingError(const Transfer& transfer, const Ending& ending, const char* message,
                        const FetchOptions& options);

}  // namespace verrimo
