// The requests of the definition as it changes, against the road's pages. They are worked out on
// a thread of their own a moment after the last edit, and only while they are wanted: while the
// preview shows them, or while a page is loaded, whose findings the definition text shows.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "form_request.h"
#include "road_state.h"
#include "shared_text.h"

namespace verrimo {

class RequestFollow : public QObject {
    Q_OBJECT

  public:
    // definition: the definition's bytes as they are now; road: the pages and samples, read as
    // they are when the work starts.
    RequestFollow(std::function<SharedText()> definition, const RoadState& road);
    ~RequestFollow() override;

    void SetShown(bool shown);
    // Works the requests out again once the edits pause.
    void DefinitionChanged();
    // Starts working the requests out, when they are wanted; Updated tells when they are.
    void Update();

    const std::vector<StepRequest>& Requests() const { return requests_; }
    // The definition's bytes that the requests were worked out from.
    const SharedText& Text() const { return text_; }
    bool Shown() const { return shown_; }
    // Every step's findings against its page.
    std::vector<PageFinding> Findings() const;

  signals:
    void Updated();

  private:
    void Finished(std::vector<StepRequest> requests, SharedText text);

    std::function<SharedText()> definition_;
    const RoadState& road_;
    bool shown_ = false;
    std::vector<StepRequest> requests_;
    SharedText text_;
    QTimer pause_;
    std::thread worker_;
    bool working_ = false;
    bool again_ = false;  // something changed while the worker was at it
};

}  // namespace verrimo
