// verrimo-cli extract [--url URL] [FILE]: the page viewer's extract command on a saved page.
#include "arguments.h"
#include "codepage.h"
#include "commands.h"
#include "extraction_json.h"
#include "input.h"

namespace verrimo::cli {

int runExtract(const Args& args, std::ostream& out) {
    const Arguments parsed = parseArguments(args, "extract", {{"--url", "a value"}}, {}, "FILE");
    if (parsed.help) {
        out << usage("extract");
        return 0;
    }
    const auto url = parsed.values.find("--url");
    const CodePage& cp = CodePage::program();
    const std::string page = readInput(parsed.operand.value_or(""));
    std::string json;
    JsonWriter writer(json);
    // The command line is UTF-8; the URL box holds code-page text.
    writeExtraction(writer, page, cp.fromUtf8(url == parsed.values.end() ? "" : url->second), cp);
    json += '\n';
    out << json;
    return 0;
}

}  // namespace verrimo::cli
