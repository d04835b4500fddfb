// The tag walker: steps through the required-tag list, shows the proposal for each tag and
// appends the accepted lines to the definition text.
#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "auto_list.h"
#include "classify.h"
#include "controls.h"
#include "form.h"
#include "form_recording.h"
#include "radio_group.h"

namespace verrimo {

class TForm_tag : public TForm {
    Q_OBJECT

  public:
    // tags: the required-tag list as it stands when the walker reads a line.
    explicit TForm_tag(std::function<const TagLines&()> tags);

    // Loads the auto list from this auto.txt.
    void FormCreate(const std::string& autoListPath);
    void Button1Click(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button5Click(QObject* Sender);
    void Button2Click(QObject* Sender);

    // The selected row: RB1 to RB4 are the identity, fixed-value, expression and auto rows.
    Row SelectedRow() const { return static_cast<Row>(rows_->Selected()); }
    void SelectRow(Row row) { rows_->Select(static_cast<int>(row)); }

    // The expression row's keyword.
    std::string ExpressionKeyword() const { return CB1->Text(); }
    // Fills the expression row and selects it; an operand of none leaves the operand as it is.
    void SetExpression(std::string_view keyword, const std::optional<std::string>& operand);
    // A form recorded in the page viewer: from the next showing on, the walk covers that form
    // alone and fills in what the user did. None walks the whole list as usual.
    void UseRecording(std::optional<RecordedForm> form);

    TLabel* Label1;
    TLabel* Label_nowLine;
    TLabel* Label1650;
    TEdit* Edit_read;
    TEdit* Edit_name;
    TLabel* Label3;
    TLabel* Label_hint;
    TLabel* Label_hint2;
    TLabel* Label6;
    TLabel* Label_ya1;
    QRadioButton* RB1;
    TComboBox* CB2;
    TLabel* Label_ya2;
    QRadioButton* RB2;
    TEdit* Edit_val;
    TLabel* Label_ya3;
    QRadioButton* RB3;
    TComboBox* CB1;
    TLabel* Label4;
    TEdit* Edit_zem;
    TLabel* Label5;
    QPushButton* Button5;
    TLabel* Label7;
    QRadioButton* RB4;
    TComboBox* CB3;
    TLabel* Label8;
    TLabel* Label2;
    QPushButton* Button1;
    QPushButton* Button3;
    QCheckBox* CB_GV;
    QPushButton* Button2;
    TMemo* Memo1;  // the auto list; never shown

  signals:
    void LineAccepted(const std::string& line);
    void AssistantRequested();
    // The walk went over the recorded form to its end.
    void RecordedFormWalked();

  protected:
    void FormShow() override;

  private:
    // Loads the tag at the current index and has it classified.
    void LoadAndClassify();
    void Step();
    Proposal CurrentProposal() const;
    void ShowProposal(const Proposal& proposal);

    std::function<const TagLines&()> tags_;
    AutoList autoList_;
    std::size_t line_ = 0;                      // the current line of the required-tag list
    std::optional<RecordedForm> recording_;     // for the next showing
    std::optional<RecordedForm> recordedForm_;  // the form being walked, when recorded
    RadioGroup* rows_;
};

}  // namespace verrimo
