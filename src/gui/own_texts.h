// Texts the program itself writes into its controls, as against the page's and the user's. They
// are bytes in the code page of their moment, so after a change of code page they are written
// again in the new one; every other text keeps its bytes.
#pragma once

#include <string_view>

#include "codepage.h"
#include "controls.h"

namespace verrimo {

// The control's text, when it is `utf8` as written in `from`, written again in the program's code
// page.
template <typename Control>
void respellText(Control& control, std::string_view utf8, const CodePage& from) {
    if (control.Text() == from.fromUtf8(utf8)) control.SetText(CodePage::program().fromUtf8(utf8));
}

// Every item of the box that is `utf8` as written in `from`, written again in the program's code
// page.
void respellItems(TComboBox& box, std::string_view utf8, const CodePage& from);

}  // namespace verrimo
