#include "form.h"

#include "exception_display.h"

namespace verrimo {

void setFormFrame(QWidget* form, int width, int height, bool stayOnTop) {
    const Qt::WindowFlags type = qobject_cast<QDialog*>(form) ? Qt::Dialog : Qt::Window;
    Qt::WindowFlags flags = type | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                            Qt::WindowCloseButtonHint;
    if (stayOnTop) flags |= Qt::WindowStaysOnTopHint;
    form->setWindowFlags(flags);
    form->setFixedSize(width, height);
}

TForm::TForm(QWidget* parent) : QWidget(parent) {}

void TForm::Show() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    inShow_ = true;
    closedInShow_ = false;
    guarded([this] { FormShow(); });
    inShow_ = false;
    if (closedInShow_) return;
    show();
    raise();
    activateWindow();
}

void TForm::Close() {
    if (inShow_) closedInShow_ = true;
    close();
}

TModalForm::TModalForm(QWidget* parent) : QDialog(parent) {}

int TModalForm::ShowModal() {
    guarded([this] { FormShow(); });
    setModal(true);
    return exec();
}

}  // namespace verrimo
