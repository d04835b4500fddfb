// verrimo-cli repair --page NEWPAGE [--url URL] [--diff] DEF | --live [--timeout S] [--diff] DEF:
// the definition repaired against the page as it is now, on standard output (or the diff that
// makes it), one JSON line per change on standard error.
#include <unistd.h>

#include <iostream>
#include <optional>
#include <set>

#include "arguments.h"
#include "charset.h"
#include "check_live.h"
#include "codepage.h"
#include "commands.h"
#include "definition_check.h"
#include "definition_page.h"
#include "extract_page.h"
#include "extraction_json.h"
#include "input.h"
#include "json.h"
#include "memo_text.h"
#include "repair.h"
#include "trim.h"
#include "unified_diff.h"

namespace verrimo::cli {

namespace {

// A page read for the repair: one without a form cannot be repaired against.
ReadPage checkedPage(ReadPage page, std::string_view what) {
    if (!page.forms || page.forms->forms.empty())
        throw std::runtime_error(std::string(what) + " has no form to repair against");
    return page;
}

// Each referrer page of the definition, fetched as check --live fetches it; none when one could
// not be fetched whole, which is said on standard error.
std::optional<std::vector<ReadPage>> livePages(const Arguments& parsed,
                                               const DefinitionReport& report,
                                               const std::vector<std::string_view>& lines,
                                               const CodePage& cp) {
    const FetchOptions fetch = liveFetchOptions(parsed);
    std::set<std::string> referrers;
    for (std::size_t i = 0; i < report.lines.size(); ++i)
        if (report.lines[i].shape == LineShape::Referrer) {
            const Span v = report.lines[i].value;
            referrers.emplace(lines[i].substr(v.begin, v.end - v.begin));
        }
    if (referrers.empty()) throw std::runtime_error("the definition has no referrer line");
    std::vector<ReadPage> pages;
    for (const std::string& referrer : referrers) {
        LivePage live = fetchReferrerPage(referrer, fetch, cp);
        if (live.notFetched) {
            std::cerr << "verrimo-cli: " << cp.toUtf8(referrer) << ": "
                      << live.findings.front().message << "\n";
            return std::nullopt;
        }
        pages.push_back(checkedPage(std::move(live.page), cp.toUtf8(referrer)));
    }
    return pages;
}

void writeChanges(const RepairResult& result) {
    Output err(STDERR_FILENO);
    for (const RepairChange& c : result.changes) {
        JsonWriter w(err);
        w.beginObject();
        w.key("line");
        w.number(static_cast<std::int64_t>(c.line + 1));
        w.key("kind");
        w.string(repairKindId(c.kind));
        w.key("message");
        w.string(c.message);
        w.endObject();
        err.put('\n');
    }
    err.flush();
}

}  // namespace

int runRepair(const Args& args, Output& out) {
    const Arguments parsed = parseArguments(
        args, "repair",
        {{"--page", "a file"}, {"--url", "a value"}, {"--timeout", "a number of seconds"}},
        {"--diff", "--live"}, "DEF");
    if (parsed.help) {
        out.write(usage("repair"));
        return 0;
    }
    const bool live = parsed.flags.contains("--live");
    const auto pageFile = parsed.values.find("--page");
    if (live == (pageFile != parsed.values.end()))
        throw UsageError("repair needs either --page NEWPAGE or --live");
    if (!parsed.operand) throw UsageError("repair needs a definition file");
    const std::string text = readDefinition(*parsed.operand);
    if (trimmed(text).empty()) throw std::runtime_error("the definition is empty");
    if (text.find('\0') != std::string::npos)
        throw std::runtime_error("the definition is not text (it holds NUL bytes)");
    const TextCodePage reading =
        chooseCodePage(text, detectCharset(text), CodePage::program(), pageCodePage());
    if (reading.warning) warn({*reading.warning}, "definition", CodePage::program());
    const CodePage& cp = *reading.codePage;
    const std::shared_ptr<const ParsedDefinition> definition = parseDefinition(text, cp);
    const DefinitionReport& report = definition->report();
    if (definition->steps().empty())
        throw std::runtime_error(
            "the definition has no step to repair (a Zem-Referer= line and its target line)");
    std::vector<ReadPage> pages;
    if (live) {
        auto fetched = livePages(parsed, report, definition->lines(), cp);
        if (!fetched) return kNotFetched;
        pages = std::move(*fetched);
    } else {
        // The page was loaded from --url, else from the first referrer.
        const auto url = parsed.values.find("--url");
        std::string pageUrl =
            url != parsed.values.end() ? cp.fromUtf8(url->second) : firstReferrer(*definition);
        pages.push_back(
            checkedPage(readDefinitionPage(pageFile->second, std::move(pageUrl), cp), "the page"));
    }
    const RepairResult result = repairDefinition(*definition, pages, cp);
    out.write(parsed.flags.contains("--diff") ? unifiedDiff(*parsed.operand, text, result.text)
                                              : result.text);
    out.flush();
    writeChanges(result);
    return result.needsUser() ? kNeedsUser : result.changed() ? kRepaired : 0;
}

}  // namespace verrimo::cli
