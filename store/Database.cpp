#include "store/Database.h"

#include "store/AccessLog.h"
#include "store/ConnectionString.h"
#include "store/Schema.h"
#include "store/Workgroup.h"
#include "vandrel/MessageSink.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace tavlo {

namespace {

// SQLite's result codes for a lock it could not get in time, as the SQLite driver passes them
// on; the SQLSTATEs of a server that gave up waiting for a lock or chose this transaction to
// undo.
bool isBusyDiagnostic(SQLSMALLINT type, SQLHANDLE handle, bool sqlite)
{
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!handle || !SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &native, nullptr, 0, &length)))
        return false;
    const QByteArray sqlState(reinterpret_cast<const char*>(state));
    if (sqlite)
        return native == 5 || native == 6;
    return sqlState == "55P03" || sqlState == "40P01" || sqlState == "40001";
}

QString diagnosticOf(SQLSMALLINT type, SQLHANDLE handle)
{
    if (!handle)
        return {};
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR text[512] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(text)).trimmed();
}

} // namespace

Database::~Database()
{
    releaseStatements(true);
    DbDisconnect();
}

void Database::releaseStatements(bool forget)
{
    for (Statement* statement : m_statements) {
        if (statement->m_stmt)
            SQLFreeHandle(SQL_HANDLE_STMT, statement->m_stmt);
        statement->m_stmt = nullptr;
        if (forget)
            statement->m_db = nullptr;
    }
    if (forget)
        m_statements.clear();
}

int Database::DbConnect(const QString&, const QString& account, const QString& password,
                        const QString& databasePath, const QString& workgroupPath)
{
    QString error;
    const auto connectionTemplate = ReadConnectionTemplate(workgroupPath, &error);
    if (!connectionTemplate) {
        tellUser(error, MessageIcon::Stop);
        return 0;
    }
    // The template decides which library the driver manager loads and what the driver does.
    if (const auto refusal = CheckConnectionTemplate(*connectionTemplate, workgroupPath)) {
        tellUser(*refusal, MessageIcon::Stop);
        return 0;
    }
    // A value cannot be quoted for every driver: a ';' would end it and start another key.
    for (const QString& value : {databasePath, workgroupPath}) {
        if (const auto refusal = CheckConnectionPath(value)) {
            tellUser(*refusal, MessageIcon::Stop);
            return 0;
        }
    }
    if (!connectWith(FillConnectionTemplate(*connectionTemplate, {databasePath, workgroupPath, account, password})))
        return 0;
    m_workgroupFile = QFileInfo(workgroupPath).absoluteFilePath();
    return 1;
}

int Database::connectWith(const QString& connectionString, bool probe)
{
    DbDisconnect();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env))) {
        m_env = nullptr;
        tellUser(QStringLiteral("ODBC-driverbehandleren kunne ikke startes."), MessageIcon::Stop);
        return 0;
    }
    SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc))) {
        m_dbc = nullptr;
        return reportConnectFailure();
    }
    QByteArray in = connectionString.toUtf8();
    SQLCHAR out[2048];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQLSMALLINT(in.size()),
                                          out, sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc))
        return reportConnectFailure();

    if (probe && !probeTables()) {
        DbDisconnect();
        return 0;
    }
    const QString file = SqliteDatabaseFile(connectionString);
    m_databaseFile = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
    m_connectionString = connectionString;
    m_sqlite = dbmsName() == u"SQLite";
    if (probe)
        BringSchemaUpToDate(*this);
    return 1;
}

QString Database::actor() const
{
    return m_actor.isEmpty() ? SystemAccountName() : m_actor;
}

void Database::tellUser(const QString& text, MessageIcon icon)
{
    (m_sink ? *m_sink : messageSink()).show(kProgramCaption, text, icon);
}

bool Database::probeTables()
{
    // A file that is not a database connects and fails only at its first statement; a
    // database without one of the tables would fail halfway through a job.
    const QStringList later = SchemaTablesAddedLater();
    for (const QString& table : SchemaTables()) {
        if (later.contains(table))
            continue;
        Statement probe(*this);
        if (!probe.execDirect(QStringLiteral("SELECT 1 FROM %1 WHERE 1 = 0").arg(table))) {
            probe.report();
            return false;
        }
    }
    return true;
}

int Database::reportConnectFailure()
{
    QString text = diagnosticOf(SQL_HANDLE_DBC, m_dbc);
    if (text.isEmpty())
        text = diagnosticOf(SQL_HANDLE_ENV, m_env);
    if (text.isEmpty())
        text = QStringLiteral("Databasen kunne ikke åpnes.");
    tellUser(text, MessageIcon::Stop);
    DbDisconnect();
    return 0;
}

