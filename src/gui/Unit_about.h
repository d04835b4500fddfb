// The About window: the program's name, version and a short description.
#pragma once

#include <QPlainTextEdit>
#include <QPushButton>

#include "controls.h"
#include "form.h"

namespace verrimo {

class TAboutBox : public TModalForm {
    Q_OBJECT

  public:
    TAboutBox();

    QLabel* Label1;
    QLabel* Label3;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QPlainTextEdit* Memo1;
    QPushButton* BitBtn1;
};

}  // namespace verrimo
