#include "fetch.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>

#include "curl_run.h"
#include "transfer_loop.h"
#include "trim.h"

namespace verrimo {
namespace {

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

void setOptions(CURL* curl, CURLU* url, const FetchOptions& options) {
    curl_easy_setopt(curl, CURLOPT_CURLU, url);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "MyApp");
    // Direct access whatever the environment says.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 30L);
    curl_easy_setopt(curl, CURLOPT_SHARE, runCookieShare());
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    if (options.total.count() > 0)
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.total.count()));
    // Time-outs without SIGALRM, which would hit whichever thread it likes.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

// Worded as libcurl words its own low-speed time-out.
std::string stallMessage(std::chrono::milliseconds stall) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", std::chrono::duration<double>(stall).count());
    return std::string("Operation too slow. Less than 1 bytes/sec transferred the last ") +
           seconds + " seconds";
}

}  // namespace

FetchResult downloadPage(const std::string& url, const FetchProgress& progress,
                         const FetchOptions& options) {
    FetchResult result;
    char message[CURL_ERROR_SIZE] = "";
    runCookieShare();  // libcurl's global set-up comes before any handle
    // Parsed without guessing a scheme: "example.com" is not a URL that can be opened.
    const std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!parsed || !curl) {
        result.error = "out of memory";
        return result;
    }
    // Blanks around a pasted address are dropped and blanks inside it escaped, as a browser's
    // address bar does; the parser would otherwise refuse the whole address.
    const std::string address(trimmed(url));
    if (const CURLUcode bad = curl_url_set(parsed.get(), CURLUPART_URL, address.c_str(),
                                           CURLU_ALLOW_SPACE | CURLU_URLENCODE)) {
        result.error = curl_url_strerror(bad);
        return result;
    }

    Transfer transfer(curl.get(), options.maxBytes);
    setOptions(curl.get(), parsed.get(), options);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, message);
    receiveInto(transfer);
    const Ending ending = runTransfer(transfer, progress, options.stall);

    long redirects = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_REDIRECT_COUNT, &redirects);
    // An answer beyond the redirects followed is the page itself; a redirect that could not be
    // followed (another scheme, too many) leaves none.
    result.opened = transfer.answers > redirects && ending.code != CURLE_TOO_MANY_REDIRECTS;
    result.body = std::move(transfer.body);
    result.cut = transfer.cut;
    if (result.opened) curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.status);
    const char* contentType = nullptr;
    if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK &&
        contentType)
        result.contentType = contentType;
    if (transfer.cut) {
        result.error = "cut at the size limit";
    } else if (ending.how == Ending::Cancelled) {
        result.error = "cancelled";
    } else if (ending.how == Ending::Stalled) {
        result.error = stallMessage(options.stall);
    } else if (ending.how == Ending::Failed) {
        result.error = curl_multi_strerror(ending.multiCode);
    } else if (ending.code != CURLE_OK) {
        result.error = message[0] ? message : curl_easy_strerror(ending.code);
    }
    return result;
}

}  // namespace verrimo
