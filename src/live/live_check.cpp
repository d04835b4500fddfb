#include "live_check.h"

#include <algorithm>
#include <thread>

#include "extract_page.h"
#include "page_source.h"

namespace verrimo {

namespace {

constexpr std::chrono::milliseconds kLiveTimeOut{30'000};

// "256 MiB で", or the bytes when they are no whole number of MiB.
std::string cutAt(std::size_t bytes) {
    constexpr std::size_t kMiB = 1u << 20;
    return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB で"
                             : std::to_string(bytes) + " バイトで";
}

}  // namespace

FetchOptions liveFetchOptions(FetchOptions options) {
    options.total = kLiveTimeOut;
    return options;
}

std::string firstReferrer(const ParsedDefinition& definition) {
    const std::vector<LineReport>& lines = definition.report().lines;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].shape == LineShape::Referrer) return std::string(definition.value(i));
    return {};
}

LivePage fetchReferrerPage(const std::string& referrer, const CodePage& cp,
                           const FetchOptions& fetch, const LiveDownload& download,
                           bool pageCodePage) {
    FetchResult fetched = download(referrer, fetch);
    const auto notFetched = [&fetched](const std::string& why) {
        return LivePage{{},
                        {{0, "page-not-fetched", "参照元のページを読めません: " + why}},
                        true,
                        fetched.status};
    };
    // An error page is not the page, even when it holds the form; nor is a page cut short.
    if (!fetched.opened) return notFetched(fetched.error);
    if (fetched.status < 200 || fetched.status > 299)
        return notFetched("HTTP " + std::to_string(fetched.status) + " が返りました");
    if (!fetched.error.empty() && !fetched.cut) return notFetched(fetched.error);
    LivePage live;
    live.status = fetched.status;
    if (fetched.cut) {
        // What was read is checked, but the definition may fit the rest.
        live.findings.push_back({0, "page-cut",
                                 "参照元のページが " + cutAt(fetch.maxBytes) +
                                     "切れています（その先は照らし合わせていません）"});
        live.notFetched = true;
    }
    live.page = {
        readPage({pageSourceFromBody(std::move(fetched.body)), fetched.contentType, referrer}, cp,
                 {.pageCodePage = pageCodePage, .forms = true})
            .forms,
        referrer};
    return live;
}

LiveCheck checkDefinitionLive(const ParsedDefinition& definition, const CodePage& cp,
                              const FetchOptions& fetch, const LiveDownload& download,
                              const SampleValues& samples, bool pageCodePage) {
    const std::string referrer = firstReferrer(definition);
    if (referrer.empty()) return {{{0, "no-referrer", "参照元の行（Zem-Referer=）がありません"}}};
    LivePage live = fetchReferrerPage(referrer, cp, fetch, download, pageCodePage);
    LiveCheck result{std::move(live.findings), live.notFetched, live.status};
    if (!live.page.forms) return result;
    for (StepRequest& r : definitionRequests(definition, {&live.page, 1}, samples, cp))
        for (PageFinding& f : r.findings) result.findings.push_back(std::move(f));
    return result;
}

void checkEachLive(std::size_t count, const std::function<void(std::size_t)>& check,
                   const std::atomic<bool>* cancel) {
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i; !(cancel && *cancel) && (i = next++) < count;) check(i);
    };
    std::vector<std::jthread> workers;
    for (std::size_t w = 0; w < std::min(kLiveFetchesAtOnce, count); ++w)
        workers.emplace_back(work);
}

}  // namespace verrimo
