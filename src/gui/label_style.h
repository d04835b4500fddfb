// The two ways labels stand out from the window's ordinary text.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include "controls.h"

namespace verrimo {

inline TLabel* bold(TLabel* label) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

inline TLabel* maroon(TLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(128, 0, 0));
    label->setPalette(palette);
    return label;
}

}  // namespace verrimo
