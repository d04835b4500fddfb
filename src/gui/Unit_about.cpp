#include "Unit_about.h"

#include <QStyle>

namespace verrimo {

namespace {

QLineEdit* addressField(const QString& name, const QString& address, QWidget* parent) {
    auto* edit = new QLineEdit(address, parent);
    edit->setObjectName(name);
    edit->setFrame(false);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));  // the menu colour
    edit->setPalette(palette);
    return edit;
}

}  // namespace

TAboutBox::TAboutBox() {
    setObjectName("AboutBox");
    setWindowTitle("バージョン情報");
    setFormFrame(this, 420, 330);

    Label1 = new QLabel("Verrimo\u3000", this);
    Label1->setObjectName("Label1");
    QFont title({"ＭＳ Ｐ明朝", "IPAPMincho", "IPAMincho", "serif"});
    title.setPixelSize(64);
    title.setItalic(true);
    title.setStyleHint(QFont::Serif);
    Label1->setFont(title);
    Label1->setGeometry(16, 8, 390, 84);

    Label3 = new QLabel("ver\u3000１．５０bata", this);
    Label3->setObjectName("Label3");
    Label3->setGeometry(24, 100, 300, 20);

    Edit1 = addressField("Edit1", "https://www.example.org/verrimo/", this);
    Edit1->setReadOnly(true);
    Edit1->setGeometry(24, 128, 370, 20);
    Edit2 = addressField("Edit2", "verrimo@example.org", this);
    Edit2->setGeometry(24, 152, 370, 20);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setPlainText(
        "ZembrelのためのPlugin（定義ファイル）作成TOOLです。\n"
        "バグなどがありましたら遠慮無くお教えくださいませ。");
    Memo1->setGeometry(24, 182, 372, 80);
    Edit1->setAccessibleName("ホームページ");
    Edit2->setAccessibleName("メール");
    Memo1->setAccessibleName("説明");

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry(170, 280, 80, 30);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace verrimo
