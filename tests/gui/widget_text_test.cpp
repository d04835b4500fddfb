// Every byte string must come back out of every kind of control unchanged.
#include <QApplication>
#include <QTest>

#include "controls.h"
#include "memo_text.h"
#include "random_bytes.h"
#include "widget_text.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

// What the memo's document holds, as bytes: the text the user sees and edits.
std::string documentBytes(const TMemo& memo) {
    return fromDocument(memo.document()->toRawText());
}

// Random bytes cut into lines of 95 bytes.
std::string randomLines(std::size_t size, unsigned seed) {
    std::string text = randomBytes(size, seed);
    for (std::size_t i = 0; i + 1 < text.size(); i += 97) text.replace(i, 2, "\r\n");
    return text;
}

std::string allBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
    return s;
}

}  // namespace

class WidgetTextTest : public QObject {
    Q_OBJECT

  private slots:
    void roundTrip_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("every byte value") << bytes(allBytes());
        QTest::newRow("shift_jis") << QByteArray("\x91\x49\x91\xf0 \x83\x5c\x95\x5c");
        QTest::newRow("broken halves") << QByteArray("\x82 \x82\x82\xa0\x81");
        QTest::newRow("truncated at end") << QByteArray("abc\x91");
        QTest::newRow("undefined bytes") << QByteArray("\x80\xa0\xfd\xfe\xff");
        QTest::newRow("nec ibm duplicate") << QByteArray("\xed\x40\xfa\x5c");
        QTest::newRow("nul and controls") << QByteArray("a\0b\x01\x1f\x7f", 6);
        QTest::newRow("escape code points as text") << QByteArray("\xef\x9e\x80");
        for (unsigned seed = 1; seed <= 8; ++seed)
            QTest::newRow(qPrintable(QString("random %1").arg(seed)))
                << bytes(randomBytes(2000, seed));
    }

    void roundTrip() {
        QFETCH(QByteArray, text);
        const std::string s(text.constData(), static_cast<std::size_t>(text.size()));
        QWidget parent;
        TEdit edit("Edit", &parent);
        edit.SetText(s);
        QCOMPARE(bytes(edit.Text()), text);
        TLabel label("Label", "", &parent);
        label.SetText(s);
        QCOMPARE(bytes(label.Text()), text);
        TComboBox combo("CB", &parent);
        combo.SetItems({s, "x", s});
        combo.SetText(s);
        QCOMPARE(bytes(combo.Text()), text);
        QCOMPARE(combo.Items().size(), std::size_t(3));
        QCOMPARE(bytes(combo.Items()[0]), text);
        TMemo memo("Memo", &parent);
        memo.SetText(s);
        QCOMPARE(bytes(memo.Text()), text);
        QCOMPARE(bytes(documentBytes(memo)), text);
    }

    void memoKeepsEveryKindOfLineBreak() {
        QWidget parent;
        TMemo memo("Memo", &parent);
        const std::string text = "a\r\nb\rc\nd\r\n\r\n\n\r\re";
        memo.SetText(text);
        QCOMPARE(bytes(memo.Text()), bytes(text));
        // CR LF are the memo's own lines.
        QCOMPARE(memo.document()->blockCount(), 4);
        const auto lines = memo.Lines();
        QCOMPARE(lines.size(), splitLines(text).size());
    }

    void longTextRoundTripsThroughMemo() {
        QWidget parent;
        TMemo memo("Memo", &parent);
        const std::string text = randomLines(1 << 20, 42);
        memo.SetText(text);
        QVERIFY(memo.Text() == text);
        QVERIFY(documentBytes(memo) == text);
    }

    // A big text goes into the document in slices; meanwhile the memo answers with its bytes and
    // takes no typing, and afterwards it is editable again.
    void bigTextFillsInSlicesWhileShown() {
        QWidget window;
        window.resize(400, 300);
        TMemo memo("Memo", &window);
        memo.resize(400, 300);
        window.show();
        const std::string text = randomLines(3 << 20, 7) + "no break at the end";
        memo.SetText(text);
        QVERIFY(memo.Filling());
        QVERIFY(memo.isReadOnly());
        QVERIFY(memo.Text() == text);
        QTRY_VERIFY_WITH_TIMEOUT(!memo.Filling(), 60000);
        QVERIFY(!memo.isReadOnly());
        QVERIFY(documentBytes(memo) == text);
        QVERIFY(!memo.document()->isUndoAvailable());

        memo.moveCursor(QTextCursor::End);
        QTest::keyClicks(&memo, "!");
        QVERIFY(memo.Text() == text + "!");
    }

    // A huge text waits until its control is first seen, as on a tab not yet opened.
    void hugeTextWaitsUntilShown() {
        QWidget window;
        TMemo memo("Memo", &window);
        const std::string text = randomLines(17 << 20, 9);
        memo.SetText(text);
        QTest::qWait(50);
        QVERIFY(memo.document()->isEmpty());
        QVERIFY(memo.Text() == text);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(!memo.Filling(), 120000);
        QVERIFY(documentBytes(memo) == text);
    }

    // A line added while a fill is under way goes after the whole text.
    void addLineDuringAFillComesLast() {
        QWidget window;
        TMemo memo("Memo", &window);
        window.show();
        const std::string text = randomLines(2 << 20, 3);
        memo.SetText(text);
        QVERIFY(memo.Filling());
        memo.AddLine("last");
        std::string expected = text;
        addLine(expected, "last");
        QVERIFY(!memo.Filling());
        QVERIFY(memo.Text() == expected);
        QVERIFY(documentBytes(memo) == expected);
    }

    void addLineFollowsTheRuleAfterEveryEnding_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("empty") << QByteArray() << QByteArray("a");
        QTest::newRow("crlf") << QByteArray("x\r\n") << QByteArray("a");
        QTest::newRow("no break") << QByteArray("x") << QByteArray("a");
        QTest::newRow("lone lf") << QByteArray("x\n") << QByteArray("a");
        QTest::newRow("lone cr") << QByteArray("x\r") << QByteArray("a");
        QTest::newRow("empty line") << QByteArray("x") << QByteArray();
        QTest::newRow("lines inside") << QByteArray("x\r\n") << QByteArray("-\r\nchk-moji=\r\n");
        QTest::newRow("escaped tail") << QByteArray("x\x82") << QByteArray("\xa0y");
    }

    void addLineFollowsTheRuleAfterEveryEnding() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, line);
        QWidget parent;
        TMemo memo("Memo", &parent);
        memo.SetText(before.toStdString());
        memo.AddLine(line.toStdString());
        std::string expected = before.toStdString();
        addLine(expected, line.toStdString());
        QCOMPARE(bytes(memo.Text()), bytes(expected));
    }

    void typedTextComesOutInTheCodePage() {
        QWidget parent;
        TEdit edit("Edit", &parent);
        QTest::keyClicks(&edit, "Zem-ID");
        QCOMPARE(edit.Text(), std::string("Zem-ID"));
        edit.setText(QString::fromUtf8("選択"));
        QCOMPARE(bytes(edit.Text()), QByteArray("\x91\x49\x91\xf0"));
    }
};

QTEST_MAIN(WidgetTextTest)
#include "widget_text_test.moc"
