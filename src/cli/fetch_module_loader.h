// The download of verrimo-cli fetch, from the module installed beside the program.
#pragma once

#include <string>

#include "fetch.h"

namespace verrimo::cli {

// downloadPage without progress, through the module; throws std::runtime_error naming the
// module when it cannot be loaded.
FetchResult downloadThroughModule(const std::string& url, const FetchOptions& options);

}  // namespace verrimo::cli
