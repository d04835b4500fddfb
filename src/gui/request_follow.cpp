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

RequestFollow::~RequestFollow() {
    // What it sends back is dropped with this object.
    if (worker_.joinable()) worker_.join();
}

void RequestFollow::SetPage(std::shared_ptr<const PageForms> page) {
    page_ = std::move(page);
    Update();
}

void RequestFollow::SetRoadPages(RoadPageList pages) {
    roadPages_ = std::move(pages);
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
    if (working_) {
        again_ = true;
        return;
    }
    if (worker_.joinable()) worker_.join();
    working_ = true;
    worker_ = std::thread([this, text = definition_(), page = page_, pages = roadPages_,
                           samples = samples_, cpName = CodePage::program().name()] {
        // The windows' code page object is theirs alone; the pages' are used by this thread only.
        const CodePage cp(cpName);
        std::vector<StepRequest> requests = roadRequests(*text, pages, page.get(), samples, cp);
        QMetaObject::invokeMethod(
            this, [this, r = std::move(requests)]() mutable { Finished(std::move(r)); },
            Qt::QueuedConnection);
    });
}

void RequestFollow::Finished(std::vector<StepRequest> requests) {
    working_ = false;
    if (std::exchange(again_, false)) {
        // Already out of date: only the newest are shown.
        Update();
        return;
    }
    requests_ = std::move(requests);
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
