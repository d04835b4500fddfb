// Findings of a definition against a wide form: a page of one form of 20,000 to 80,000 hidden
// fields and a definition that names most of them, some with a fixed value, leaving a tenth out.
// The time per run should double, no more, as the fields double.
#include <benchmark/benchmark.h>

#include <string>

#include "extract_page.h"
#include "form_request.h"

namespace {

using namespace verrimo;

const CodePage& cp932() {
    static const CodePage page("CP932");
    return page;
}

std::string page(int fields) {
    std::string html = "<meta charset=Shift_JIS><form action=post.cgi method=post>";
    for (int f = 0; f < fields; ++f)
        html +=
            "<input type=hidden name=h" + std::to_string(f) + " value=v" + std::to_string(f) + ">";
    return html + "</form>";
}

std::string definition(int fields) {
    std::string text = "Zem-Referer=http://www.example.org/\r\naction=post.cgi\r\n";
    for (int f = 0; f < fields; ++f) {
        if (f % 10 == 9) continue;  // left out
        const std::string name = "h" + std::to_string(f);
        text += name + (f % 10 == 0 ? "=v" + std::to_string(f) : "=Zem-GetValue[" + name + "]") +
                "\r\n";
    }
    return text;
}

void BM_Findings(benchmark::State& state) {
    const int fields = static_cast<int>(state.range(0));
    const ReadPage read{readPage({page(fields)}, cp932(), {.forms = true}).forms,
                        "http://www.example.org/"};
    const auto parsed = parseDefinition(definition(fields), cp932());
    for (auto _ : state) {
        const auto requests = definitionRequests(*parsed, {&read, 1}, {}, cp932());
        benchmark::DoNotOptimize(requests.data());
    }
    state.SetItemsProcessed(state.iterations() * fields);
}

BENCHMARK(BM_Findings)->Arg(20000)->Arg(40000)->Arg(80000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
