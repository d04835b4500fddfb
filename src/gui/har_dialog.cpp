#include "har_dialog.h"

#include <QHeaderView>

#include "codepage.h"
#include "make_controls.h"
#include "memo_text.h"
#include "widget_text.h"

namespace verrimo {

HarRoadDialog::HarRoadDialog() {
    setObjectName("HarDialog");
    setWindowTitle("HARファイルの手順");
    setFormFrame(this, 640, 500);

    Label_file = makeLabel("Label_file", "", this, {8, 8, 624, 20});
    List_steps = new QTreeWidget(this);
    List_steps->setObjectName("List_steps");
    List_steps->setGeometry(8, 32, 624, 150);
    List_steps->setRootIsDecorated(false);
    List_steps->setHeaderLabels({"手順", "方式", "送信先", "項目数", "送信元ページ"});
    List_steps->header()->setStretchLastSection(false);
    List_steps->header()->setSectionResizeMode(Address, QHeaderView::Stretch);
    List_steps->setAccessibleName("見つかった手順（チェックした手順を追加します）");
    List_steps->header()->setAccessibleName("見つかった手順の列");
    Label_notes = makeLabel("Label_notes", "", this, {8, 188, 624, 36});
    Label_notes->setWordWrap(true);
    Label_notes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label_check = makeLabel("Label_check", "chk-moji ＝", this, {8, 234, 80, 20});
    CB_check = makeCombo("CB_check", {}, this, {88, 230, 544, 26});
    Label_lines = makeLabel("Label_lines", "定義に追加する行", this, {8, 264, 624, 20});
    Memo_lines = new QPlainTextEdit(this);
    Memo_lines->setObjectName("Memo_lines");
    Memo_lines->setGeometry(8, 286, 624, 170);
    Memo_lines->setReadOnly(true);
    Memo_lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_lines->setAccessibleName("定義に追加する行");
    Button_add = makeButton("Button_add", "定義に追加", this, {404, 464, 140, 28});
    Button_add->setDefault(true);
    Button_close = makeButton("Button_close", "閉じる", this, {552, 464, 80, 28});

    Label_check->setBuddy(CB_check);
    Label_lines->setBuddy(Memo_lines);
    nameBoxEdits(this);
    setTabOrder(List_steps, CB_check);
    setTabOrder(CB_check, Memo_lines);
    setTabOrder(Memo_lines, Button_add);
    setTabOrder(Button_add, Button_close);

    connect(List_steps, &QTreeWidget::currentItemChanged, this, [this] { ShowCurrent(); });
    connect(List_steps, &QTreeWidget::itemChanged, this, [this] { ShowLines(); });
    connect(CB_check, &QComboBox::currentTextChanged, this, [this] {
        if (const auto at = Current()) steps_[*at].checkString = CB_check->Text();
        ShowLines();
    });
    connectClick(Button_add, this, &HarRoadDialog::Button_addClick);
    connectClick(Button_close, this, &HarRoadDialog::Button_closeClick);
}

void HarRoadDialog::ShowSteps(const QString& fileName, std::vector<HarStep> steps) {
    steps_ = std::move(steps);
    Label_file->setText(QString("%1 — フォームの送信 %2 件").arg(fileName).arg(steps_.size()));
    const QSignalBlocker quiet(List_steps);
    List_steps->clear();
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        const HarStep& s = steps_[i];
        auto* item = new QTreeWidgetItem(List_steps);
        item->setText(Number, QString::number(i + 1));
        item->setText(Method, QString::fromStdString(s.method));
        item->setText(Address, toWidget(s.url));
        item->setText(Fields, QString::number(s.fields.size()));
        item->setText(ReferrerPage, s.referrerPage ? "あり" : "なし");
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Number, Qt::Checked);
    }
    for (const Column c : {Number, Method, Fields, ReferrerPage})
        List_steps->resizeColumnToContents(c);
    List_steps->setCurrentItem(List_steps->topLevelItem(0));
    ShowCurrent();
}

std::optional<std::size_t> HarRoadDialog::Current() const {
    const int at = List_steps->indexOfTopLevelItem(List_steps->currentItem());
    if (at < 0 || static_cast<std::size_t>(at) >= steps_.size()) return std::nullopt;
    return static_cast<std::size_t>(at);
}

void HarRoadDialog::ShowCurrent() {
    const auto at = Current();
    const QSignalBlocker quiet(CB_check);
    if (!at) {
        Label_notes->clear();
        CB_check->SetItems({});
        CB_check->SetText("");
    } else {
        const HarStep& s = steps_[*at];
        QStringList notes;
        for (const std::string& note : s.notes) notes << QString::fromStdString(note);
        Label_notes->setText(notes.join("　"));
        CB_check->SetItems(s.checkStrings);
        CB_check->SetText(s.checkString);
    }
    ShowLines();
}

std::vector<std::size_t> HarRoadDialog::Ticked() const {
    std::vector<std::size_t> ticked;
    for (std::size_t i = 0; i < steps_.size(); ++i)
        if (List_steps->topLevelItem(static_cast<int>(i))->checkState(Number) == Qt::Checked)
            ticked.push_back(i);
    return ticked;
}

void HarRoadDialog::ShowLines() {
    std::string text;
    for (const std::size_t i : Ticked())
        for (const std::string& line : stepLines(steps_[i])) appendLine(text, line);
    Memo_lines->setPlainText(toDocument(text));
    Button_add->setEnabled(!text.empty());
}

void HarRoadDialog::Button_addClick(QObject*) {
    std::vector<HarStep> chosen;
    for (const std::size_t i : Ticked()) chosen.push_back(steps_[i]);
    if (chosen.empty()) return;
    emit StepsChosen(chosen);
    accept();
}

void HarRoadDialog::Button_closeClick(QObject*) {
    reject();
}

}  // namespace verrimo
