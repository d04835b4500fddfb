// verrimo-cli extract [--url URL] [FILE]: the page viewer's extract command on a saved page.
#include "arguments.h"
#include "codepage.h"
#include "commands.h"
#include "extraction_json.h"
#include "input.h"

namespace verrimo::cli {

int runExtract(const Args& args, Output& out) {
    const Arguments parsed = parseArguments(args, "extract", {{"--url", "a value"}}, {}, "FILE");
    if (parsed.help) {
        out.write(usage("extract"));
        return 0;
    }
    const auto url = parsed.values.find("--url");
    const CodePage& cp = CodePage::program();
    // The command line is UTF-8; the URL box holds code-page text.
    const std::string urlBox = cp.fromUtf8(url == parsed.values.end() ? "" : url->second);
    printExtraction(out, {readInput(parsed.operand.value_or("")), {}, urlBox}, cp);
    return 0;
}

}  // namespace verrimo::cli
