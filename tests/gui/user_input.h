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

// Types text a key at a time; Japanese text arrives the way an input method commits it, and a
// line break as the Return key.
inline void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        if (c == u'\n') {
            QTest::keyClick(widget, Qt::Key_Return);
        } else if (c.unicode() < 0x80) {
            QTest::keyClick(widget, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(c);
            QApplication::sendEvent(widget, &commit);
        }
    }
}

// Types text into a field, replacing what it showed.
inline void retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    typeText(field, text);
}

}  // namespace verrimo::test
