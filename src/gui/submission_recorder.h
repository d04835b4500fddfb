// Catches a form that the user submits in the page viewer's browser: the submission is held
// before it leaves, and the form as filled in is announced instead. The page's own scripts stay
// off; the catching script runs in a world of its own, which alone reaches the recorder.
#pragma once

#include <QObject>
#include <QVariantMap>
#include <QWebEnginePage>

#include "form_recording.h"

namespace verrimo {

class SubmissionRecorder : public QObject {
    Q_OBJECT

  public:
    // Records the submissions in page, which from now on sends no form.
    explicit SubmissionRecorder(QWebEnginePage* page);

    // Called by the catching script with the submitted form.
    Q_INVOKABLE void record(const QVariantMap& form);
    // Empties what the user filled in on the page shown.
    void EmptyFields();

  signals:
    void Recorded(const FormRecording& recording);

  private:
    QWebEnginePage* page_;
};

// A browser page that sends no form: every form submission is held.
class HoldingPage : public QWebEnginePage {
  public:
    using QWebEnginePage::QWebEnginePage;

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

}  // namespace verrimo
