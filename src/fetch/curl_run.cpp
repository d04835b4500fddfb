#include "curl_run.h"

#include <cstdlib>
#include <cstring>

#include "wiped_heap.h"

namespace verrimo {
namespace {

// libcurl's global state, from first use to the end of the program.
class CurlRun {
  public:
    CurlRun() {
        // libcurl's copies of a request body (a small one goes into its header buffer) are
        // zeroed when it frees them.
        curl_global_init_mem(CURL_GLOBAL_DEFAULT, &std::malloc, &wipedFree, &wipedRealloc,
                             &::strdup, &std::calloc);
    }
    ~CurlRun() { curl_global_cleanup(); }
    CurlRun(const CurlRun&) = delete;
    CurlRun& operator=(const CurlRun&) = delete;
};

}  // namespace

void setUpCurl() {
    static CurlRun run;
}

CookieJar::CookieJar() {
    setUpCurl();
    share_ = curl_share_init();
    // Downloads may run on more than one thread (the command line, tests, the trial run).
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &CookieJar::lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &CookieJar::unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
}

CookieJar::~CookieJar() {
    curl_share_cleanup(share_);
}

void CookieJar::lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
    static_cast<CookieJar*>(self)->locks_[data].lock();
}

void CookieJar::unlock(CURL*, curl_lock_data data, void* self) {
    static_cast<CookieJar*>(self)->locks_[data].unlock();
}

CURLSH* runCookieShare() {
    static CookieJar jar;
    return jar.share();
}

}  // namespace verrimo
