// 修復案…: where the trial run stopped on the drifted road site, and on a line of the definition
// that no longer fits its page; the old and the new definition side by side, taken whole or
// change by change, and nothing changed before the user takes it.
#include <QContextMenuEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextBlock>

#include "Unit1.h"
#include "Unit2.h"
#include "modal_window.h"
#include "repair_dialog.h"
#include "request_preview.h"
#include "road_session.h"
#include "road_site.h"
#include "trial_run.h"
#include "user_input.h"
#include "widget_text.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

// A form as it was when its definition was written, and as it is now: the e-mail field renamed,
// a hidden field and a password field added.
const char* const kDefinition =
    "Zem-Referer=http://127.0.0.1:1/entry.html\r\naction=post.cgi\r\ntoken=Zem-GetValue[token]\r\n"
    "email=Zem-email\r\n-\r\nchk-moji=\r\n";
const char* const kPageNow =
    "<html><body><form action=\"post.cgi\" method=\"post\">\n"
    "<input type=\"hidden\" name=\"token\" value=\"t1\">\n"
    "<input type=\"hidden\" name=\"ticket\" value=\"k9\">\n"
    "<input type=\"text\" name=\"mail\">\n"
    "<input type=\"password\" name=\"pin\">\n"
    "<input type=\"submit\" value=\"send\">\n</form></body></html>\n";

// The rows of the changes list: line, kind, and "[x]" where it can be ticked.
QStringList rowsOf(const RepairDialog* dialog) {
    QStringList rows;
    for (int i = 0; i < dialog->List_changes->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = dialog->List_changes->topLevelItem(i);
        rows << row->text(RepairDialog::Line) + " " + row->text(RepairDialog::Kind) +
                    ((row->flags() & Qt::ItemIsUserCheckable) ? " [x]" : "");
    }
    return rows;
}

}  // namespace

class RepairWindowTest : public WindowTest {
    Q_OBJECT

    QTemporaryDir config_;

    // 修復案… from the context menu of the definition's line (from 0).
    void repairFromMenu(int line) {
        QWidget* viewport = form1->Memo1->viewport();
        QTextCursor cursor(form1->Memo1->document()->findBlockByNumber(line));
        const QPoint at = form1->Memo1->cursorRect(cursor).center() + QPoint(4, 0);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        QMenu* menu = nullptr;
        QVERIFY(QTest::qWaitFor(
            [&] { return menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()); }));
        QAction* repair = menu->findChild<QAction*>("Repair1");
        QVERIFY(repair);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(repair).center());
    }

  private slots:
    void initTestCase() {
        QVERIFY(config_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
    }

    void init() {
        startNewRoad();
        startProgram();
    }

    void cleanup() {
        endProgram();
        CodePage::setProgram("CP932");
    }

    // Each change a row, what the user must decide marked and not to be ticked; a change left
    // out is left out of the definition, and キャンセル changes nothing.
    void changeByChange() {
        form1->Memo1->SetText(kDefinition);
        form2->Memo1->SetText(kPageNow);
        click(form2->Button2);
        QTRY_VERIFY(form1->Label_check->text().startsWith("警告 "));

        // キャンセル: the definition as it was.
        onNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<RepairDialog*>(modal);
            QVERIFY(dialog);
            click(dialog->Button_cancel);
        });
        repairFromMenu(3);
        QCOMPARE(form1->Memo1->Text(), std::string(kDefinition));

        onNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<RepairDialog*>(modal);
            QVERIFY(dialog);
            QCOMPARE(rowsOf(dialog),
                     QStringList({"3 項目の追加 [x]", "4 名前の変更 [x]", "4 要確認"}));
            QVERIFY(
                dialog->List_changes->topLevelItem(2)->text(RepairDialog::Message).contains("pin"));
            // The new hidden field unticked from the keyboard: the new side follows.
            dialog->List_changes->setFocus();
            dialog->List_changes->setCurrentItem(dialog->List_changes->topLevelItem(0));
            QTest::keyClick(dialog->List_changes, Qt::Key_Space);
            QCOMPARE(dialog->Memo_new->toPlainText(),
                     QString("Zem-Referer=http://127.0.0.1:1/entry.html\naction=post.cgi\n"
                             "token=Zem-GetValue[token]\nmail=Zem-email\n-\nchk-moji=\n"));
            QCOMPARE(dialog->Memo_old->toPlainText(), toDocument(kDefinition));
            click(dialog->Button_chosen);
        });
        repairFromMenu(3);
        QCOMPARE(form1->Memo1->Text(),
                 std::string("Zem-Referer=http://127.0.0.1:1/entry.html\r\naction=post.cgi\r\n"
                             "token=Zem-GetValue[token]\r\nmail=Zem-email\r\n-\r\nchk-moji=\r\n"));
    }

    // The road site renamed a hidden field of its confirmation: the trial run stops at step 3,
    // 修復案… writes the new field's line for the old one's, and the run then passes.
    void theTrialRunPassesOnceRepaired() {
        RoadSite site(RoadSite::Charset::ShiftJis);
        // The login's user, as the preview keeps it.
        form1->Preview1->trigger();
        retype(app->forms().Preview->Edit_id, QString::fromLatin1(RoadSite::kUser));
        click(app->forms().Preview->Button_samples);
        click(app->forms().Preview->Button_close);
        form1->Memo1->SetText(site.definition());
        site.renameConfirmField("name", "fullname");
        TrialRun* trial = app->forms().Run;
        const auto run = [&] {
            form1->Run1->trigger();
            retype(trial->Edit_pass, QString::fromLatin1(RoadSite::kPassword));
            click(trial->Button_start);
            QTRY_VERIFY_WITH_TIMEOUT(trial->Button_send->isEnabled() || !trial->Running(), 30000);
            if (trial->Running()) click(trial->Button_sendAll);
            QTRY_VERIFY_WITH_TIMEOUT(!trial->Running(), 30000);
        };
        run();
        QVERIFY2(trial->Memo_steps->toPlainText().contains(
                     "手順 3\u3000送信せずに止めました（ページが定義に合いません）"),
                 qPrintable(trial->Memo_steps->toPlainText()));
        QVERIFY(trial->Button_repair->isEnabled());
        const std::string before = form1->Memo1->Text();
        onNextModal([before, this](QWidget* modal) {
            auto* dialog = qobject_cast<RepairDialog*>(modal);
            QVERIFY(dialog);
            // A hidden field takes its value from the page: the old one's line goes, the new
            // one's comes where the page has it.
            QCOMPARE(rowsOf(dialog), QStringList({"18 項目の削除 [x]", "19 項目の追加 [x]"}));
            QVERIFY(
                dialog->Memo_new->toPlainText().contains("\nfullname=Zem-GetValue[fullname]\n"));
            QCOMPARE(form1->Memo1->Text(), before);  // nothing changed yet
            click(dialog->Button_all);
        });
        click(trial->Button_repair);
        QVERIFY(form1->Memo1->Text().find("\r\nfullname=Zem-GetValue[fullname]\r\n") !=
                std::string::npos);
        run();
        QCOMPARE(trial->Label_state->text(),
                 QString("試走が終わりました: すべての手順が通過しました"));
        // The completion took the name under its new field name.
        QCOMPARE(site.completed(), site.enteredValues());
        QVERIFY(site.refusals().empty());
    }
};

int main(int argc, char** argv) {
    return runWindowTest<RepairWindowTest>(argc, argv);
}

#include "repair_window_test.moc"
