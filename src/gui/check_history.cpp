#include "check_history.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <algorithm>
#include <atomic>

namespace verrimo {

namespace {

constexpr const char* kSchema[] = {
    "CREATE TABLE IF NOT EXISTS checks (id INTEGER PRIMARY KEY, path TEXT NOT NULL,"
    " hash BLOB NOT NULL, at INTEGER NOT NULL, state INTEGER NOT NULL, detail TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS checks_by_path ON checks (path, id)",
    "CREATE TABLE IF NOT EXISTS findings (check_id INTEGER NOT NULL REFERENCES checks (id),"
    " line INTEGER NOT NULL, rule TEXT NOT NULL, message TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS findings_by_check ON findings (check_id)",
};

bool sameFinding(const HistoryFinding& a, const HistoryFinding& b) {
    return a.line == b.line && a.rule == b.rule && a.message == b.message;
}

}  // namespace

Drift driftOf(const std::vector<HistoryCheck>& checks) {
    Drift drift;
    std::size_t from = 0;  // the first check after the last fit
    for (std::size_t i = checks.size(); i-- > 0;)
        if (checks[i].state == CheckState::Fits) {
            drift.lastFitted = checks[i].at;
            from = i + 1;
            break;
        }
    const HistoryCheck* latest = nullptr;
    for (std::size_t i = from; i < checks.size(); ++i)
        if (checks[i].state == CheckState::Drifted) {
            if (!drift.driftedSince) drift.driftedSince = checks[i].at;
            latest = &checks[i];
        }
    if (!latest) return drift;
    if (drift.lastFitted) drift.editedSince = checks[from - 1].hash != latest->hash;
    for (const HistoryFinding& f : latest->findings)
        for (std::size_t i = from; i < checks.size(); ++i) {
            const auto& earlier = checks[i].findings;
            if (std::any_of(earlier.begin(), earlier.end(),
                            [&f](const HistoryFinding& e) { return sameFinding(e, f); })) {
                drift.findings.emplace_back(f, checks[i].at);
                break;
            }
        }
    return drift;
}

CheckHistory::CheckHistory(const QString& file) {
    static std::atomic<int> opened{0};
    connection_ = QString("verrimo-history-%1").arg(++opened);
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection_);
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        error_ = "フォルダ " + QFileInfo(file).absolutePath() + " を作成できません";
        return;
    }
    db.setDatabaseName(file);
    if (!db.open()) {
        error_ = db.lastError().text();
        return;
    }
    QSqlQuery query(db);
    for (const char* statement : kSchema)
        if (!query.exec(statement)) {
            error_ = query.lastError().text();
            return;
        }
}

CheckHistory::~CheckHistory() {
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

QString CheckHistory::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/history.sqlite";
}

void CheckHistory::Record(const QString& path, const HistoryCheck& check) {
    if (!error_.isEmpty()) return;
    QSqlDatabase db = QSqlDatabase::database(connection_);
    db.transaction();
    QSqlQuery query(db);
    query.prepare("INSERT INTO checks (path, hash, at, state, detail) VALUES (?, ?, ?, ?, ?)");
    query.addBindValue(path);
    query.addBindValue(check.hash);
    query.addBindValue(check.at.toMSecsSinceEpoch());
    query.addBindValue(static_cast<int>(check.state));
    // Not null: a null string would be stored as NULL.
    query.addBindValue(check.detail.isNull() ? QString("") : check.detail);
    bool ok = query.exec();
    const QVariant id = query.lastInsertId();
    query.prepare("INSERT INTO findings (check_id, line, rule, message) VALUES (?, ?, ?, ?)");
    for (const HistoryFinding& f : check.findings) {
        if (!ok) break;
        query.addBindValue(id);
        query.addBindValue(static_cast<qint64>(f.line));
        query.addBindValue(QString::fromStdString(f.rule));
        query.addBindValue(QString::fromStdString(f.message));
        ok = query.exec();
    }
    if (ok)
        db.commit();
    else
        db.rollback();
}

std::vector<HistoryCheck> CheckHistory::Checks(const QString& path) const {
    std::vector<HistoryCheck> checks;
    if (!error_.isEmpty()) return checks;
    QSqlDatabase db = QSqlDatabase::database(connection_);
    QSqlQuery query(db);
    query.prepare(
        "SELECT c.id, c.hash, c.at, c.state, c.detail, f.line, f.rule, f.message FROM checks c"
        " LEFT JOIN findings f ON f.check_id = c.id WHERE c.path = ? ORDER BY c.id, f.rowid");
    query.addBindValue(path);
    if (!query.exec()) return checks;
    qint64 current = -1;
    while (query.next()) {
        if (query.value(0).toLongLong() != current) {
            current = query.value(0).toLongLong();
            const int state = query.value(3).toInt();
            checks.push_back(
                {QDateTime::fromMSecsSinceEpoch(query.value(2).toLongLong()),
                 query.value(1).toByteArray(),
                 state >= 0 && state <= 2 ? static_cast<CheckState>(state) : CheckState::Unread,
                 query.value(4).toString(),
                 {}});
        }
        if (!query.value(5).isNull())
            checks.back().findings.push_back({static_cast<std::size_t>(query.value(5).toLongLong()),
                                              query.value(6).toString().toStdString(),
                                              query.value(7).toString().toStdString()});
    }
    return checks;
}

}  // namespace verrimo
