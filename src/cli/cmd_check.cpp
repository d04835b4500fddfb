// verrimo-cli check [FILE]: the warnings on a definition, one JSON line each; exit status 1 when
// there are any.
#include <algorithm>

#include "arguments.h"
#include "charset.h"
#include "check_live.h"
#include "codepage.h"
#include "commands.h"
#include "definition_page.h"
#include "extract_page.h"
#include "extraction_json.h"
#include "finding_json.h"
#include "input.h"
#include "json.h"
#include "sample_file.h"

namespace verrimo::cli {

namespace {

// The one-based column of a byte offset, counting double-byte characters once.
std::int64_t column(std::string_view line, std::size_t offset, const CodePage& cp) {
    std::int64_t characters = 0;
    for (std::size_t i = 0; i < offset && i < line.size(); ++i, ++characters)
        if (cp.isLeadByte(static_cast<unsigned char>(line[i]))) ++i;
    return characters + 1;
}

}  // namespace

int runCheck(const Args& args, Output& out) {
    const bool live = std::find(args.begin(), args.end(), "--live") != args.end();
    const Arguments parsed =
        parseArguments(args, "check", {{"--page", "a file"}, {"--timeout", "a number of seconds"}},
                       {"--live"}, "FILE", live);
    if (parsed.help) {
        out.write(usage("check"));
        return 0;
    }
    if (live) return checkLive(parsed, out);
    const std::string text = readDefinition(parsed.operand.value_or(""));
    TextCodePage reading =
        chooseCodePage(text, detectCharset(text), CodePage::program(), pageCodePage());
    if (reading.warning) warn({*reading.warning}, "definition", CodePage::program());
    const CodePage& cp = *reading.codePage;
    const auto definition = parseDefinition(text, cp);
    const std::vector<std::string_view>& lines = definition->lines();
    std::vector<FindingJson> found;
    for (const Finding& f : definition->report().findings)
        found.push_back({{}, f.line, column(lines[f.line], f.span.begin, cp), f.rule, f.message});
    // Where the definition no longer fits its page, at the start of the line. The page is the
    // first referrer's.
    std::vector<StepRequest> requests;
    if (const auto page = parsed.values.find("--page"); page != parsed.values.end()) {
        const ReadPage read =
            readDefinitionPage(page->second, firstReferrer(*definition), CodePage::program());
        requests = definitionRequests(*definition, {&read, 1}, userSampleValues(), cp);
    }
    for (const StepRequest& r : requests)
        for (const PageFinding& f : r.findings) found.push_back({{}, f.line, 1, f.rule, f.message});
    std::stable_sort(found.begin(), found.end(),
                     [](const FindingJson& a, const FindingJson& b) { return a.line < b.line; });
    for (const FindingJson& f : found) {
        JsonWriter w(out);
        writeFinding(w, f);
        out.put('\n');
    }
    return found.empty() ? 0 : 1;
}

}  // namespace verrimo::cli
