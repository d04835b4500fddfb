// The password a step sends in place of Zem-Pass, asked for just before it goes.
#pragma once

#include <QPushButton>
#include <optional>
#include <string>

#include "controls.h"
#include "form.h"

namespace verrimo {

class PasswordAsk : public TModalForm {
    Q_OBJECT

  public:
    PasswordAsk(QWidget* parent, const QString& question);

    TLabel* Label_ask;
    TLabel* Label_pass;
    TEdit* Edit_pass;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
};

// The password typed, in the program's code page; none when the user cancelled. The field is
// emptied before the window goes.
std::optional<std::string> askPassword(QWidget* parent, const QString& question);

}  // namespace verrimo
