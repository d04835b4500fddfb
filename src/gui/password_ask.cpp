#include "password_ask.h"

#include "make_controls.h"

namespace verrimo {

PasswordAsk::PasswordAsk(QWidget* parent, const QString& question) : TModalForm(parent) {
    setObjectName("PasswordAsk");
    setWindowTitle("パスワード");
    setFormFrame(this, 400, 156);
    Label_ask = makeLabel("Label_ask", question, this, {12, 8, 376, 64});
    Label_ask->setWordWrap(true);
    Label_pass = makeLabel("Label_pass", "Zem-Pass", this, {12, 84, 80, 20});
    Edit_pass = makeEdit("Edit_pass", "", this, {92, 82, 296, 24});
    Edit_pass->setEchoMode(QLineEdit::Password);
    Edit_pass->setAccessibleName("パスワード（Zem-Pass）");
    Label_pass->setBuddy(Edit_pass);
    Button_ok = makeButton("Button_ok", "送信する", this, {196, 118, 96, 28});
    Button_ok->setDefault(true);
    Button_cancel = makeButton("Button_cancel", "キャンセル", this, {296, 118, 92, 28});
    connect(Button_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::string> askPassword(QWidget* parent, const QString& question) {
    PasswordAsk ask(parent, question);
    const bool given = ask.ShowModal() == QDialog::Accepted;
    std::optional<std::string> password;
    if (given) password = ask.Edit_pass->Text();
    ask.Edit_pass->clear();
    return password;
}

}  // namespace verrimo
