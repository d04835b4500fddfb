// Speed of the extraction steps on generated pages with many forms: bytes of page source per
// second for the normaliser, the scanner and the whole extraction (normaliser, scanner, finder).
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "extract_page.h"
#include "normalise.h"

namespace {

using namespace verrimo;

const CodePage& cp932() {
    static const CodePage page("CP932");
    return page;
}

// One block of a shop-like page: a form in mixed letter case, Japanese text, links and images.
void appendBlock(std::string& page, int n) {
    const std::string id = std::to_string(n);
    page += "<div class=\"item\"><h2>\x8f\xa4\x95\x69 " + id + "</h2>\r\n";
    page += "<FORM ACTION=\"/cart/add?id=" + id + "\" METHOD=post>\r\n";
    page += "<INPUT TYPE=HIDDEN NAME=item VALUE=" + id + ">\r\n";
    page += "<Input Type=Text Name=qty value=1 size=3><br>\r\n";
    page += "<SELECT NAME=colour><OPTION VALUE=red>\x90\xd4<option value=\"blue\">\x90\xc2";
    page += "</SELECT>\r\n";
    page += "<textarea name=note rows=2></Textarea>\r\n";
    page += "<input type=\"submit\" value=\"\x92\x8d\x95\xb6\"></form>\r\n";
    page += "<a href=\"/item/" + id + "\"><IMG SRC=\"/img/" + id + ".jpg\" alt=\"\"></a> ";
    page += "<a class=\"more\" href=\"/item/" + id + "/more\">\x8f\xda\x8d\xd7</a>\r\n";
    page += "<p>\x82\xb1\x82\xcc\x8f\xa4\x95\x69\x82\xcd\x90\x6c\x8b\x43\x82\xc5\x82\xb7\x81\x42 ";
    page += "Free shipping on orders over 3000 yen.</p></div>\r\n";
}

const std::string& page(std::int64_t megabytes) {
    static std::map<std::int64_t, std::string> pages;
    std::string& p = pages[megabytes];
    if (p.empty()) {
        const std::size_t size = static_cast<std::size_t>(megabytes) << 20;
        p.reserve(size + 1024);
        for (int n = 0; p.size() < size; ++n) appendBlock(p, n);
    }
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
