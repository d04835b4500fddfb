// A hint for buffers that hold a whole big page.
#pragma once

#include <cstddef>

namespace verrimo {

// Asks the system to back the buffer with huge pages where it can, so that writing a big text
// into fresh memory costs a few page faults instead of one per 4 KB. Changes nothing else.
void adviseHugePages(const char* data, std::size_t size);

}  // namespace verrimo
