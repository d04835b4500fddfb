#include "request_follow.h"

#include "codepage.h"

namespace verrimo {

namespace {

// Long enough for a burst of typing, or a big text filling the document in slices.
constexpr int kPauseMs = 300;

}  // namespace

RequestFollow::RequestFollow(std::function<SharedText()> definition)
    : definition_(std::move(definition)) {
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    connect(&pause_, &QTimer::timeout, this, &RequestFollow::Update);
}

void RequestFollow::SetPage(std::shared_ptr<const PageForms> page) {
    page_ = std::move(page);
    Update();
}

void RequestFollow::SetSamples(const SampleValues& samples) {
    samples_ = samples;
    Update();
}

void RequestFollow::SetShown(bool shown) {
    shown_ = shown;
    Update();
}

void RequestFollow::DefinitionChanged() {
    if (page_ || shown_) pause_.start();
}

void RequestFollow::Update() {
    pause_.stop();
    if (!page_ && !shown_) return;
    const SharedText text = definition_();
    requests_ = definitionRequests(*text, page_ ? page_->requestPage() : RequestPage{}, samples_,
                                   CodePage::program());
    emit Updated();
}

std::vector<PageFinding> RequestFollow::Findings() const {
    std::vector<PageFinding> findings;
    if (page_)
        for (const StepRequest& r : requests_)
            findings.insert(findings.end(), r.findings.begin(), r.findings.end());
    return findings;
}

}  // namespace verrimo
