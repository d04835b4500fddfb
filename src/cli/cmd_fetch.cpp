// verrimo-cli fetch URL: the page fetcher's download, then the extract command on its page.
#include <iostream>

#include "codepage.h"
#include "commands.h"
#include "extraction_json.h"
#include "fetch.h"

namespace verrimo::cli {

int runFetch(const Args& args, std::ostream& out) {
    std::string url;
    bool haveUrl = false;
    bool options = true;
    for (const std::string& a : args) {
        if (options && a == "--help") {
            out << usage("fetch");
            return 0;
        }
        if (options && a == "--") {
            options = false;
        } else if (options && a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option for fetch: " + a);
        } else if (haveUrl) {
            throw UsageError("fetch takes one URL, got another: " + a);
        } else {
            url = a;
            haveUrl = true;
        }
    }
    if (!haveUrl) throw UsageError("fetch needs a URL");

    const CodePage& cp = CodePage::program();
    // The URL box holds code-page text, and that is what the window downloads.
    const std::string urlBox = cp.fromUtf8(url);
    const FetchResult page = downloadPage(urlBox);
    // Like the window, go on with whatever was read; the reason only goes to the log.
    if (!page.error.empty()) std::cerr << "verrimo-cli: fetch: " << page.error << "\n";
    std::string json;
    JsonWriter writer(json);
    writeExtraction(writer, pageSourceFromBody(page.body), urlBox, cp);
    json += '\n';
    out << json;
    return 0;
}

}  // namespace verrimo::cli
