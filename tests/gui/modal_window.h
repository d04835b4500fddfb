// Drives a modal window from inside the modal run that shows it.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <functional>

namespace verrimo::test {

// Runs act on the next modal window once it is up. Should act leave it open (a failed check),
// it is closed, so that the test does not wait on it.
inline void onNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = nullptr;
        QTRY_VERIFY((modal = QApplication::activeModalWidget()) != nullptr);
        act(modal);
        if (QApplication::activeModalWidget() == modal) modal->close();
    });
}

// Picks path in the next file dialog, as a user who types its name and presses Enter.
inline void chooseFileInNextDialog(const QString& path) {
    onNextModal([path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

}  // namespace verrimo::test
