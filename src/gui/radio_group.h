// Radio buttons of which at most one is on. Unlike a plain exclusive group, the program can
// also turn all of them off; the user can only move the selection.
#pragma once

#include <QButtonGroup>
#include <QRadioButton>

namespace verrimo {

class RadioGroup : public QButtonGroup {
  public:
    explicit RadioGroup(QObject* parent);

    // The buttons are numbered from 1 in the order they are added.
    void Add(QRadioButton* button);
    // The number of the button that is on, 0 when none is.
    int Selected() const;
    // Turns button number row on and the others off; 0 turns them all off.
    void Select(int row);
};

}  // namespace verrimo
