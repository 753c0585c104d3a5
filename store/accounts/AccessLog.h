#pragma once
// The access log: one row in table LOGG for every time someone logs in (or fails to), looks
// at, stores, changes, deletes, prints, exports or writes as a document a test, backs up the database or imports
// norms. Rows are only ever added; nothing in the program changes or deletes them.

#include "store/accounts/LogChain.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace tavlo {

class Database;

enum class AccessEvent {
    Login,
    LoginRefused,
    Shown,
    NewTest,
    Changed,
    Deleted,
    Printed,
    Exported,
    BackedUp,
    NormsImported,
    Imported,
    PasswordChanged,
    UserAdded,
    UserRemoved,
    Listed,
    RolesIntroduced,
    DocumentWritten,
};

// The event as the log stores it ("innlogget", "test vist", ...).
QString AccessEventText(AccessEvent event);

// The account this process runs under, for work done without a login (the tool).
QString SystemAccountName();

// "Tilgangsloggen kunne ikke skrives, og derfor er ingenting gjort.", naming a database that
// can only be read, then the store's reason.
QString AccessLogFailure(const Database& db, const QString& reason);

// Adds one row for event: now in UTC, the connection's actor (or user, when given), the
// person number (0: none) and a note. Inside the caller's transaction the row stands or falls
// with the change it records. false after the message "Tilgangsloggen kunne ikke skrives ..."
// with the store's reason: the caller must then leave the action undone.
bool LogAccess(Database& db, AccessEvent event, int person = 0, const QString& note = {}, const QString& user = {});

// LogAccess for many rows of one job inside its transaction (an import writes one per test):
// the log's head is read and written once. Each log() as LogAccess; finish() ends the rows,
// before the caller commits.
class AccessLogBatch {
public:
    explicit AccessLogBatch(Database& db, int rowsPerStatement = 1);
    bool log(AccessEvent event, int person, const QString& note);
    bool finish();

private:
    // true when nothing failed; otherwise says so, as LogAccess does.
    bool told(const std::optional<QString>& failure);

    Database& m_db;
    LogAppender m_appender;
};

// LogAccess for a job that reports its own failure: the message goes into error instead.
bool LogAccessQuietly(Database& db, AccessEvent event, int person, const QString& note, QString* error);

// The list of stored tests as it is shown (every child's name and birth date): one row, with
// the number of tests in the list. false after the message, and the list is not to be shown.
bool LogListShown(Database& db, int tests);

struct AccessLogRow {
    QString time; // UTC, "2026-12-07T14:03:22.417Z"
    QString user;
    QString event;
    int person = 0; // 0: none
    QString program;
    QString note;
};

struct AccessLogFilter {
    std::optional<int> person;
    QString user;  // empty: every user
    QString since; // a time in the log's form, or its start ("2026-12-07"); empty: all
};

// The rows in the order they were written; nullopt with the store's reason in error.
std::optional<std::vector<AccessLogRow>> ReadAccessLog(Database& db, const AccessLogFilter& filter, QString* error);

} // namespace tavlo
