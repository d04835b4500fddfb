// The trial run: the definition's steps in order against the site, each sent only once the user
// said so, with what each answered. The run goes on a thread of its own; the window only shows
// it and passes on what the user chose.
#pragma once

#include <QPlainTextEdit>
#include <QPushButton>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "controls.h"
#include "fetch.h"
#include "form.h"
#include "road_run.h"
#include "road_state.h"
#include "shared_text.h"

namespace verrimo {

class TrialRun : public TForm {
    Q_OBJECT

  public:
    // definition: the definition's bytes as they are now; road: the sample values and the
    // password held for the road; fetch: how pages are downloaded.
    TrialRun(std::function<SharedText()> definition, RoadState& road,
             std::function<FetchOptions()> fetch);
    // Cancels a run under way and waits for it to end.
    ~TrialRun() override;

    void Button_startClick(QObject* Sender);
    void Button_sendClick(QObject* Sender);
    void Button_sendAllClick(QObject* Sender);
    void Button_abortClick(QObject* Sender);
    void Button_cancelClick(QObject* Sender);
    void Button_closeClick(QObject* Sender);
    void Button_repairClick(QObject* Sender);

    bool Running() const { return running_; }

    TLabel* Label_intro;
    TLabel* Label_pass;
    TEdit* Edit_pass;
    QPushButton* Button_start;
    QPushButton* Button_cancel;
    QPlainTextEdit* Memo_steps;
    TLabel* Label_ask;
    QPushButton* Button_send;
    QPushButton* Button_sendAll;
    QPushButton* Button_abort;
    TLabel* Label_state;
    QPushButton* Button_close;
    // Once the run stopped on a step that no longer fits its page.
    QPushButton* Button_repair;

  signals:
    // A step was sent and this came back: for the browser tab.
    void AnswerArrived(const StepAnswer& answer);
    // 修復案… for the page the run stopped on.
    void RepairRequested(const StepAnswer& page);

  protected:
    void FormShow() override;
    void hideEvent(QHideEvent* event) override;

  private:
    // On the run's thread: asks the window and waits for the user, or for the cancel.
    SendChoice Ask(const RoadStep& step);
    // On the window's thread.
    void Asked(const RoadStep& step);
    void StepDone(const RoadStep& step);
    void Ended(std::optional<StepOutcome> outcome, const std::string& error);
    void Choose(SendChoice choice);
    void Cancel();
    void ShowState();
    // The password field says whether the road holds a password.
    void ShowPasswordHeld();

    std::function<SharedText()> definition_;
    RoadState& road_;
    std::function<FetchOptions()> fetch_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::condition_variable answered_;
    std::optional<SendChoice> choice_;  // the user's, for the step asked about
    // The page the next step is built on when it has no referrer page of its own, and the page
    // of the step the run stopped on.
    std::optional<StepAnswer> lastAnswer_, stoppedPage_;
    bool running_ = false;
    bool asking_ = false;
};

}  // namespace verrimo
