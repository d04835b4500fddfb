// The request preview: what each step of the definition sends, to read (its fields as a table
// beside what goes on the wire, its body as sent), the steps' curl command lines for the
// clipboard, and the sample values that stand in for what the host fills in itself.
#pragma once

#include <QComboBox>
#include <QPushButton>
#include <QTextEdit>
#include <span>
#include <vector>

#include "controls.h"
#include "form.h"
#include "form_request.h"

namespace verrimo {

class RequestPreview : public TForm {
    Q_OBJECT

  public:
    RequestPreview();

    void Button_copyClick(QObject* Sender);
    void Button_samplesClick(QObject* Sender);
    void Button_closeClick(QObject* Sender);

    // The definition's requests; pageLoaded: they were read against the page last loaded.
    void ShowRequests(std::vector<StepRequest> requests, bool pageLoaded);
    void ShowSamples(const SampleValues& samples);

    TLabel* Label_step;
    QComboBox* CB_step;
    QPushButton* Button_copy;
    QPushButton* Button_run;
    TLabel* Label_page;
    QTextEdit* Memo_request;
    TLabel* Label_samples;
    TLabel* Label_id;
    TEdit* Edit_id;
    TLabel* Label_pass;
    TEdit* Edit_pass;
    TLabel* Label_email;
    TEdit* Edit_email;
    QPushButton* Button_samples;
    TLabel* Label_status;
    QPushButton* Button_close;

  signals:
    // Before the window appears, so that it shows the requests of now.
    void Shown();
    void Hidden();
    void SamplesChosen(const SampleValues& samples);
    void TrialRunRequested();

  protected:
    void FormShow() override;
    void hideEvent(QHideEvent* event) override;

  private:
    // The steps chosen in the step box: all of them, or one.
    std::span<const StepRequest> ChosenSteps() const;
    void ShowChosen();

    std::vector<StepRequest> requests_;
};

}  // namespace verrimo
