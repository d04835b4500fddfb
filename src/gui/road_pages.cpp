#include "road_pages.h"

#include <algorithm>

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

std::vector<StepRequest> roadRequests(const ParsedDefinition& definition, const RoadPageList& pages,
                                      const ReadPage& shown, const SampleValues& samples,
                                      const CodePage& cp) {
    std::vector<ReadPage> all;
    if (shown.forms) all.push_back(shown);
    for (const auto& page : pages)
        if (page->forms) all.push_back({page->forms, page->url});
    return definitionRequests(definition, all, samples, cp);
}

}  // namespace verrimo
