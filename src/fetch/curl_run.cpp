#include "curl_run.h"

#include <array>
#include <mutex>

#include "wiped_heap.h"

namespace verrimo {
namespace {

class CurlRun {
  public:
    CurlRun() {
        // libcurl's copies of a request body (a small one goes into its header buffer) are
        // zeroed when it frees them.
        curl_global_init_mem(CURL_GLOBAL_DEFAULT, &std::malloc, &wipedFree, &wipedRealloc,
                             &::strdup, &std::calloc);
        share_ = curl_share_init();
        // Downloads may run on more than one thread (the command line, tests).
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &CurlRun::lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &CurlRun::unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    }
    ~CurlRun() {
        curl_share_cleanup(share_);
        curl_global_cleanup();
    }
    CurlRun(const CurlRun&) = delete;
    CurlRun& operator=(const CurlRun&) = delete;

    CURLSH* share() const { return share_; }

  private:
    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<CurlRun*>(self)->locks_[data].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<CurlRun*>(self)->locks_[data].unlock();
    }

    CURLSH* share_ = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks_;
};

}  // namespace

CURLSH* runCookieShare() {
    static CurlRun run;
    return run.share();
}

}  // namespace verrimo
