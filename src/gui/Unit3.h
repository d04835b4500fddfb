// The action entry dialog: loads the page named by the URL box and appends the referrer, target
// and check-string lines.
#pragma once

#include <QComboBox>
#include <QPushButton>
#include <string>
#include <vector>

#include "controls.h"
#include "find_targets.h"
#include "form.h"

namespace verrimo {

class TForm3 : public TForm {
    Q_OBJECT

  public:
    TForm3();

    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);

    // The four fields as every load and extraction starts them.
    void ResetFields();
    // What the finder found: the referrer, the targets, the chosen target and its kind.
    void ShowTargets(const FinderResult& found);
    // A form recorded in the page viewer: its action becomes the target, of the kind action.
    void PreselectAction(const std::string& target);
    // After the code page changed from `from`: the texts this window wrote itself, in the new one.
    void RespellOwnTexts(const CodePage& from);
    // After a step was sent: texts of its answer offered for the check-string field, with the
    // command that writes the field into that step; none hides them.
    void ShowProposals(std::vector<std::string> proposals);
    // Shows the dialog as a load leaves it, without loading again.
    void ShowLoaded();
    void Button_chkClick(QObject* Sender);

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
    TLabel* Label_chk;
    QComboBox* CB_chk;
    QPushButton* Button_chk;

  signals:
    // Showing the dialog loads the page named by the URL box, before the dialog appears.
    void LoadRequested();
    void LineAdded(const std::string& line);
    // A line set aside in the holding area.
    void LineHeld(const std::string& line);
    // The check string of the step just sent, as the check-string field holds it.
    void CheckStringChosen(const std::string& check);

  protected:
    void FormShow() override;

  private:
    std::vector<std::string> proposals_;
};

}  // namespace verrimo
