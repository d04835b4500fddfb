#include "send_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

#include "ascii_text.h"
#include "curl_options.h"
#include "curl_run.h"
#include "navigation.h"
#include "transfer_loop.h"

namespace verrimo {
namespace {

using Headers = std::vector<std::pair<std::string, std::string>>;

constexpr int kMaxRedirects = 20;
// What a browser drops with the body when a redirect makes a GET of its request.
constexpr std::string_view kBodyHeaders[] = {"content-type", "content-encoding", "content-language",
                                             "content-location"};

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool named(const std::pair<std::string, std::string>& header, std::string_view lowerName) {
    return asciiLowered(header.first) == lowerName;
}

struct HopAnswer {
    long status = 0;
    std::string url;       // as libcurl asked for it
    std::string location;  // where a redirect leads, resolved; empty otherwise
    std::string contentType;
    std::string body;
    std::string error;
};

std::string info(CURL* curl, CURLINFO what) {
    const char* text = nullptr;
    if (curl_easy_getinfo(curl, what, &text) != CURLE_OK || !text) return {};
    return text;
}

// One request of the way, without following where it leads.
HopAnswer sendHop(const AnswerHop& hop, bool first, const Headers& headers, const std::string* body,
                  const FetchProgress& progress, const FetchOptions& options) {
    HopAnswer got;
    char message[CURL_ERROR_SIZE] = "";
    const std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!parsed || !curl) {
        got.error = "out of memory";
        return got;
    }
    // The request's own address is sent as built; a Location is taken as a browser takes it.
    const unsigned flags = first ? 0 : CURLU_ALLOW_SPACE | CURLU_URLENCODE;
    if (const CURLUcode bad = curl_url_set(parsed.get(), CURLUPART_URL, hop.url.c_str(), flags)) {
        got.error = curl_url_strerror(bad);
        return got;
    }
    CURL* easy = curl.get();
    setCommonOptions(easy, options);
    curl_easy_setopt(easy, CURLOPT_CURLU, parsed.get());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, message);
    if (hop.method == "GET") {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else {
        if (hop.method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, hop.method.c_str());
        const std::string_view sent = body ? std::string_view(*body) : std::string_view();
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(sent.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, sent.data());
    }
    curl_slist* list = nullptr;
    const auto add = [&](const std::string& line) {
        if (curl_slist* more = curl_slist_append(list, line.c_str())) list = more;
    };
    for (const auto& [name, value] : headers) add(name + ": " + value);
    if (!hop.referer.empty()) add("Referer: " + hop.referer);
    if (!hop.origin.empty()) add("Origin: " + hop.origin);
    add("Expect:");  // the body goes at once, as a browser sends it
    const std::unique_ptr<curl_slist, SlistDeleter> headerList(list);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list);

    Transfer transfer(easy, options.maxBytes);
    receiveInto(transfer);
    const Ending ending = runTransfer(transfer, progress, options.stall);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &got.status);
    got.url = info(easy, CURLINFO_EFFECTIVE_URL);
    got.location = info(easy, CURLINFO_REDIRECT_URL);
    got.contentType = info(easy, CURLINFO_CONTENT_TYPE);
    got.body = std::move(transfer.body);
    got.error = endingError(transfer, ending, message, options);
    return got;
}

class Way {
  public:
    Way(const StepRequest& request, const FetchProgress& progress, const FetchOptions& options)
        : progress_(progress), options_(options), method_(request.method), url_(request.url) {
        std::string origin;
        for (const auto& header : request.headers) {
            if (named(header, "referer"))
                referrer_ = header.second;
            else if (named(header, "origin"))
                origin = header.second;
            else
                headers_.push_back(header);
        }
        pageOrigin_ = originOf(origin.empty() ? referrer_ : origin);
        host_ = originOf(url_).host;
    }

    StepAnswer follow(const StepRequest& request) {
        StepAnswer answer;
        if (!referrer_.empty() && !pageOrigin_.web()) {
            answer.error = "the page it is sent from is not an http or https address";
            return answer;
        }
        for (int redirects = 0;; ++redirects) {
            if (!originOf(url_).web()) {
                answer.error = "not an http or https address";
                return answer;
            }
            AnswerHop hop = next();
            HopAnswer got = sendHop(hop, redirects == 0, headers_,
                                    withBody_ ? &request.body : nullptr, progress_, options_);
            hop.status = got.status;
            if (!got.url.empty()) hop.url = got.url;
            answer.hops.push_back(hop);
            answer.status = got.status;
            answer.url = hop.url;
            answer.contentType = std::move(got.contentType);
            answer.body = std::move(got.body);
            answer.error = std::move(got.error);
            if (!answer.error.empty() || !isRedirect(got.status) || got.location.empty())
                return answer;
            if (redirects == kMaxRedirects) {
                answer.error = "more than 20 redirects";
                return answer;
            }
            if (!originOf(got.location).web()) {
                answer.error = "a redirect to an address other than http or https is not followed";
                return answer;
            }
            redirect(got.status, got.location, answer);
        }
    }

  private:
    // The next request of the way, with the Referer and Origin a browser gives it.
    AnswerHop next() {
        AnswerHop hop{method_, url_, 0, {}, {}};
        // Each request passes on only what it was given: once cut to an origin, or dropped, the
        // Referer stays so.
        if (!referrer_.empty()) referrer_ = hop.referer = refererFor(referrer_, url_);
        if (method_ != "GET" && method_ != "HEAD" && pageOrigin_.web())
            hop.origin = tainted_ ? "null" : originHeaderFor(pageOrigin_, url_);
        return hop;
    }

    void redirect(long status, const std::string& location, StepAnswer& answer) {
        const Origin here = originOf(url_);
        const Origin there = originOf(location);
        // Once a redirect has gone from another origin to a third, the page's origin is not said.
        if (here != there && here != pageOrigin_) tainted_ = true;
        const Redirected again = redirected(method_, status);
        method_ = again.method;
        if (!again.keepsBody) {
            withBody_ = false;
            std::erase_if(headers_, [](const auto& header) {
                return std::any_of(std::begin(kBodyHeaders), std::end(kBodyHeaders),
                                   [&](std::string_view name) { return named(header, name); });
            });
        }
        auto& hosts = answer.otherHosts;
        if (there.host != host_ && std::find(hosts.begin(), hosts.end(), there.host) == hosts.end())
            hosts.push_back(there.host);
        url_ = location;
    }

    const FetchProgress& progress_;
    const FetchOptions& options_;
    Headers headers_;
    std::string referrer_;
    Origin pageOrigin_;
    std::string host_;
    std::string method_;
    std::string url_;
    bool withBody_ = true;
    bool tainted_ = false;
};

}  // namespace

StepAnswer sendRequest(const StepRequest& request, const FetchProgress& progress,
                       const FetchOptions& options) {
    runCookieShare();  // libcurl's global set-up comes before any handle
    return Way(request, progress, options).follow(request);
}

RoadSend cancellableSender(const std::atomic<bool>& cancel, const FetchOptions& options) {
    return [&cancel, options](const StepRequest& request) {
        return sendRequest(
            request, [&cancel](std::size_t) { return !cancel.load(); }, options);
    };
}

}  // namespace verrimo
