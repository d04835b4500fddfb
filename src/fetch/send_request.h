// Sends a request of the road as a browser sends it, and follows its redirects as a browser does.
#pragma once

#include <atomic>

#include "fetch.h"
#include "form_request.h"
#include "road_run.h"
#include "step_answer.h"

namespace verrimo {

// Sends the request's method, address, headers and body as they are, through the road's cookie
// jar, agent "MyApp", no proxy, certificates verified. Its "Referer" header is the page it is
// sent from: that page's address goes as a browser sends it to each address of the way, and a
// request other than GET carries the page's "Origin" (the request's own Origin header, where it
// has one). Redirects are followed as a browser follows them, at most 20; a redirect to another
// host is followed and named in otherHosts. Only http and https go out, for the page, the
// address and every redirect: anything else ends the way with an error and sends nothing more.
// Each answer is bounded as options say; progress is called as downloadPage calls it, and
// returning false cancels.
StepAnswer sendRequest(const StepRequest& request, const FetchProgress& progress = {},
                       const FetchOptions& options = {});

// sendRequest for a run of the road: once the flag is raised, a transfer under way stops.
RoadSend cancellableSender(const std::atomic<bool>& cancel, const FetchOptions& options = {});

}  // namespace verrimo
