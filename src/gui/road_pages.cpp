#include "road_pages.h"

#include <algorithm>

#include "road_run.h"

namespace verrimo {

void RoadPages::Keep(std::shared_ptr<const RoadPage> page) {
    if (page->body.size() > kMostBytes) return;
    const auto same = std::find_if(pages_.begin(), pages_.end(),
                                   [&](const auto& kept) { return kept->url == page->url; });
    if (same != pages_.end()) {
        bytes_ -= (*same)->body.size();
        pages_.erase(same);
    }
    bytes_ += page->body.size();
    pages_.push_back(std::move(page));
    while (pages_.size() > kMostPages || bytes_ > kMostBytes) {
        bytes_ -= pages_.front()->body.size();
        pages_.pop_front();
    }
}

void RoadPages::Clear() {
    pages_.clear();
    bytes_ = 0;
}

std::shared_ptr<const RoadPage> RoadPages::Of(const std::shared_ptr<const PageForms>& forms) const {
    const auto kept = std::find_if(pages_.begin(), pages_.end(),
                                   [&](const auto& page) { return page->forms == forms; });
    return kept == pages_.end() ? nullptr : *kept;
}

std::vector<StepRequest> roadRequests(std::string_view definition, const RoadPageList& pages,
                                      const PageForms* shown, const SampleValues& samples,
                                      const CodePage& cp) {
    std::vector<StepRequest> requests =
        definitionRequests(definition, shown ? shown->requestPage() : RequestPage{}, samples, cp);
    // The request builder checks the first step alone against a page; a step whose referrer is a
    // page of the road is built again against that page.
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const auto& headers = requests[i].headers;
        const auto referrer = std::find_if(headers.begin(), headers.end(),
                                           [](const auto& h) { return h.first == "Referer"; });
        if (referrer == headers.end()) continue;
        const auto page = std::find_if(pages.begin(), pages.end(), [&](const auto& p) {
            return p->forms && p->url == referrer->second;
        });
        if (page == pages.end()) continue;
        if (auto own = stepOnPage(definition, i, (*page)->forms->requestPage(), samples, cp))
            requests[i] = std::move(*own);
    }
    return requests;
}

}  // namespace verrimo
