#include "radio_group.h"

namespace verrimo {

RadioGroup::RadioGroup(QObject* parent) : QButtonGroup(parent) {
    setExclusive(true);
}

void RadioGroup::Add(QRadioButton* button) {
    addButton(button, static_cast<int>(buttons().size()) + 1);
}

int RadioGroup::Selected() const {
    return std::max(checkedId(), 0);
}

void RadioGroup::Select(int row) {
    // An exclusive group refuses to turn its last button off.
    setExclusive(false);
    for (QAbstractButton* button : buttons()) button->setChecked(id(button) == row);
    setExclusive(true);
}

}  // namespace verrimo
