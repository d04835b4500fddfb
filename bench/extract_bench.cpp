// Speed of the extraction steps on generated pages with many forms: bytes of page source per
// second for the normaliser, the scanner and the whole extraction (normaliser, scanner, finder).
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "extract_page.h"
#include "generated_page.h"
#include "normalise.h"

namespace {

using namespace verrimo;

const CodePage& cp932() {
    static const CodePage page("CP932");
    return page;
}

const std::string& page(std::int64_t megabytes) {
    static std::map<std::int64_t, std::string> pages;
    std::string& p = pages[megabytes];
    if (p.empty()) p = bench::generatedPage(static_cast<std::size_t>(megabytes) << 20);
    return p;
}

void BM_Normalise(benchmark::State& state) {
    const std::string& source = page(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(normalise(source, cp932()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
}

void BM_Scan(benchmark::State& state) {
    const std::string& source = page(state.range(0));
    const std::string normalised = normalise(source, cp932());
    for (auto _ : state) benchmark::DoNotOptimize(scan(normalised));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
}

void BM_Extract(benchmark::State& state) {
    const std::string& source = page(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(extractPage(source, "http://shop.test/", cp932()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
}

// Sizes in MB; 1, 10 and 50 with their halves and doubles for the doubling ratios.
void sizes(benchmark::internal::Benchmark* b) {
    for (const int mb : {1, 2, 10, 20, 25, 50}) b->Arg(mb);
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Normalise)->Apply(sizes);
BENCHMARK(BM_Scan)->Apply(sizes);
BENCHMARK(BM_Extract)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
