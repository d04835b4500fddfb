// verrimo-cli fetch [--timeout SECONDS] URL: the page fetcher's download, then the extract
// command on its page.
#include <iostream>

#include "arguments.h"
#include "codepage.h"
#include "commands.h"
#include "extraction_json.h"
#include "fetch_module_loader.h"
#include "page_source.h"

namespace verrimo::cli {

int runFetch(const Args& args, Output& out) {
    const Arguments parsed =
        parseArguments(args, "fetch", {{"--timeout", "a number of seconds"}}, {}, "URL");
    if (parsed.help) {
        out.write(usage("fetch"));
        return 0;
    }
    if (!parsed.operand) throw UsageError("fetch needs a URL");
    const std::string& url = *parsed.operand;
    FetchOptions options;
    if (const auto timeout = parsed.values.find("--timeout"); timeout != parsed.values.end())
        options.stall = stallTimeOut(timeout->second);

    const CodePage& cp = CodePage::program();
    // The URL box holds code-page text, and that is what the window downloads.
    const std::string urlBox = cp.fromUtf8(url);
    FetchResult page = downloadThroughModule(urlBox, options);
    // Like the window, go on with whatever was read. Nothing read at all is a failure the
    // status tells; a page that was only cut short is a warning.
    const bool failed = !page.error.empty() && (!page.opened || page.body.empty());
    if (failed)
        std::cerr << "verrimo-cli: fetch: " << page.error << "\n";
    else if (!page.error.empty())
        std::cerr << "verrimo-cli: warning: fetch: " << page.error << "\n";
    printExtraction(out, {pageSourceFromBody(std::move(page.body)), page.contentType, urlBox}, cp);
    return failed ? kNotFetched : 0;
}

}  // namespace verrimo::cli
