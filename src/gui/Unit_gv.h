// The value expression assistant: composes the operand of one of the host's value
// expressions and hands it to the tag walker.
#pragma once

#include <QPushButton>
#include <optional>
#include <string>
#include <string_view>

#include "controls.h"
#include "form.h"
#include "shared_text.h"

namespace verrimo {

class TForm4 : public TModalForm {
    Q_OBJECT

  public:
    // parent: the window it is opened from, so that it stays in front of that window.
    explicit TForm4(QWidget* parent);

    // What the next showing starts from: the image-tag list, whose image sources it offers, and
    // the keyword the walker's expression row holds.
    void Prepare(SharedText imageTags, std::string keyword);

    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button4Click(QObject* Sender);
    void Button6Click(QObject* Sender);
    void Button5Click(QObject* Sender);

    QPushButton* Button1;
    TLabel* Label1;
    TComboBox* CB_random1;
    TLabel* Label5;
    TComboBox* CB_random2;
    TLabel* Label6;
    QPushButton* Button2;
    TLabel* Label2;
    TComboBox* CB_zip;
    TLabel* Label8;
    QPushButton* Button3;
    TLabel* Label3;
    TComboBox* CB_key;
    TLabel* Label10;
    TComboBox* CB_key2;
    TLabel* Label9;
    QPushButton* Button4;
    TLabel* Label4;
    TEdit* Edit_rmoji;
    TLabel* Label7;
    QPushButton* Button6;
    QPushButton* Button5;

  signals:
    // The walker's expression row takes keyword and, when given, operand, and is selected.
    void ExpressionChosen(const std::string& keyword, const std::optional<std::string>& operand);

  protected:
    void FormShow() override;

  private:
    // The operand this window composes for keyword; none for a keyword it has no row for.
    std::optional<std::string> Operand(std::string_view keyword) const;
    // What a keyword button does: the operand and the keyword into the walker, then close.
    void Choose(std::string_view keyword);

    SharedText imageTags_;
    std::string keyword_;
};

}  // namespace verrimo
