// The definition text checked in the main window: the warning line, its click, the underline's
// tooltip, the note about held lines and the switch that turns it all off; a value split over
// lines; the page's findings on the steps whose page it is, and the browser's value written from
// the line's context menu.
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolTip>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_tag.h"
#include "application.h"
#include "extract_page.h"
#include "form_request.h"
#include "http_test_server.h"
#include "parsed_definition.h"
#include "user_input.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

// Two mistakes: a misspelt keyword on line 2 and blanks around "=" on line 3.
const char* const kTwoMistakes = "user=Zem-ID\r\npass=Zem-Pas\r\nq = 1\r\n";
constexpr int kMisspelt = 17;  // "Zem-Pas"
constexpr int kBlanks = 26;    // " = "

// A contact form of today's web: UTF-8 declared among other metas, served without a charset.
const char* const kContactPage =
    "<!DOCTYPE html><html lang=\"ja\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
    "content=\"width=device-width, initial-scale=1\"><title>お問い合わせ</title></head><body>"
    "<form action=\"contact.cgi\" method=\"post\"><input type=\"hidden\" name=\"mode\" "
    "value=\"send\"><input type=\"hidden\" name=\"token\" value=\"a+b&amp;c\">"
    "<input type=\"text\" name=\"お名前\" value=\"山田 太郎\"><input type=\"email\" "
    "name=\"email\"><select name=\"kind\"><option value=\"\">選択<option>ご質問"
    "<option>ご意見・ご要望</select><input type=\"radio\" name=\"reply\" value=\"要\">"
    "<input type=\"radio\" name=\"reply\" value=\"不要\"><textarea name=\"body\"></textarea>"
    "<input type=\"checkbox\" name=\"agree\" value=\"1\"><input type=\"submit\" "
    "value=\"送信する\"></form></body></html>";

}  // namespace

class DefinitionCheckWindowTest : public WindowTest {
    Q_OBJECT

    QString checkLine() const {
        return form1->Label_check->isVisible() ? form1->Label_check->text() : QString();
    }

    QString tooltipAt(int position) {
        // A tip shown before goes away only after a moment.
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) return "still shown";
        QTextCursor cursor(form1->Memo1->document());
        cursor.setPosition(position);
        const QPoint at = form1->Memo1->cursorRect(cursor).center() + QPoint(2, 0);
        QWidget* viewport = form1->Memo1->viewport();
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    QPoint pointOnLine(int line) const {
        QTextCursor cursor(form1->Memo1->document()->findBlockByNumber(line));
        return form1->Memo1->cursorRect(cursor).center() + QPoint(4, 0);
    }

    QString tooltipOnLine(int line) {
        const QTextBlock block = form1->Memo1->document()->findBlockByNumber(line);
        return tooltipAt(block.position());
    }

    bool underlined(int line) const {
        const QTextBlock block = form1->Memo1->document()->findBlockByNumber(line);
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (range.format.underlineStyle() == QTextCharFormat::WaveUnderline) return true;
        return false;
    }

