// The 文字コード menu and the page viewer's offer of the page's own charset: every text is read
// again in the new code page, and no byte of any control changes.
#include <QAction>
#include <QLabel>
#include <QTest>
#include <functional>
#include <utility>
#include <vector>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_gv.h"
#include "Unit_tag.h"
#include "application.h"
#include "codepage.h"
#include "random_bytes.h"
#include "user_input.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

// Every text of every control of the program's windows, as bytes.
std::vector<std::string> allBytes(const Forms& forms) {
    std::vector<std::string> texts;
    for (QWidget* window : std::initializer_list<QWidget*>{forms.Form1, forms.Form2, forms.Form3,
                                                           forms.Form_tag, forms.Form4}) {
        for (const TEdit* edit : window->findChildren<TEdit*>()) texts.push_back(edit->Text());
        for (const TComboBox* box : window->findChildren<TComboBox*>()) {
            texts.push_back(box->Text());
            for (const std::string& item : box->Items()) texts.push_back(item);
        }
        for (const TMemo* memo : window->findChildren<TMemo*>()) texts.push_back(memo->Text());
        for (const TPageMemo* memo : window->findChildren<TPageMemo*>())
            texts.push_back(memo->Text());
    }
    return texts;
}

QAction* menuItem(TForm1* main, const QString& charset) {
    for (QAction* item : main->CodePage1->actions())
        if (item->text() == charset) return item;
    return nullptr;
}

}  // namespace

class CodePageSwitchTest : public WindowTest {
    Q_OBJECT

  private slots:
    void init() { startProgram(); }

    void cleanup() {
        endProgram();
        CodePage::setProgram("CP932");
    }

    void switchingThereAndBackKeepsEveryByte() {
        QVERIFY(menuItem(form1, "Shift_JIS")->isChecked());
        form1->Memo1->SetText(randomBytes(3000, 1));
        form1->Memo1->moveCursor(QTextCursor::End);
        QTest::keyClicks(form1->Memo1, "typed");
        form1->Memo2->SetText(programText("-\r\nchk-moji=ようこそ\r\n"));
        form1->Edit1->SetItems({randomBytes(40, 2), "b.html"});
        form1->Edit1->SetText(randomBytes(50, 3));
        form2->Memo2->SetText(randomBytes(2000, 4));
        form3->Edit2->SetText(randomBytes(60, 5));
        walker->Edit_val->SetText(randomBytes(70, 6));
        const std::vector<std::string> before = allBytes(app->forms());

        for (const char* charset : {"UTF-8", "EUC-JP", "Shift_JIS", "UTF-8", "Shift_JIS"}) {
            menuItem(form1, charset)->trigger();
            QCOMPARE(CodePage::program().name(),
                     std::string(charset == std::string("Shift_JIS") ? "CP932" : charset));
            QVERIFY(menuItem(form1, charset)->isChecked());
            QVERIFY(allBytes(app->forms()) == before);
        }
        // The window's own captions are not page bytes: they stay readable.
        menuItem(form1, "UTF-8")->trigger();
        QCOMPARE(form1->Label13540->text(), QString("現在表示しているＵＲＬ"));
        QCOMPARE(form1->Button3->text(), QString("必要タグの記入"));
    }

    // A UTF-8 page read in Shift_JIS: the viewer names its charset and offers it in one click;
    // then the walker shows the page's Japanese readably.
    void aPageInAnotherCharsetIsOfferedItsOwn() {
        const std::string page =
            "<meta charset=\"utf-8\"><form action=\"送信.cgi\">"
            "<input type=hidden name=\"名前\" value=\"太郎\"></form>";
        form2->Memo1->SetText(page);
        QTest::mouseClick(form2->Button2, Qt::LeftButton);
        QCOMPARE(form2->Label_charset->text(), QString("文字コード: UTF-8"));
        QVERIFY(form2->Panel_charset->isVisible());
        QCOMPARE(form2->Button_charset->text(), QString("UTF-8 で表示する"));

        click(form2->Button_charset);
        QCOMPARE(CodePage::program().name(), std::string("UTF-8"));
        QVERIFY(!form2->Panel_charset->isVisible());
        QVERIFY(menuItem(form1, "UTF-8")->isChecked());
        QCOMPARE(form1->Edit1->currentText(), QString("送信.cgi"));
        click(form1->Button3);
        click(walker->Button3);  // past the form tag
        QCOMPARE(walker->Edit_name->text(), QString("名前"));

        // Back in Shift_JIS the same page is offered again, and the bytes never changed.
        menuItem(form1, "Shift_JIS")->trigger();
        QVERIFY(form2->Panel_charset->isVisible());
        QCOMPARE(walker->Edit_name->Text(), std::string("名前"));
    }

    // What the program wrote into the windows itself reads right in every code page, while the
    // page's bytes and the definition's stay as they were.
    void theProgramsOwnTextsFollowTheCodePage() {
        form1->Memo1->SetText(programText("Zem-Referer=ようこそ\r\n"));
        form2->Memo1->SetText("<meta charset=\"utf-8\"><a href=\"次.html\">次へ</a>");
        QTest::mouseClick(form2->Button2, Qt::LeftButton);
        const std::string definition = form1->Memo1->Text();
        const std::vector<std::string> targets = form3->CB1->Items();
        QCOMPARE(targets.back(), std::string("次.html"));
        const std::vector<std::pair<QString, std::function<QString()>>> ownTexts = {
            {kSeparator, [this] { return form1->Edit1->itemText(0); }},
            {kSeparator, [this] { return form3->CB1->itemText(0); }},
            {"ソース貼り付けです", [this] { return form1->Edit_now_open->text(); }},
            {"選択", [this] { return form3->CB_open->currentText(); }},
        };
        const std::vector<std::pair<const char*, std::function<void()>>> switches = {
            {"CP932", [] {}},
            {"UTF-8", [this] { click(form2->Button_charset); }},
            {"CP932", [this] { menuItem(form1, "Shift_JIS")->trigger(); }},
            {"EUC-JP", [this] { menuItem(form1, "EUC-JP")->trigger(); }},
            {"UTF-8", [this] { menuItem(form1, "UTF-8")->trigger(); }},
        };
        for (const auto& [codePage, doSwitch] : switches) {
            doSwitch();
            QCOMPARE(CodePage::program().name(), std::string(codePage));
            for (const auto& [text, shown] : ownTexts) QCOMPARE(shown(), text);
            QCOMPARE(form1->Memo1->Text(), definition);
            QCOMPARE(form3->CB1->Items().back(), targets.back());
            QCOMPARE(form3->CB1->Text(), targets.back());
        }
        QCOMPARE(form3->CB1->currentText(), QString("次.html"));
    }

    void aShiftJisPageIsNotOffered() {
        form2->Memo1->SetText(programText("<p>テストのページです。ようこそ。</p>"));
        QTest::mouseClick(form2->Button2, Qt::LeftButton);
        QCOMPARE(form2->Label_charset->text(), QString("文字コード: Shift_JIS"));
        QVERIFY(!form2->Panel_charset->isVisible());
        QCOMPARE(form2->height(), 560);
    }
};

int main(int argc, char** argv) {
    return runWindowTest<CodePageSwitchTest>(argc, argv);
}
#include "code_page_switch_test.moc"
