#include "fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <exception>
#include <memory>

#include "curl_run.h"
#include "trim.h"

namespace verrimo {
namespace {

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

struct Transfer {
    Transfer(CURL* curl, const FetchProgress& progress, std::size_t maxBytes)
        : curl(curl), progress(progress), maxBytes(maxBytes) {}

    CURL* curl;
    const FetchProgress& progress;
    std::size_t maxBytes;
    std::string body;
    long answers = 0;  // final (not 1xx) answers whose headers ended, redirects included
    bool cut = false;
    bool cancelled = false;
    std::exception_ptr failure;  // thrown by a callback; must not cross libcurl
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    try {
        const std::size_t room = transfer.maxBytes - transfer.body.size();
        transfer.body.append(data, std::min(length, room));
        if (length <= room) return length;
        transfer.cut = true;
    } catch (...) {
        transfer.failure = std::current_exception();
    }
    return 0;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    if (line == "\r\n" || line == "\n") {
        long status = 0;
        curl_easy_getinfo(transfer.curl, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 200) ++transfer.answers;
    }
    return size * count;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<Transfer*>(user);
    try {
        if (transfer.progress(transfer.body.size())) return 0;
        transfer.cancelled = true;
    } catch (...) {
        transfer.failure = std::current_exception();
    }
    return 1;
}

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
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.stallSeconds);
    // Time-outs without SIGALRM, which would hit whichever thread it likes.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
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

    Transfer transfer(curl.get(), progress, options.maxBytes);
    setOptions(curl.get(), parsed.get(), options);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &transfer);
    if (progress) {
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, &onProgress);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
    }

    const CURLcode code = curl_easy_perform(curl.get());
    if (transfer.failure) std::rethrow_exception(transfer.failure);

    long redirects = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_REDIRECT_COUNT, &redirects);
    // An answer beyond the redirects followed is the page itself; a redirect that could not be
    // followed (another scheme, too many) leaves none.
    result.opened = transfer.answers > redirects && code != CURLE_TOO_MANY_REDIRECTS;
    result.body = std::move(transfer.body);
    if (transfer.cut) {
        result.error = "cut at the size limit";
    } else if (transfer.cancelled) {
        result.error = "cancelled";
    } else if (code != CURLE_OK) {
        result.error = message[0] ? message : curl_easy_strerror(code);
    }
    return result;
}

}  // namespace verrimo
