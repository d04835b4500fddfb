#include "trial_run.h"

#include <QHideEvent>

#include "codepage.h"
#include "make_controls.h"
#include "road_session.h"
#include "send_request.h"
#include "wipe_text.h"

namespace verrimo {

namespace {

QString outcomeText(StepOutcome outcome) {
    switch (outcome) {
        case StepOutcome::Passed:
            return "通過";
        case StepOutcome::Stopped:
            return "送信せずに止めました（ページが定義に合いません）";
        case StepOutcome::CheckMissing:
            return "答えに chk-moji がありません";
        case StepOutcome::NotFetched:
            return "ページを読めませんでした";
        case StepOutcome::Declined:
            return "中止しました（送信していません）";
        case StepOutcome::Cancelled:
            return "キャンセルしました";
    }
    return {};
}

QString text(std::string_view bytes, const CodePage& cp) {
    return QString::fromStdString(cp.toUtf8(bytes));
}

// The statuses of the way and where it ended: "303 → 200 http://…".
QString wayText(const StepAnswer& answer, const CodePage& cp) {
    QStringList statuses;
    for (const AnswerHop& hop : answer.hops) statuses << QString::number(hop.status);
    QString way = statuses.join(" → ") + " " + text(answer.url, cp);
    for (const std::string& host : answer.otherHosts)
        way += "（別のホストへ: " + text(host, cp) + "）";
    if (!answer.error.empty()) way += "（" + text(answer.error, cp) + "）";
    return way;
}

QString stepText(const RoadStep& step, const CodePage& cp) {
    QStringList lines{
        QString("手順 %1\u3000%2").arg(step.index + 1).arg(outcomeText(step.outcome))};
    if (!step.request.method.empty())
        lines << "  " + QString::fromStdString(step.request.method) + " " +
                     text(step.request.url, cp);
    if (step.referrerPage) lines << "  リファのページ: " + wayText(*step.referrerPage, cp);
    lines << "  答え: " + (step.answer.hops.empty() ? QString("送信していません")
                                                    : wayText(step.answer, cp));
    if (step.checkString && !step.answer.hops.empty())
        lines << "  chk-moji「" + text(*step.checkString, cp) +
                     "」: " + (step.checkFound ? "答えにあります" : "答えにありません");
    for (const PageFinding& f : step.request.findings)
        lines
            << QString("  指摘 %1 行目: %2").arg(f.line + 1).arg(QString::fromStdString(f.message));
    return lines.join("\n");
}

}  // namespace

TrialRun::TrialRun(std::function<SharedText()> definition, RoadState& road,
                   std::function<FetchOptions()> fetch)
    : definition_(std::move(definition)), road_(road), fetch_(std::move(fetch)) {
    setObjectName("TrialRun");
    setWindowTitle("試走");
    setFormFrame(this, 640, 568);

    Label_intro = makeLabel("Label_intro",
                            "定義の手順を順にサイトへ送って確かめます。送信の前に毎回たずねます。"
                            "クッキーのない状態から始めます。パスワードはこの道順の間だけメモリーに"
                            "持ち、どこにも書きません。",
                            this, {8, 6, 624, 36});
    Label_intro->setWordWrap(true);
    Label_pass = makeLabel("Label_pass", "Zem-Pass", this, {8, 52, 72, 20});
    Edit_pass = makeEdit("Edit_pass", "", this, {80, 50, 240, 24});
    Edit_pass->setEchoMode(QLineEdit::Password);
    Edit_pass->setAccessibleName("パスワード（Zem-Pass）");
    Label_pass->setBuddy(Edit_pass);
    Button_start = makeButton("Button_start", "開始", this, {328, 48, 96, 28});
    Button_cancel = makeButton("Button_cancel", "キャンセル", this, {432, 48, 96, 28});
    Memo_steps = new QPlainTextEdit(this);
    Memo_steps->setObjectName("Memo_steps");
    Memo_steps->setGeometry(8, 84, 624, 364);
    Memo_steps->setReadOnly(true);
    Memo_steps->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_steps->setAccessibleName("手順ごとの結果");
    Label_ask = makeLabel("Label_ask", "", this, {8, 454, 624, 40});
    Label_ask->setWordWrap(true);
    Button_send = makeButton("Button_send", "送信する", this, {8, 498, 120, 28});
    Button_sendAll = makeButton("Button_sendAll", "残りをすべて送信", this, {136, 498, 160, 28});
    Button_abort = makeButton("Button_abort", "中止", this, {304, 498, 96, 28});
    Label_state = makeLabel("Label_state", "", this, {8, 538, 424, 20});
    Button_repair = makeButton("Button_repair", "修復案…", this, {440, 534, 96, 28});
    Button_close = makeButton("Button_close", "閉じる", this, {544, 534, 88, 28});

    connectClick(Button_start, this, &TrialRun::Button_startClick);
    connectClick(Button_cancel, this, &TrialRun::Button_cancelClick);
    connectClick(Button_send, this, &TrialRun::Button_sendClick);
    connectClick(Button_sendAll, this, &TrialRun::Button_sendAllClick);
    connectClick(Button_abort, this, &TrialRun::Button_abortClick);
    connectClick(Button_close, this, &TrialRun::Button_closeClick);
    connectClick(Button_repair, this, &TrialRun::Button_repairClick);
    ShowState();
}

TrialRun::~TrialRun() {
    Cancel();
    if (worker_.joinable()) worker_.join();
}

void TrialRun::Button_startClick(QObject*) {
    if (running_) return;
    if (worker_.joinable()) worker_.join();
    SampleValues samples = road_.Identities();
    std::string typed = Edit_pass->Text();
    Edit_pass->clear();
    if (!typed.empty()) road_.HoldPassword(typed);
    if (const std::string* held = road_.Password()) {
        wipeText(samples.password);
        samples.password = *held;
    }
    ShowPasswordHeld();
    // As the host starts: with no cookie; the walk keeps its own.
    FetchOptions fetch = fetch_();
    fetch.cookies = newCookieJar();
    Memo_steps->clear();
    lastAnswer_.reset();
    stoppedPage_.reset();
    Label_state->setText("試走中です");
    cancel_ = false;
    choice_.reset();
    running_ = true;
    ShowState();
    const auto post = [this](auto shown) {
        QMetaObject::invokeMethod(this, std::move(shown), Qt::QueuedConnection);
    };
    worker_ = std::thread([this, post, text = definition_(), samples = std::move(samples),
                           cpName = CodePage::program().name(), fetch]() mutable {
        RoadRunOptions options;
        options.samples = std::move(samples);
        options.password = SealedText(options.samples.password);
        options.cancel = &cancel_;
        std::optional<StepOutcome> outcome;
        std::string error;
        {
            const WipeAtEnd wiped([&] { wipeText(options.samples.password); });
            RoadCallbacks callbacks;
            callbacks.send = cancellableSender(cancel_, fetch);
            callbacks.ask = [this](const RoadStep& step) { return Ask(step); };
            callbacks.stepDone = [post, this](const RoadStep& step) {
                post([this, step] { StepDone(step); });
            };
            try {
                // The windows' code page object is theirs alone.
                const CodePage cp(cpName);
                outcome = runRoad(*road_.Read(*text, cp), cp, options, callbacks);
            } catch (const std::exception& failure) {
                error = failure.what();
            }
        }
        post([this, outcome, error] { Ended(outcome, error); });
    });
}

SendChoice TrialRun::Ask(const RoadStep& step) {
    QMetaObject::invokeMethod(
        this, [this, step] { Asked(step); }, Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [this] { return choice_.has_value() || cancel_.load(); });
    const SendChoice choice = choice_.value_or(SendChoice::Abort);
    choice_.reset();
    return choice;
}

void TrialRun::Asked(const RoadStep& step) {
    if (!running_ || cancel_) return;
    const CodePage& cp = CodePage::program();
    asking_ = true;
    Label_ask->setText(
        QString("手順 %1 を送信しますか？ %2 %3（送信するとサイトのデータが変わることがあります）")
            .arg(step.index + 1)
            .arg(QString::fromStdString(step.request.method), text(step.request.url, cp)));
    ShowState();
    Button_send->setFocus();
}

void TrialRun::StepDone(const RoadStep& step) {
    Memo_steps->appendPlainText(stepText(step, CodePage::program()));
    if (step.referrerPage) lastAnswer_ = *step.referrerPage;
    if (step.outcome == StepOutcome::Stopped) stoppedPage_ = lastAnswer_;
    lastAnswer_ = step.answer;
    if (!step.answer.hops.empty()) emit AnswerArrived(step.answer);
}

void TrialRun::Ended(std::optional<StepOutcome> outcome, const std::string& error) {
    if (worker_.joinable()) worker_.join();
    running_ = false;
    asking_ = false;
    Label_ask->clear();
    if (!error.empty())
        Label_state->setText("試走できませんでした: " + QString::fromStdString(error));
    else if (cancel_)
        Label_state->setText("試走をキャンセルしました");
    else if (outcome == StepOutcome::Passed)
        Label_state->setText("試走が終わりました: すべての手順が通過しました");
    else
        Label_state->setText("試走が止まりました: " + outcomeText(*outcome));
    ShowState();
}

void TrialRun::Choose(SendChoice choice) {
    if (!asking_) return;
    asking_ = false;
    Label_ask->clear();
    ShowState();
    {
        const std::lock_guard lock(mutex_);
        choice_ = choice;
    }
    answered_.notify_all();
}

void TrialRun::Cancel() {
    {
        const std::lock_guard lock(mutex_);
        cancel_ = true;
    }
    answered_.notify_all();
}

void TrialRun::ShowState() {
    Button_start->setEnabled(!running_);
    Edit_pass->setEnabled(!running_);
    Button_cancel->setEnabled(running_);
    Button_repair->setEnabled(!running_ && stoppedPage_.has_value());
    for (QPushButton* button : {Button_send, Button_sendAll, Button_abort})
        button->setEnabled(asking_);
}

void TrialRun::Button_sendClick(QObject*) {
    Choose(SendChoice::Send);
}

void TrialRun::Button_sendAllClick(QObject*) {
    Choose(SendChoice::SendAll);
}

void TrialRun::Button_abortClick(QObject*) {
    Choose(SendChoice::Abort);
}

void TrialRun::Button_cancelClick(QObject*) {
    if (!running_) return;
    asking_ = false;
    Label_ask->clear();
    Label_state->setText("キャンセルしています");
    Cancel();
    ShowState();
}

void TrialRun::Button_closeClick(QObject*) {
    Close();
}

void TrialRun::Button_repairClick(QObject*) {
    if (!running_ && stoppedPage_) emit RepairRequested(*stoppedPage_);
}

void TrialRun::FormShow() {
    ShowPasswordHeld();
}

void TrialRun::ShowPasswordHeld() {
    Edit_pass->setPlaceholderText(road_.HoldsPassword() ? "この道順で入れたパスワードを使います"
                                                        : "空のときはサンプル値");
}

void TrialRun::hideEvent(QHideEvent* event) {
    // A run nobody sees goes no further.
    if (running_) Button_cancelClick(this);
    TForm::hideEvent(event);
}

}  // namespace verrimo
