// Repairing 300 definitions, each against its own page changed one way (a field renamed, one
// added, one removed, the action moved, the options of a select changed, a new password field):
// the time per definition, the pages and the definitions read beforehand. It should stay
// well under 10 ms.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "extract_page.h"
#include "repair.h"

namespace {

using namespace verrimo;

constexpr int kDefinitions = 300;
constexpr int kHidden = 20;  // hidden fields of each form, besides the visible ones

const CodePage& cp932() {
    static const CodePage page("CP932");
    return page;
}

// Site s's page, changed the way s picks; with changed false, as the definition was written.
std::string page(int s, bool changed) {
    const std::string n = std::to_string(s);
    const int change = changed ? s % 6 : -1;
    std::string html = "<html><head><meta charset=Shift_JIS></head><body>\n";
    html += "<form action=\"/site" + n + (change == 3 ? "/v2" : "") + "/post.cgi\" method=post>\n";
    for (int h = 0; h < kHidden; ++h) {
        if (change == 2 && h == s % kHidden) continue;
        const std::string name = (change == 0 && h == s % kHidden ? "r" : "h") + std::to_string(h);
        html += "<input type=hidden name=" + name + " value=v" + std::to_string(h) + ">\n";
        if (change == 1 && h == s % kHidden) html += "<input type=hidden name=added value=1>\n";
    }
    html +=
        "<table><tr><th>ID</th><td><input type=text name=user></td></tr>\n"
        "<tr><th>PW</th><td><input type=password name=pass></td></tr>\n";
    if (change == 5) html += "<tr><td><input type=password name=pass2></td></tr>\n";
    html += "<tr><td><select name=pref>\n";
    for (int o = 0; o < 47 + (change == 4); ++o)
        html += "<option value=\"p" + std::to_string(o) + "\">p" + std::to_string(o) + "\n";
    html += "</select></td></tr></table>\n<input type=submit name=go value=send>\n</form>\n";
    return html + "</body></html>\n";
}

std::string definition(int s) {
    const std::string n = std::to_string(s);
    std::string text =
        "Zem-Referer=http://site" + n + ".example.jp/\r\naction=/site" + n + "/post.cgi\r\n";
    for (int h = 0; h < kHidden; ++h)
        text += "h" + std::to_string(h) + "=Zem-GetValue[h" + std::to_string(h) + "]\r\n";
    text += "user=Zem-ID\r\npass=Zem-Pass\r\npref=Zem-Select[";
    for (int o = 0; o < 47; ++o) text += (o ? ",p" : "p") + std::to_string(o);
    return text + "]\r\ngo=send\r\n-\r\nchk-moji=\r\n";
}

void BM_Repair300(benchmark::State& state) {
    std::vector<ReadPage> pages;
    std::vector<std::shared_ptr<const ParsedDefinition>> definitions;
    for (int s = 0; s < kDefinitions; ++s) {
        pages.push_back({readPage({page(s, true)}, cp932(), {.forms = true}).forms,
                         "http://site" + std::to_string(s) + ".example.jp/"});
        definitions.push_back(parseDefinition(definition(s), cp932()));
    }
    std::size_t changes = 0;
    for (auto _ : state)
        for (int s = 0; s < kDefinitions; ++s) {
            const RepairResult r = repairDefinition(*definitions[s], {&pages[s], 1}, cp932());
            changes += r.changes.size();
            benchmark::DoNotOptimize(r.text.data());
        }
    state.counters["changes"] = static_cast<double>(changes) / state.iterations();
    // Shown as a time: the CPU time of one definition's repair.
    state.counters["per_definition"] = benchmark::Counter(
        kDefinitions, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_Repair300)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