QString Database::dbmsName() const
{
    SQLCHAR name[64] = {};
    SQLSMALLINT length = 0;
    if (!m_dbc || !SQL_SUCCEEDED(SQLGetInfo(m_dbc, SQL_DBMS_NAME, name, sizeof name, &length)))
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(name));
}

int Database::DbDisconnect()
{
    m_databaseFile.clear();
    m_workgroupFile.clear();
    m_connectionString.clear();
    m_transactionFailure.clear();
    if (m_dbc) {
        // A statement still open would otherwise free its handle after the connection's.
        releaseStatements(false);
        if (m_inTransaction)
            endTransaction(false);
        m_sqlite = false;
        SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        m_dbc = nullptr;
    }
    if (m_env) {
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
        m_env = nullptr;
    }
    // The next connection may reach another database, or the same one changed meanwhile.
    m_normCache.drop();
    return 0;
}

QString Database::diagnostic(SQLHSTMT statement) const
{
    if (statement)
        return diagnosticOf(SQL_HANDLE_STMT, statement);
    QString text = diagnosticOf(SQL_HANDLE_DBC, m_dbc);
    if (text.isEmpty())
        text = m_transactionFailure;
    return text.isEmpty() ? diagnosticOf(SQL_HANDLE_ENV, m_env) : text;
}

QString Database::errorText(SQLHSTMT statement) const
{
    QString text = diagnostic(statement);
    if (text.isEmpty() && statement)
        text = diagnostic(nullptr);
    // Some failures (a missing row) leave no diagnostic; an empty box would tell nothing.
    if (text.isEmpty())
        text = QStringLiteral("Databasen svarte uten feilmelding.");
    return text;
}

int Database::DbReportError(SQLHSTMT statement)
{
    bool busy = m_transactionFailureBusy && !statement && diagnosticOf(SQL_HANDLE_DBC, m_dbc).isEmpty();
    if (!busy)
        busy = statement ? isBusyDiagnostic(SQL_HANDLE_STMT, statement, m_sqlite)
                         : isBusyDiagnostic(SQL_HANDLE_DBC, m_dbc, m_sqlite);
    if (busy)
        ++m_busyFailures;
    tellUser(errorText(statement), MessageIcon::Stop);
    return 0;
}

bool Database::runTransactionStatement(const char* sql, bool report)
{
    Statement s(*this);
    if (s.execDirect(QLatin1String(sql)))
        return true;
    if (m_transactionFailure.isEmpty()) { // the rollback after a failed commit keeps its reason
        m_transactionFailure = s.errorText();
        m_transactionFailureBusy = isBusyDiagnostic(SQL_HANDLE_STMT, s.handle(), m_sqlite);
    }
    if (report)
        s.report();
    return false;
}

bool Database::beginTransaction(bool snapshot)
{
    if (!m_dbc || m_inTransaction)
        return false;
    m_transactionFailure.clear();
    m_transactionFailureBusy = false;
    if (m_sqlite && !snapshot) {
        // The driver begins deferred: a job that reads before it writes would then hold a
        // read lock while another program writes, and SQLite refuses its write at once rather
        // than let the two wait for each other. Taking the write lock first, the job waits
        // (the connection's Timeout) until the other has committed.
        m_sqliteTransaction = m_inTransaction = runTransactionStatement("BEGIN IMMEDIATE", false);
        return m_inTransaction;
    }
    if (snapshot)
        raiseIsolationForSnapshot();
    const SQLRETURN rc = SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                                           SQL_IS_UINTEGER);
    m_inTransaction = SQL_SUCCEEDED(rc);
    return m_inTransaction;
}

bool Database::endTransaction(bool commit)
{
    if (!m_inTransaction)
        return false;
    if (m_sqliteTransaction) {
        // A commit that could not get the lock in time leaves the transaction open: undo it.
        const bool ended = runTransactionStatement(commit ? "COMMIT" : "ROLLBACK", commit);
        if (!ended)
            runTransactionStatement("ROLLBACK", false);
        m_sqliteTransaction = m_inTransaction = false;
        m_normCache.transactionEnded();
        return ended;
    }
    const bool ended = SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, m_dbc, commit ? SQL_COMMIT : SQL_ROLLBACK));
    if (!ended && commit)
        DbReportError();
    if (!ended)
        SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER);
    if (m_isolationToRestore) {
        SQLSetConnectAttr(m_dbc, SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(SQLULEN(m_isolationToRestore)),
                          SQL_IS_UINTEGER);
        m_isolationToRestore = 0;
    }
    m_inTransaction = false;
    m_normCache.transactionEnded();
    return ended;
}

