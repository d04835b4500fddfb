#include "check_live.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <mutex>

#include "charset.h"
#include "commands.h"
#include "extract_page.h"
#include "fetch_module_loader.h"
#include "finding_json.h"
#include "input.h"
#include "json.h"
#include "live_check.h"
#include "sample_file.h"

namespace verrimo::cli {

namespace {

LiveCheck checkOne(const std::string& path, const FetchOptions& fetch,
                   const SampleValues& samples) {
    const std::string text = readDefinition(path);
    const TextCodePage definitionCp =
        chooseCodePage(text, detectCharset(text), CodePage::program(), pageCodePage());
    const CodePage& cp = *definitionCp.codePage;
    return checkDefinitionLive(*parseDefinition(text, cp), cp, fetch, downloadThroughModule,
                               samples, pageCodePage());
}

}  // namespace

FetchOptions liveFetchOptions(const Arguments& parsed) {
    FetchOptions fetch = verrimo::liveFetchOptions();
    if (const auto timeout = parsed.values.find("--timeout"); timeout != parsed.values.end())
        fetch.total = stallTimeOut(timeout->second);
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

    std::vector<LiveCheck> results(files.size());
    std::vector<std::string> failures(files.size());
    std::atomic<std::size_t> done{0};
    std::mutex progress;
    const bool terminal = ::isatty(STDERR_FILENO);
    checkEachLive(files.size(), [&](std::size_t i) {
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
    });

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
