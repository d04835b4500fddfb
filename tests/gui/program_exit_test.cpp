// The program itself, started as a user starts it: asked by the system to end, it ends the
// orderly way and leaves nothing of its run behind.
#include <QFileInfo>
#include <QProcess>
#include <QTest>

class ProgramExitTest : public QObject {
    Q_OBJECT

  private slots:
    void terminationSignalEndsTheRunInOrder() {
        const QString program = VERRIMO_PROGRAM;
        const QString lock = QFileInfo(program).path() + "/temp.html.lock";
        QProcess verrimo;
        verrimo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        verrimo.start(program, {});
        QVERIFY(verrimo.waitForStarted());
        // The lock on the scratch copy is taken while the windows are made.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(lock), 60000);
        QTest::qWait(500);
        verrimo.terminate();
        QVERIFY(verrimo.waitForFinished(30000));
        QCOMPARE(verrimo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(verrimo.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(lock));
    }
};

QTEST_GUILESS_MAIN(ProgramExitTest)
#include "program_exit_test.moc"
