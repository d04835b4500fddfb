// ファイル → HARを読み込む…: the steps of a browser's HAR file listed, ticked and added to the
// definition through the keys and the mouse; a file that is no whole HAR file adds nothing.
#include <QAccessible>
#include <QLineEdit>
#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <memory>

#include "Unit1.h"
#include "codepage.h"
#include "har_dialog.h"
#include "modal_window.h"
#include "request_preview.h"
#include "user_input.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

const std::string kShiftJis = std::string(VERRIMO_HAR_DATA) + "/road-shift_jis.har";

// Runs act on the HAR dialog once it is up, and closes it should act leave it open. It watches
// without waiting, so that the file dialog and the reading before it run on; it stops watching
// when the watch it returns goes.
std::unique_ptr<QTimer> onHarDialog(std::function<void(HarRoadDialog*)> act) {
    auto timer = std::make_unique<QTimer>();
    QTimer* watch = timer.get();
    QObject::connect(watch, &QTimer::timeout, [watch, act] {
        auto* dialog = qobject_cast<HarRoadDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        watch->stop();
        act(dialog);
        if (QApplication::activeModalWidget() == dialog) dialog->reject();
    });
    watch->start(10);
    return timer;
}

QString itemText(QTreeWidget* list, int row, int column) {
    return list->topLevelItem(row)->text(column);
}

std::string writeFile(const QTemporaryDir& dir, const char* name, const std::string& bytes) {
    const std::string path = dir.filePath(name).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

}  // namespace

class HarDialogTest : public WindowTest {
    Q_OBJECT

  private slots:
    void init() { startProgram(); }
    void cleanup() { endProgram(); }

    void theTickedStepsAreAddedWithTheCheckStringChosen() {
        ErrorBoxes boxes;
        bool shown = false;
        chooseFileInNextDialog(QString::fromStdString(kShiftJis));
        const auto watch = onHarDialog([&](HarRoadDialog* d) {
            shown = true;
            QTreeWidget* list = d->List_steps;
            QCOMPARE(list->topLevelItemCount(), 3);
            const char* const ends[] = {"/login.cgi", "/confirm.cgi", "/complete.cgi"};
            const char* const fields[] = {"2", "4", "4"};
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(itemText(list, i, HarRoadDialog::Method), QString("POST"));
                QVERIFY(itemText(list, i, HarRoadDialog::Address).endsWith(ends[i]));
                QCOMPARE(itemText(list, i, HarRoadDialog::Fields), QString(fields[i]));
                QCOMPARE(itemText(list, i, HarRoadDialog::ReferrerPage), QString("あり"));
                QCOMPARE(list->topLevelItem(i)->checkState(0), Qt::Checked);
            }
            // Every control has a name a screen reader can say.
            for (QWidget* w : {static_cast<QWidget*>(list), static_cast<QWidget*>(d->Memo_lines),
                               static_cast<QWidget*>(d->CB_check->lineEdit())})
                QVERIFY(
                    !QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty());
            QCOMPARE(d->CB_check->currentText(), QString("お問い合わせ"));

            // The second step unticked from the keyboard; the third one's check string typed.
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Space);
            QCOMPARE(list->topLevelItem(1)->checkState(0), Qt::Unchecked);
            QTest::keyClick(list, Qt::Key_Down);
            QCOMPARE(d->CB_check->count(), 3);  // 完了, 送信完了, ありがとうございました。
            retype(d->CB_check->lineEdit(), "ありがとうございました。");
            QVERIFY(d->Memo_lines->toPlainText().trimmed().endsWith(
                "chk-moji=ありがとうございました。"));
            QVERIFY(!d->Memo_lines->toPlainText().contains("action=confirm.cgi"));
            click(d->Button_add);
        });
        form1->Har1->trigger();
        QVERIFY(shown);
        QVERIFY2(boxes.messages.isEmpty(), qPrintable(boxes.messages.join("; ")));
        QVERIFY(!QApplication::activeModalWidget());

        const std::vector<std::string> lines = form1->Memo1->Lines();
        QCOMPARE(lines.size(), std::size_t(6 + 8));
        QVERIFY(lines[0].ends_with("/login.html"));
        QCOMPARE(lines[1], std::string("action=login.cgi"));
        QCOMPARE(lines[3], std::string("pass=Zem-Pass"));
        QCOMPARE(lines[5], programText("chk-moji=お問い合わせ"));
        QVERIFY(lines[6].ends_with("/confirm.html"));
        QCOMPARE(lines[7], std::string("action=complete.cgi"));
        QCOMPARE(lines[8], std::string("token2=Zem-GetValue[token2]"));
        QCOMPARE(lines[13], programText("chk-moji=ありがとうございました。"));
        QCOMPARE(form1->Memo1->Text().find("hunter2"), std::string::npos);

        // The first step's page is the one the preview reads the definition against.
        form1->Preview1->trigger();
        RequestPreview* preview = app->forms().Preview;
        QTRY_COMPARE(preview->Label_page->text(),
                     QString("読み込んだページのフォームと照らし合わせています"));
        QVERIFY(preview->Memo_request->toPlainText().contains("user=taro"));
    }

    void closingAddsNothing() {
        chooseFileInNextDialog(QString::fromStdString(kShiftJis));
        const auto watch = onHarDialog([](HarRoadDialog* d) {
            QTest::keyClick(d->List_steps, Qt::Key_Space);  // the first step unticked
            click(d->Button_close);
        });
        form1->Har1->trigger();
        QCOMPARE(form1->Memo1->Text(), std::string());
    }

    void aFileThatIsNoWholeHarFileIsNamedAndAddsNothing_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QByteArray har = fileBytes(kShiftJis);
        QTest::newRow("cut off") << har.left(har.size() / 3) << "バイト目で途切れています";
        QTest::newRow("a page") << QByteArray("<html></html>") << "JSON として読めません";
        QTest::newRow("other JSON") << QByteArray(R"({"log":{}})") << "log.entries がありません";
        QTest::newRow("no form submission")
            << QByteArray(R"({"log":{"entries":[]}})") << "フォームの送信がありません";
    }

    void aFileThatIsNoWholeHarFileIsNamedAndAddsNothing() {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const std::string path = writeFile(dir, "saved.har", file.toStdString());
        form1->Memo1->SetText(std::string("Zem-Referer=x\r\n"));
        ErrorBoxes boxes;
        chooseFileInNextDialog(QString::fromStdString(path));
        form1->Har1->trigger();
        QTRY_COMPARE(boxes.messages.size(), qsizetype(1));
        QVERIFY2(boxes.messages[0].contains(message), qPrintable(boxes.messages[0]));
        QVERIFY(boxes.messages[0].contains("saved.har"));
        QCOMPARE(form1->Memo1->Text(), std::string("Zem-Referer=x\r\n"));
        QVERIFY(app->forms().HarDialog->isHidden());
    }
};

int main(int argc, char** argv) {
    return runWindowTest<HarDialogTest>(argc, argv);
}

#include "har_dialog_test.moc"
