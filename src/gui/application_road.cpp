// The road in the windows: a recorded step sent and its answer shown as the next page, the check
// string chosen from that answer, and the trial run's answers in the browser.

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
#include "sent_step.h"
#include "trial_run.h"
#include "wipe_text.h"

namespace verrimo {

namespace {

// "Zem-ID、Zem-email"
std::string keywords(const std::vector<std::string_view>& words, const CodePage& cp) {
    std::string text;
    for (const std::string_view word : words)
        text += (text.empty() ? std::string() : cp.fromUtf8("、")) + std::string(word);
    return text;
}

// The question before a step that sends Zem-Pass, naming the sample values that stand in.
QString passwordQuestion(const std::vector<std::string_view>& standIns, const CodePage& cp) {
    QString question =
        "この手順は Zem-Pass の項目を送ります。送るパスワードを入れてください"
        "（この道順の間だけメモリーに持ち、どこにも書きません）。";
    if (!standIns.empty())
        question += "入力のなかった " + QString::fromStdString(cp.toUtf8(keywords(standIns, cp))) +
                    " にはサンプル値を送ります。";
    return question;
}

// What the bar says after a send: each status of the way, where the answer came from, the form
// sent when it came back, and the sample values that stood in for what was not typed.
std::string sentText(const StepAnswer& answer, bool formCameBack,
                     const std::vector<std::string_view>& standIns, const CodePage& cp) {
    std::string text = cp.fromUtf8("送信しました: ");
    for (std::size_t i = 0; i < answer.hops.size(); ++i)
        text += (i ? cp.fromUtf8(" → ") : std::string()) + std::to_string(answer.hops[i].status);
    text += " " + answer.url;
    for (const std::string& host : answer.otherHosts)
        text += cp.fromUtf8("（別のホストへ: ") + host + cp.fromUtf8("）");
    if (formCameBack)
        text += cp.fromUtf8(
            "。答えは送ったのと同じフォームです（サイトは値を受け付けなかったようです）");
    if (!standIns.empty())
        text += cp.fromUtf8("。サンプル値を送りました: ") + keywords(standIns, cp);
    return text;
}

}  // namespace

void Application::ConnectRoad() {
    TForm2* viewer = form2_.get();
    TrialRun* run = trialRun_.get();
    RoadState* road = road_.get();
    QObject::connect(road, &RoadState::RecordingChanged, viewer,
                     [this](const FormRecording* recording) { ShowRecording(recording); });
    QObject::connect(road, &RoadState::SendReadyChanged, viewer, &TForm2::EnableSend);
    QObject::connect(road, &RoadState::PagesChanged, requests_.get(), &RequestFollow::Update);
    QObject::connect(formTag_.get(), &TForm_tag::RecordedFormWalked, road,
                     &RoadState::RecordingWalked);
    QObject::connect(viewer, &TForm2::SendRequested, viewer,
                     [this] { guarded([this] { SendStep(); }); });
    QObject::connect(form3_.get(), &TForm3::CheckStringChosen, viewer,
                     [this](const std::string& check) { CloseSentStep(check); });
    QObject::connect(form1_.get(), &TForm1::NewRoadRequested, road, &RoadState::NewRoad);
    QObject::connect(form1_.get(), &TForm1::TrialRunRequested, run, [run] { run->Show(); });
    QObject::connect(preview_.get(), &RequestPreview::TrialRunRequested, run,
                     [run] { run->Show(); });
    QObject::connect(run, &TrialRun::AnswerArrived, viewer,
                     [this](const StepAnswer& answer) { guarded([&] { ShowRunAnswer(answer); }); });
}

void Application::SendStep() {
    const CodePage& cp = CodePage::program();
    const ReadPage shown = road_->Page();
    const auto definition = road_->Read(*form1_->Definition(), cp);
    SampleValues samples = road_->Identities();
    const WipeAtEnd wipeSamples([&] { wipeText(samples.password); });
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

    // What the user typed goes, as the browser would have sent it, in this step and the road's
    // later ones.
    const std::optional<RecordedForm>& recorded = road_->Recorded();
    if (recorded)
        for (const std::string_view keyword : useTypedIdentities(*last, *recorded, samples, cp))
            road_->HoldTyped(keyword, keyword == definition::kId ? samples.id : samples.email);
    std::vector<std::string_view> standIns;
    for (const std::string_view keyword : {definition::kId, definition::kEmail})
        if (road_->SendsSample(keyword) &&
            std::any_of(last->fields.begin(), last->fields.end(),
                        [&](const RequestField& f) { return f.sampleOf == keyword; }))
            standIns.push_back(keyword);
    const bool withPassword =
        std::any_of(last->fields.begin(), last->fields.end(),
                    [](const RequestField& f) { return f.sampleOf == definition::kPass; });
    if (withPassword && !road_->HoldsPassword()) {
        std::optional<std::string> typed =
            askPassword(form2_.get(), passwordQuestion(standIns, cp));
        if (!typed) return;
        road_->HoldPassword(*typed);
    }
    if (withPassword) {
        // An empty password typed is held as none: it goes empty, and the next step asks again.
        const std::string* held = road_->Password();
        wipeText(samples.password);
        if (held) samples.password = *held;
    }
    LoadRequest request;
    request.send = stepOnPage(*definition, lastStep, shown.forms, samples, cp);
    const WipeAtEnd wipeSent([&] { wipeRequest(*request.send); });
    const FormRecording* recording = road_->Recording();
    const std::optional<Form> sentForm =
        recording && recording->formIndex < shown.forms->forms.size()
            ? std::optional<Form>(shown.forms->forms[recording->formIndex])
            : std::nullopt;

    // The answer's texts that the page it was sent from lacks, worked out as it is received.
    auto proposals = std::make_shared<std::vector<std::string>>();
    const std::shared_ptr<const RoadPage> before = road_->Pages().Of(shown.forms);
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
    const bool cameBack = sentForm && formCameBack(*sentForm, answered.forms.forms->forms);
    form2_->ShowSent(sentText(answer, cameBack, standIns, cp));
    form3_->ShowProposals(*proposals);
    form3_->ShowLoaded();
}

void Application::CloseSentStep(const std::string& check) {
    const CodePage& cp = CodePage::program();
    const StepTexts closed =
        closeSentStep(*road_->Read(*form1_->Definition(), cp), form1_->HeldText(), check, cp);
    form1_->ReplaceTexts(closed.definition, closed.held);
}

void Application::ShowRunAnswer(const StepAnswer& answer) {
    // The browser shows another page than the one the recording was made on.
    road_->DiscardRecording();
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

}  // namespace verrimo
