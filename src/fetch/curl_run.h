// libcurl state that lives as long as the program: global set-up and the cookie jar.
#pragma once

#include <curl/curl.h>

#include <array>
#include <mutex>

namespace verrimo {

// Cookies in memory, shared by the transfers that use the jar, on any thread.
class CookieJar {
  public:
    CookieJar();
    ~CookieJar();
    CookieJar(const CookieJar&) = delete;
    CookieJar& operator=(const CookieJar&) = delete;

    CURLSH* share() const { return share_; }

  private:
    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* self);
    static void unlock(CURL*, curl_lock_data data, void* self);

    CURLSH* share_ = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks_;
};

// Sets libcurl up, once for the run; before any handle is made.
void setUpCurl();

// The share handle through which every download of the run keeps the cookies it was given.
// Sets libcurl up on first use.
CURLSH* runCookieShare();

}  // namespace verrimo
