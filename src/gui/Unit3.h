// The action entry dialog: loads the page named by the URL box and appends the referrer, target
// and check-string lines.
#pragma once

#include <QPushButton>

#include "controls.h"
#include "form.h"
#include "forms.h"

namespace verrimo {

class TForm3 : public TForm {
    Q_OBJECT

  public:
    explicit TForm3(const Forms& forms);

    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);

    // The four fields as every load and extraction starts them.
    void ResetFields();
    // Offers the page's form actions and links as targets, the URL box as referrer.
    void FindTargets();
    // The main window's URL box takes the targets and the chosen one.
    void OfferTargetsInUrlBox();

    TLabel* Label1;
    TEdit* Edit1;
    TLabel* Label2;
    TComboBox* CB_open;
    TComboBox* CB1;
    TLabel* Label3;
    TLabel* Label5;
    TEdit* Edit2;
    TLabel* Label4;
    QPushButton* Button1;
    QPushButton* Button2;

  protected:
    void FormShow() override;

  private:
    const Forms& forms_;
};

}  // namespace verrimo
