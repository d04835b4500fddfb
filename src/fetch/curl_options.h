// What every transfer of the fetcher shares: how its handle is set up.
#pragma once

#include <curl/curl.h>

#include "fetch_options.h"

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

}  // namespace verrimo
