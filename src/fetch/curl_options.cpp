#include "curl_options.h"

#include "curl_run.h"

namespace verrimo {

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

}  // namespace verrimo