void Database::raiseIsolationForSnapshot()
{
    // SQLite is serializable anyway; a server at read committed (PostgreSQL's default) would
    // show each statement another moment. Writes keep the default: under repeatable read a
    // server refuses a concurrent update instead of waiting for it.
    SQLUINTEGER offered = 0;
    SQLUINTEGER current = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(m_dbc, SQL_TXN_ISOLATION_OPTION, &offered, sizeof offered, nullptr))
        || !(offered & SQL_TXN_REPEATABLE_READ)
        || !SQL_SUCCEEDED(SQLGetConnectAttr(m_dbc, SQL_ATTR_TXN_ISOLATION, &current, sizeof current, nullptr))
        || (current != SQL_TXN_READ_COMMITTED && current != SQL_TXN_READ_UNCOMMITTED))
        return;
    if (SQL_SUCCEEDED(SQLSetConnectAttr(m_dbc, SQL_ATTR_TXN_ISOLATION,
                                        reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_TXN_REPEATABLE_READ)), SQL_IS_UINTEGER)))
        m_isolationToRestore = current;
}

Transaction::Transaction(Database& db, Kind kind)
    : m_db(db)
{
    if (db.inTransaction())
        m_nested = true;
    else
        m_owner = db.beginTransaction(kind == Kind::Snapshot);
}

Transaction::~Transaction()
{
    if (!m_done)
        rollback();
}

bool Transaction::commit()
{
    m_done = true;
    return m_owner ? m_db.endTransaction(true) : m_nested;
}

void Transaction::rollback()
{
    m_done = true;
    if (m_owner)
        m_db.endTransaction(false);
}

Statement::Statement(Database& db)
    : m_db(&db)
{
    if (!db.handle() || !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, db.handle(), &m_stmt)))
        m_stmt = nullptr;
    db.m_statements.push_back(this);
}

Statement::~Statement()
{
    if (m_stmt)
        SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
    if (m_db)
        std::erase(m_db->m_statements, this);
}

int Statement::report()
{
    if (m_db)
        return m_db->DbReportError(m_stmt);
    tell(QStringLiteral("Forbindelsen til databasen er lukket."), MessageIcon::Stop);
    return 0;
}

QString Statement::errorText() const
{
    return m_db ? m_db->errorText(m_stmt) : QStringLiteral("Forbindelsen til databasen er lukket.");
}

bool Statement::prepare(const QString& sql)
{
    QByteArray text = sql.toUtf8();
    return m_stmt && succeeded(SQLPrepare(m_stmt, reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size())));
}

bool Statement::bindInt(int position, int value)
{
    if (!m_stmt)
        return false;
    SQLINTEGER& slot = m_ints.emplace_back(value);
    return succeeded(SQLBindParameter(m_stmt, SQLUSMALLINT(position), SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                                      &slot, 0, nullptr));
}

bool Statement::bindText(int position, const QString& text)
{
    if (!m_stmt)
        return false;
    QByteArray& bytes = m_texts.emplace_back(text.toUtf8());
    SQLLEN& length = m_indicators.emplace_back(SQLLEN(bytes.size()));
    // The column size is in characters; the bytes of UTF-8 may be more.
    const SQLULEN columnSize = SQLULEN(std::max<qsizetype>(text.size(), 1));
    return succeeded(SQLBindParameter(m_stmt, SQLUSMALLINT(position), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                      columnSize, 0, bytes.data(), SQLLEN(bytes.size()), &length));
}

bool Statement::bindNull(int position)
{
    if (!m_stmt)
        return false;
    SQLLEN& indicator = m_indicators.emplace_back(SQLLEN(SQL_NULL_DATA));
    return succeeded(SQLBindParameter(m_stmt, SQLUSMALLINT(position), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0,
                                      nullptr, 0, &indicator));
}

bool Statement::bindDate(int position, const Date& date)
{
    if (!m_stmt)
        return false;
    SQL_DATE_STRUCT& slot = m_dates.emplace_back(SQL_DATE_STRUCT{date.year, SQLUSMALLINT(date.month),
                                                                 SQLUSMALLINT(date.day)});
    const bool none = date.year == 0 && date.month == 0 && date.day == 0;
    SQLLEN& indicator = m_indicators.emplace_back(none ? SQLLEN(SQL_NULL_DATA) : SQLLEN(sizeof(SQL_DATE_STRUCT)));
    return succeeded(SQLBindParameter(m_stmt, SQLUSMALLINT(position), SQL_PARAM_INPUT, SQL_C_TYPE_DATE,
                                      SQL_TYPE_DATE, 10, 0, &slot, sizeof slot, &indicator));
}

