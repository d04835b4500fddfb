#include "check_live.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

#include "charset.h"
#include "commands.h"
#include "definition_page.h"
#include "extract_page.h"
#include "fetch_module_loader.h"
#include "finding_json.h"
#include "form_request.h"
#include "input.h"
#include "json.h"
#include "page_source.h"
#include "sample_file.h"

namespace verrimo::cli {

namespace {

constexpr std::size_t kFetchesAtOnce = 4;

struct LiveResult {
    std::vector<PageFinding> findings;
    bool notFetched = false;
};

// "256 MiB で", or the bytes when they are no whole number of MiB.
std::string cutAt(std::size_t bytes) {
    constexpr std::size_t kMiB = 1u << 20;
    return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB で"
                             : std::to_string(bytes) + " バイトで";
}

LiveResult checkOne(const std::string& path, const FetchOptions& fetch,
                    const SampleValues& samples) {
    const std::string text = readDefinition(path);
    const TextCodePage definitionCp =
        chooseCodePage(text, detectCharset(text), CodePage::program(), pageCodePage());
    const CodePage& cp = *definitionCp.codePage;
    const auto definition = parseDefinition(text, cp);
    const std::string referrer = firstReferrer(*definition);
    if (referrer.empty())
        return {{{0, "no-referrer", "参照元の行（Zem-Referer=）がありません"}}, false};
    LivePage live = fetchReferrerPage(referrer, fetch, cp);
    LiveResult result{std::move(live.findings), live.notFetched};
    if (!live.page.forms) return result;
    for (StepRequest& r : definitionRequests(*definition, {&live.page, 1}, samples, cp))
        for (PageFinding& f : r.findings) result.findings.push_back(std::move(f));
    return result;
}

}  // namespace

LivePage fetchReferrerPage(const std::string& referrer, const FetchOptions& fetch,
                           const CodePage& cp) {
    FetchResult fetched = downloadThroughModule(referrer, fetch);
    const auto notFetched = [](const std::string& why) {
        return LivePage{{}, {{0, "page-not-fetched", "参照元のページを読めません: " + why}}, true};
    };
    // An error page is not the page, even when it holds the form; nor is a page cut short.
    if (!fetched.opened) return notFetched(fetched.error);
    if (fetched.status < 200 || fetched.status > 299)
        return notFetched("HTTP " + std::to_string(fetched.status) + " が返りました");
    if (!fetched.error.empty() && !fetched.cut) return notFetched(fetched.error);
    LivePage live;
    if (fetched.cut) {
        // What was read is checked, but the definition may fit the rest.
        live.findings.push_back({0, "page-cut",
                                 "参照元のページが " + cutAt(fetch.maxBytes) +
                                     "切れています（その先は照らし合わせていません）"});
        live.notFetched = true;
    }
    live.page = {
        readPage({pageSourceFromBody(std::move(fetched.body)), fetched.contentType, referrer}, cp,
                 {.pageCodePage = pageCodePage(), .forms = true})
            .forms,
        referrer};
    return live;
}

FetchOptions liveFetchOptions(const Arguments& parsed) {
    FetchOptions fetch;
    fetch.total = wholeTimeOut(parsed);
    // The tests cut pages at a few bytes rather than at the bound of the program.
    if (const char* bound = std::getenv("VERRIMO_TEST_MAX_PAGE_BYTES"))
        fetch.maxBytes = std::stoull(bound);
    return fetch;
}

int checkLive(const Arguments& parsed, Output& out) {
    const std::vector<std::string>& files = parsed.operands;
    if (files.empty()) throw UsageError("check --live needs a definition file");
    const FetchOptions fetch = liveFetchOptions(parsed);
    const SampleValues samples = userSampleValues();

    std::vector<LiveResult> results(files.size());
    std::vector<std::string> failures(files.size());
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::mutex progress;
    const bool terminal = ::isatty(STDERR_FILENO);
    const auto work = [&] {
        for (std::size_t i; (i = next++) < files.size();) {
            try {
                results[i] = checkOne(files[i], fetch, samples);
            } catch (const std::exception& e) {
                failures[i] = e.what();
            }
            const std::size_t n = ++done;
            if (terminal) {
                const std::lock_guard lock(progress);
                std::cerr << "\rverrimo-cli: checked " << n << " of " << files.size()
                          << (n == files.size() ? "\n" : "") << std::flush;
            }
        }
    };
    {
        std::vector<std::jthread> workers;
        for (std::size_t w = 0; w < std::min(kFetchesAtOnce, files.size()); ++w)
            workers.emplace_back(work);
    }

    bool drifted = false, unfetched = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!failures[i].empty()) throw std::runtime_error(failures[i]);
        unfetched = unfetched || results[i].notFetched;
        for (const PageFinding& f : results[i].findings) {
            drifted = drifted || !results[i].notFetched;
            JsonWriter w(out);
            writeFinding(w, {files[i], f.line, 0, f.rule, f.message});
            out.put('\n');
        }
    }
    return drifted ? 1 : unfetched ? kNotFetched : 0;
}

}  // namespace verrimo::cli
