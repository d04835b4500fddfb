// The request preview opened from the main window: a loaded page's form request for the
// definition typed in, following its edits, the curl lines on the clipboard, the sample values
// kept in the configuration folder, and the page's findings underlined in the definition.
#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextTable>
#include <QToolTip>

#include "Unit1.h"
#include "Unit2.h"
#include "application.h"
#include "request_preview.h"
#include "user_input.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

const char* const kPage =
    "<form action=\"entry.cgi\" method=\"post\">\n"
    "<input type=\"hidden\" name=\"sid\" value=\"a b/c\">\n"
    "<input type=\"text\" name=\"nick\">\n"
    "<input type=\"password\" name=\"pw\">\n"
    "</form>";

// Leaves out the page's pw field, which the page finding on the target line (line 2) says.
const char* const kDefinition =
    "Zem-Referer=http://www.example.org/entry.html\r\naction=entry.cgi\r\n"
    "sid=Zem-GetValue[sid]\r\nnick=Zem-ID\r\n";
const char* const kLeftOut = "送信される項目「pw」が定義にありません";

}  // namespace

class RequestPreviewTest : public WindowTest {
    Q_OBJECT

    QTemporaryDir config_;
    RequestPreview* preview = nullptr;

    void loadPage() {
        form2->Memo1->SetText(kPage);
        click(form2->Button2);
    }

    void openPreview() {
        form1->Preview1->trigger();
        QVERIFY(preview->isVisible());
    }

    // The preview's document, a line a block and a table's row as "[cell | cell | cell]".
    QString shown() const {
        QStringList lines;
        QTextFrame* root = preview->Memo_request->document()->rootFrame();
        for (auto it = root->begin(); !it.atEnd(); ++it) {
            if (const auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
                for (int row = 0; row < table->rows(); ++row) {
                    QStringList cells;
                    for (int column = 0; column < table->columns(); ++column) {
                        const QTextTableCell cell = table->cellAt(row, column);
                        QTextCursor text = cell.firstCursorPosition();
                        text.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
                        cells << text.selectedText();
                    }
                    lines << "[" + cells.join(" | ") + "]";
                }
            } else if (it.currentBlock().isValid()) {
                lines << it.currentBlock().text();
            }
        }
        return lines.join("\n") + "\n";
    }

    bool underlined(int line) const {
        const QTextBlock block = form1->Memo1->document()->findBlockByNumber(line);
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (range.format.underlineStyle() == QTextCharFormat::WaveUnderline) return true;
        return false;
    }

    QString tooltipOnLine(int line) {
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) return "still shown";
        QTextCursor cursor(form1->Memo1->document()->findBlockByNumber(line));
        const QPoint at = form1->Memo1->cursorRect(cursor).center() + QPoint(4, 0);
        QWidget* viewport = form1->Memo1->viewport();
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

