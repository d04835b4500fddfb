// verrimo-cli request [--page FILE] [--url REFERRER] [--curl] [DEFINITION]: the requests a
// definition makes, one JSON line per step, or one curl command line per step.
#include "arguments.h"
#include "codepage.h"
#include "commands.h"
#include "definition_page.h"
#include "form_request.h"
#include "input.h"
#include "json.h"
#include "request_json.h"
#include "sample_file.h"

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
    const auto definition = parseDefinition(readDefinition(parsed.operand.value_or("")), cp);
    // The page was loaded from --url, else from the first referrer.
    const auto url = parsed.values.find("--url");
    const std::string pageUrl =
        url != parsed.values.end() ? cp.fromUtf8(url->second) : firstReferrer(*definition);
    std::vector<ReadPage> pages;
    if (const auto pageFile = parsed.values.find("--page"); pageFile != parsed.values.end())
        pages.push_back(readDefinitionPage(pageFile->second, pageUrl, cp));
    for (const StepRequest& r : definitionRequests(*definition, pages, userSampleValues(), cp)) {
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
