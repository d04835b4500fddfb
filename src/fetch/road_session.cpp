#include "road_session.h"

#include <memory>
#include <new>

#include "curl_options.h"
#include "curl_run.h"

namespace verrimo {

void startNewRoad() {
    CURLSH* share = runCookieShare();
    const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl) throw std::bad_alloc();
    // A handle on the shared jar empties it for every transfer that uses the jar.
    curl_easy_setopt(curl.get(), CURLOPT_SHARE, share);
    curl_easy_setopt(curl.get(), CURLOPT_COOKIELIST, "ALL");
}

std::shared_ptr<CookieJar> newCookieJar() {
    return std::make_shared<CookieJar>();
}

}  // namespace verrimo
