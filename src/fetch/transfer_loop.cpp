#include "transfer_loop.h"

#include <algorithm>
#include <cstdio>

namespace verrimo {
namespace {

// The longest wait for the sockets: the progress callback, a cancel and the stall time-out are
// looked at this often.
constexpr std::chrono::milliseconds kPollInterval{100};

// Worded as libcurl words its own low-speed time-out.
std::string stallMessage(std::chrono::milliseconds stall) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", std::chrono::duration<double>(stall).count());
    return std::string("Operation too slow. Less than 1 bytes/sec transferred the last ") +
           seconds + " seconds";
}

// A multi handle driving one easy handle; the easy handle is given back on destruction.
class MultiRun {
  public:
    explicit MultiRun(CURL* easy) : multi_(curl_multi_init()), easy_(easy) {
        if (multi_) curl_multi_add_handle(multi_, easy_);
    }
    ~MultiRun() {
        if (!multi_) return;
        curl_multi_remove_handle(multi_, easy_);
        curl_multi_cleanup(multi_);
    }
    MultiRun(const MultiRun&) = delete;
    MultiRun& operator=(const MultiRun&) = delete;

    CURLM* multi() const { return multi_; }

  private:
    CURLM* multi_;
    CURL* easy_;
};

}  // namespace

Ending runTransfer(Transfer& transfer, const FetchProgress& progress,
                   std::chrono::milliseconds stall) {
    const MultiRun run(transfer.curl);
    CURLM* multi = run.multi();
    if (!multi) return {Ending::Failed, CURLE_OK, CURLM_OUT_OF_MEMORY};
    transfer.lastByte = Transfer::Clock::now();
    for (;;) {
        if (progress && !progress(transfer.body.size())) return {Ending::Cancelled};
        int running = 0;
        const CURLMcode driven = curl_multi_perform(multi, &running);
        if (transfer.failure) std::rethrow_exception(transfer.failure);
        if (driven != CURLM_OK) return {Ending::Failed, CURLE_OK, driven};
        if (running == 0) break;
        const auto quiet = Transfer::Clock::now() - transfer.lastByte;
        if (quiet >= stall) return {Ending::Stalled};
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            std::min<Transfer::Clock::duration>(kPollInterval, stall - quiet));
        if (const CURLMcode polled =
                curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr))
            return {Ending::Failed, CURLE_OK, polled};
    }
    Ending ending;
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi, &left))
        if (message->msg == CURLMSG_DONE) ending.code = message->data.result;
    return ending;
}

std::string endingError(const Transfer& transfer, const Ending& ending, const char* message,
                        const FetchOptions& options) {
    if (transfer.cut) return "cut at the size limit";
    if (ending.how == Ending::Cancelled) return "cancelled";
    if (ending.how == Ending::Stalled) return stallMessage(options.stall);
    if (ending.how == Ending::Failed) return curl_multi_strerror(ending.multiCode);
    if (ending.code != CURLE_OK) return message[0] ? message : curl_easy_strerror(ending.code);
    return {};
}

}  // namespace verrimo
