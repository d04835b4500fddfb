// The road in the windows: a recorded step sent and its answer shown as the next page, the check
// string chosen from that answer, a new road, and the trial run's answers in the browser.
#include <QEvent>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_tag.h"
#include "application.h"
#include "definition.h"
#include "exception_display.h"
#include "file_name.h"
#include "password_ask.h"
#include "replace_file.h"
#include "request_preview.h"
#include "road_run.h"
#include "road_session.h"
#include "sent_step.h"
#include "trial_run.h"
#include "wipe_text.h"

namespace verrimo {

namespace {

// Calls back when the watched window is shown or hidden.
class ShowWatch : public QObject {
  public:
    ShowWatch(QWidget* window, std::function<void(bool shown)> changed)
        : QObject(window), changed_(std::move(changed)) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            changed_(event->type() == QEvent::Show);
        return false;
    }

  private:
    std::function<void(bool)> changed_;
};

// What the bar says after a send: each status of the way, and where the answer came from.
std::string sentText(const StepAnswer& answer, const CodePage& cp) {
    std::string text = cp.fromUtf8("送信しました: ");
    for (std::size_t i = 0; i < answer.hops.size(); ++i)
        text += (i ? cp.fromUtf8(" → ") : std::string()) + std::to_string(answer.hops[i].status);
    text += " " + answer.url;
    for (const std::string& host : answer.otherHosts)
        text += cp.fromUtf8("（別のホストへ: ") + host + cp.fromUtf8("）");
    return text;
}

}  // namespace

void Application::ConnectRoad() {
    TForm2* viewer = form2_.get();
    TrialRun* run = trialRun_.get();
    // The recorded step may go once the walker has been over it, and so written its lines.
    QObject::connect(viewer, &TForm2::FormRecorded, viewer, [this] {
        walkStarted_ = false;
        form2_->EnableSend(false);
    });
    new ShowWatch(formTag_.get(), [this](bool shown) {
        if (shown)
            walkStarted_ = recording_ != nullptr;
        else if (walkStarted_ && recording_)
            form2_->EnableSend(true);
    });
    QObject::connect(viewer, &TForm2::SendRequested, viewer,
                     [this] { guarded([this] { SendStep(); }); });
    QObject::connect(form3_.get(), &TForm3::CheckStringChosen, viewer,
                     [this](const std::string& check) { CloseSentStep(check); });
    QObject::connect(form1_.get(), &TForm1::NewRoadRequested, viewer, [this] { NewRoad(); });
    QObject::connect(form1_.get(), &TForm1::TrialRunRequested, run, [run] { run->Show(); });
    QObject::connect(preview_.get(), &RequestPreview::TrialRunRequested, run,
                     [run] { run->Show(); });
    QObject::connect(run, &TrialRun::AnswerArrived, viewer,
                     [this](const StepAnswer& answer) { guarded([&] { ShowRunAnswer(answer); }); });
}

void Application::SendStep() {
    const CodePage& cp = CodePage::program();
    const ReadPage shown = requests_->Page();
    const auto definition = reader_.Read(*form1_->Definition(), cp);
    SampleValues samples = requests_->Samples();
    if (!shown.forms || definition->steps().empty())
        throw UserError(
            "送信しませんでした: 定義に手順がありません（リファと action を追加してください）");
    const std::size_t lastStep = definition->steps().size() - 1;
    const std::optional<StepRequest> last =
        stepOnPage(*definition, lastStep, shown.forms, samples, cp);
    for (const PageFinding& f : last->findings)
        if (findingStopsStep(f.rule))
            throw UserError(
                "送信しませんでした: 定義の最後の手順がこのページのフォームに合いません（" +
                std::to_string(f.line + 1) + " 行目: " + f.message + "）");

    const WipeAtEnd wipeSamples([&] { wipeText(samples.password); });
    LoadRequest request;
    const bool withPassword =
        std::any_of(last->fields.begin(), last->fields.end(),
                    [](const RequestField& f) { return f.sampleOf == definition::kPass; });
    if (withPassword) {
        std::optional<std::string> typed = askPassword(
            form2_.get(), "この手順は Zem-Pass の項目を送ります。送るパスワードを入れてください。");
        if (!typed) return;
        wipeText(samples.password);
        samples.password = *typed;
        wipeText(*typed);
    }
    request.send = stepOnPage(*definition, lastStep, shown.forms, samples, cp);
    const WipeAtEnd wipeSent([&] { wipeRequest(*request.send); });

    // The answer's texts that the page it was sent from lacks, worked out as it is received.
    auto proposals = std::make_shared<std::vector<std::string>>();
    const std::shared_ptr<const RoadPage> before = roadPages_.Of(shown.forms);
    request.received = [proposals, before, cpName = cp.name()](std::string_view body,
                                                               std::string_view type) {
        const CodePage own(cpName);
        *proposals = checkStringProposals(
            {body, type}, before ? ReceivedPage{before->body, before->contentType} : ReceivedPage{},
            own);
    };
    const LoadedPage answered = LoadPage(request);
    const StepAnswer& answer = *answered.answer;
    if (!answered.forms.forms)
        throw UserError("送信できませんでした: " +
                        (answer.error.empty() ? std::string("答えがありません") : answer.error));
    form2_->ShowSent(sentText(answer, cp));
    form3_->ShowProposals(*proposals);
    form3_->ShowLoaded();
}

void Application::CloseSentStep(const std::string& check) {
    const CodePage& cp = CodePage::program();
    const StepTexts closed =
        closeSentStep(*reader_.Read(*form1_->Definition(), cp), form1_->HeldText(), check, cp);
    form1_->ReplaceTexts(closed.definition, closed.held);
}

void Application::NewRoad() {
    startNewRoad();
    roadPages_.Clear();
    requests_->SetRoadPages({});
}

void Application::ShowRunAnswer(const StepAnswer& answer) {
    // The browser shows another page than the one the recording was made on.
    DiscardRecording();
    const std::string scratch = places_->scratch();
    if (!replaceFile(scratch, answer.body)) throw fileNotCreated(fileName(scratch));
    form2_->Navigate(scratch);
}

std::shared_ptr<RoadPage> Application::ReceiveForRoad(LoadRequest& request) {
    auto kept = std::make_shared<RoadPage>();
    request.received = [kept, also = std::move(request.received)](std::string_view body,
                                                                  std::string_view type) {
        kept->contentType = type;
        if (body.size() <= RoadPages::kMostBytes) kept->body = body;
        if (also) also(body, type);
    };
    return kept;
}

void Application::KeepRoadPage(std::shared_ptr<RoadPage> page, const ReadPage& read) {
    page->url = read.url;
    page->forms = read.forms;
    roadPages_.Keep(std::move(page));
    requests_->SetRoadPages(roadPages_.Pages());
}

}  // namespace verrimo