  private slots:
    void initTestCase() {
        QVERIFY(config_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
    }

    void init() {
        startProgram();
        preview = app->forms().Preview;
    }

    void cleanup() {
        QToolTip::hideText();
        endProgram();
        QFile::remove(config_.filePath("verrimo/samples.txt"));
    }

    void showsTheFormRequestOfTheLoadedPage() {
        loadPage();
        form1->Memo1->SetText(kDefinition);
        QVERIFY(preview->isHidden());
        openPreview();
        QTRY_COMPARE(
            shown(),
            QString(
                "■ 2 行目　action\n"
                "POST http://www.example.org/entry.cgi\n"
                "Content-Type: application/x-www-form-urlencoded\n"
                "Referer: http://www.example.org/entry.html\n"
                "Origin: http://www.example.org\n"
                "[名前 | 値 | 送信される形]\n"
                "[sid | a b/c | sid=a+b%2Fc]\n"
                "[nick | user（サンプル：Zem-ID） | nick=user]\n"
                "本文（送信されるとおり）\n"
                "sid=a+b%2Fc&nick=user\n"
                "※ サンプルは見本の値です。実際の送信ではホストがそのキーワードの値を入れます。\n"
                "！ 2 行目: ") +
                kLeftOut + "\n");
        QCOMPARE(preview->Label_page->text(),
                 QString("読み込んだページのフォームと照らし合わせています"));
    }

    // What would read as a separator or a line of its own stays inside its cell, beside the
    // bytes that go out; a later step, whose page is not the one loaded, says so.
    void aValueReadsApartFromWhatIsSent() {
        loadPage();
        form1->Memo1->SetText(std::string(kDefinition) +
                              "pw=a%26b%3Dc+d%2B1%25%0D%0Ax\r\n"
                              "Zem-Referer=http://www.example.org/entry.cgi\r\n"
                              "action=entry.cgi\r\nnick=%E3%81%82\r\n");
        openPreview();
        QTRY_VERIFY(
            shown().contains("[pw | a&b=c d+1%↵x | pw=a%26b%3Dc+d%2B1%25%0D%0Ax]\n"
                             "本文（送信されるとおり）\n"
                             "sid=a+b%2Fc&nick=user&pw=a%26b%3Dc+d%2B1%25%0D%0Ax\n"));
        // The second step (the page is UTF-8): its page is not loaded, so it is a GET with no
        // page finding.
        QVERIFY(
            shown().endsWith("■ 7 行目　action\n"
                             "GET http://www.example.org/entry.cgi?nick=%E3%81%82\n"
                             "Referer: http://www.example.org/entry.cgi\n"
                             "[名前 | 値 | 送信される形]\n"
                             "[nick | あ | nick=%E3%81%82]\n"
                             "このステップのページは読み込まれていません\n"));
        QVERIFY(!shown().contains(kLeftOut));
    }

    void followsAnEditOfTheDefinition() {
        loadPage();
        form1->Memo1->SetText(kDefinition);
        openPreview();
        QTRY_VERIFY(shown().contains(kLeftOut));
        form1->Memo1->setFocus();
        QTest::keyClick(form1->Memo1, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(form1->Memo1, "pw=Zem-Pass");
        QTRY_VERIFY(shown().contains("[pw | password（サンプル：Zem-Pass） | pw=password]"));
        QVERIFY(!shown().contains(kLeftOut));
    }

    void copiesTheChosenStepsAsCurlLines() {
        loadPage();
        form1->Memo1->SetText(std::string(kDefinition) +
                              "Zem-Referer=http://www.example.org/entry.cgi\r\n"
                              "Zem-Open=done.html\r\n");
        openPreview();
        QTRY_COMPARE(preview->CB_step->count(), 3);
        const QString post =
            "curl --globoff -X POST --url 'http://www.example.org/entry.cgi' -H 'Content-Type: "
            "application/x-www-form-urlencoded' -H 'Referer: http://www.example.org/entry.html' "
            "-H 'Origin: http://www.example.org' --data-raw 'sid=a+b%2Fc&nick=user'\n";
        const QString open =
            "curl --globoff --url 'http://www.example.org/done.html' -H 'Referer: "
            "http://www.example.org/entry.cgi'\n";
        QVERIFY(preview->Label_status->isHidden());
        click(preview->Button_copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), post + open);
        const QString copiedTwo = "curl のコマンド 2 行をクリップボードにコピーしました";
        QCOMPARE(preview->Label_status->text(), copiedTwo);
        QCOMPARE(
            QAccessible::queryAccessibleInterface(preview->Label_status)->text(QAccessible::Name),
            copiedTwo);
        preview->CB_step->setFocus();
        QTest::keyClick(preview->CB_step, Qt::Key_Down);
        QTest::keyClick(preview->CB_step, Qt::Key_Down);
        QCOMPARE(preview->CB_step->currentIndex(), 2);
        QVERIFY(shown().startsWith("■ 6 行目　Zem-Open\nGET http://www.example.org/done.html\n"));
        click(preview->Button_copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), open);
        QCOMPARE(preview->Label_status->text(),
                 QString("curl のコマンド 1 行をクリップボードにコピーしました"));
        // The step stays chosen while the definition changes.
        form1->Memo1->SetText(std::string(kDefinition) +
                              "Zem-Referer=http://www.example.org/entry.cgi\r\n"
                              "Zem-Open=end.html\r\n");
        QTRY_VERIFY(shown().contains("GET http://www.example.org/end.html"));
        QCOMPARE(preview->CB_step->currentIndex(), 2);
    }

    void noStepsNoCopy() {
        form1->Memo1->SetText("Zem-Referer=http://www.example.org/\r\n");
        openPreview();
        QTRY_COMPARE(shown(), QString("送信する手順がありません（Zem-Referer の行とその後の"
                                      "送信先の行が要ります）。\n"));
        QGuiApplication::clipboard()->setText("kept");
        click(preview->Button_copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("kept"));
        QVERIFY(preview->Label_status->isVisible());
        QCOMPARE(preview->Label_status->text(), QString("コピーする手順がありません"));
    }

