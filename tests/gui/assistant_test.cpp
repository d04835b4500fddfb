// The value expression assistant, opened from the walker's "入力補助" and driven from inside its
// modal run: the operands it composes and what it writes into the walker.
#include "Unit1.h"
#include "Unit2.h"
#include "Unit_gv.h"
#include "Unit_tag.h"
#include "application.h"
#include "memo_text.h"
#include "modal_window.h"
#include "user_input.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

const std::vector<std::string> kFields = {R"(<input type="password" name="pw">)",
                                          R"(<input type="text" name="q">)"};

void pick(TComboBox* box, const QString& item) {
    const int at = box->findText(item);
    QVERIFY(at >= 0);
    box->setCurrentIndex(at);
}

}  // namespace

class AssistantTest : public WindowTest {
    Q_OBJECT

    // Opens the assistant from the walker and runs act in it; the assistant must be closed
    // when the walker's button returns.
    void withAssistant(const std::function<void(TForm4*)>& act) {
        bool ran = false;
        onNextModal([&](QWidget* modal) {
            auto* assistant = qobject_cast<TForm4*>(modal);
            QVERIFY(assistant == app->forms().Form4);
            ran = true;
            act(assistant);
        });
        click(walker->Button5);
        QVERIFY(ran);
        QVERIFY(!app->forms().Form4->isVisible());
    }

    // The walker's state that the assistant may write.
    struct Written {
        QString keyword;
        QString operand;
        Row row;
        bool operator==(const Written&) const = default;
    };
    Written written() const {
        return {walker->CB1->currentText(), walker->Edit_zem->text(), walker->SelectedRow()};
    }

  private slots:
    void init() {
        startProgram();
        form2->Memo2->SetText(joinLines(kFields));
        click(form1->Button3);
        // The password field leaves the identity row selected.
        QVERIFY(walker->RB1->isChecked());
    }

    void cleanup() { endProgram(); }

    void controlsAfterOpening() {
        withAssistant([](TForm4* a) {
            QVERIFY(a->isModal());
            QCOMPARE(a->windowTitle(), QString("必要な文字を入れてボタンを押してください"));
            QVERIFY(!(a->windowFlags() & Qt::WindowStaysOnTopHint));
            QCOMPARE(a->minimumSize(), a->maximumSize());
            QCOMPARE(a->Button1->text(), QString("Zem-Random"));
            QCOMPARE(a->Button2->text(), QString("Zem-Zip"));
            QCOMPARE(a->Button3->text(), QString("Zem-KeyCode"));
            QCOMPARE(a->Button4->text(), QString("Zem-Rmoji"));
            QCOMPARE(a->Button6->text(), QString("ＯＫ"));
            QCOMPARE(a->Button5->text(), QString("キャンセル"));
            for (TLabel* open : {a->Label1, a->Label2, a->Label3, a->Label4}) {
                QCOMPARE(open->text(), QString("["));
                QVERIFY(open->font().bold());
            }
            for (TLabel* close : {a->Label6, a->Label8, a->Label9, a->Label7}) {
                QCOMPARE(close->text(), QString("]"));
                QVERIFY(close->font().bold());
            }
            QCOMPARE(a->Label5->text(), QString("："));
            QVERIFY(a->Label5->font().bold());
            QCOMPARE(a->Label10->text(), QString("，"));
            QVERIFY(a->Label10->font().bold());
            QCOMPARE(a->CB_random1->Items(),
                     (std::vector<std::string>{"0", "a", "A", "a,0", "A,0", "1-12", "1-28", "50-80",
                                               "1950-1980"}));
            QCOMPARE(a->CB_random2->Items(),
                     (std::vector<std::string>{"1", "1-10", "4-6", "5-8", "5-10", "8-15"}));
            QCOMPARE(a->CB_zip->Items(), (std::vector<std::string>{"5", "5,3", "3,4"}));
            QCOMPARE(a->CB_key->Items(), (std::vector<std::string>{"1", "2"}));
            for (TComboBox* box : {a->CB_random1, a->CB_random2, a->CB_zip, a->CB_key, a->CB_key2})
                QVERIFY(box->isEditable());
            QVERIFY(a->CB_random1->currentText().isEmpty());
            QVERIFY(a->CB_random2->currentText().isEmpty());
            QVERIFY(a->CB_zip->currentText().isEmpty());
            QCOMPARE(a->CB_key->currentText(), QString("1"));
            QVERIFY(a->CB_key2->currentText().isEmpty());
            QCOMPARE(a->CB_key2->count(), 0);
            QVERIFY(a->Edit_rmoji->text().isEmpty());
            click(a->Button5);
        });
    }

