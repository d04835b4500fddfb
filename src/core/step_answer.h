// What a site answered to a request sent on the road: the addresses it went through and the page
// it ended on.
#pragma once

#include <string>
#include <vector>

namespace verrimo {

// One request of the way: the request itself, then each redirect followed.
struct AnswerHop {
    std::string method;
    std::string url;
    long status = 0;      // of its answer; 0 when none came
    std::string referer;  // the Referer header sent; empty when none was
    std::string origin;   // the Origin header sent; empty when none was
};

struct StepAnswer {
    std::vector<AnswerHop> hops;
    long status = 0;  // the last hop's
    std::string url;  // the last hop's address: where the answer came from
    // Hosts other than the request's own that a redirect led to, in order, each once.
    std::vector<std::string> otherHosts;
    std::string contentType;  // the answer's Content-Type header, where it gave one
    std::string body;
    std::string error;  // empty when the whole answer was read

    // A page came: a 2xx answer, read whole. A page cut short, by a stall, a time-out or the
    // site, may lack what the rest held.
    bool fetched() const { return status >= 200 && status < 300 && error.empty(); }
};

}  // namespace verrimo
