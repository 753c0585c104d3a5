#pragma once
// The one ODBC connection of the program, the statement helper every table uses, and the
// report of a failed call (the driver's own text, captioned "TAVLO-II", after a sentence that
// names the database when the failure is the database's state).

#include "model/Dates.h"
#include "model/Failure.h"
#include "store/connection/DatabaseFailure.h"
#include "store/tables/NormCache.h"
#include "vandrel/MessageSink.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

#include <deque>
#include <optional>
#include <vector>

namespace tavlo {

class Statement;

// Why a name cannot be sent to a database server.
inline const QString kUnsendableName =
    QStringLiteral("Et brukernavn på databasetjeneren kan ikke inneholde tegnene ; { og }.");

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the database through the connection template of the workgroup file, filled with
    // the database path, the workgroup path, the account and its password. name plays no part.
    // 1 on success; 0 after saying what is wrong, the driver's text after it.
    int DbConnect(const QString& name, const QString& account, const QString& password,
                  const QString& databasePath, const QString& workgroupPath);
    // A folder whose workgroup file names a server: no connection is opened here, since only
    // the examiner's own name and password open one. Checks that the template may be used and
    // that the server answers; then the folder waits for connectAs. 1, or 0 after the message.
    int awaitLogin(const QString& databasePath, const QString& workgroupPath);
    bool awaitsLogin() const { return !m_loginWorkgroup.isEmpty(); }
    // Opens the awaited server connection as user: 1; 8 when the server refused the name or
    // the password (nothing shown: the login says it); 0 after the message. probe as for
    // connectWith: a role that does not yet own the tables it is to take over cannot read them.
    int connectAs(const QString& user, const QString& password, bool probe = true);
    // The server role the connection acts as (session_user); empty on a file database.
    QString serverRole() const { return m_serverRole; }
    // Connects with a complete connection string. probe reads every table the program uses,
    // since a file that is not a database (or lacks a table) connects without complaint, and
    // refuses a database that lost a table it once had (LostSchemaTable).
    int connectWith(const QString& connectionString, bool probe = true);
    // Frees the statements still open on the connection first; they stay usable as objects
    // and answer every call with failure.
    int DbDisconnect();
    bool isConnected() const { return m_dbc != nullptr; }
    // The SQLite database file of the connection (from its Database= key); empty for a
    // store that is not a file, or when not connected.
    QString databaseFile() const { return m_databaseFile; }
    // The workgroup file the connection was made through; empty when made without one.
    QString workgroupFile() const { return m_workgroupFile; }
    // The string this connection was made with, so that another thread can open its own
    // connection to the same store (ODBC handles stay with the thread that made them).
    QString connectionString() const { return m_connectionString; }
    // The database as messages name it (store/connection/DatabaseFailure.h); empty when not connected.
    QString storeName() const;

    // Shows a message of this connection: through the program's sink, or into the failure a
    // job keeps (KeptFailures). detail is the driver's text that explains it, if any.
    void tellUser(const QString& text, MessageIcon icon, const QString& detail = {});

    // Who acts through this connection, for the access log: the system account and the
    // program's name until a login names the examiner; on a server always the session's role.
    void setActor(const QString& user) { m_actor = user; }
    QString actor() const;

    // Shows the last diagnostic of the statement (or of the connection) and returns 0.
    int DbReportError(SQLHSTMT statement = nullptr);
    // How many of the failures reported so far were another program holding the database
    // longer than this one would wait; a caller compares the count before and after a job.
    int busyFailures() const { return m_busyFailures; }
    // The last diagnostic text of the statement or connection, without showing it.
    QString diagnostic(SQLHSTMT statement = nullptr) const;
    // What the last failure of the statement (else of the connection) says of the database.
    DatabaseFailure failureOf(SQLHSTMT statement = nullptr) const;
    // The text DbReportError would show now: the system's sentence, when the failure is the
    // database's state, then the driver's text.
    QString errorText(SQLHSTMT statement = nullptr) const;
    FailureMessage errorMessage(SQLHSTMT statement = nullptr) const;

