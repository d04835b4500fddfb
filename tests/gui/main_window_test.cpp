// The main window, the About window and the error display, driven as a user would.
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_about.h"
#include "Unit_gv.h"
#include "Unit_tag.h"
#include "application.h"
#include "exception_display.h"
#include "har_dialog.h"
#include "modal_window.h"
#include "request_preview.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

class MainWindowTest : public WindowTest {
    Q_OBJECT

  private slots:
    void init() { startProgram(); }

    void cleanup() { endProgram(); }

    void startsEmptyUnderTheApplicationTitle() {
        QVERIFY(form1->isVisible());
        QCOMPARE(form1->windowTitle(), QString("Verrimo"));
        const Forms& forms = app->forms();
        QVERIFY(forms.Form2->isVisible());
        for (QWidget* hidden : std::initializer_list<QWidget*>{forms.Form3, forms.Form_tag,
                                                               forms.Form4, forms.AboutBox})
            QVERIFY(hidden && hidden->isHidden());
        QVERIFY(form1->Memo1->Text().empty());
        QVERIFY(form1->Memo2->Text().empty());
        QVERIFY(form1->Edit1->Text().empty());
        QCOMPARE(form1->Edit1->count(), 0);
        QVERIFY(form1->Edit_now_open->Text().empty());
        QVERIFY(form1->Edit_now_open->isReadOnly());
        QCOMPARE(form1->Label13540->text(), QString("現在表示しているＵＲＬ"));
        QCOMPARE(form1->Button1->text(), QString("ＵＲＬ読み込み"));
        QCOMPARE(form1->Button2->text(), QString("待避中の文字列を上に貼り付け"));
        QCOMPARE(form1->Button3->text(), QString("必要タグの記入"));
        QCOMPARE(form1->Button4->text(), QString("読み直し"));
        QCOMPARE(form1->File1->title(), QString("ファイル"));
        QCOMPARE(form1->Close1->text(), QString("閉じる"));
        QCOMPARE(form1->Help1->title(), QString("ヘルプ"));
        QCOMPARE(form1->About1->text(), QString("バージョン情報"));
        QCOMPARE(form1->Memo2->toolTip(), QString("actionの場合の「chk-moji」用です。"));
    }

    void everyControlHasAnAccessibleName_data() {
        QTest::addColumn<QString>("window");
        for (const char* window :
             {"Form1", "Form2", "Form3", "Form_tag", "Form4", "AboutBox", "RequestPreview",
              "HarDialog"})
            QTest::newRow(window) << QString(window);
    }

    // A screen reader names every control a user can reach, also the line edit inside a combo
    // box: by its caption, or by the label that stands for it.
    void everyControlHasAnAccessibleName() {
        QFETCH(QString, window);
        const Forms& forms = app->forms();
        QWidget* form = nullptr;
        for (QWidget* each :
             std::initializer_list<QWidget*>{forms.Form1, forms.Form2, forms.Form3, forms.Form_tag,
                                             forms.Form4, forms.AboutBox, forms.Preview,
                                             forms.HarDialog})
            if (each->objectName() == window) form = each;
        QVERIFY(form);
        QStringList unnamed;
        int checked = 0;
        for (QWidget* control : form->findChildren<QWidget*>()) {
            const bool reachable =
                control->focusPolicy() != Qt::NoFocus || qobject_cast<QLineEdit*>(control) ||
                qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractButton*>(control) ||
                qobject_cast<QAbstractScrollArea*>(control) || qobject_cast<QTabBar*>(control);
            if (!reachable || control->window() != form) continue;
            ++checked;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << QString(control->metaObject()->className()) + " " +
                               control->objectName() + " in " +
                               control->parentWidget()->objectName();
        }
        QVERIFY(checked > 0);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    }

