// What every window test starts from: the program's windows as start-up leaves them.
#pragma once

#include <QObject>
#include <memory>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_tag.h"
#include "application.h"

namespace verrimo::test {

class WindowTest : public QObject {
  protected:
    // Creates the six windows and shows the main window, as the program does on start-up.
    void startProgram() {
        app = std::make_unique<Application>();
        app->Start();
        form1 = app->forms().Form1;
        form2 = app->forms().Form2;
        form3 = app->forms().Form3;
        walker = app->forms().Form_tag;
    }

    void endProgram() { app.reset(); }

    std::unique_ptr<Application> app;
    TForm1* form1 = nullptr;
    TForm2* form2 = nullptr;
    TForm3* form3 = nullptr;
    TForm_tag* walker = nullptr;
};

}  // namespace verrimo::test
