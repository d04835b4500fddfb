// The download of verrimo-cli fetch and the sending of run, from the module installed beside the
// program.
#pragma once

#include <string>

#include "fetch.h"
#include "form_request.h"
#include "step_answer.h"

namespace verrimo::cli {

// downloadPage without progress, through the module; throws std::runtime_error naming the
// module when it cannot be loaded.
FetchResult downloadThroughModule(const std::string& url, const FetchOptions& options);

// sendRequest without progress, through the module; throws as downloadThroughModule does.
StepAnswer sendThroughModule(const StepRequest& request, const FetchOptions& options);

}  // namespace verrimo::cli
