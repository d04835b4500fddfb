// The pages of the road: the page each step is sent from, kept in memory until a new road, so
// that each step is built and checked against its own page.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "form_request.h"

namespace verrimo {

struct RoadPage {
    std::string url;  // the address typed, or the one that answered after its redirects
    std::string contentType;
    std::string body;  // as received
    std::shared_ptr<const PageForms> forms;
};

using RoadPageList = std::vector<std::shared_ptr<const RoadPage>>;

// At most kMostPages pages and kMostBytes bytes of them, the oldest dropped first; a page bigger
// than the whole bound is not kept.
class RoadPages {
  public:
    static constexpr std::size_t kMostPages = 16;
    static constexpr std::size_t kMostBytes = 64u << 20;

    // A page of the same address replaces the one kept before.
    void Keep(std::shared_ptr<const RoadPage> page);
    void Clear();
    RoadPageList Pages() const { return {pages_.begin(), pages_.end()}; }
    // The kept page read as forms, when it is kept.
    std::shared_ptr<const RoadPage> Of(const std::shared_ptr<const PageForms>& forms) const;

  private:
    std::deque<std::shared_ptr<const RoadPage>> pages_;
    std::size_t bytes_ = 0;
};

// The requests of the definition against the page shown (without forms when nothing is shown)
// and the road's kept pages: each step against the first of them that is its own.
std::vector<StepRequest> roadRequests(const ParsedDefinition& definition, const RoadPageList& pages,
                                      const ReadPage& shown, const SampleValues& samples,
                                      const CodePage& cp);

}  // namespace verrimo
