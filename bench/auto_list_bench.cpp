// Speed of the auto list on a generated auto.txt of up to 50 MB: building its index, and looking
// a field name up through the index and by scanning every line.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "auto_list.h"

namespace {

using namespace verrimo;

// Lines like a user's auto.txt grown large: comments, many field names (some ending in the same
// words), values with blanks, Japanese text and now and then an "=".
const std::string& autoText(std::int64_t megabytes) {
    static std::map<std::int64_t, std::string> texts;
    std::string& text = texts[megabytes];
    if (!text.empty()) return text;
    static const char* const kEndings[] = {"name", "_id", "mail", "zip", "tel", "addr", "pass"};
    const std::size_t size = static_cast<std::size_t>(megabytes) << 20;
    text.reserve(size + 256);
    for (std::size_t n = 0; text.size() < size; ++n) {
        if (n % 50 == 0) text += "# group " + std::to_string(n / 50) + "\r\n";
        text += "f" + std::to_string(n % 200'000) + kEndings[n % 7] + "=";
        text += n % 3 == 0 ? "\x8e\x52\x93\x63 \x91\xbe\x98\x59" : "value " + std::to_string(n);
        if (n % 11 == 0) text += "&k=v";
        text += "\r\n";
    }
    return text;
}

void BM_AutoListBuild(benchmark::State& state) {
    const std::string& text = autoText(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(AutoList(text));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

// A name on one line, and "mail", at the end of a seventh of the names.
void BM_AutoListLookup(benchmark::State& state) {
    const AutoList list(autoText(50));
    const std::string name = state.range(0) == 0 ? "f12345mail" : "mail";
    for (auto _ : state) benchmark::DoNotOptimize(list.values(name));
    state.counters["found"] = static_cast<double>(list.values(name).size());
}

void BM_AutoListScan(benchmark::State& state) {
    const AutoList list(autoText(50));
    for (auto _ : state) benchmark::DoNotOptimize(list.scannedValues("f12345mail"));
}

BENCHMARK(BM_AutoListBuild)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutoListLookup)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AutoListScan)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
