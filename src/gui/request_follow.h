// The requests of the definition as it changes, against the page last loaded. They are worked
// out a moment after the last edit, and only while they are wanted: while the preview shows
// them, or while a page is loaded, whose findings the definition text shows.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "form_request.h"
#include "page_load.h"
#include "shared_text.h"

namespace verrimo {

class RequestFollow : public QObject {
    Q_OBJECT

  public:
    // definition: the definition's bytes as they are now.
    explicit RequestFollow(std::function<SharedText()> definition);

    // The page the first step's referrer line stands for; none before the first load.
    void SetPage(std::shared_ptr<const PageForms> page);
    void SetSamples(const SampleValues& samples);
    void SetShown(bool shown);
    // Works the requests out again once the edits pause.
    void DefinitionChanged();
    // Works the requests out now, when they are wanted.
    void Update();

    const std::vector<StepRequest>& Requests() const { return requests_; }
    bool PageLoaded() const { return page_ != nullptr; }
    bool Shown() const { return shown_; }
    const SampleValues& Samples() const { return samples_; }
    // Every step's findings against the loaded page; none without a page.
    std::vector<PageFinding> Findings() const;

  signals:
    void Updated();

  private:
    std::function<SharedText()> definition_;
    std::shared_ptr<const PageForms> page_;
    SampleValues samples_;
    bool shown_ = false;
    std::vector<StepRequest> requests_;
    QTimer pause_;
};

}  // namespace verrimo