    SQLHDBC handle() const { return m_dbc; }
    // The database system's own name ("SQLite", "PostgreSQL"); empty when not connected.
    QString dbmsName() const;
    // Whether the connection is to SQLite, as learnt when it was made (no driver call).
    bool isSqlite() const { return m_sqlite; }

    // Manual-commit mode for a group of writes or reads; see Transaction. snapshot asks for
    // an isolation in which every statement sees the same moment (for the transaction only).
    // A write transaction on SQLite takes the write lock at once, waiting for another writer
    // as long as the connection's timeout allows. false without a message; the reason is then
    // the connection's diagnostic().
    bool beginTransaction(bool snapshot = false);
    bool endTransaction(bool commit);
    bool inTransaction() const { return m_inTransaction; }

    // The norm tables as this connection read them (store/tables/NormCache.h); empty again after
    // DbDisconnect and connectWith.
    NormCache& normCache() { return m_normCache; }

private:
    friend class Statement;
    int reportConnectFailure();
    // The workgroup file's template when the program may use it; nullopt after saying why.
    std::optional<QString> usableTemplate(const QString& workgroupPath);
    int connectThrough(const QString& account, const QString& password, const QString& databasePath,
                       const QString& workgroupPath, bool probe);
    bool probeTables();
    Diagnostic connectionDiagnostic() const;
    Diagnostic lastDiagnostic(SQLHSTMT statement) const;
    void releaseStatements(bool forget);
    void raiseIsolationForSnapshot();
    bool runTransactionStatement(const char* sql, bool report);

    SQLHENV m_env = nullptr;
    SQLHDBC m_dbc = nullptr;
    bool m_inTransaction = false;
    bool m_sqlite = false;
    bool m_sqliteTransaction = false; // begun and ended by statements, not by the driver
    int m_busyFailures = 0;
    // Why the last begin or commit failed: its statement is gone when the caller asks.
    Diagnostic m_transactionFailure;
    SQLUINTEGER m_isolationToRestore = 0; // 0: none changed
    QString m_databaseFile;
    QString m_workgroupFile;
    QString m_connectionString;
    friend class KeptFailures;
    Failure* m_kept = nullptr;
    QString m_actor;
    QString m_serverRole;
    QString m_loginDatabase;
    QString m_loginWorkgroup;
    bool m_quietLoginRefusal = false;
    bool m_loginRefused = false;
    // Every live Statement on this connection: a statement handle must never outlive its
    // connection, whichever of the two goes first.
    std::vector<Statement*> m_statements;
    NormCache m_normCache{*this};
};

// While it lives, what the connection would show is kept instead, in order, so that the job
// can return it as its failure (and a connection off the GUI thread shows nothing there).
class KeptFailures {
public:
    explicit KeptFailures(Database& db);
    ~KeptFailures();
    KeptFailures(const KeptFailures&) = delete;
    KeptFailures& operator=(const KeptFailures&) = delete;

    bool any() const { return !m_kept.empty(); }
    // What was kept, each text after the one before it on one line.
    QString texts() const { return m_kept.text(QStringLiteral(" ")); }
    // Everything kept so far; nullopt when nothing was said.
    Outcome failure() const;
    // What was kept, or else the message given: a job's failure that the connection may have
    // explained already.
    Failure failureOr(const QString& message, MessageIcon icon = MessageIcon::Stop) const;

private:
    Database& m_db;
    Failure* m_previous;
    Failure m_kept;
};

struct Credentials {
    QString user;
    QString password;
};

// Opens the database of a folder as every front end does, the one way in. A file is
// connected at once. A server is connected as the role in as; without one, only its answering
// is checked and the folder waits for the examiner's login (Database::awaitsLogin). 1; 8 when
// the server refused the role or password (nothing shown); 0 after the message.
int OpenDatabase(Database& db, const QString& databasePath, const QString& workgroupPath,
                 const std::optional<Credentials>& as = std::nullopt);

// OpenDatabase on a folder's TAVLO-II.mdb through its Virod.mdw, without credentials (a server
// folder then waits for the login). On failure what is wrong with the database, then the
// system's own sentence (string 60).
Outcome OpenFolderDatabase(Database& db, const QString& folder);

