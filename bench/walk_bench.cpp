// Speed of the tag walk: a generated form of 100,000 fields, with selects of many options and
// long radio groups among them, walked accepting every proposal. Reports fields per second.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "walk.h"

namespace {

using namespace verrimo;

constexpr int kFields = 100000;

const CodePage& cp932() {
    static const CodePage page("CP932");
    return page;
}

// Every spread-th field is a select of options values, the one after it a radio group of half
// as many buttons; the others are plain inputs.
std::vector<std::string> form(int spread, int options) {
    std::vector<std::string> lines{"<form action=\"post.cgi\">"};
    for (int f = 0; f < kFields; ++f) {
        const std::string name = "f" + std::to_string(f);
        if (f % spread == 0) {
            lines.push_back("<select name=\"" + name + "\">");
            for (int o = 0; o < options; ++o)
                lines.push_back("<option value=\"v " + std::to_string(o) + "\">");
            lines.push_back("</select>");
        } else if (f % spread == 1) {
            for (int r = 0; r < options / 2; ++r)
                lines.push_back("<input type=radio name=\"" + name + "\" value=\"" +
                                std::to_string(r) + "\">");
        } else {
            static const char* const kTypes[] = {"hidden", "text", "password", "checkbox"};
            lines.push_back("<input type=" + std::string(kTypes[f % 4]) + " name=\"" + name +
                            "\" value=\"a/b " + std::to_string(f) + "\">");
        }
    }
    return lines;
}

AutoList autoFile() {
    std::string text;
    for (int i = 0; i < 50; ++i) text += "f" + std::to_string(i * 997) + "=stored\r\n";
    return AutoList(std::move(text));
}

void BM_Walk(benchmark::State& state) {
    const std::vector<std::string> lines =
        form(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    const VectorTagLines required(views);
    const AutoList autoList = autoFile();
    for (auto _ : state) {
        const auto appended = walkAcceptingAll(required, autoList, true, cp932(),
                                               [](std::string_view, const Classification&) {});
        benchmark::DoNotOptimize(appended.data());
    }
    state.SetItemsProcessed(state.iterations() * kFields);
    state.counters["lines"] = static_cast<double>(lines.size());
}

// (spread, options): a select of 50 options and a group of 25 buttons in every ten fields; one
// of 1,000 options and a group of 500 in every hundred.
BENCHMARK(BM_Walk)->Args({10, 50})->Args({100, 1000})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