bool Statement::clearParameters()
{
    if (!m_stmt)
        return false;
    const bool cleared = succeeded(SQLFreeStmt(m_stmt, SQL_RESET_PARAMS));
    m_ints.clear();
    m_texts.clear();
    m_dates.clear();
    m_indicators.clear();
    return cleared;
}

bool Statement::execute()
{
    if (!m_stmt)
        return false;
    const SQLRETURN rc = SQLExecute(m_stmt);
    return succeeded(rc) || rc == SQL_NO_DATA;
}

bool Statement::execDirect(const QString& sql)
{
    if (!m_stmt)
        return false;
    QByteArray text = sql.toUtf8();
    const SQLRETURN rc = SQLExecDirect(m_stmt, reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size()));
    return succeeded(rc) || rc == SQL_NO_DATA;
}

bool Statement::bindIntColumn(int column, SQLINTEGER* value, SQLLEN* indicator)
{
    return m_stmt && succeeded(SQLBindCol(m_stmt, SQLUSMALLINT(column), SQL_C_SLONG, value, 0, indicator));
}

Fetch Statement::fetch()
{
    if (!m_stmt)
        return Fetch::Error;
    const SQLRETURN rc = SQLFetch(m_stmt);
    if (succeeded(rc))
        return Fetch::Row;
    return rc == SQL_NO_DATA ? Fetch::NoData : Fetch::Error;
}

bool Statement::closeCursor()
{
    return m_stmt && succeeded(SQLFreeStmt(m_stmt, SQL_CLOSE));
}

long Statement::rowCount() const
{
    SQLLEN rows = -1;
    if (!m_stmt || !succeeded(SQLRowCount(m_stmt, &rows)))
        return -1;
    return long(rows);
}

std::optional<int> Statement::getInt(int column, bool* ok)
{
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    const bool read = m_stmt && succeeded(SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_SLONG, &value, 0, &indicator));
    if (ok)
        *ok = read;
    if (!read || indicator == SQL_NULL_DATA)
        return std::nullopt;
    return int(value);
}

QString Statement::getText(int column, bool* ok)
{
    return QString::fromUtf8(getBytes(column, ok));
}

QByteArray Statement::getBytes(int column, bool* ok)
{
    // Read in pieces: a text never ends cut in the middle of a character.
    QByteArray bytes;
    char buffer[256];
    bool read = m_stmt != nullptr;
    while (read) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!succeeded(rc)) {
            read = false;
            break;
        }
        if (indicator == SQL_NULL_DATA)
            break;
        const qsizetype chunk = (indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof buffer))
                                    ? qsizetype(sizeof buffer - 1)
                                    : qsizetype(indicator);
        if (rc == SQL_SUCCESS && bytes.isEmpty()) {
            // Nearly every text comes in one piece: no growing buffer (a whole archive is
            // read this way).
            if (ok)
                *ok = true;
            return QByteArray(buffer, chunk);
        }
        bytes.append(buffer, chunk);
        if (rc == SQL_SUCCESS)
            break;
    }
    if (ok)
        *ok = read;
    return bytes;
}

Date Statement::getDate(int column, bool* ok)
{
    SQL_DATE_STRUCT value{};
    SQLLEN indicator = 0;
    const bool read = m_stmt
                      && succeeded(SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_TYPE_DATE, &value, sizeof value, &indicator));
    if (ok)
        *ok = read;
    if (!read || indicator == SQL_NULL_DATA)
        return Date{};
    return Date{int16_t(value.year), int16_t(value.month), int16_t(value.day)};
}

QString ReadOnlyDatabaseFile(const Database& db)
{
    const QString file = db.databaseFile();
    if (file.isEmpty())
        return {};
    const QFileInfo info(file);
    // SQLite writes its journal beside the file, so the folder must take new files too.
    const bool writable = info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
    return writable ? QString() : file;
}

QString ReadOnlyNotice(const QString& databaseFile)
{
    return QStringLiteral("Databasen %1 kan bare leses. Nye tester kan ikke lagres.")
        .arg(QDir::toNativeSeparators(databaseFile));
}

} // namespace tavlo
