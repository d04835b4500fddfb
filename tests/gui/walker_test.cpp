// The tag walker, driven as a user would: shown from the main window, stepping through the
// required-tag list, accepting and skipping, the lines landing in the definition text.
#include <QCheckBox>
#include <QClipboard>
#include <QTabBar>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit_tag.h"
#include "application.h"
#include "memo_text.h"
#include "user_input.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

// The first required tags of a login form, as the extraction leaves them.
const std::vector<std::string> kLoginForm = {
    R"(<form action="post.cgi" method="post">)",
    R"(<input type="hidden" name="sid" value="a b/c">)",
    R"(<input type="text" name="q">)",
    R"(<input type="password" name="pw">)",
};

}  // namespace

class WalkerTest : public WindowTest {
    Q_OBJECT

    void setRequiredTags(const std::vector<std::string>& tags) {
        form2->Memo2->SetText(joinLines(tags));
    }

    void showWalker() { click(form1->Button3); }

    QList<QByteArray> definitionLines() const {
        QList<QByteArray> lines;
        const std::string text = form1->Memo1->Text();
        for (std::string_view line : splitLines(text)) lines << bytes(std::string(line));
        return lines;
    }

    int index() const { return walker->Label_nowLine->text().toInt(); }

  private slots:
    void init() { startProgram(); }

    void cleanup() { endProgram(); }

