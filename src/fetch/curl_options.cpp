#include "curl_options.h"

#include <cstdio>

#include "curl_run.h"

namespace verrimo {
namespace {

// Worded as libcurl words its own low-speed time-out.
std::string stallMessage(std::chrono::milliseconds stall) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", std::chrono::duration<double>(stall).count());
    return std::string("Operation too slow. Less than 1 bytes/sec transferred the last ") +
           seconds + " seconds";
}

}  // namespace

void setCommonOptions(CURL* curl, const FetchOptions& options) {
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "MyApp");
    // Direct access whatever the environment says.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // Cookies in memory only: read from no file, and no jar file is ever named.
    curl_easy_setopt(curl, CURLOPT_SHARE,
                     options.cookies ? options.cookies->share() : runCookieShare());
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    if (options.total.count() > 0)
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.total.count()));
    // Time-outs without SIGALRM, which would hit whichever thread it likes.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

std::string endingError(const Transfer& transfer, const Ending& ending, const char* message,
                        const FetchOptions& options) {
    if (transfer.cut) return "cut at the size limit";
    if (ending.how == Ending::Cancelled) return "cancelled";
    if (ending.how == Ending::Stalled) return stallMessage(options.stall);
    if (ending.how == Ending::Failed) return curl_multi_strerror(ending.multiCode);
    if (ending.code != CURLE_OK) return message[0] ? message : curl_easy_strerror(ending.code);
    return {};
}

}  // namespace verrimo