    // A long definition shows its first steps; each step can still be chosen, and all are
    // copied.
    void manyStepsShowTheFirstOnes() {
        std::string text;
        for (int i = 0; i < 250; ++i) text += kDefinition;
        loadPage();
        form1->Memo1->SetText(text);
        openPreview();
        QTRY_VERIFY(shown().endsWith("\n\n…ほか 50 手順（「手順」で選ぶと表示します）\n"));
        QCOMPARE(shown().count("■ "), 200);
        QCOMPARE(preview->CB_step->count(), 251);
        preview->CB_step->setCurrentIndex(250);
        QVERIFY(shown().startsWith("■ 998 行目　action\nGET http://www.example.org/entry.cgi?"));
        preview->CB_step->setCurrentIndex(0);
        click(preview->Button_copy);
        QCOMPARE(QGuiApplication::clipboard()->text().count("curl "), 250);
        // An edit keeps the place the reader scrolled to.
        QScrollBar* scroll = preview->Memo_request->verticalScrollBar();
        scroll->setValue(scroll->maximum() / 2);
        const int at = scroll->value();
        QVERIFY(at > 0);
        form1->Memo1->SetText(
            "Zem-Referer=http://www.example.org/entry.html\r\naction=entry.cgi\r\n"
            "z=1\r\n" +
            text);
        QTRY_VERIFY(shown().contains("z=1"));
        QCOMPARE(scroll->value(), at);
    }

    // Steps of many fields show fewer steps, so that the tables stay quick to lay out.
    void stepsOfManyFieldsShowFewer() {
        std::string step = "Zem-Referer=http://www.example.org/entry.html\r\naction=entry.cgi\r\n";
        for (int i = 0; i < 300; ++i) step += "f" + std::to_string(i) + "=1\r\n";
        std::string text;
        for (int i = 0; i < 5; ++i) text += step;
        form1->Memo1->SetText(text);
        openPreview();
        QTRY_VERIFY(shown().endsWith("\n\n…ほか 2 手順（「手順」で選ぶと表示します）\n"));
        QCOMPARE(shown().count("■ "), 3);
        QCOMPARE(shown().count("[f299 | 1 | f299=1]"), 3);
        // A step chosen alone shows all its fields.
        preview->CB_step->setCurrentIndex(5);
        QVERIFY(shown().startsWith("■ 1210 行目　action\n"));
        QCOMPARE(shown().count("[f299 | 1 | f299=1]"), 1);
    }

    void sampleValuesAreKeptInTheConfigurationFolder() {
        form1->Memo1->SetText(kDefinition);
        openPreview();
        QTRY_COMPARE(preview->Label_page->text(),
                     QString("ページを読み込んでいません（定義の行だけで組み立てています）"));
        QCOMPARE(preview->Edit_id->text(), QString("user"));
        retype(preview->Edit_id, "me");
        retype(preview->Edit_email, "me@example.com");
        click(preview->Button_samples);
        QTRY_VERIFY(shown().contains("[nick | me（サンプル：Zem-ID） | nick=me]"));
        QCOMPARE(
            fileBytes(QFile::encodeName(config_.filePath("verrimo/samples.txt")).toStdString()),
            QByteArray("Zem-ID=me\nZem-Pass=password\nZem-email=me@example.com\n"));
        // The next start reads them back.
        endProgram();
        init();
        QCOMPARE(preview->Edit_email->text(), QString("me@example.com"));
    }

    void pageFindingsAreUnderlinedOnlyWithAPage() {
        form1->Memo1->SetText(kDefinition);
        QTRY_VERIFY(form1->Label_check->isHidden());
        QVERIFY(!underlined(1));
        QVERIFY(tooltipOnLine(1).isEmpty());
        loadPage();  // the preview stays closed
        QTRY_VERIFY(underlined(1));
        QCOMPARE(tooltipOnLine(1), QString(kLeftOut));
        QTRY_COMPARE(form1->Label_check->text(), QString("警告 1 件"));
        QVERIFY(!underlined(0) && !underlined(2) && !underlined(3));
        QCOMPARE(bytes(form1->Memo1->Text()), QByteArray(kDefinition));
        // Fixed, the line is plain again.
        form1->AppendLine("pw=Zem-Pass");
        QTRY_VERIFY(!underlined(1));
        QTRY_VERIFY(form1->Label_check->isHidden());
    }
};

int main(int argc, char** argv) {
    return runWindowTest<RequestPreviewTest>(argc, argv);
}
#include "request_preview_test.moc"
