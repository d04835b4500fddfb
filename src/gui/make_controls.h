// Creating a named control at its place in a window of fixed layout.
#pragma once

#include <QPushButton>
#include <QRect>
#include <string_view>
#include <vector>

#include "controls.h"

namespace verrimo {

TLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent, QRect place);
TEdit* makeEdit(const QString& name, const QString& text, QWidget* parent, QRect place);
// An editable combo box with a fixed item list and an empty text.
TComboBox* makeCombo(const QString& name, const std::vector<std::string_view>& items,
                     QWidget* parent, QRect place);
QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent, QRect place);

// A screen reader reaches an editable combo box through its line edit, which therefore carries
// the box's name: the one given to the box, or else the text of the label standing for it. Run
// once the window's names and labels are set.
void nameBoxEdits(QWidget* window);

}  // namespace verrimo