    void randomButtonWritesItsOperandAndKeyword() {
        withAssistant([](TForm4* a) {
            pick(a->CB_random1, "1-12");
            retype(a->CB_random2->lineEdit(), "4-6");
            click(a->Button1);
        });
        QCOMPARE(written(), (Written{"Zem-Random", "1-12:4-6", Row::Expression}));
        QVERIFY(!walker->RB1->isChecked());
        click(walker->Button1);
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray("pw=Zem-Random[1-12:4-6]\r\n"));
    }

    void randomWithBothPartsEmptyIsAColon() {
        withAssistant([](TForm4* a) { click(a->Button1); });
        QCOMPARE(written(), (Written{"Zem-Random", ":", Row::Expression}));
    }

    void zipButton() {
        withAssistant([](TForm4* a) {
            pick(a->CB_zip, "5,3");
            click(a->Button2);
        });
        QCOMPARE(written(), (Written{"Zem-Zip", "5,3", Row::Expression}));
    }

    void keyCodeRightAfterOpening() {
        withAssistant([](TForm4* a) { click(a->Button3); });
        QCOMPARE(written(), (Written{"Zem-KeyCode", "1,", Row::Expression}));
    }

    void keyCodeOffersThePagesImageSources() {
        form2->Memo_img->SetText(
            "<img src=\"a.gif\" alt=\"x\" src=\"b.gif\">\r\n"
            "<img src=c.gif>\r\n"
            "<img src=\"\">\r\n"
            "<img alt=\"y\">\r\n"
            "<img src=\"d.gif>\r\n"
            "<img src=\"a.gif\">\r\n");
        withAssistant([](TForm4* a) {
            QCOMPARE(a->CB_key2->Items(), (std::vector<std::string>{"a.gif", "", "", "a.gif"}));
            pick(a->CB_key, "2");
            pick(a->CB_key2, "a.gif");
            click(a->Button3);
        });
        QCOMPARE(written(), (Written{"Zem-KeyCode", "2,a.gif", Row::Expression}));
    }

    void rmojiTakesTheTextAsTyped() {
        withAssistant([](TForm4* a) {
            retype(a->Edit_rmoji, "あa b/=");
            click(a->Button4);
        });
        QCOMPARE(written(), (Written{"Zem-Rmoji", "あa b/=", Row::Expression}));
        click(walker->Button1);
        QCOMPARE(bytes(form1->Memo1->Text()), bytes(programText("pw=Zem-Rmoji[あa b/=]\r\n")));
    }

    void okWithAnEmptyKeywordKeepsTheDialogOpen() {
        walker->CB1->SetText("");
        const Written before = written();
        withAssistant([](TForm4* a) {
            retype(a->Edit_rmoji, "x");
            click(a->Button6);
            QVERIFY(a->isVisible());
            QVERIFY(QApplication::activeModalWidget() == a);
            click(a->Button5);
        });
        QCOMPARE(written(), before);
    }

    void okComposesForTheKeywordChosenInTheWalker_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("operand");
        QTest::newRow("Zem-Random") << "Zem-Random"
                                    << "a,0:5-8";
        QTest::newRow("Zem-Zip") << "Zem-Zip"
                                 << "3,4";
        QTest::newRow("Zem-KeyCode") << "Zem-KeyCode"
                                     << "2,k.png";
        QTest::newRow("Zem-Rmoji") << "Zem-Rmoji"
                                   << "r m";
    }

    void okComposesForTheKeywordChosenInTheWalker() {
        QFETCH(QString, keyword);
        QFETCH(QString, operand);
        form2->Memo_img->SetText("<img src=\"k.png\">");
        retype(walker->CB1->lineEdit(), keyword);
        withAssistant([](TForm4* a) {
            pick(a->CB_random1, "a,0");
            pick(a->CB_random2, "5-8");
            pick(a->CB_zip, "3,4");
            pick(a->CB_key, "2");
            pick(a->CB_key2, "k.png");
            retype(a->Edit_rmoji, "r m");
            click(a->Button6);
        });
        QCOMPARE(written(), (Written{keyword, operand, Row::Expression}));
    }

    void okUsesOnlyTheChosenKeywordsRow() {
        retype(walker->CB1->lineEdit(), "Zem-Zip");
        withAssistant([](TForm4* a) {
            pick(a->CB_random1, "A");
            pick(a->CB_random2, "1");
            click(a->Button6);
        });
        QCOMPARE(written(), (Written{"Zem-Zip", "", Row::Expression}));
    }

    void okWithAnUnlistedKeywordOnlySelectsTheExpressionRow_data() {
        QTest::addColumn<QString>("keyword");
        QTest::newRow("Zem-GetValue") << "Zem-GetValue";
        QTest::newRow("Zem-Select") << "Zem-Select";
        QTest::newRow("lower case") << "zem-random";
    }

    void okWithAnUnlistedKeywordOnlySelectsTheExpressionRow() {
        QFETCH(QString, keyword);
        retype(walker->CB1->lineEdit(), keyword);
        retype(walker->Edit_zem, "kept");
        withAssistant([](TForm4* a) {
            pick(a->CB_random1, "0");
            click(a->Button6);
        });
        QCOMPARE(written(), (Written{keyword, "kept", Row::Expression}));
    }

    void cancelChangesNothing() {
        retype(walker->CB1->lineEdit(), "Zem-Zip");
        retype(walker->Edit_zem, "before");
        const Written before = written();
        withAssistant([](TForm4* a) {
            pick(a->CB_zip, "5");
            click(a->Button5);
        });
        QCOMPARE(written(), before);
        withAssistant([](TForm4* a) {
            pick(a->CB_zip, "5");
            a->close();
        });
        QCOMPARE(written(), before);
    }

    void enterInAFieldPressesNoButton() {
        const Written before = written();
        withAssistant([](TForm4* a) {
            retype(a->Edit_rmoji, "x");
            QTest::keyClick(a->Edit_rmoji, Qt::Key_Return);
            QVERIFY(a->isVisible());
            click(a->Button5);
        });
        QCOMPARE(written(), before);
    }

    void everyOpeningStartsAfresh() {
        form2->Memo_img->SetText("<img src=\"one.gif\">");
        withAssistant([](TForm4* a) {
            pick(a->CB_random1, "A");
            retype(a->CB_random2->lineEdit(), "9");
            pick(a->CB_zip, "5");
            pick(a->CB_key, "2");
            pick(a->CB_key2, "one.gif");
            retype(a->Edit_rmoji, "x");
            click(a->Button5);
        });
        form2->Memo_img->SetText("<img src=\"two.gif\">\r\n<img src=\"three.gif\">");
        withAssistant([](TForm4* a) {
            QVERIFY(a->CB_random1->currentText().isEmpty());
            QVERIFY(a->CB_random2->currentText().isEmpty());
            QVERIFY(a->CB_zip->currentText().isEmpty());
            QCOMPARE(a->CB_key->currentText(), QString("1"));
            QVERIFY(a->CB_key2->currentText().isEmpty());
            QCOMPARE(a->CB_key2->Items(), (std::vector<std::string>{"two.gif", "three.gif"}));
            QVERIFY(a->Edit_rmoji->text().isEmpty());
            click(a->Button5);
        });
    }
};

int main(int argc, char** argv) {
    return runWindowTest<AssistantTest>(argc, argv);
}

#include "assistant_test.moc"