    void controlsAsCreated() {
        QVERIFY(!walker->isVisible());
        QCOMPARE(walker->windowTitle(), QString("タグ追加"));
        QVERIFY(walker->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(walker->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(walker->minimumSize(), walker->maximumSize());
        QCOMPARE(walker->Label1->text(), QString("読み込んだタグ"));
        QCOMPARE(walker->Label_nowLine->text(), QString("0"));
        QCOMPARE(walker->Label1650->text(), QString("行目"));
        QCOMPARE(walker->Edit_read->text(), QString("Edit_read"));
        QCOMPARE(walker->Edit_name->text(), QString("Edit_name"));
        QCOMPARE(walker->Label3->text(), QString("＝"));
        QVERIFY(walker->Label_hint->text().isEmpty());
        QVERIFY(walker->Label_hint2->text().isEmpty());
        QCOMPARE(walker->Label6->text(), QString("エンコードされた状態で下に出力されます"));
        for (TLabel* arrow :
             {walker->Label_ya1, walker->Label_ya2, walker->Label_ya3, walker->Label7}) {
            QCOMPARE(arrow->text(), QString("→"));
            QVERIFY(arrow->font().bold());
            QCOMPARE(arrow->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        }
        QCOMPARE(walker->Label_hint->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        QCOMPARE(walker->Label8->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        QVERIFY(walker->CB2->currentText().isEmpty());
        QCOMPARE(walker->CB2->Items(),
                 (std::vector<std::string>{"Zem-ID", "Zem-Pass", "Zem-email"}));
        QCOMPARE(walker->Edit_val->text(), QString("Edit_val"));
        QVERIFY(walker->CB1->currentText().isEmpty());
        QCOMPARE(walker->CB1->Items(),
                 (std::vector<std::string>{"Zem-Random", "Zem-GetValue", "Zem-Zip", "Zem-KeyCode",
                                           "Zem-Select", "Zem-Rmoji"}));
        QCOMPARE(walker->Label4->text(), QString("["));
        QCOMPARE(walker->Edit_zem->text(), QString("Edit_zem"));
        QCOMPARE(walker->Label5->text(), QString("]"));
        QCOMPARE(walker->Button5->text(), QString("入力補助"));
        QCOMPARE(walker->CB3->currentText(), QString("CB3"));
        QCOMPARE(walker->CB3->count(), 0);
        QCOMPARE(walker->Label8->text(), QString("Auto．txtからの抽出です"));
        QCOMPARE(walker->Label2->text(), QString("上記の通りで宜しいですか？"));
        QCOMPARE(walker->Button1->text(), QString("追加して次の行"));
        QCOMPARE(walker->Button3->text(), QString("処理せず次の行"));
        QCOMPARE(walker->CB_GV->text(), QString("hidden  はGetValueをデフォにする"));
        QVERIFY(walker->CB_GV->isChecked());
        QCOMPARE(walker->Button2->text(), QString("閉じる"));
        for (QRadioButton* rb : {walker->RB1, walker->RB2, walker->RB3, walker->RB4}) {
            QVERIFY(!rb->isChecked());
            QVERIFY(rb->text().isEmpty());
        }
    }

    void radioButtonsAreOneGroup() {
        setRequiredTags({R"(<input type="text" name="q">)"});
        showWalker();
        QVERIFY(walker->isVisible());
        click(walker->RB2);
        QVERIFY(walker->RB2->isChecked());
        click(walker->RB4);
        QVERIFY(walker->RB4->isChecked());
        QVERIFY(!walker->RB2->isChecked());
        // Clicking the selected one again keeps it selected.
        click(walker->RB4);
        QVERIFY(walker->RB4->isChecked());
        QCOMPARE(walker->SelectedRow(), Row::Auto);
    }

    void typedTextGoesIntoTheLineUnchanged() {
        setRequiredTags({R"(<input type="text" name="q">)", R"(<input type="text" name="q2">)",
                         R"(<input type="text" name="q3">)"});
        showWalker();
        retype(walker->Edit_name, "名前 a");
        retype(walker->CB1->lineEdit(), "zem-random");
        retype(walker->Edit_zem, "a=b&c/ d%2F");
        click(walker->RB3);
        click(walker->Button1);
        // Neither the value nor the name is encoded, and no blank is trimmed.
        retype(walker->Edit_name, " n ");
        retype(walker->Edit_val, "x=y/z?!");
        click(walker->RB2);
        click(walker->Button1);
        retype(walker->CB3->lineEdit(), "ﾃｽﾄ値");
        click(walker->RB4);
        click(walker->Button1);
        QTRY_VERIFY(!walker->isVisible());
        QCOMPARE(bytes(form1->Memo1->Text()), bytes(programText("名前 a=zem-random[a=b&c/ d%2F]\r\n"
                                                                " n =x=y/z?!\r\n"
                                                                "q3=ﾃｽﾄ値\r\n")));
    }

    void emptyRowsStillMakeTheirLines() {
        setRequiredTags({R"(<input type="text" name="a">)", R"(<input type="text" name="b">)",
                         R"(<input type="text" name="c">)"});
        showWalker();
        retype(walker->CB1->lineEdit(), "Zem-Rmoji");
        walker->Edit_zem->clear();
        click(walker->RB3);
        click(walker->Button1);
        QVERIFY(walker->CB3->currentText().isEmpty());
        click(walker->RB4);
        click(walker->Button1);
        retype(walker->CB2->lineEdit(), "Zem-email");
        click(walker->RB1);
        click(walker->Button1);
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray("a=Zem-Rmoji[]\r\nb=\r\nc=Zem-email\r\n"));
    }

    void textTypedIntoTheTagFieldHasNoEffect() {
        setRequiredTags(
            {R"(<input type="text" name="q">)", R"(<input type="password" name="pw">)"});
        showWalker();
        retype(walker->Edit_read, R"(<input type="hidden" name="x" value="y">)");
        click(walker->Button3);
        QCOMPARE(bytes(walker->Edit_read->Text()),
                 QByteArray(R"(<input type="password" name="pw">)"));
        QCOMPARE(walker->Edit_name->text(), QString("pw"));
    }

    void emptyListEndsTheWalkAtOnce() {
        setRequiredTags({});
        showWalker();
        QVERIFY(!walker->isVisible());
        QVERIFY(walker->Edit_read->text().isEmpty());
        QCOMPARE(walker->Edit_name->text(), QString("Edit_name"));
        QVERIFY(form1->Memo1->Text().empty());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void emptyFirstLineEndsTheWalkAtOnce() {
        setRequiredTags({"", R"(<input type="text" name="q">)"});
        showWalker();
        QVERIFY(!walker->isVisible());
        QCOMPARE(index(), 0);
    }

    void showingWhileShownDoesNotRestart() {
        setRequiredTags(kLoginForm);
        showWalker();
        click(walker->Button3);
        click(walker->Button3);
        QCOMPARE(index(), 2);
        showWalker();
        QVERIFY(walker->isVisible());
        QCOMPARE(index(), 2);
    }

    void closingAndShowingAgainStartsAtTheFirstLine() {
        setRequiredTags(kLoginForm);
        showWalker();
        click(walker->Button3);
        click(walker->Button1);
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray("sid=Zem-GetValue[sid]\r\n"));
        click(walker->Button2);
        QVERIFY(!walker->isVisible());
        showWalker();
        QVERIFY(walker->isVisible());
        QCOMPARE(index(), 0);
        QCOMPARE(bytes(walker->Edit_read->Text()), bytes(kLoginForm[0]));
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray("sid=Zem-GetValue[sid]\r\n"));
        // The window's close box hides it the same way.
        walker->close();
        QVERIFY(!walker->isVisible());
    }

    void aReloadMidWalkContinuesAtTheSameIndexInTheNewList() {
        auto extract = [this](const QString& source) {
            QApplication::clipboard()->setText(source);
            QTest::mouseClick(form2->PageControl1->tabBar(), Qt::LeftButton, {},
                              form2->PageControl1->tabBar()->tabRect(1).center());
            click(form2->Button1);
            form2->Memo1->setFocus();
            QTest::keySequence(form2->Memo1, QKeySequence::Paste);
            click(form2->Button2);
        };
        extract(R"(<form action="a.cgi"><input type="text" name="a1">)"
                R"(<input type="text" name="a2"><input type="text" name="a3"></form>)");
        showWalker();
        click(walker->Button3);
        QCOMPARE(walker->Edit_name->text(), QString("a1"));

        extract(R"(<form action="b.cgi"><input type="text" name="b1">)"
                R"(<input type="text" name="b2"><input type="password" name="b3"></form>)");
        QCOMPARE(walker->Edit_name->text(), QString("a1"));
        click(walker->Button3);
        QCOMPARE(index(), 2);
        QCOMPARE(walker->Edit_name->text(), QString("b2"));
        click(walker->Button3);
        QCOMPARE(walker->Edit_name->text(), QString("b3"));
        QVERIFY(walker->RB1->isChecked());
        click(walker->Button1);
        QTRY_VERIFY(!walker->isVisible());
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray("b3=Zem-Pass\r\n"));
    }
};

int main(int argc, char** argv) {
    return runWindowTest<WalkerTest>(argc, argv);
}

#include "walker_test.moc"
