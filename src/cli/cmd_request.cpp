// verrimo-cli request [--page FILE] [--url REFERRER] [--curl] [DEFINITION]: the requests a
// definition makes, one JSON line per step, or one curl command line per step.
#include <memory>

#include "arguments.h"
#include "codepage.h"
#include "commands.h"
#include "definition_page.h"
#include "finding_json.h"
#include "form_charset.h"
#include "form_request.h"
#include "input.h"
#include "json.h"

namespace verrimo::cli {

namespace {

void writeFindings(JsonWriter& w, const std::vector<PageFinding>& findings) {
    w.beginArray();
    for (const PageFinding& f : findings) writeFinding(w, {{}, f.line, 0, f.rule, f.message});
    w.endArray();
}

void writeRequest(Output& out, const StepRequest& r, const CodePage& cp, const CodePage& bodyCp) {
    JsonWriter w(out);
    w.beginObject();
    w.key("line");
    w.number(static_cast<std::int64_t>(r.targetLine + 1));
    w.key("kind");
    w.string(r.kind, cp);
    w.key("method");
    w.string(r.method);
    w.key("url");
    w.string(r.url, bodyCp);
    w.key("headers");
    w.beginObject();
    for (const auto& [name, value] : r.headers) {
        w.key(name);
        w.string(value, cp);
    }
    w.endObject();
    w.key("charset");
    w.string(r.charset);
    w.key("body");
    w.string(r.body, bodyCp);
    w.key("samples");
    w.beginArray();
    for (const RequestField& f : r.fields) {
        if (f.sampleOf.empty()) continue;
        w.beginObject();
        w.key("line");
        w.number(static_cast<std::int64_t>(f.line + 1));
        w.key("name");
        w.string(f.name, bodyCp);
        w.key("stands_for");
        w.string(f.sampleOf, cp);
        w.key("sample");
        w.string(f.value, bodyCp);
        w.endObject();
    }
    w.endArray();
    w.key("findings");
    writeFindings(w, r.findings);
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
        // The body and a GET's query are in the form's charset.
        const auto formCp = browserCodePage(r.charset);
        writeRequest(out, r, cp, formCp ? *formCp : cp);
    }
    return 0;
}

}  // namespace verrimo::cli
