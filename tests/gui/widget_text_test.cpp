// Every byte string must come back out of every kind of control unchanged.
#include <QApplication>
#include <QTest>

#include "controls.h"
#include "memo_text.h"
#include "random_bytes.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

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
        std::string text = randomBytes(1 << 20, 42);
        for (std::size_t i = 0; i < text.size(); i += 97) text.replace(i, 2, "\r\n");
        memo.SetText(text);
        QVERIFY(memo.Text() == text);
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
