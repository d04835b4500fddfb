// What the user does with the mouse and the keyboard.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

namespace verrimo::test {

inline void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// Types text into a field, replacing what it showed; Japanese text arrives the way an input
// method commits it.
inline void retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(c);
            QApplication::sendEvent(field, &commit);
        }
    }
}

}  // namespace verrimo::test
