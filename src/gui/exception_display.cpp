#include "exception_display.h"

#include <QApplication>
#include <QMessageBox>

namespace verrimo {

QString exceptionMessage(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar('.')) return message + QChar('.');
    return message;
}

void showException(const std::exception& error) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    exceptionMessage(QString::fromUtf8(error.what())), QMessageBox::Ok);
    box.setObjectName("ExceptionDisplay");
    box.exec();
}

}  // namespace verrimo