    // The texts of the context menu that a right click on the line opens; it is closed again.
    QStringList menuOnLine(int line, const QString& choose = {}) {
        QWidget* viewport = form1->Memo1->viewport();
        const QPoint at = pointOnLine(line);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        QMenu* menu = nullptr;
        if (!QTest::qWaitFor(
                [&] { return menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()); }))
            return {"no menu"};
        QStringList texts;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            texts << action->text();
            if (!choose.isEmpty() && action->text() == choose) chosen = action;
        }
        if (chosen)
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
        else
            QTest::keyClick(menu, Qt::Key_Escape);
        if (!QTest::qWaitFor([] { return !QApplication::activePopupWidget(); }))
            return {"menu still open"};
        return texts;
    }

    // Pasted source whose form the first step is on.
    void loadPage(const char* page) {
        form2->Memo1->SetText(page);
        click(form2->Button2);
    }

    int cursorAfterClick() {
        QTest::mouseClick(form1->Label_check, Qt::LeftButton);
        return form1->Memo1->textCursor().position();
    }

  private slots:
    void init() { startProgram(); }

    void cleanup() {
        QToolTip::hideText();
        endProgram();
        CodePage::setProgram("CP932");
    }

    // A page loaded by its address and walked to the end, the held lines not yet pasted: the
    // window counts what `verrimo-cli check --page` finds on the same definition and page, in
    // the program's code page and in the page's.
    void theWindowCountsWhatTheCommandFinds_data() {
        QTest::addColumn<bool>("switched");
        QTest::newRow("program's code page") << false;
        QTest::newRow("switched to the page's") << true;
    }

    void theWindowCountsWhatTheCommandFinds() {
        QFETCH(bool, switched);
        HttpTestServer server;
        server.route("/contact.html",
                     Response{200, {{"Content-Type", "text/html"}}, kContactPage, std::nullopt});
        const std::string url = server.url("/contact.html");
        QLineEdit* box = form1->Edit1->lineEdit();
        box->setText(QString::fromStdString(url));
        click(form1->Button1);
        QVERIFY(form3->isVisible());
        if (switched) {
            click(form3->Button2);
            click(form2->Button_charset);
            QCOMPARE(CodePage::program().name(), std::string("UTF-8"));
            box->setText(QString::fromStdString(url));
            click(form1->Button1);
        }
        click(form3->Button1);
        click(form1->Button3);
        for (int step = 0; walker->isVisible() && step < 100; ++step) click(walker->Button1);
        QVERIFY(!walker->isVisible());
        QVERIFY(checkLine().contains("待避中の文字列"));

        const CodePage& cp = CodePage::program();
        const std::string definition = form1->Memo1->Text();
        const auto parsed = parseDefinition(definition, cp);
        const ReadPage read{readPage({kContactPage}, cp, {.forms = true}).forms, url};
        std::size_t found = parsed->report().findings.size();
        for (const StepRequest& r : definitionRequests(*parsed, {&read, 1}, {}, cp))
            found += r.findings.size();
        QVERIFY(found > 0);
        QTRY_VERIFY2(checkLine().startsWith(QString("警告 %1 件").arg(found)),
                     qPrintable(checkLine() + " / " + QString::number(found) + "\n" +
                                QString::fromStdString(cp.toUtf8(definition))));
    }

    void cleanDefinitionLooksAsBefore() {
        const std::string text = programText(
            "Zem-Referer=top.html\r\naction=post.cgi\r\nsid=Zem-GetValue[sid]\r\n-\r\nchk-moji="
            "\r\n");
        form1->Memo1->SetText(text);
        QCoreApplication::processEvents();
        QVERIFY(form1->Label_check->isHidden());
        QCOMPARE(bytes(form1->Memo1->Text()), bytes(text));
        QVERIFY(tooltipAt(3).isEmpty());
    }

    void countLineAndItsClickWalkTheWarnings() {
        form1->Memo1->SetText(kTwoMistakes);
        QTRY_COMPARE(checkLine(), QString("警告 2 件"));
        QCOMPARE(form1->Label_check->geometry().top(), form1->Button2->geometry().top());
        QCOMPARE(cursorAfterClick(), kMisspelt);
        QCOMPARE(cursorAfterClick(), kBlanks);
        QCOMPARE(cursorAfterClick(), kMisspelt);  // from the top again
        QVERIFY(form1->Memo1->hasFocus());
        // Colouring never touches the text.
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray(kTwoMistakes));
    }

    void bigTextFillsWholeWhileColoured() {
        std::string text;
        while (text.size() < (3u << 20) / 2) text += kTwoMistakes;
        form1->Memo1->SetText(text);
        QTRY_VERIFY(!form1->Memo1->Filling());
        QCOMPARE(form1->Memo1->Text().size(), text.size());
        QVERIFY(form1->Memo1->Text() == text);
    }

    void underlineExplainsItself() {
        form1->Memo1->SetText(kTwoMistakes);
        QTRY_COMPARE(checkLine(), QString("警告 2 件"));
        QCOMPARE(tooltipAt(kMisspelt + 2), QString("Zem- で始まる語がキーワードにありません"));
        QCOMPARE(tooltipAt(kBlanks + 1), QString("「=」の前後に空白があります"));
        QVERIFY(tooltipAt(2).isEmpty());
    }

    void referrerWaitsForItsTarget() {
        form1->AppendLine("Zem-Referer=top.html");
        QTRY_COMPARE(checkLine(), QString("警告 1 件"));
        QTest::keyClick(form1->Memo1, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(form1->Memo1, Qt::Key_Return);
        QTest::keyClicks(form1->Memo1, "action=post.cgi");
        QTRY_VERIFY(checkLine().isEmpty());
        form1->AppendLine("-");
        QCoreApplication::processEvents();
        QVERIFY(form1->Label_check->isHidden());
    }

    void switchedOffTheWindowIsAsBefore() {
        form1->Memo1->SetText(kTwoMistakes);
        QTRY_COMPARE(checkLine(), QString("警告 2 件"));
        QVERIFY(form1->Check1->isChecked());
        form1->Check1->trigger();
        QVERIFY(form1->Label_check->isHidden());
        for (QTextBlock b = form1->Memo1->document()->begin(); b.isValid(); b = b.next())
            QVERIFY(b.layout()->formats().isEmpty());
        QVERIFY(tooltipAt(kMisspelt + 2).isEmpty());
        form1->Check1->trigger();
        QTRY_COMPARE(checkLine(), QString("警告 2 件"));
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray(kTwoMistakes));
    }

    void aValueSplitOverLinesIsWarnedAbout() {
        form1->Memo1->SetText("Zem-Referer=a\r\naction=b\r\nbody=line 1\r\nline 2\r\n\r\nq=1\r\n");
        const QString split =
            "「=」のない行が項目の行の間にあります（値の改行で行が分かれたのかもしれません）";
        QTRY_COMPARE(tooltipOnLine(3), split);
        QCOMPARE(checkLine(), QString("警告 1 件"));
        // Once no field line follows, the line is of no known shape.
        QTextCursor cursor(form1->Memo1->document()->findBlockByNumber(5));
        cursor.movePosition(QTextCursor::EndOfBlock);
        form1->Memo1->setTextCursor(cursor);
        QTest::keyClick(form1->Memo1, Qt::Key_Backspace);
        QTest::keyClick(form1->Memo1, Qt::Key_Backspace);
        QTRY_COMPARE(tooltipOnLine(3), QString("定義の行の形になっていません"));
        QCOMPARE(checkLine(), QString("警告 2 件"));
        QTest::keyClicks(form1->Memo1, "=2");
        QTRY_COMPARE(tooltipOnLine(3), split);
        QCOMPARE(checkLine(), QString("警告 1 件"));
    }

    void onlyTheStepsOfTheLoadedPageAreChecked() {
        loadPage(
            "<form action=\"post.cgi\"><input type=\"hidden\" name=\"sid\" value=\"1\">"
            "</form>");
        form1->Memo1->SetText(
            "Zem-Referer=http://h/other.html\r\naction=other.cgi\r\n"
            "Zem-Referer=http://h/top.html\r\naction=post.cgi\r\n");
        // The first step's page is another, so its form is not missed; the second, on this page,
        // leaves sid out.
        QTRY_VERIFY(underlined(3));
        QVERIFY(!underlined(1));
        QCOMPARE(checkLine(), QString("警告 1 件"));
    }

    void theBrowsersValueIsOneClickAway() {
        loadPage(
            "<form action=\"post.cgi\" method=\"post\"><input type=\"checkbox\" name=\"c\">"
            "<input type=\"text\" name=\"q\"></form>");
        const std::string definition =
            "Zem-Referer=http://h/top.html\r\naction=post.cgi\r\nc=\r\nq=1\r\n";
        form1->Memo1->SetText(definition);
        QTRY_COMPARE(tooltipOnLine(2),
                     QString("ブラウザはこの項目に「on」を送ります（値の書き方が違います）"));
        const QString write = "値を「on」にする（ブラウザが送る値）";
        // Only on that line, and only while the definition is the one the findings were made from.
        QVERIFY(!menuOnLine(3).contains(write));
        QVERIFY(menuOnLine(2).contains(write));
        QVERIFY(menuOnLine(2, write).contains(write));
        QCOMPARE(
            form1->Memo1->Text(),
            std::string("Zem-Referer=http://h/top.html\r\naction=post.cgi\r\nc=on\r\nq=1\r\n"));
        QTRY_VERIFY(!underlined(2));
        QVERIFY(!menuOnLine(2).contains(write));
        // Undone with the text's own undo.
        form1->Memo1->undo();
        QCOMPARE(form1->Memo1->Text(), definition);
        QTRY_VERIFY(underlined(2));
        QTest::keyClick(form1->Memo1, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(form1->Memo1, "x");
        QVERIFY(!menuOnLine(2).contains(write));
    }

    void heldLinesAfterTheWalkAreMentioned() {
        form1->HoldLine("-");
        form1->HoldLine("chk-moji=");
        QCoreApplication::processEvents();
        QVERIFY(form1->Label_check->isHidden());
        form2->Memo2->SetText(R"(<input type="hidden" name="sid" value="x">)");
        click(form1->Button3);
        click(walker->Button1);
        QCOMPARE(form1->Memo1->Text(), std::string("sid=Zem-GetValue[sid]\r\n"));
        QVERIFY(checkLine().contains("待避中の文字列"));
        QVERIFY(!checkLine().contains("警告"));
        click(form1->Button2);
        QCoreApplication::processEvents();
        QVERIFY(form1->Label_check->isHidden());
        QCOMPARE(form1->Memo1->Text(),
                 std::string("sid=Zem-GetValue[sid]\r\n-\r\nchk-moji=\r\n\r\n"));
    }
};

int main(int argc, char** argv) {
    return runWindowTest<DefinitionCheckWindowTest>(argc, argv);
}
#include "definition_check_window_test.moc"
