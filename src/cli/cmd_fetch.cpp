// verrimo-cli fetch URL: the page fetcher's download, then the extract command on its page.
#include <iostream>

#include "arguments.h"
#include "codepage.h"
#include "commands.h"
#include "extraction_json.h"
#include "fetch.h"
#include "page_source.h"

namespace verrimo::cli {

int runFetch(const Args& args, std::ostream& out) {
    const Arguments parsed = parseArguments(args, "fetch", {}, {}, "URL");
    if (parsed.help) {
        out << usage("fetch");
        return 0;
    }
    if (!parsed.operand) throw UsageError("fetch needs a URL");
    const std::string& url = *parsed.operand;

    const CodePage& cp = CodePage::program();
    // The URL box holds code-page text, and that is what the window downloads.
    const std::string urlBox = cp.fromUtf8(url);
    FetchResult page = downloadPage(urlBox);
    // Like the window, go on with whatever was read; the reason only goes to the log.
    if (!page.error.empty()) std::cerr << "verrimo-cli: fetch: " << page.error << "\n";
    std::string json;
    JsonWriter writer(json);
    writeExtraction(writer, pageSourceFromBody(std::move(page.body)), urlBox, cp);
    json += '\n';
    out << json;
    return 0;
}

}  // namespace verrimo::cli
