// Where auto.txt and the scratch copy live, and how the scratch copy is written.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "file_places.h"
#include "replace_file.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

std::string folderOf(const QTemporaryDir& dir) {
    return QFile::encodeName(dir.path()).toStdString() + "/";
}

bool writeFile(const std::string& path, const QByteArray& content) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

}  // namespace

class FilePlacesTest : public QObject {
    Q_OBJECT

  private slots:
    void aCopyInAWritableFolderKeepsItsFilesBesideItself() {
        QTemporaryDir folder;
        const FilePlaces places(runFolders(folderOf(folder)));
        QCOMPARE(places.autoList(), folderOf(folder) + "auto.txt");
        QCOMPARE(places.scratch(), folderOf(folder) + "temp.html");
    }

    // A second copy started from the same folder must not show the first one's page, nor the
    // first the second's.
    void twoCopiesInOneFolderDoNotShareTheScratchCopy() {
        QTemporaryDir folder;
        auto first = std::make_unique<FilePlaces>(runFolders(folderOf(folder)));
        const FilePlaces second(runFolders(folderOf(folder)));
        QCOMPARE(first->scratch(), folderOf(folder) + "temp.html");
        QVERIFY(second.scratch() != first->scratch());
        QCOMPARE(second.autoList(), first->autoList());
        QVERIFY(QFileInfo(QString::fromStdString(second.scratch())).dir().exists());
        // Once the first has ended, the next copy takes the folder's own again.
        first.reset();
        const FilePlaces third(runFolders(folderOf(folder)));
        QCOMPARE(third.scratch(), folderOf(folder) + "temp.html");
    }

    void aFolderThatCannotBeWrittenIsToldApart() {
        // Not even root can make a file here.
        const FileFolders readOnly = runFolders("/proc/self/");
        QVERIFY(!readOnly.writable);
        QVERIFY(!readOnly.installed);
        QTemporaryDir folder;
        QVERIFY(runFolders(folderOf(folder)).writable);
    }

    void eachKindOfCopyFindsItsFiles_data() {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("ownList");
        QTest::addColumn<bool>("listBeside");
        QTest::addColumn<bool>("scratchBeside");
        QTest::newRow("portable") << false << true << true << true << true;
        QTest::newRow("portable, list still missing") << false << true << false << true << true;
        QTest::newRow("read-only copy") << false << false << true << true << false;
        QTest::newRow("read-only, no list of its own") << false << false << false << false << false;
        QTest::newRow("installed") << true << false << false << false << false;
        QTest::newRow("installed, run by root") << true << true << false << false << false;
        QTest::newRow("installed, a list beside") << true << false << true << false << false;
    }

    // Where auto.txt is read and the scratch copy written, for a program folder that is the
    // installed one or not, writable or not, with an auto.txt of its own or not.
    void eachKindOfCopyFindsItsFiles() {
        QFETCH(bool, installed);
        QFETCH(bool, writable);
        QFETCH(bool, ownList);
        QFETCH(bool, listBeside);
        QFETCH(bool, scratchBeside);
        QTemporaryDir program;
        QTemporaryDir home;
        const std::string own = folderOf(program) + "auto.txt";
        if (ownList) QVERIFY(writeFile(own, "own=1\r\n"));
        FileFolders folders;
        folders.programFolder = folderOf(program);
        folders.installed = installed;
        folders.writable = writable;
        folders.configHome = folderOf(home) + "config";
        folders.runtimeDir = folderOf(home) + "run";
        folders.cacheHome = folderOf(home) + "cache";
        folders.sharedAutoList = folderOf(home) + "shared-auto.txt";
        QVERIFY(writeFile(folders.sharedAutoList, "shared=1\r\n"));
        QVERIFY(QDir().mkpath(QString::fromStdString(folders.runtimeDir)));

        const FilePlaces places(folders);
        if (listBeside) {
            QCOMPARE(places.autoList(), own);
        } else {
            QCOMPARE(places.autoList(), folders.configHome + "/verrimo/auto.txt");
            QCOMPARE(fileBytes(places.autoList()), QByteArray("shared=1\r\n"));
        }
        if (scratchBeside) {
            QCOMPARE(places.scratch(), folderOf(program) + "temp.html");
        } else {
            QVERIFY(places.scratch().rfind(folders.runtimeDir + "/verrimo-", 0) == 0);
            // Nothing is made in a folder that is not the copy's own to write.
            QCOMPARE(QDir(program.path()).entryList(QDir::Files | QDir::Hidden),
                     ownList ? QStringList{"auto.txt"} : QStringList{});
        }
    }

