// The auto list: read from auto.txt in the program folder when the walker is created, and
// offered in the walker's auto row for fields of the same name.
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

QString autoTxtPath() {
    return QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath() + "/auto.txt";
}

void removeAutoTxt() {
    QFile::remove(autoTxtPath());
    QDir(autoTxtPath()).removeRecursively();
}

void writeAutoTxt(const std::string& bytes) {
    removeAutoTxt();
    QFile file(autoTxtPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string textField(const std::string& name) {
    return "<input type=\"text\" name=\"" + name + "\">";
}

}  // namespace

class AutoListWindowTest : public WindowTest {
    Q_OBJECT

    void walk(const std::vector<std::string>& names) {
        std::vector<std::string> tags;
        for (const auto& name : names) tags.push_back(textField(name));
        app->forms().Form2->Memo2->SetText(joinLines(tags));
        click(app->forms().Form1->Button3);
    }

  private slots:
    void cleanup() {
        endProgram();
        removeAutoTxt();
    }

    void commentLinesAreRemovedAtLoad() {
        writeAutoTxt(programText("#id=0\r\nid=1\r\n #sp=2\r\n#x=9\r\n\r\nid=2\r\n名前=太郎\r\n"));
        startProgram();
        QCOMPARE(bytes(walker->Memo1->Text()),
                 bytes(programText("id=1\r\n #sp=2\r\n\r\nid=2\r\n名前=太郎\r\n")));
        QVERIFY(!walker->Memo1->isVisible());

        walk({"id", "sp", "x", programText("名前")});
        // Two lines for one name: the first stands in the box, the second is its only item.
        QCOMPARE(walker->CB3->currentText(), QString("1"));
        QCOMPARE(walker->CB3->Items(), std::vector<std::string>{"2"});
        click(walker->Button3);
        // A line that starts with a blank before "#" is no comment.
        QCOMPARE(walker->CB3->currentText(), QString("2"));
        QCOMPARE(walker->CB3->count(), 0);
        click(walker->Button3);
        QVERIFY(walker->CB3->currentText().isEmpty());
        click(walker->Button3);
        QCOMPARE(bytes(walker->CB3->Text()), bytes(programText("太郎")));
    }

    void theAutoRowGoesIntoTheDefinition() {
        writeAutoTxt("mail=a@example.org\r\nmail=b@example.org\r\n");
        startProgram();
        walk({"mail", "mail"});
        click(walker->RB4);
        click(walker->Button1);
        walker->CB3->setCurrentIndex(0);  // the user picks the second address from the list
        QCOMPARE(walker->CB3->currentText(), QString("b@example.org"));
        click(walker->RB4);
        click(walker->Button1);
        QCOMPARE(bytes(app->forms().Form1->Memo1->Text()),
                 QByteArray("mail=a@example.org\r\nmail=b@example.org\r\n"));
    }

    void linesAreSplitLikeThePageSource() {
        writeAutoTxt("a=1\rb=2\nc=3\r\n#d=4\re=5");
        startProgram();
        QCOMPARE(bytes(walker->Memo1->Text()), QByteArray("a=1\r\nb=2\r\nc=3\r\ne=5\r\n"));
        walk({"b", "e"});
        QCOMPARE(walker->CB3->currentText(), QString("2"));
        click(walker->Button3);
        QCOMPARE(walker->CB3->currentText(), QString("5"));
    }

    void aMissingFileIsReportedAndTheWalkerStillWorks() {
        removeAutoTxt();
        ErrorBoxes boxes;
        startProgram();
        QCOMPARE(boxes.messages, QStringList{"ファイル " + autoTxtPath() + " は開けません."});
        QVERIFY(walker->Memo1->Text().empty());
        QVERIFY(app->forms().Form4 != nullptr);

        walk({"id"});
        QVERIFY(walker->isVisible());
        QVERIFY(walker->CB3->currentText().isEmpty());
        QCOMPARE(walker->CB3->count(), 0);
        retype(walker->Edit_val, "v");
        click(walker->RB2);
        click(walker->Button1);
        QTRY_VERIFY(!walker->isVisible());
        QCOMPARE(bytes(app->forms().Form1->Memo1->Text()), QByteArray("id=v\r\n"));
    }

    void anUnreadableFileIsReportedTheSameWay() {
        removeAutoTxt();
        QVERIFY(QDir().mkdir(autoTxtPath()));
        ErrorBoxes boxes;
        startProgram();
        QCOMPARE(boxes.messages, QStringList{"ファイル " + autoTxtPath() + " は開けません."});
        QVERIFY(walker->Memo1->Text().empty());
    }
};

int main(int argc, char** argv) {
    return runWindowTest<AutoListWindowTest>(argc, argv);
}

#include "auto_list_window_test.moc"
