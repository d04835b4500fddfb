#include "input_hold.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>

namespace verrimo {

namespace {

bool isUserInput(const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Drop:
            return true;
        case QEvent::Close:
            // The window system's close box; the program's own closing is not input.
            return event->spontaneous();
        default:
            return false;
    }
}

}  // namespace

InputHold::InputHold(QWidget* open) : open_(open) {
    qApp->installEventFilter(this);
}

InputHold::~InputHold() {
    qApp->removeEventFilter(this);
}

bool InputHold::ReachesOpenWindow(QObject* watched) const {
    if (!open_ || !open_->isVisible()) return false;
    if (auto* widget = qobject_cast<QWidget*>(watched)) return widget->window() == open_;
    return watched == open_->windowHandle();
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
    if (!isUserInput(event) || ReachesOpenWindow(watched)) return false;
    event->accept();
    return true;
}

}  // namespace verrimo