    // Installed: auto.txt comes from the user's configuration folder, made from the shared
    // example at the first start; the scratch copy goes in a private folder of the run.
    void anInstalledCopyUsesTheUsersFolders() {
        QTemporaryDir home;
        const QString shared = home.filePath("example-auto.txt");
        QFile example(shared);
        QVERIFY(example.open(QIODevice::WriteOnly));
        example.write("id=\x82\xa0\r\n");
        example.close();
        FileFolders folders;
        folders.programFolder = "/nowhere/";
        folders.installed = true;
        folders.configHome = folderOf(home) + "config";
        folders.runtimeDir = folderOf(home) + "run";
        folders.cacheHome = folderOf(home) + "cache";
        folders.sharedAutoList = QFile::encodeName(shared).toStdString();
        QVERIFY(QDir().mkpath(QString::fromStdString(folders.runtimeDir)));

        std::string runFolder;
        {
            const FilePlaces places(folders);
            QCOMPARE(places.autoList(), folders.configHome + "/verrimo/auto.txt");
            QCOMPARE(fileBytes(places.autoList()), QByteArray("id=\x82\xa0\r\n"));
            QVERIFY(places.scratch().rfind(folders.runtimeDir + "/verrimo-", 0) == 0);
            runFolder = QFileInfo(QString::fromStdString(places.scratch())).path().toStdString();
            QVERIFY(QFileInfo(QString::fromStdString(runFolder)).isDir());
            QCOMPARE(QFileInfo(QString::fromStdString(runFolder)).permissions() & 0x0077, 0);
        }
        QVERIFY(!QFileInfo::exists(QString::fromStdString(runFolder)));

        // A list the user has since edited is kept; without a runtime folder, the cache is used.
        QFile edited(QString::fromStdString(folders.configHome + "/verrimo/auto.txt"));
        QVERIFY(edited.open(QIODevice::WriteOnly));
        edited.write("mine=1\r\n");
        edited.close();
        folders.runtimeDir.clear();
        const FilePlaces again(folders);
        QCOMPARE(fileBytes(again.autoList()), QByteArray("mine=1\r\n"));
        QVERIFY(again.scratch().rfind(folders.cacheHome + "/verrimo/verrimo-", 0) == 0);
    }

    void theScratchCopyReplacesASymlinkInsteadOfFollowingIt() {
        QTemporaryDir folder;
        const std::string target = folderOf(folder) + "precious.txt";
        const std::string scratch = folderOf(folder) + "temp.html";
        QFile precious(QString::fromStdString(target));
        QVERIFY(precious.open(QIODevice::WriteOnly));
        precious.write("keep me");
        precious.close();
        QVERIFY(symlink(target.c_str(), scratch.c_str()) == 0);

        QVERIFY(replaceFile(scratch, "<p>page</p>"));
        QCOMPARE(fileBytes(target), QByteArray("keep me"));
        QVERIFY(!QFileInfo(QString::fromStdString(scratch)).isSymLink());
        QCOMPARE(fileBytes(scratch), QByteArray("<p>page</p>"));
        QVERIFY(replaceFile(scratch, ""));
        QCOMPARE(fileBytes(scratch), QByteArray());
        // Nothing is left behind beside it.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2);
    }

    void aScratchCopyThatCannotBeMadeLeavesNothingBehind() {
        QTemporaryDir folder;
        const std::string scratch = folderOf(folder) + "temp.html";
        QVERIFY(blockFile(scratch));
        QVERIFY(!replaceFile(scratch, "x"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 0);
        QVERIFY(!replaceFile(folderOf(folder) + "missing/temp.html", "x"));
    }
};

QTEST_GUILESS_MAIN(FilePlacesTest)
#include "file_places_test.moc"
