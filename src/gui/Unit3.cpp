#include "Unit3.h"

#include "codepage.h"
#include "definition.h"
#include "label_style.h"
#include "make_controls.h"
#include "own_texts.h"
#include "widget_text.h"

namespace verrimo {

TForm3::TForm3() {
    setObjectName("Form3");
    setWindowTitle("指定されたＵＲＬの読み込み終了");
    setFormFrame(this, 560, 250, true);

    Label1 = makeLabel("Label1", "リファの設定", this, {12, 12, 116, 20});
    Edit1 = makeEdit("Edit1", "", this, {128, 10, 420, 24});
    Label2 = makeLabel("Label2", "以下の\u3000action\u3000or\u3000リンクを見つけました", this,
                       {12, 44, 536, 20});
    CB_open =
        makeCombo("CB_open", {definition::kTargetKinds.begin(), definition::kTargetKinds.end()},
                  this, {12, 66, 110, 26});
    CB1 = makeCombo("CB1", {}, this, {128, 66, 420, 26});
    Label3 = bold(maroon(
        makeLabel("Label3", "必要ならＵＲＬ補完・修正してください", this, {128, 96, 420, 20})));
    Label5 = makeLabel("Label5", "chk-moji ＝", this, {12, 128, 116, 20});
    Edit2 = makeEdit("Edit2", "", this, {128, 126, 420, 24});
    Label4 = bold(maroon(makeLabel(
        "Label4", "同時に\u3000chk-moji\u3000も書き込む場合はソースからコピペしてください", this,
        {12, 156, 536, 20})));
    Button1 = makeButton("Button1", "Plugin（定義ファイル）に追加", this, {12, 200, 300, 32});
    Button2 = makeButton("Button2", "閉じる", this, {448, 200, 100, 32});

    Label_chk = makeLabel("Label_chk", "答えのページから", this, {12, 252, 116, 20});
    CB_chk = new QComboBox(this);
    CB_chk->setObjectName("CB_chk");
    CB_chk->setGeometry(128, 249, 220, 26);
    CB_chk->setAccessibleName("chk-moji の候補");
    Button_chk =
        makeButton("Button_chk", "送信した手順の chk-moji にする", this, {356, 248, 192, 28});
    Label_chk->setBuddy(CB_chk);
    ShowProposals({});

    Label1->setBuddy(Edit1);
    Label2->setBuddy(CB1);
    CB_open->setAccessibleName("種類");
    Label5->setBuddy(Edit2);
    nameBoxEdits(this);

    connectClick(Button1, this, &TForm3::Button1Click);
    connectClick(Button2, this, &TForm3::Button2Click);
    connectClick(Button_chk, this, &TForm3::Button_chkClick);
    connect(CB_chk, &QComboBox::activated, this, [this](int chosen) {
        if (chosen >= 0 && chosen < static_cast<int>(proposals_.size()))
            Edit2->SetText(proposals_[static_cast<std::size_t>(chosen)]);
    });
}

void TForm3::ResetFields() {
    Edit1->clear();
    Edit2->clear();
    CB1->setEditText(QString());
    CB_open->SetText(CodePage::program().fromUtf8(definition::kKindChooseUtf8));
    ShowProposals({});
}

void TForm3::ShowTargets(const FinderResult& found) {
    Edit1->SetText(found.referrer);
    CB1->SetItems(found.targets);
    CB1->SetText(found.target);
    CB_open->SetText(found.kind);
}

void TForm3::PreselectAction(const std::string& target) {
    CB1->SetText(target);
    CB_open->SetText(definition::kKindAction);
}

void TForm3::ShowProposals(std::vector<std::string> proposals) {
    proposals_ = std::move(proposals);
    const QSignalBlocker quiet(CB_chk);
    CB_chk->clear();
    for (const std::string& text : proposals_) CB_chk->addItem(toWidget(text));
    CB_chk->setCurrentIndex(-1);
    const bool shown = !proposals_.empty();
    for (QWidget* control : {static_cast<QWidget*>(Label_chk), static_cast<QWidget*>(CB_chk),
                             static_cast<QWidget*>(Button_chk)})
        control->setVisible(shown);
    setFixedSize(560, shown ? 286 : 250);
}

void TForm3::ShowLoaded() {
    show();
    raise();
    activateWindow();
}

void TForm3::Button_chkClick(QObject*) {
    emit CheckStringChosen(Edit2->Text());
    Edit2->clear();
    ShowProposals({});
}

void TForm3::RespellOwnTexts(const CodePage& from) {
    respellItems(*CB1, kLinkSeparatorUtf8, from);
    respellText(*CB_open, definition::kKindChooseUtf8, from);
}

void TForm3::FormShow() {
    ResetFields();
    emit LoadRequested();
}

void TForm3::Button1Click(QObject*) {
    const std::string kind = CB_open->Text();
    emit LineAdded(definition::referrerLine(Edit1->Text()));
    emit LineAdded(definition::targetLine(kind, CB1->Text()));
    const auto checkLine =
        definition::checkLinesWait(kind) ? &TForm3::LineHeld : &TForm3::LineAdded;
    emit(this->*checkLine)(std::string(definition::kDashLine));
    emit(this->*checkLine)(definition::checkStringLine(Edit2->Text()));
}

void TForm3::Button2Click(QObject*) {
    Close();
}

}  // namespace verrimo
