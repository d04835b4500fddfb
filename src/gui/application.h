// Owns the six windows: creates them in their fixed order and keeps them for the whole run.
#pragma once

#include <QTranslator>
#include <memory>

#include "forms.h"

namespace verrimo {

class Application {
  public:
    // Creates every window, running each creation handler; an error in one is shown and the
    // creation of the others goes on.
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Shows the main window (whose show handler shows the page viewer).
    void Start();

    const Forms& forms() const { return forms_; }

    // The windows' font: a proportional Japanese UI face at 12 pixels.
    static void SetUiFont();

  private:
    // Qt's own texts (the edit menus, the standard buttons) in Japanese, like the windows.
    QTranslator qtTexts_;
    Forms forms_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm_tag> formTag_;
    std::unique_ptr<TForm4> form4_;  // a child of the walker, so it goes first
    std::unique_ptr<TAboutBox> aboutBox_;
};

}  // namespace verrimo