    // 名前を付けて保存… writes the definition's bytes exactly, also those no character stands
    // for, and a file that cannot be written is said so.
    void savingWritesTheDefinitionsExactBytes() {
        const std::string definition = "Zem-Referer=http://a/\r\nq=\x82\xa0\x82\r\nx=\xff\xfe\rend";
        form1->Memo1->SetText(definition);
        form1->Memo1->moveCursor(QTextCursor::End);
        QTest::keyClicks(form1->Memo1, "!");
        QTemporaryDir folder;
        const QString path = folder.filePath("定義.txt");
        QCOMPARE(form1->Save1->shortcut(), QKeySequence(QKeySequence::Save));
        chooseFileInNextDialog(path);
        form1->Save1->trigger();
        QCOMPARE(fileBytes(QFile::encodeName(path).toStdString()), bytes(definition + "!"));

        const QString blocked = folder.filePath("blocked.txt");
        QVERIFY(blockFile(QFile::encodeName(blocked).toStdString()));
        try {
            form1->SaveDefinition(blocked);
            QFAIL("saved over a folder");
        } catch (const UserError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), "ファイル " + blocked + " を作成できません");
        }
    }

    void windowHasFixedSizeAndFont() {
        QCOMPARE(form1->minimumSize(), form1->maximumSize());
        QVERIFY(!(form1->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form1->windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(form1->font().pixelSize(), 12);
        QCOMPARE(form1->font().family(), QString("IPAPGothic"));
    }

    void editMenusSpeakJapanese() {
        // The definition text's context menu comes from Qt itself.
        std::unique_ptr<QMenu> menu(form1->Memo1->createStandardContextMenu());
        QStringList actions;
        for (const QAction* action : menu->actions()) actions << action->text();
        QVERIFY2(actions.join('|').contains("コピー"), qPrintable(actions.join('|')));
    }

    void tabOrderRunsThroughTheControlsInTurn() {
        const QList<QWidget*> order = {form1->Button1, form1->Memo1,  form1->Edit_now_open,
                                       form1->Edit1,   form1->Memo2,  form1->Button2,
                                       form1->Button3, form1->Button4};
        for (int i = 0; i + 1 < order.size(); ++i) {
            QWidget* next = order[i]->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus || order[i]->isAncestorOf(next))
                next = next->nextInFocusChain();
            QVERIFY2(next == order[i + 1] || order[i + 1]->isAncestorOf(next),
                     qPrintable(order[i]->objectName() + " -> " + next->objectName()));
        }
    }

    void programFolderIsTheExecutablesFolderWithSeparator() {
        const std::string folder = form1->ProgramFolder();
        QVERIFY(!folder.empty());
        QCOMPARE(folder.back(), '/');
        QCOMPARE(QString::fromStdString(folder),
                 QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath() + "/");
    }

    void pasteAddsTheHoldingAreaAsOneLine_data() {
        QTest::addColumn<QByteArray>("definition");
        QTest::addColumn<QByteArray>("holding");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty holding, text ends with break")
            << QByteArray("a=1\r\n") << QByteArray() << QByteArray("a=1\r\n\r\n");
        QTest::newRow("empty holding, open last line")
            << QByteArray("a=1") << QByteArray() << QByteArray("a=1\r\n");
        QTest::newRow("empty holding, empty text")
            << QByteArray() << QByteArray() << QByteArray("\r\n");
        QTest::newRow("action lines after a break")
            << QByteArray("Zem-Referer=top.html\r\naction=post.cgi\r\n")
            << QByteArray("-\r\nchk-moji=\r\n")
            << QByteArray("Zem-Referer=top.html\r\naction=post.cgi\r\n-\r\nchk-moji=\r\n\r\n");
        QTest::newRow("typed last line without break")
            << QByteArray("q=abc") << QByteArray("-\r\nchk-moji=ok\r\n")
            << QByteArray("q=abc\r\n-\r\nchk-moji=ok\r\n");
        QTest::newRow("holding typed without final break")
            << QByteArray("x\r\n") << QByteArray("hand") << QByteArray("x\r\nhand\r\n");
    }

    void pasteAddsTheHoldingAreaAsOneLine() {
        QFETCH(QByteArray, definition);
        QFETCH(QByteArray, holding);
        QFETCH(QByteArray, expected);
        form1->Memo1->SetText(definition.toStdString());
        form1->Memo2->SetText(holding.toStdString());
        QTest::mouseClick(form1->Button2, Qt::LeftButton);
        QCOMPARE(bytes(form1->Memo1->Text()), expected);
        QVERIFY(form1->Memo2->Text().empty());
    }

    void definitionTextKeepsWhatTheUserTyped() {
        form1->Memo1->setFocus();
        QTest::keyClicks(form1->Memo1, "user=Zem-ID");
        QTest::keyClick(form1->Memo1, Qt::Key_Return);
        QTest::keyClicks(form1->Memo1, "pass=x");
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray("user=Zem-ID\r\npass=x"));
        QTest::mouseClick(form1->Button2, Qt::LeftButton);
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray("user=Zem-ID\r\npass=x\r\n"));
    }

    void aboutWindowIsModalWithItsContent() {
        for (int round = 0; round < 2; ++round) {
            bool checked = false;
            onNextModal([&](QWidget* modal) {
                auto* about = qobject_cast<TAboutBox*>(modal);
                QVERIFY(about == app->forms().AboutBox);
                QVERIFY(about->isModal());
                QCOMPARE(about->windowTitle(), QString("バージョン情報"));
                QCOMPARE(about->Label1->text(), QString("Verrimo\u3000"));
                QCOMPARE(about->Label1->font().pixelSize(), 64);
                QVERIFY(about->Label1->font().italic());
                QCOMPARE(about->Label3->text(), QString("ver\u3000１．５０bata"));
                QVERIFY(about->Edit1->isReadOnly());
                QVERIFY(about->Memo1->isReadOnly());
                QCOMPARE(about->Memo1->toPlainText(),
                         QString("ZembrelのためのPlugin（定義ファイル）作成TOOLです。\n"
                                 "バグなどがありましたら遠慮無くお教えくださいませ。"));
                QVERIFY(about->BitBtn1->isDefault());
                // The main window takes no input meanwhile.
                QCOMPARE(about->windowModality(), Qt::ApplicationModal);
                checked = true;
                QTest::mouseClick(about->BitBtn1, Qt::LeftButton);
            });
            form1->About1->trigger();
            QVERIFY(checked);
            QVERIFY(!app->forms().AboutBox->isVisible());
        }
    }

    void exceptionMessageGetsAFullStopOnlyAfterLaterCharacters_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "abc"
                                << "abc.";
        QTest::newRow("full stop") << "abc."
                                   << "abc.";
        QTest::newRow("exclamation sorts before") << "abc!"
                                                  << "abc!";
        QTest::newRow("hyphen sorts before") << "a-"
                                             << "a-";
        QTest::newRow("slash sorts after") << "a/"
                                           << "a/.";
        QTest::newRow("japanese") << "ファイル /x/temp.html を作成できません"
                                  << "ファイル /x/temp.html を作成できません.";
        QTest::newRow("empty") << ""
                               << "";
    }

    void exceptionMessageGetsAFullStopOnlyAfterLaterCharacters() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(exceptionMessage(message), shown);
    }

    void escapedErrorIsShownAndTheProgramGoesOn() {
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        onNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            box->close();
        });
        bool after = false;
        guarded([] { throw UserError("ファイル /tmp/auto.txt は開けません"); });
        after = true;
        QVERIFY(after);
        QCOMPARE(text, QString("ファイル /tmp/auto.txt は開けません."));
        QCOMPARE(title, QString("Verrimo"));
        QCOMPARE(icon, QMessageBox::Critical);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Verrimo");
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "main_window_test.moc"
