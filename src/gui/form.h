// What every window shares: a fixed size, the system menu and minimise button, and a show
// handler that runs to its end before the window appears.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QWidget>

#include "controls.h"
#include "exception_display.h"

namespace verrimo {

// Sets the fixed size and the title-bar buttons of a window.
void setFormFrame(QWidget* form, int width, int height, bool stayOnTop = false);

// Runs a window's command handler when the button is clicked; an error it raises is shown.
template <typename Form>
void connectClick(QAbstractButton* button, Form* form, void (Form::*handler)(QObject*)) {
    QObject::connect(button, &QAbstractButton::clicked, form,
                     [=] { guarded([=] { (form->*handler)(button); }); });
}

// A modeless window.
class TForm : public QWidget {
    Q_OBJECT

  public:
    explicit TForm(QWidget* parent = nullptr);

    // Shows the window: from hidden, runs FormShow first; already shown, only raises it.
    void Show();
    // Hides the window; inside FormShow, keeps it from appearing.
    void Close();
    // Before and after the program's code page changes: the texts keep their bytes.
    void KeepTexts() const { keepControlBytes(this); }
    void RecodeTexts(const CodePage& from) { recodeControls(this, from); }

  protected:
    virtual void FormShow() {}

  private:
    bool inShow_ = false;
    bool closedInShow_ = false;
};

// A window shown modally.
class TModalForm : public QDialog {
    Q_OBJECT

  public:
    explicit TModalForm(QWidget* parent = nullptr);

    // Runs FormShow, then the modal loop until the window closes.
    int ShowModal();
    void KeepTexts() const { keepControlBytes(this); }
    void RecodeTexts(const CodePage& from) { recodeControls(this, from); }

  protected:
    virtual void FormShow() {}
};

}  // namespace verrimo
