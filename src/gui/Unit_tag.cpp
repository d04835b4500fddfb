#include "Unit_tag.h"

#include "definition.h"
#include "label_style.h"
#include "make_controls.h"
#include "walk.h"

namespace verrimo {

namespace {

// The rows of the proposal: an arrow and a radio button in front of each.
TLabel* arrow(const QString& name, QWidget* parent, int y) {
    return bold(maroon(makeLabel(name, "→", parent, {8, y, 18, 20})));
}

QRadioButton* radio(const QString& name, QWidget* parent, int y) {
    auto* button = new QRadioButton(parent);
    button->setObjectName(name);
    button->setGeometry(28, y, 20, 20);
    return button;
}

}  // namespace

TForm_tag::TForm_tag(std::function<const TagLines&()> tags) : tags_(std::move(tags)) {
    setObjectName("Form_tag");
    setWindowTitle("タグ追加");
    setFormFrame(this, 520, 356, true);

    Label1 = makeLabel("Label1", "読み込んだタグ", this, {8, 8, 100, 20});
    Label_nowLine = makeLabel("Label_nowLine", "0", this, {112, 8, 60, 20});
    Label_nowLine->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1650 = makeLabel("Label1650", "行目", this, {176, 8, 40, 20});
    Edit_read = makeEdit("Edit_read", "Edit_read", this, {8, 30, 504, 24});

    Edit_name = makeEdit("Edit_name", "", this, {8, 64, 200, 24});
    Label3 = makeLabel("Label3", "＝", this, {212, 66, 16, 20});
    Label_hint = maroon(makeLabel("Label_hint", "", this, {236, 66, 276, 20}));
    Label_hint2 = makeLabel("Label_hint2", "", this, {8, 92, 504, 20});

    Label_ya1 = arrow("Label_ya1", this, 118);
    RB1 = radio("RB1", this, 118);
    CB2 = makeCombo("CB2",
                    {definition::kIdentityKeywords.begin(), definition::kIdentityKeywords.end()},
                    this, {52, 116, 200, 24});
    Label6 =
        makeLabel("Label6", "エンコードされた状態で下に出力されます", this, {52, 144, 460, 20});
    Label_ya2 = arrow("Label_ya2", this, 166);
    RB2 = radio("RB2", this, 166);
    Edit_val = makeEdit("Edit_val", "", this, {52, 164, 460, 24});
    Label_ya3 = arrow("Label_ya3", this, 200);
    RB3 = radio("RB3", this, 200);
    CB1 = makeCombo(
        "CB1", {definition::kExpressionKeywords.begin(), definition::kExpressionKeywords.end()},
        this, {52, 198, 130, 24});
    Label4 = makeLabel("Label4", "[", this, {186, 200, 8, 20});
    Edit_zem = makeEdit("Edit_zem", "", this, {196, 198, 220, 24});
    Label5 = makeLabel("Label5", "]", this, {420, 200, 8, 20});
    Button5 = makeButton("Button5", "入力補助", this, {432, 196, 80, 28});
    Label7 = arrow("Label7", this, 234);
    RB4 = radio("RB4", this, 234);
    CB3 = makeCombo("CB3", {}, this, {52, 232, 200, 24});
    Label8 = maroon(makeLabel("Label8", "Auto．txtからの抽出です", this, {260, 234, 252, 20}));

    Label2 = makeLabel("Label2", "上記の通りで宜しいですか？", this, {8, 268, 300, 20});
    Button1 = makeButton("Button1", "追加して次の行", this, {8, 292, 150, 28});
    Button3 = makeButton("Button3", "処理せず次の行", this, {166, 292, 150, 28});
    Button2 = makeButton("Button2", "閉じる", this, {432, 292, 80, 28});
    CB_GV = new QCheckBox("hidden  はGetValueをデフォにする", this);
    CB_GV->setObjectName("CB_GV");
    CB_GV->setChecked(true);
    CB_GV->setGeometry(8, 328, 320, 20);

    Memo1 = new TMemo("Memo1", this);
    Memo1->SetText("Memo1");
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->hide();

    rows_ = new RadioGroup(this);
    for (QRadioButton* rb : {RB1, RB2, RB3, RB4}) rows_->Add(rb);

    Label1->setBuddy(Edit_read);
    Edit_name->setAccessibleName("項目名");
    for (QWidget* row : std::initializer_list<QWidget*>{RB1, CB2})
        row->setAccessibleName("ID・パスワード・メール");
    RB2->setAccessibleName("固定値");
    Label6->setBuddy(Edit_val);
    for (QWidget* row : std::initializer_list<QWidget*>{RB3, CB1}) row->setAccessibleName("値の式");
    Edit_zem->setAccessibleName("式の中身");
    RB4->setAccessibleName("Auto．txtからの値");
    Label8->setBuddy(CB3);
    Memo1->setAccessibleName("Auto．txtの一覧");
    nameBoxEdits(this);

    ShowProposal(initialProposal());

    connectClick(Button1, this, &TForm_tag::Button1Click);
    connectClick(Button3, this, &TForm_tag::Button3Click);
    connectClick(Button5, this, &TForm_tag::Button5Click);
    connectClick(Button2, this, &TForm_tag::Button2Click);
}

}  // namespace verrimo
