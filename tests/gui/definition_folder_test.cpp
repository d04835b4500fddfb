// ファイル → 定義フォルダの点検…: a folder of 50 definitions of a loopback site checked live
// through the window, with the mouse and the keys: the drifted ones marked, the progress bar
// moving, キャンセル stopping the checks, the history of the checks kept in the user's data
// folder, and a double click opening a definition in the main window.
#include <QAccessible>
#include <QHeaderView>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <fstream>
#include <map>
#include <mutex>
#include <set>

#include "Unit1.h"
#include "check_history.h"
#include "codepage.h"
#include "definition_folder.h"
#include "http_test_server.h"
#include "modal_window.h"
#include "user_input.h"
#include "window_test.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

constexpr int kDefinitions = 50;

// What the site does to some of its pages between two checks, and what the window must then
// say of their definitions.
struct SiteChange {
    const char* name;
    std::vector<int> pages;
    std::string field;  // the page's e-mail field now; empty: the page answers 404
    QString state;      // the state column's text, without the number of findings
    QString filter;
};
const SiteChange kChanges[] = {
    {"a field renamed",
     {3, 7, 11, 18, 22, 29, 33, 38, 41, 47},
     "mail",
     "ずれています (",
     "ずれています"},
    {"a page gone", {5, 44}, "", "読めません (HTTP 404)", "読めません"},
};

// A page of the site: a form whose e-mail field is named as given; empty: answers 404.
Response sitePage(const std::string& emailName) {
    if (emailName.empty()) return Response{404, {{"Content-Type", "text/plain"}}, "gone\n", {}};
    return Response{200,
                    {{"Content-Type", "text/html; charset=Shift_JIS"}},
                    "<html><body><form action=\"send.cgi\" method=\"post\">\n"
                    "<input type=\"text\" name=\"" +
                        emailName +
                        "\">\n<input type=\"hidden\" name=\"token\" value=\"t1\">\n"
                        "<input type=\"submit\" value=\"send\">\n</form></body></html>\n",
                    {}};
}

QString fileOf(int i) {
    return QString("site%1.txt").arg(i, 2, 10, QChar('0'));
}

}  // namespace

class DefinitionFolderTest : public WindowTest {
    Q_OBJECT

    QTemporaryDir home_;
    QTemporaryDir folder_;
    std::unique_ptr<HttpTestServer> site_;
    std::mutex mutex_;
    std::map<int, std::string> fieldOf_;  // page → its e-mail field's name; "" for 404
    std::set<int> stalled_;

    // The site's pages, each answering as fieldOf_ and stalled_ say at the time.
    void serveSite() {
        site_ = std::make_unique<HttpTestServer>();
        for (int i = 0; i < kDefinitions; ++i) {
            fieldOf_[i] = "email";
            site_->route("/form" + std::to_string(i) + ".html", [this, i](const Request&) {
                const std::lock_guard lock(mutex_);
                Response r = sitePage(fieldOf_[i]);
                if (stalled_.count(i)) r.stallAfter = 0;
                return r;
            });
        }
        for (int i = 0; i < kDefinitions; ++i) {
            std::ofstream out(QDir(folder_.path()).filePath(fileOf(i)).toStdString(),
                              std::ios::binary);
            out << "Zem-Referer=" << site_->url("/form" + std::to_string(i) + ".html")
                << "\r\naction=send.cgi\r\nemail=Zem-email\r\ntoken=Zem-GetValue[token]\r\n";
        }
        // Not a definition: not listed.
        std::ofstream(QDir(folder_.path()).filePath("README").toStdString()) << "notes\n";
    }

    DefinitionFolder* openFolder() {
        chooseFileInNextDialog(folder_.path());
        form1->Folder1->trigger();
        DefinitionFolder* window = app->forms().Folder;
        [&] {
            QVERIFY(window->isVisible());
            QTRY_COMPARE(window->List_definitions->model()->rowCount(), kDefinitions);
        }();
        return window;
    }

    // The state column's texts by file name, of the rows shown.
    static std::map<QString, QString> states(DefinitionFolder* window) {
        const QAbstractItemModel* shown = window->List_definitions->model();
        std::map<QString, QString> by;
        for (int row = 0; row < shown->rowCount(); ++row)
            by[shown->index(row, DefinitionFolder::File).data().toString()] =
                shown->index(row, DefinitionFolder::State).data().toString();
        return by;
    }

