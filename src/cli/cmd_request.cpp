// verrimo-cli request [--page FILE] [--url REFERRER] [--curl] [DEFINITION]: the requests a
// definition makes, one JSON line per step, or one curl command line per step.
#include <memory>

#include "arguments.h"
#include "codepage.h"
#include "commands.h"
#include "definition_page.h"
#include "form_request.h"
#include "input.h"
#include "json.h"
#include "request_json.h"

namespace verrimo::cli {

namespace {

void writeRequest(Output& out, const StepRequest& r, const CodePage& cp) {
    JsonWriter w(out);
    w.beginObject();
    writeRequestMembers(w, r, cp);
    w.endObject();
    out.put('\n');
}

}  // namespace

int runRequest(const Args& args, Output& out) {
    const Arguments parsed = parseArguments(
        args, "request", {{"--page", "a file"}, {"--url", "a value"}}, {"--curl"}, "DEFINITION");
    if (parsed.help) {
        out.write(usage("request"));
        return 0;
    }
    const CodePage& cp = CodePage::program();
    const std::string definition = readInput(parsed.operand.value_or(""));
    const auto pageFile = parsed.values.find("--page");
    std::unique_ptr<DefinitionPage> page;
    if (pageFile != parsed.values.end()) page = readDefinitionPage(pageFile->second, cp);
    RequestPage requestPage = page ? page->page : RequestPage{};
    if (const auto url = parsed.values.find("--url"); url != parsed.values.end())
        requestPage.pageUrl = cp.fromUtf8(url->second);
    for (const StepRequest& r :
         definitionRequests(definition, requestPage, userSampleValues(), cp)) {
        if (parsed.flags.contains("--curl")) {
            out.write(curlCommand(r));
            out.put('\n');
            continue;
        }
        writeRequest(out, r, cp);
    }
    return 0;
}

}  // namespace verrimo::cli
