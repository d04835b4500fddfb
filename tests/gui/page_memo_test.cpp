// The page memo through its widget: the lines it shows and reads back, the keys and the mouse,
// the clipboard, edits, and what a screen reader reads through its text interface.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "memo_text.h"
#include "page_memo.h"
#include "random_bytes.h"
#include "widget_text.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

using Keys = QList<QKeyCombination>;

// The text as a reader gets it: the lines' characters, each break one "\n".
QString asRead(const std::string& bytes) {
    QStringList lines;
    std::size_t start = 0;
    for (std::size_t at = findLineBreak(bytes, 0); at != std::string::npos;
         at = findLineBreak(bytes, start)) {
        lines << toWidget(std::string_view(bytes).substr(start, at - start));
        start = at + (bytes.compare(at, 2, "\r\n") == 0 ? 2 : 1);
    }
    lines << toWidget(std::string_view(bytes).substr(start));
    return lines.join(u'\n');
}

// Lines of `count` links, CR LF after each.
std::string linkLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        appendLine(text, "<a href=\"/item/" + std::to_string(i) + "\">");
    return text;
}

}  // namespace

class PageMemoTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> window;
    TPageMemo* memo = nullptr;

    QAccessibleTextInterface* reader() const {
        return QAccessible::queryAccessibleInterface(memo)->textInterface();
    }
    void press(const Keys& keys) {
        for (const QKeyCombination key : keys)
            QTest::keyClick(memo, key.key(), key.keyboardModifiers());
    }
    std::pair<int, int> selection() const { return memo->SelectedUnits(); }

  private slots:
    void init() {
        window = std::make_unique<QWidget>();
        window->resize(320, 200);
        memo = new TPageMemo("Memo", window.get());
        memo->setGeometry(0, 0, 320, 200);
        memo->setAccessibleName("メモ");
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        memo->setFocus();
    }

    void cleanup() {
        window.reset();
        CodePage::setProgram("CP932");
    }

    void keepsItsBytesAndReadsThemAsLines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one line") << QByteArray("<a href=\"x\">");
        QTest::newRow("a break at the end") << QByteArray("a\r\n");
        QTest::newRow("three kinds of break") << QByteArray("a\nb\rc\r\n\r\nd");
        QTest::newRow("Shift_JIS and stray bytes")
            << bytes(programText("テスト\r\n表示\t済み\r\n") + "\x82\xff\r\n");
        std::string random = randomBytes(3000, 5);
        QTest::newRow("random bytes") << bytes(random);
    }

    void keepsItsBytesAndReadsThemAsLines() {
        QFETCH(QByteArray, text);
        const std::string given = text.toStdString();
        memo->SetText(given);
        QCOMPARE(memo->Text(), given);
        const std::vector<std::string_view> split = splitLines(given);
        QCOMPARE(memo->Lines(), std::vector<std::string>(split.begin(), split.end()));
        const QString read = asRead(given);
        QCOMPARE(reader()->characterCount(), read.size());
        QCOMPARE(reader()->text(0, read.size()), read);
        // Every line as a reader asks for it, from any unit in it.
        int start = 0;
        for (const QString& line : read.split(u'\n')) {
            const int end =
                start + static_cast<int>(line.size()) + (start + line.size() < read.size() ? 1 : 0);
            for (const int unit : {start, (start + end) / 2}) {
                int from = -1;
                int to = -1;
                reader()->textAtOffset(unit, QAccessible::LineBoundary, &from, &to);
                QCOMPARE(std::make_pair(from, to), std::make_pair(start, end));
            }
            start = end;
        }
    }

    void keysMoveTheCaretAndSelect_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("caret");
        const QByteArray lines = "ab\r\ncdef\r\ng";
        QTest::newRow("right") << lines << Keys{Qt::Key_Right} << 1 << 1;
        QTest::newRow("end of line") << lines << Keys{Qt::Key_End} << 2 << 2;
        QTest::newRow("right over a break") << lines << Keys{Qt::Key_End, Qt::Key_Right} << 3 << 3;
        QTest::newRow("down keeps the place")
            << lines << Keys{Qt::Key_Right, Qt::Key_Down} << 4 << 4;
        QTest::newRow("down to a shorter line")
            << lines << Keys{Qt::Key_Down, Qt::Key_End, Qt::Key_Down} << 9 << 9;
        QTest::newRow("end of text") << lines << Keys{Qt::ControlModifier | Qt::Key_End} << 9 << 9;
        QTest::newRow("left from the end")
            << lines << Keys{Qt::ControlModifier | Qt::Key_End, Qt::Key_Left, Qt::Key_Left} << 7
            << 7;
        QTest::newRow("select to the next line")
            << lines << Keys{Qt::ShiftModifier | Qt::Key_Down} << 0 << 3;
        QTest::newRow("select all") << lines << Keys{Qt::ControlModifier | Qt::Key_A} << 0 << 9;
        QTest::newRow("an arrow ends a selection at its side")
            << lines << Keys{Qt::ShiftModifier | Qt::Key_End, Qt::Key_Right} << 2 << 2;
        QTest::newRow("next word")
            << QByteArray("one two three") << Keys{Qt::ControlModifier | Qt::Key_Right} << 4 << 4;
        QTest::newRow("previous word")
            << QByteArray("one two three")
            << Keys{Qt::ControlModifier | Qt::Key_End, Qt::ControlModifier | Qt::Key_Left} << 8
            << 8;
        QTest::newRow("a double-byte character is one step")
            << bytes(programText("表a")) << Keys{Qt::Key_Right} << 1 << 1;
    }

    void keysMoveTheCaretAndSelect() {
        QFETCH(QByteArray, text);
        QFETCH(Keys, keys);
        QFETCH(int, anchor);
        QFETCH(int, caret);
        memo->SetText(text.toStdString());
        press(keys);
        QCOMPARE(memo->CaretUnit(), caret);
        QCOMPARE(reader()->cursorPosition(), caret);
        QCOMPARE(selection(), std::make_pair(std::min(anchor, caret), std::max(anchor, caret)));
    }

    void copyGivesTheSelectionWithOneBreakALine() {
        memo->SetText(programText("テスト\r\n2行目\nthird"));
        press({Qt::ShiftModifier | Qt::Key_Down, Qt::ShiftModifier | Qt::Key_End,
               Qt::ControlModifier | Qt::Key_C});
        QCOMPARE(QApplication::clipboard()->text(), QString("テスト\n2行目"));

        // The mouse: pressed on the first line's second character, dragged to the third line.
        const QPoint from = memo->UnitRect(1).center();
        const QPoint to = memo->UnitRect(reader()->characterCount()).center();
        QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(memo->viewport(), to);
        QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {}, to);
        memo->Copy();
        QCOMPARE(QApplication::clipboard()->text(), QString("スト\n2行目\nthird"));
    }

    void editsAreBytesAndUndoGivesThemBack() {
        const std::string original = "ab\r\ncd";
        memo->SetText(original);
        press({Qt::Key_End});
        QTest::keyClicks(memo, "x");
        QApplication::clipboard()->setText("1\n2\r\n3");
        press({Qt::ControlModifier | Qt::Key_V, Qt::Key_Return});
        QCOMPARE(bytes(memo->Text()), QByteArray("abx1\r\n2\r\n3\r\n\r\ncd"));
        // Backspace at a line's start joins it to the line before; Delete takes a character.
        press({Qt::Key_Down, Qt::Key_Home, Qt::Key_Backspace, Qt::Key_Delete});
        QCOMPARE(bytes(memo->Text()), QByteArray("abx1\r\n2\r\n3\r\nd"));
        press({Qt::ControlModifier | Qt::Key_A, Qt::ControlModifier | Qt::Key_X});
        QVERIFY(memo->Text().empty());
        QCOMPARE(QApplication::clipboard()->text(), QString("abx1\n2\n3\nd"));
        for (int i = 0; i < 6; ++i) press({Qt::ControlModifier | Qt::Key_Z});
        QCOMPARE(memo->Text(), original);
        QTest::keySequence(memo, QKeySequence::Redo);
        QCOMPARE(bytes(memo->Text()), QByteArray("abx\r\ncd"));
    }

    void typedJapaneseBecomesCodePageBytes() {
        memo->SetText(std::string("<p></p>"));
        press({Qt::Key_Right, Qt::Key_Right, Qt::Key_Right});
        QInputMethodEvent composing("にほんご", {});
        QApplication::sendEvent(memo, &composing);
        QCOMPARE(memo->Text(), std::string("<p></p>"));  // not in the text until committed
        QInputMethodEvent typed;
        typed.setCommitString("日本語");
        QApplication::sendEvent(memo, &typed);
        QCOMPARE(bytes(memo->Text()), bytes(programText("<p>日本語</p>")));
        QCOMPARE(memo->CaretUnit(), 6);
    }

    void aHugeTextReadsAnyLineAndScrollsToItsEnd() {
        const std::string text = linkLines(300000);
        memo->SetText(text);
        const SharedText shown = memo->Bytes();
        QCOMPARE(memo->Lines().size(), std::size_t(300000));
        int from = 0;
        int to = 0;
        // ASCII, so that a unit is a byte, but for the CR LF of the 250,000 lines before.
        const int unit = static_cast<int>(text.find("<a href=\"/item/250000\">")) -
                         250000;  // ASCII: bytes and units agree
        QCOMPARE(reader()->textAtOffset(unit + 5, QAccessible::LineBoundary, &from, &to),
                 QString("<a href=\"/item/250000\">\n"));
        QCOMPARE(from, unit);
        QCOMPARE(reader()->textAfterOffset(unit, QAccessible::LineBoundary, &from, &to),
                 QString("<a href=\"/item/250001\">\n"));
        press({Qt::ControlModifier | Qt::Key_End});
        QCOMPARE(memo->verticalScrollBar()->value(), memo->verticalScrollBar()->maximum());
        QVERIFY(memo->viewport()->rect().contains(memo->UnitRect(memo->CaretUnit()).topLeft()));
        QTest::keyClicks(memo, "z");
        QCOMPARE(memo->Text(), text + "z");
        press({Qt::ControlModifier | Qt::Key_Z});
        QCOMPARE(*memo->Bytes(), *shown);
    }

    void aScreenReaderReadsAndEditsRanges() {
        memo->SetText(programText("one two\r\n\tタブ\r\n終わり"));
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(memo);
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        QCOMPARE(accessible->text(QAccessible::Name), QString("メモ"));
        QVERIFY(accessible->state().multiLine);
        QAccessibleTextInterface* text = reader();
        QCOMPARE(text->characterCount(), 15);
        QCOMPARE(text->text(4, 10), QString("two\n\tタ"));
        int from = 0;
        int to = 0;
        QCOMPARE(text->textAtOffset(9, QAccessible::CharBoundary, &from, &to), QString("タ"));
        QCOMPARE(std::make_pair(from, to), std::make_pair(9, 10));
        QCOMPARE(text->textAtOffset(5, QAccessible::WordBoundary, &from, &to), QString("two"));
        QCOMPARE(std::make_pair(from, to), std::make_pair(4, 7));
        QCOMPARE(text->textBeforeOffset(9, QAccessible::LineBoundary, &from, &to),
                 QString("one two\n"));
        QCOMPARE(std::make_pair(from, to), std::make_pair(0, 8));
        QCOMPARE(text->textAtOffset(13, QAccessible::LineBoundary, &from, &to), QString("終わり"));
        QCOMPARE(std::make_pair(from, to), std::make_pair(12, 15));
        QCOMPARE(text->textAfterOffset(13, QAccessible::LineBoundary, &from, &to), QString());
        QCOMPARE(text->textAtOffset(2, QAccessible::NoBoundary, &from, &to),
                 QString("one two\n\tタブ\n終わり"));

        text->setSelection(0, 4, 7);
        QCOMPARE(selection(), std::make_pair(4, 7));
        QCOMPARE(text->selectionCount(), 1);
        text->selection(0, &from, &to);
        QCOMPARE(std::make_pair(from, to), std::make_pair(4, 7));
        text->setCursorPosition(9);
        QCOMPARE(memo->CaretUnit(), 9);
        QCOMPARE(text->selectionCount(), 0);

        // Where a character is drawn is where a reader's pointer finds it.
        for (const int unit : {0, 5, 9, 13}) {
            const QRect shown = text->characterRect(unit);
            QCOMPARE(text->offsetAtPoint(shown.center() - QPoint(shown.width() / 4, 0)), unit);
        }

        QAccessibleEditableTextInterface* editable = accessible->editableTextInterface();
        QVERIFY(editable);
        editable->replaceText(0, 3, "three");
        editable->deleteText(14, 17);
        editable->insertText(14, "x\ny");
        QCOMPARE(bytes(memo->Text()), bytes(programText("three two\r\n\tタブ\r\nx\r\ny")));
    }

    void aCharacterBeyondTheBmpIsTwoUnitsAndOneStep() {
        CodePage::setProgram("UTF-8");
        memo->SetText(
            std::string("a\xf0\x9f\x98\x80"
                        "b"));
        QCOMPARE(reader()->characterCount(), 4);
        press({Qt::Key_Right, Qt::Key_Right});
        QCOMPARE(memo->CaretUnit(), 3);
        int from = 0;
        int to = 0;
        QCOMPARE(reader()->textAtOffset(2, QAccessible::CharBoundary, &from, &to),
                 QString::fromUtf8("\xf0\x9f\x98\x80"));
        QCOMPARE(std::make_pair(from, to), std::make_pair(1, 3));
        press({Qt::Key_Backspace});
        QCOMPARE(memo->Text(), std::string("ab"));
    }
};

QTEST_MAIN(PageMemoTest)
#include "page_memo_test.moc"
