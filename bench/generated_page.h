// The generated page the benchmarks measure: a shop-like page with many forms.
#pragma once

#include <cstddef>
#include <string>

namespace verrimo::bench {

// At least size bytes of CP932 page source, whole blocks of a form in mixed letter case,
// Japanese text, links and images.
std::string generatedPage(std::size_t size);

}  // namespace verrimo::bench
