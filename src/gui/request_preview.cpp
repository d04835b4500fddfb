#include "request_preview.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <algorithm>
#include <span>

#include "codepage.h"
#include "make_controls.h"
#include "request_document.h"
#include "request_text.h"

namespace verrimo {

namespace {

// A long definition shows its first steps only, so that the text stays quick to lay out: 200
// of them, fewer when their fields come to more than 1,000 rows of tables, but always the first.
constexpr std::size_t kShownSteps = 200;
constexpr std::size_t kShownRows = 1000;

std::size_t shownSteps(std::span<const StepRequest> steps) {
    std::size_t shown = 0;
    for (std::size_t rows = 0; shown < std::min(steps.size(), kShownSteps); ++shown) {
        rows += steps[shown].fields.size();
        if (shown > 0 && rows > kShownRows) break;
    }
    return shown;
}

}  // namespace

RequestPreview::RequestPreview() {
    setObjectName("RequestPreview");
    setWindowTitle("送信内容");
    setFormFrame(this, 640, 560);

    Label_step = makeLabel("Label_step", "手順", this, {8, 11, 40, 20});
    CB_step = new QComboBox(this);
    CB_step->setObjectName("CB_step");
    CB_step->setGeometry(48, 8, 320, 26);
    Button_copy = makeButton("Button_copy", "コピー (curl)", this, {376, 7, 128, 28});
    Button_run = makeButton("Button_run", "試走…", this, {512, 7, 120, 28});
    connect(Button_run, &QPushButton::clicked, this, &RequestPreview::TrialRunRequested);
    Label_page = makeLabel("Label_page", "", this, {8, 40, 624, 20});
    Memo_request = new QTextEdit(this);
    Memo_request->setObjectName("Memo_request");
    Memo_request->setGeometry(8, 64, 624, 360);
    Memo_request->setReadOnly(true);
    Memo_request->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo_request->setLineWrapMode(QTextEdit::NoWrap);
    Memo_request->document()->setUndoRedoEnabled(false);
    Memo_request->setAccessibleName("送信内容");
    Label_samples =
        makeLabel("Label_samples", "サンプル値（送信時にホストが入れる値の代わりに見せる値）", this,
                  {8, 434, 624, 20});
    Label_id = makeLabel("Label_id", "Zem-ID", this, {8, 462, 72, 20});
    Edit_id = makeEdit("Edit_id", "", this, {80, 460, 200, 24});
    Label_pass = makeLabel("Label_pass", "Zem-Pass", this, {296, 462, 72, 20});
    Edit_pass = makeEdit("Edit_pass", "", this, {368, 460, 200, 24});
    Label_email = makeLabel("Label_email", "Zem-email", this, {8, 492, 72, 20});
    Edit_email = makeEdit("Edit_email", "", this, {80, 490, 288, 24});
    Button_samples = makeButton("Button_samples", "サンプル値を保存", this, {376, 488, 160, 28});
    // Says what the last command did, for the eye and for a screen reader: its text is its name.
    Label_status = makeLabel("Label_status", "", this, {8, 530, 528, 20});
    Label_status->hide();
    Button_close = makeButton("Button_close", "閉じる", this, {544, 524, 88, 28});

    Label_step->setBuddy(CB_step);
    Label_id->setBuddy(Edit_id);
    Label_pass->setBuddy(Edit_pass);
    Label_email->setBuddy(Edit_email);

    connect(CB_step, &QComboBox::currentIndexChanged, this, [this] { ShowChosen(); });
    connectClick(Button_copy, this, &RequestPreview::Button_copyClick);
    connectClick(Button_samples, this, &RequestPreview::Button_samplesClick);
    connectClick(Button_close, this, &RequestPreview::Button_closeClick);
}

void RequestPreview::FormShow() {
    emit Shown();
}

void RequestPreview::hideEvent(QHideEvent* event) {
    TForm::hideEvent(event);
    emit Hidden();
}

void RequestPreview::ShowRequests(std::vector<StepRequest> requests, bool pageLoaded) {
    requests_ = std::move(requests);
    Label_page->setText(pageLoaded
                            ? "読み込んだページのフォームと照らし合わせています"
                            : "ページを読み込んでいません（定義の行だけで組み立てています）");
    const CodePage& cp = CodePage::program();
    QStringList items{"すべての手順"};
    for (const StepRequest& r : requests_)
        items << QString("%1 行目　%2 %3")
                     .arg(r.targetLine + 1)
                     .arg(QString::fromUtf8(cp.toUtf8(r.kind)), QString::fromLatin1(r.method));
    // The same step stays chosen while the steps are the same in number.
    const int chosen = CB_step->count() == items.size() ? CB_step->currentIndex() : 0;
    const QSignalBlocker quiet(CB_step);
    CB_step->clear();
    CB_step->addItems(items);
    CB_step->setCurrentIndex(chosen);
    ShowChosen();
}

void RequestPreview::ShowSamples(const SampleValues& samples) {
    Edit_id->SetText(samples.id);
    Edit_pass->SetText(samples.password);
    Edit_email->SetText(samples.email);
}

std::span<const StepRequest> RequestPreview::ChosenSteps() const {
    const int chosen = CB_step->currentIndex();
    if (chosen <= 0 || chosen > static_cast<int>(requests_.size())) return requests_;
    return std::span(requests_).subspan(static_cast<std::size_t>(chosen - 1), 1);
}

void RequestPreview::ShowChosen() {
    const std::span<const StepRequest> chosen = ChosenSteps();
    const std::size_t shown = shownSteps(chosen);
    QString more;
    if (chosen.empty())
        more = QString::fromStdString(noRequestsText());
    else if (shown < chosen.size())
        more = QString("…ほか %1 手順（「手順」で選ぶと表示します）").arg(chosen.size() - shown);
    // Where the reader was stays in view while the definition is edited.
    QScrollBar* scroll = Memo_request->verticalScrollBar();
    const int at = scroll->value();
    writeRequests(*Memo_request->document(), requestViews(chosen.first(shown), CodePage::program()),
                  more);
    scroll->setValue(at);
}

void RequestPreview::Button_copyClick(QObject*) {
    const std::span<const StepRequest> steps = ChosenSteps();
    Label_status->show();
    if (steps.empty()) {
        Label_status->setText("コピーする手順がありません");
        return;
    }
    const std::string text = curlText(steps, CodePage::program());
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    Label_status->setText(
        QString("curl のコマンド %1 行をクリップボードにコピーしました").arg(steps.size()));
}

void RequestPreview::Button_samplesClick(QObject*) {
    emit SamplesChosen({Edit_id->Text(), Edit_pass->Text(), Edit_email->Text()});
}

void RequestPreview::Button_closeClick(QObject*) {
    Close();
}

}  // namespace verrimo
