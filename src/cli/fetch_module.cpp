// The download as a module that verrimo-cli loads for fetch alone: libcurl and the TLS
// libraries behind it then cost the other commands nothing at start-up.
#include "fetch.h"

extern "C" __attribute__((visibility("default"))) verrimo::FetchResult verrimoDownloadPage(
    const std::string& url, const verrimo::FetchOptions& options) {
    return verrimo::downloadPage(url, {}, options);
}
