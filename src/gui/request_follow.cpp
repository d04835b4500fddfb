#include "request_follow.h"

#include "codepage.h"

namespace verrimo {

namespace {

// Long enough for a burst of typing, or a big text filling the document in slices.
constexpr int kPauseMs = 300;

}  // namespace

RequestFollow::RequestFollow(std::function<SharedText()> definition, const RoadState& road)
    : definition_(std::move(definition)), road_(road) {
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    connect(&pause_, &QTimer::timeout, this, &RequestFollow::Update);
}

RequestFollow::~RequestFollow() {
    // What it sends back is dropped with this object.
    if (worker_.joinable()) worker_.join();
}

void RequestFollow::SetShown(bool shown) {
    shown_ = shown;
    Update();
}

void RequestFollow::DefinitionChanged() {
    if (road_.AnyPage() || shown_) pause_.start();
}

void RequestFollow::Update() {
    pause_.stop();
    if (!road_.AnyPage() && !shown_) return;
    if (working_) {
        again_ = true;
        return;
    }
    if (worker_.joinable()) worker_.join();
    working_ = true;
    worker_ = std::thread([this, text = definition_(), page = road_.Page(),
                           pages = road_.Pages().Pages(), samples = road_.Samples(),
                           cpName = CodePage::program().name()] {
        // The windows' code page object is theirs alone.
        const CodePage cp(cpName);
        std::vector<StepRequest> requests =
            roadRequests(*road_.Read(*text, cp), pages, page, samples, cp);
        QMetaObject::invokeMethod(
            this, [this, r = std::move(requests), text]() mutable { Finished(std::move(r), text); },
            Qt::QueuedConnection);
    });
}

void RequestFollow::Finished(std::vector<StepRequest> requests, SharedText text) {
    working_ = false;
    if (std::exchange(again_, false)) {
        // Already out of date: only the newest are shown.
        Update();
        return;
    }
    requests_ = std::move(requests);
    text_ = std::move(text);
    emit Updated();
}

std::vector<PageFinding> RequestFollow::Findings() const {
    std::vector<PageFinding> findings;
    for (const StepRequest& r : requests_)
        findings.insert(findings.end(), r.findings.begin(), r.findings.end());
    return findings;
}

}  // namespace verrimo
