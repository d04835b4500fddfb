#include "Unit_gv.h"

#include "definition.h"
#include "image_source.h"
#include "label_style.h"
#include "make_controls.h"
#include "memo_text.h"

namespace verrimo {

namespace {

using definition::kKeyCode;
using definition::kRandom;
using definition::kRmoji;
using definition::kZip;

constexpr int kOperandX = 136;

QPushButton* keywordButton(const QString& name, std::string_view keyword, QWidget* parent, int y) {
    QPushButton* button = makeButton(name, QString::fromLatin1(keyword), parent, {8, y, 110, 28});
    // As in the other windows, Enter in a field presses no button.
    button->setAutoDefault(false);
    return button;
}

// The bold brackets and separators between the operand controls.
TLabel* mark(const QString& name, const QString& caption, QWidget* parent, int x, int y) {
    TLabel* label = bold(makeLabel(name, caption, parent, {x, y + 4, 14, 20}));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

template <typename Items>
TComboBox* operandCombo(const QString& name, const Items& items, QWidget* parent, int x, int y,
                        int width) {
    return makeCombo(name, {items.begin(), items.end()}, parent, {x, y + 2, width, 24});
}

}  // namespace

TForm4::TForm4(QWidget* parent) : TModalForm(parent), imageTags_(shareText({})) {
    setObjectName("Form4");
    setWindowTitle("必要な文字を入れてボタンを押してください");
    setFormFrame(this, 400, 208);

    int y = 12;
    Button1 = keywordButton("Button1", kRandom, this, y);
    Label1 = mark("Label1", "[", this, 120, y);
    CB_random1 = operandCombo("CB_random1", definition::kRandomFirst, this, kOperandX, y, 100);
    Label5 = mark("Label5", "：", this, 238, y);
    CB_random2 = operandCombo("CB_random2", definition::kRandomSecond, this, 254, y, 100);
    Label6 = mark("Label6", "]", this, 356, y);

    y += 38;
    Button2 = keywordButton("Button2", kZip, this, y);
    Label2 = mark("Label2", "[", this, 120, y);
    CB_zip = operandCombo("CB_zip", definition::kZipParts, this, kOperandX, y, 100);
    Label8 = mark("Label8", "]", this, 238, y);

    y += 38;
    Button3 = keywordButton("Button3", kKeyCode, this, y);
    Label3 = mark("Label3", "[", this, 120, y);
    CB_key = operandCombo("CB_key", definition::kKeyCodeFirst, this, kOperandX, y, 50);
    CB_key->SetText("1");
    Label10 = mark("Label10", "，", this, 188, y);
    CB_key2 = makeCombo("CB_key2", {}, this, {204, y + 2, 150, 24});
    Label9 = mark("Label9", "]", this, 356, y);

    y += 38;
    Button4 = keywordButton("Button4", kRmoji, this, y);
    Label4 = mark("Label4", "[", this, 120, y);
    Edit_rmoji = makeEdit("Edit_rmoji", "", this, {kOperandX, y + 2, 218, 24});
    Label7 = mark("Label7", "]", this, 356, y);

    CB_random1->setAccessibleName("Zem-Random の1つ目");
    CB_random2->setAccessibleName("Zem-Random の2つ目");
    CB_zip->setAccessibleName("Zem-Zip");
    CB_key->setAccessibleName("Zem-KeyCode の1つ目");
    CB_key2->setAccessibleName("Zem-KeyCode の画像");
    Edit_rmoji->setAccessibleName("Zem-Rmoji");
    nameBoxEdits(this);

    Button6 = makeButton("Button6", "ＯＫ", this, {96, 170, 96, 28});
    Button6->setAutoDefault(false);
    Button5 = makeButton("Button5", "キャンセル", this, {208, 170, 96, 28});
    Button5->setAutoDefault(false);

    connectClick(Button1, this, &TForm4::Button1Click);
    connectClick(Button2, this, &TForm4::Button2Click);
    connectClick(Button3, this, &TForm4::Button3Click);
    connectClick(Button4, this, &TForm4::Button4Click);
    connectClick(Button6, this, &TForm4::Button6Click);
    connectClick(Button5, this, &TForm4::Button5Click);
}

void TForm4::FormShow() {
    CB_random1->SetText("");
    CB_random2->SetText("");
    CB_zip->SetText("");
    CB_key->SetText("1");
    CB_key2->SetText("");
    Edit_rmoji->SetText("");
    std::vector<std::string> sources;
    for (const std::string_view tag : splitLines(*imageTags_))
        if (auto source = imageSource(tag)) sources.push_back(std::move(*source));
    CB_key2->SetItems(sources);
}

void TForm4::Prepare(SharedText imageTags, std::string keyword) {
    imageTags_ = std::move(imageTags);
    keyword_ = std::move(keyword);
}

std::optional<std::string> TForm4::Operand(std::string_view keyword) const {
    if (keyword == kRandom)
        return definition::randomOperand(CB_random1->Text(), CB_random2->Text());
    if (keyword == kZip) return CB_zip->Text();
    if (keyword == kKeyCode) return definition::keyCodeOperand(CB_key->Text(), CB_key2->Text());
    if (keyword == kRmoji) return Edit_rmoji->Text();
    return std::nullopt;
}

void TForm4::Choose(std::string_view keyword) {
    const auto operand = Operand(keyword);
    if (!operand) return;
    emit ExpressionChosen(std::string(keyword), operand);
    reject();
}

void TForm4::Button1Click(QObject*) {
    Choose(kRandom);
}

void TForm4::Button2Click(QObject*) {
    Choose(kZip);
}

void TForm4::Button3Click(QObject*) {
    Choose(kKeyCode);
}

void TForm4::Button4Click(QObject*) {
    Choose(kRmoji);
}

void TForm4::Button6Click(QObject*) {
    // The keyword already chosen in the walker; its operand only when this window composes one.
    if (keyword_.empty()) return;
    emit ExpressionChosen(keyword_, Operand(keyword_));
    reject();
}

void TForm4::Button5Click(QObject*) {
    reject();
}

}  // namespace verrimo
