#include "fetch.h"

#include <curl/curl.h>

#include <memory>

#include "curl_options.h"
#include "curl_run.h"
#include "transfer_loop.h"
#include "trim.h"

namespace verrimo {
namespace {

void setOptions(CURL* curl, CURLU* url, const FetchOptions& options) {
    setCommonOptions(curl, options);
    curl_easy_setopt(curl, CURLOPT_CURLU, url);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 30L);
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
    result.error = endingError(transfer, ending, message, options);
    return result;
}

}  // namespace verrimo
