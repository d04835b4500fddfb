// The requests of the definition as it changes, against the page last loaded. They are worked
// out on a thread of their own a moment after the last edit, and only while they are wanted:
// while the preview shows them, or while a page is loaded, whose findings the definition text
// shows.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "form_request.h"
#include "page_load.h"
#include "road_pages.h"
#include "shared_text.h"

namespace verrimo {

class RequestFollow : public QObject {
    Q_OBJECT

  public:
    // definition: the definition's bytes as they are now.
    explicit RequestFollow(std::function<SharedText()> definition);
    ~RequestFollow() override;

    // The page the first step's referrer line stands for; none before the first load.
    void SetPage(std::shared_ptr<const PageForms> page);
    // The road's pages, each the page of the steps whose referrer it is.
    void SetRoadPages(RoadPageList pages);
    void SetSamples(const SampleValues& samples);
    void SetShown(bool shown);
    // Works the requests out again once the edits pause.
    void DefinitionChanged();
    // Starts working the requests out, when they are wanted; Updated tells when they are.
    void Update();

    const std::vector<StepRequest>& Requests() const { return requests_; }
    bool PageLoaded() const { return page_ != nullptr; }
    const std::shared_ptr<const PageForms>& Page() const { return page_; }
    bool Shown() const { return shown_; }
    const SampleValues& Samples() const { return samples_; }
    // Every step's findings against the loaded page; none without a page.
    std::vector<PageFinding> Findings() const;

  signals:
    void Updated();

  private:
    void Finished(std::vector<StepRequest> requests);

    std::function<SharedText()> definition_;
    std::shared_ptr<const PageForms> page_;
    RoadPageList roadPages_;
    SampleValues samples_;
    bool shown_ = false;
    std::vector<StepRequest> requests_;
    QTimer pause_;
    std::thread worker_;
    bool working_ = false;
    bool again_ = false;  // something changed while the worker was at it
};

}  // namespace verrimo
