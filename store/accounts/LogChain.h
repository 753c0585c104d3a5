#pragma once
// The chain over the access log: every row carries the SHA-256 digest of the row before's
// digest and its own content, and LOGGHODE the newest row's number and digest. A row changed,
// removed or slipped in by another tool then shows, and so do the newest rows removed; a tool
// that recomputes the whole chain does not (only the server's rights stop that).

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace tavlo {

class Database;

inline const QString kLogHeadTable = QStringLiteral("LOGGHODE");

// One row as the chain covers it: every column but the digest, as stored.
struct ChainedRow {
    qint64 number = 0; // LOPENR
    QString time;
    QString user;
    QString event;
    QString person; // empty for none
    QString program;
    QString note;
};

// The row's digest (64 hex digits) after previous (empty before the first row).
QByteArray LogRowDigest(const QByteArray& previous, const ChainedRow& row);

// Adds row at the end of the chain, numbering it, in a transaction of its own or the
// caller's: nothing is written unless row and head both are. nullopt, or the store's reason.
std::optional<QString> AppendLogRow(Database& db, ChainedRow row);

// Adds many rows inside the caller's transaction: the head is read once, the rows written
// rowsPerStatement to a statement, and the head written once by finish(). The rows and the
// head come out as AppendLogRow would leave them row by row; nothing counts until finish()
// and the commit, and a failure may surface at a later append() or at finish().
class LogAppender {
public:
    explicit LogAppender(Database& db, int rowsPerStatement = 1);
    ~LogAppender();
    LogAppender(const LogAppender&) = delete;
    LogAppender& operator=(const LogAppender&) = delete;

    std::optional<QString> append(ChainedRow row);
    std::optional<QString> finish();

private:
    struct State;
    std::unique_ptr<State> m;
};

struct LogVerdict {
    bool whole = false;
    QString text; // Norwegian: "Tilgangsloggen er hel (N rader)", or the first row that breaks it
};
// Walks the chain from the first row; nullopt with the store's reason in error when the log
// cannot be read.
std::optional<LogVerdict> VerifyAccessLog(Database& db, QString* error);

// A log made before the chain: its rows get their digests, oldest first, and the head says up
// to which row, and when, they were chained. Inside a transaction of its own.
bool ChainOlderAccessLog(Database& db);

// SQLite: triggers that refuse UPDATE and DELETE of log rows, made where they are missing, so
// that an ordinary SQL tool fails instead of changing the log quietly.
bool GuardAccessLog(Database& db);

} // namespace tavlo