// The database file of the connection when this process cannot write it (the file, or the
// folder SQLite needs for its journal); empty when it can, or when the store is not a file.
QString ReadOnlyDatabaseFile(const Database& db);
// The notice for such a file: "Databasen ... kan bare leses. Nye tester kan ikke lagres."
QString ReadOnlyNotice(const QString& databaseFile);

// All or nothing: the writes between construction and commit() are one transaction; a
// transaction not committed is rolled back when it goes out of scope. Inside another
// transaction it does nothing: the outer one decides. A Snapshot is for reads that must
// see one moment of the database; end it with rollback(), there is nothing to keep.
class Transaction {
public:
    enum class Kind { Write, Snapshot };
    explicit Transaction(Database& db, Kind kind = Kind::Write);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool started() const { return m_owner || m_nested; }
    // Commits (outermost only); false after the driver's message, and the writes are undone.
    bool commit();
    void rollback();

private:
    Database& m_db;
    bool m_owner = false;
    bool m_nested = false;
    bool m_done = false;
};

// For a process whose every connection stays with the thread that made it (the tool): SQLite
// then takes no lock of its own around each call, a tenth of reading a long list. Only before
// the first connection; false when it is too late.
bool UseSqliteWithoutCallLocks();

enum class Fetch { Row, NoData, Error };

// One statement, freed on every path. Parameters are bound by position from buffers that
// the statement keeps alive until it is executed.
class Statement {
public:
    explicit Statement(Database& db);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool allocated() const { return m_stmt != nullptr; }
    SQLHSTMT handle() const { return m_stmt; }

    // Each returns false on failure without showing anything; report() shows it.
    bool prepare(const QString& sql);
    bool bindInt(int position, int value);
    bool bindText(int position, const QString& text);
    // NULL, for a column of any type.
    bool bindNull(int position);
    // A date of 0.0.0 (no date) is stored as NULL.
    bool bindDate(int position, const Date& date);
    // Unbinds every parameter and frees its buffer, before binding the next row of a
    // statement prepared once and run many times.
    bool clearParameters();
    // Frees the values bound for the row before, for a statement whose every parameter is
    // bound again before its next execute: each new binding replaces the old in place.
    void startRow();
    // While values is set, the bind functions keep each value at its position (1 at the
    // front; NULL as an invalid QVariant) instead of binding it: BatchInsert writes many rows
    // to a server as one parameter.
    void gatherInto(std::vector<QVariant>* values) { m_gathered = values; }
    bool execute();
    // An UPDATE or DELETE that touches no row is a success.
    bool execDirect(const QString& sql);
    Fetch fetch();
    bool closeCursor();
    // Rows the last INSERT, UPDATE or DELETE touched; -1 when unknown.
    long rowCount() const;

    // Every later fetch writes the column into value, and SQL_NULL_DATA or its length into
    // indicator; both must outlive the statement's fetches.
    bool bindIntColumn(int column, SQLINTEGER* value, SQLLEN* indicator);
    // The same for a column of any C type, width bytes a value (RowBlocks).
    bool bindColumn(int column, SQLSMALLINT type, void* values, SQLLEN width, SQLLEN* indicators);

    // Column values of the fetched row (1-based). A NULL reads as the fallback.
    std::optional<int> getInt(int column, bool* ok = nullptr);
    QString getText(int column, bool* ok = nullptr);
    // The column's bytes as the driver gives them (UTF-8 text); empty for NULL.
    QByteArray getBytes(int column, bool* ok = nullptr);
    Date getDate(int column, bool* ok = nullptr);

    int report();
    QString diagnostic() const { return m_db ? m_db->diagnostic(m_stmt) : QString(); }
    QString errorText() const;

private:
    friend class Database;
    static bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

    Database* m_db; // null once the Database itself is gone
    SQLHSTMT m_stmt = nullptr;
    // Parameter buffers: stable addresses until the statement is freed.
    std::deque<SQLINTEGER> m_ints;
    std::deque<QByteArray> m_texts;
    std::deque<SQL_DATE_STRUCT> m_dates;
    std::deque<SQLLEN> m_indicators;
    std::vector<QVariant>* m_gathered = nullptr;
    bool gathered(int position, QVariant value);
};

} // namespace tavlo
