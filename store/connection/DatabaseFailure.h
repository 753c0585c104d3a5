#pragma once
// What went wrong with the database, as the user reads it: a Norwegian sentence that names the
// database and says what to do, and the driver's own text after it as the detail.

#include <QByteArray>
#include <QString>

namespace tavlo {

// The first diagnostic record of a failed call.
struct Diagnostic {
    QByteArray state; // SQLSTATE, five characters
    int native = 0;   // SQLite's result code through its driver; the server's own number
    QString text;
};

enum class FailureKind {
    Other,        // not the database's state (a constraint, a wrong statement): no sentence
    Busy,         // another program held a lock longer than the wait
    Damaged,      // not a database file, or a damaged one
    MissingTable, // one of the program's tables is not there
    ReadOnly,
    DiskFull,
    DiskError,   // the file or a file beside it could not be read or written
    Unreachable, // the server, or the way to it, is gone
};

struct DatabaseFailure {
    FailureKind kind = FailureKind::Other;
    QString table; // the missing table, upper case, when the driver named it
};

// How SQLite (through its driver) or PostgreSQL reports what went wrong.
DatabaseFailure ClassifyFailure(const Diagnostic& diagnostic, bool sqlite);

// How the messages name the database of a connection string: a file's path, or a server's
// database ("«tavlo» på tjeneren «db.klinikk.no»").
QString StoreName(const QString& connectionString);

// Every sentence begins "Databasen <name> "; empty for FailureKind::Other.
QString FailureSentence(const DatabaseFailure& failure, const QString& store);
// Connecting failed: for a file, what is wrong with it on the disk; for a server, unreachable.
QString ConnectFailureSentence(const QString& connectionString);
// None of the program's tables: an empty file, or another program's database.
QString ForeignDatabaseSentence(const QString& store);
// A table added after the first version that this database had and has lost.
QString LostTableSentence(const QString& store, const QString& table);

// The sentence first and the driver's text after a blank line; either alone when the other is
// empty.
QString FailureText(const QString& sentence, const QString& detail);
// The driver's text of a message FailureText made with a sentence; any other text as it is.
QString FailureDetail(const QString& text);

} // namespace tavlo