    static void checkAll(DefinitionFolder* window) {
        click(window->Button_check);
        QVERIFY(window->Checking());
        QTRY_VERIFY_WITH_TIMEOUT(!window->Checking(), 60000);
    }

    static QModelIndex rowOf(DefinitionFolder* window, const QString& file) {
        const QAbstractItemModel* shown = window->List_definitions->model();
        for (int row = 0; row < shown->rowCount(); ++row)
            if (shown->index(row, DefinitionFolder::File).data().toString() == file)
                return shown->index(row, DefinitionFolder::File);
        return {};
    }

    // The history file's checks of a definition, read with SQL of the test's own: state and
    // time, oldest first.
    static std::vector<std::pair<int, qint64>> storedChecks(const QString& file) {
        std::vector<std::pair<int, qint64>> rows;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test-reader");
            db.setDatabaseName(CheckHistory::DefaultFile());
            if (db.open()) {
                QSqlQuery query(db);
                query.prepare("SELECT state, at FROM checks WHERE path = ? ORDER BY id");
                query.addBindValue(file);
                query.exec();
                while (query.next())
                    rows.emplace_back(query.value(0).toInt(), query.value(1).toLongLong());
            }
        }
        QSqlDatabase::removeDatabase("test-reader");
        return rows;
    }

  private slots:
    void initTestCase() {
        QVERIFY(home_.isValid() && folder_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_.filePath("data")));
        serveSite();
    }

    void init() { startProgram(); }

    void cleanup() {
        endProgram();
        const std::lock_guard lock(mutex_);
        stalled_.clear();
    }

    // Checked once as the site was, and again after it changed: the right definitions marked,
    // the progress bar at each one, the history saying since when each has drifted.
    void theDriftedDefinitionsAreMarked() {
        DefinitionFolder* window = openFolder();
        for (QWidget* w : window->findChildren<QWidget*>())
            if (qobject_cast<QAbstractButton*>(w) || w == window->List_definitions ||
                w == window->CB_filter || w == window->Progress || w == window->Memo_history)
                QVERIFY2(
                    !QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty(),
                    qPrintable(w->objectName()));
        for (const auto& [file, state] : states(window)) QCOMPARE(state, QString("未点検"));

        QSignalSpy moved(window->Progress, &QProgressBar::valueChanged);
        checkAll(window);
        QList<int> steps;
        for (const QList<QVariant>& value : moved) steps << value[0].toInt();
        steps.removeAll(0);
        QCOMPARE(steps.size(), kDefinitions);
        QVERIFY(std::is_sorted(steps.begin(), steps.end()));
        QCOMPARE(steps.back(), kDefinitions);
        for (const auto& [file, state] : states(window)) QCOMPARE(state, QString("合っています"));

        {
            const std::lock_guard lock(mutex_);
            for (const SiteChange& change : kChanges)
                for (const int page : change.pages) fieldOf_[page] = change.field;
        }
        checkAll(window);
        checkAll(window);  // the drift began at the first of these
        std::map<QString, QString> expected;
        for (int i = 0; i < kDefinitions; ++i) expected[fileOf(i)] = "合っています";
        for (const SiteChange& change : kChanges)
            for (const int page : change.pages) expected[fileOf(page)] = change.state;
        for (const auto& [file, state] : states(window))
            QVERIFY2(state.startsWith(expected[file]), qPrintable(file + ": " + state));

        // The history: checked three times; the row says since when, the text what changed.
        const QString drifted = fileOf(kChanges[0].pages.front());
        const auto stored = storedChecks(QDir(folder_.path()).filePath(drifted));
        QCOMPARE(stored.size(), std::size_t(3));
        QCOMPARE(stored[0].first, static_cast<int>(CheckState::Fits));
        QCOMPARE(stored[1].first, static_cast<int>(CheckState::Drifted));
        const QString since = QDateTime::fromMSecsSinceEpoch(stored[1].second)
                                  .toLocalTime()
                                  .toString("yyyy-MM-dd HH:mm:ss");
        const QModelIndex at = rowOf(window, drifted);
        QCOMPARE(at.siblingAtColumn(DefinitionFolder::History).data().toString(),
                 since + " からずれています");
        window->List_definitions->setFocus();
        window->List_definitions->setCurrentIndex(at);
        const QString history = window->Memo_history->toPlainText();
        QVERIFY2(history.contains("ずれ始めた点検: " + since), qPrintable(history));
        QVERIFY2(
            history.contains("3 行目: フォームに項目「email」がありません（定義にない text の項目"
                             "「mail」がフォームにあります）（" +
                             since + " から）"),
            qPrintable(history));

        // The history holds no page.
        QVERIFY(!fileBytes(CheckHistory::DefaultFile().toStdString()).contains("<form"));

        // Sorted by state from the header: what needs the user first.
        QHeaderView* header = window->List_definitions->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(DefinitionFolder::State) + 10,
                                 header->height() / 2));
        QAbstractItemModel* shown = window->List_definitions->model();
        if (!shown->index(0, DefinitionFolder::State).data().toString().startsWith("ずれています"))
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(DefinitionFolder::State) + 10,
                                     header->height() / 2));
        for (int row = 0; row < 10; ++row)
            QVERIFY(shown->index(row, DefinitionFolder::State)
                        .data()
                        .toString()
                        .startsWith("ずれています"));

        // Filtered by state from the keyboard.
        for (const SiteChange& change : kChanges) {
            window->CB_filter->setFocus();
            while (window->CB_filter->currentText() != change.filter)
                QTest::keyClick(window->CB_filter, Qt::Key_Down);
            std::set<QString> files;
            for (const auto& [file, state] : states(window)) files.insert(file);
            std::set<QString> changed;
            for (const int page : change.pages) changed.insert(fileOf(page));
            QCOMPARE(files, changed);
        }

        while (window->CB_filter->currentText() != "すべて")
            QTest::keyClick(window->CB_filter, Qt::Key_Up);
        QCOMPARE(window->List_definitions->model()->rowCount(), kDefinitions);

        // A double click opens the definition in the main window, its page loaded and where
        // it no longer fits underlined.
        const QModelIndex open = rowOf(window, drifted);
        window->List_definitions->scrollTo(open);
        const QRect cell = window->List_definitions->visualRect(open);
        QTest::mouseClick(window->List_definitions->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(window->List_definitions->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_COMPARE(form1->Edit_now_open->Text(),
                     site_->url("/form" + std::to_string(kChanges[0].pages.front()) + ".html"));
        QVERIFY(form1->Memo1->Text().find("email=Zem-email") != std::string::npos);
        QTRY_VERIFY(form1->Label_check->text().startsWith("警告 "));
    }

    // キャンセル: the checks under way stop, none more begins, and what was cut short stays
    // unchecked and out of the history.
    void cancelStopsTheChecks() {
        {
            const std::lock_guard lock(mutex_);
            for (int i = 10; i < kDefinitions; ++i) stalled_.insert(i);
        }
        DefinitionFolder* window = openFolder();
        const std::size_t before = site_->connections();
        click(window->Button_check);
        QTRY_COMPARE_WITH_TIMEOUT(window->Progress->value(), 10, 60000);
        QTRY_COMPARE(site_->connections(), before + 14);  // the four at once, stalled
        click(window->Button_cancel);
        QTRY_VERIFY_WITH_TIMEOUT(!window->Checking(), 60000);
        QCOMPARE(window->Progress->value(), 10);
        QCOMPARE(site_->connections(), before + 14);
        const std::map<QString, QString> shown = states(window);
        for (int i = 10; i < kDefinitions; ++i) QCOMPARE(shown.at(fileOf(i)), QString("未点検"));
        const std::size_t kept = storedChecks(QDir(folder_.path()).filePath(fileOf(12))).size();
        QVERIFY(window->Button_check->isEnabled());
        QVERIFY(!window->Button_cancel->isEnabled());
        endProgram();
        QCOMPARE(storedChecks(QDir(folder_.path()).filePath(fileOf(12))).size(), kept);
    }

    // Deleting the history file loses the history and nothing else: the next check makes it
    // anew.
    void aDeletedHistoryIsMadeAnew() {
        endProgram();
        QVERIFY(QFile::remove(CheckHistory::DefaultFile()));
        startProgram();
        DefinitionFolder* window = openFolder();
        for (int row = 0; row < kDefinitions; ++row)
            QCOMPARE(window->List_definitions->model()
                         ->index(row, DefinitionFolder::History)
                         .data()
                         .toString(),
                     QString());
        checkAll(window);
        QCOMPARE(storedChecks(QDir(folder_.path()).filePath(fileOf(0))).size(), std::size_t(1));
    }
};

int main(int argc, char** argv) {
    return runWindowTest<DefinitionFolderTest>(argc, argv);
}

#include "definition_folder_test.moc"
