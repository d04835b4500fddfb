// The action entry dialog: its controls, and where the add button puts the four lines.
#include <QInputMethodEvent>
#include <QLineEdit>

#include "Unit1.h"
#include "Unit3.h"
#include "application.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

class ActionEntryTest : public WindowTest {
    Q_OBJECT

    static void retype(QLineEdit* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        // Japanese arrives as the input method's commit, as it does when typed.
        bool ascii = true;
        for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
        if (ascii) {
            QTest::keyClicks(field, text);
        } else {
            QInputMethodEvent typed;
            typed.setCommitString(text);
            QApplication::sendEvent(field, &typed);
        }
    }

  private slots:
    void init() {
        startProgram();
        // With an empty URL box the load finds nothing.
        QTest::mouseClick(form1->Button1, Qt::LeftButton);
        QVERIFY(form3->isVisible());
    }

    void cleanup() { endProgram(); }

    void hasItsControlsAndStaysOnTop() {
        QCOMPARE(form3->windowTitle(), QString("指定されたＵＲＬの読み込み終了"));
        QVERIFY(form3->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!form3->isModal());
        QCOMPARE(form3->minimumSize(), form3->maximumSize());
        QCOMPARE(form3->Label1->text(), QString("リファの設定"));
        QCOMPARE(form3->Label2->text(), QString("以下の　action　or　リンクを見つけました"));
        QCOMPARE(form3->Label3->text(), QString("必要ならＵＲＬ補完・修正してください"));
        QCOMPARE(form3->Label4->text(),
                 QString("同時に　chk-moji　も書き込む場合はソースからコピペしてください"));
        QCOMPARE(form3->Label5->text(), QString("chk-moji ＝"));
        for (TLabel* hint : {form3->Label3, form3->Label4}) {
            QVERIFY(hint->font().bold());
            QCOMPARE(hint->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        }
        QCOMPARE(form3->Button1->text(), QString("Plugin（定義ファイル）に追加"));
        QCOMPARE(form3->Button2->text(), QString("閉じる"));
        QCOMPARE(form3->CB_open->Items(),
                 (std::vector<std::string>{"action", "Zem-Open", "Zem-Fasy"}));
        QCOMPARE(form3->CB_open->currentText(), QString("選択"));
        QVERIFY(form3->CB1->isEditable());
        QVERIFY(form3->CB_open->isEditable());
    }

    void addAppendsTheFourLines_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("referrer");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("definition");
        QTest::addColumn<QString>("holding");
        QTest::newRow("action waits") << "action"
                                      << "top.html"
                                      << "post.cgi"
                                      << "ようこそ"
                                      << "Zem-Referer=top.html\r\naction=post.cgi\r\n"
                                      << "-\r\nchk-moji=ようこそ\r\n";
        QTest::newRow("Zem-Open")
            << "Zem-Open"
            << "top.html"
            << "next.html"
            << ""
            << "Zem-Referer=top.html\r\nZem-Open=next.html\r\n-\r\nchk-moji=\r\n"
            << "";
        QTest::newRow("capital Action") << "Action"
                                        << "a"
                                        << "b"
                                        << "c"
                                        << "Zem-Referer=a\r\nAction=b\r\n-\r\nchk-moji=c\r\n"
                                        << "";
        QTest::newRow("trailing blank") << "action "
                                        << "a"
                                        << "b"
                                        << "c"
                                        << "Zem-Referer=a\r\naction =b\r\n-\r\nchk-moji=c\r\n"
                                        << "";
        QTest::newRow("kind never chosen") << QString() << ""
                                           << "b"
                                           << ""
                                           << "Zem-Referer=\r\n選択=b\r\n-\r\nchk-moji=\r\n"
                                           << "";
    }

    void addAppendsTheFourLines() {
        QFETCH(QString, kind);
        QFETCH(QString, referrer);
        QFETCH(QString, target);
        QFETCH(QString, check);
        QFETCH(QString, definition);
        QFETCH(QString, holding);
        if (!kind.isNull()) retype(form3->CB_open->lineEdit(), kind);
        retype(form3->Edit1, referrer);
        retype(form3->CB1->lineEdit(), target);
        retype(form3->Edit2, check);
        QTest::mouseClick(form3->Button1, Qt::LeftButton);
        QCOMPARE(bytes(form1->Memo1->Text()), bytes(programText(definition.toStdString())));
        QCOMPARE(bytes(form1->Memo2->Text()), bytes(programText(holding.toStdString())));
        QVERIFY(form3->isVisible());
        QCOMPARE(form3->Edit2->text(), check);
    }

    // The typed last line has no break, so each added line starts a new one instead.
    void addingAgainAppendsAgainAfterTheTypedText() {
        form1->Memo1->setFocus();
        QTest::keyClicks(form1->Memo1, "x=1");
        retype(form3->CB_open->lineEdit(), "action");
        retype(form3->CB1->lineEdit(), "p.cgi");
        QTest::mouseClick(form3->Button1, Qt::LeftButton);
        QTest::mouseClick(form3->Button1, Qt::LeftButton);
        QCOMPARE(bytes(form1->Memo1->Text()),
                 QByteArray("x=1\r\nZem-Referer=\r\naction=p.cgi\r\nZem-Referer=\r\naction=p.cgi"));
        QCOMPARE(bytes(form1->Memo2->Text()), QByteArray("-\r\nchk-moji=\r\n-\r\nchk-moji=\r\n"));
    }

    void closeButtonAndCloseBoxHideIt() {
        retype(form3->Edit2, "kept");
        QTest::mouseClick(form3->Button2, Qt::LeftButton);
        QVERIFY(form3->isHidden());
        QCOMPARE(form3->Edit2->text(), QString("kept"));
        QTest::mouseClick(form1->Button1, Qt::LeftButton);
        QVERIFY(form3->isVisible());
        QVERIFY(form3->Edit2->text().isEmpty());
        form3->close();
        QVERIFY(form3->isHidden());
        QCOMPARE(app->forms().Form3, form3);
    }
};

int main(int argc, char** argv) {
    return runWindowTest<ActionEntryTest>(argc, argv);
}
#include "action_entry_test.moc"
