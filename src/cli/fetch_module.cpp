// The download and the sending as a module that verrimo-cli loads for the commands that go to a
// site alone: libcurl and the TLS libraries behind it then cost the other commands nothing at
// start-up.
#include "fetch.h"
#include "send_request.h"

extern "C" __attribute__((visibility("default"))) verrimo::FetchResult verrimoDownloadPage(
    const std::string& url, const verrimo::FetchOptions& options) {
    return verrimo::downloadPage(url, {}, options);
}

extern "C" __attribute__((visibility("default"))) verrimo::StepAnswer verrimoSendRequest(
    const verrimo::StepRequest& request, const verrimo::FetchOptions& options) {
    return verrimo::sendRequest(request, {}, options);
}
