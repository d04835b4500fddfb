// The history of live checks, in an SQLite file in the user's data folder: for each definition
// (its path and the hash of its bytes), when it was checked, how that ended and the findings.
// It holds no page, no password and no cookie; deleting the file loses the history alone, and
// the next check makes it anew.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace verrimo {

enum class CheckState { Fits, Drifted, Unread };

struct HistoryFinding {
    std::size_t line = 0;  // of the definition, from 0
    std::string rule;
    std::string message;  // UTF-8
};

struct HistoryCheck {
    QDateTime at;
    QByteArray hash;  // of the definition's bytes when checked
    CheckState state = CheckState::Fits;
    QString detail;  // why the page could not be read; empty otherwise
    std::vector<HistoryFinding> findings;
};

// What the history says of a definition now: since when it has drifted, and what changed since
// it last fitted.
struct Drift {
    std::optional<QDateTime> lastFitted;
    std::optional<QDateTime> driftedSince;  // the first check that failed after the last fit
    bool editedSince = false;               // its bytes are not those that last fitted
    // The latest check's findings, each with the check it first came up in since the last fit.
    std::vector<std::pair<HistoryFinding, QDateTime>> findings;
};

// checks: a definition's checks, oldest first. Checks whose page could not be read neither
// end nor begin a drift.
Drift driftOf(const std::vector<HistoryCheck>& checks);

class CheckHistory {
  public:
    // Opens the file, or makes it; Error() says why when it cannot.
    explicit CheckHistory(const QString& file);
    ~CheckHistory();
    CheckHistory(const CheckHistory&) = delete;
    CheckHistory& operator=(const CheckHistory&) = delete;

    // $XDG_DATA_HOME/Verrimo/history.sqlite, or the platform's place for the program's data.
    static QString DefaultFile();

    const QString& Error() const { return error_; }
    void Record(const QString& path, const HistoryCheck& check);
    // Oldest first; none when the history cannot be read.
    std::vector<HistoryCheck> Checks(const QString& path) const;

  private:
    QString connection_;
    QString error_;
};

}  // namespace verrimo
