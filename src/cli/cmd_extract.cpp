// verrimo-cli extract [--url URL] [FILE]: the page viewer's extract command on a saved page.
#include "codepage.h"
#include "commands.h"
#include "extraction_json.h"
#include "input.h"

namespace verrimo::cli {

int runExtract(const Args& args, std::ostream& out) {
    std::string url;
    std::string file;
    bool haveFile = false;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--help") {
            out << usage("extract");
            return 0;
        }
        if (options && a == "--url") {
            if (++i == args.size()) throw UsageError("--url needs a value");
            url = args[i];
        } else if (options && a.starts_with("--url=")) {
            url = a.substr(6);
        } else if (options && a == "--") {
            options = false;
        } else if (options && a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option for extract: " + a);
        } else if (haveFile) {
            throw UsageError("extract takes one FILE, got another: " + a);
        } else {
            file = a;
            haveFile = true;
        }
    }
    const CodePage& cp = CodePage::program();
    const std::string page = readInput(file);
    std::string json;
    JsonWriter writer(json);
    // The command line is UTF-8; the URL box holds code-page text.
    writeExtraction(writer, page, cp.fromUtf8(url), cp);
    json += '\n';
    out << json;
    return 0;
}

}  // namespace verrimo::cli
