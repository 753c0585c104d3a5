#include "store/connection/Database.h"

#include "resources/StringTable.h"
#include "store/accounts/AccessLog.h"
#include "store/connection/ConnectionString.h"
#include "store/connection/DatabaseFailure.h"
#include "store/connection/Schema.h"
#include "store/accounts/ServerRoles.h"
#include "store/connection/Workgroup.h"
#include "vandrel/MessageSink.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace tavlo {

namespace {

Diagnostic diagnosticOf(SQLSMALLINT type, SQLHANDLE handle)
{
    Diagnostic d;
    if (!handle)
        return d;
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR text[512] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
        return d;
    d.state = QByteArray(reinterpret_cast<const char*>(state));
    d.native = int(native);
    d.text = QString::fromUtf8(reinterpret_cast<const char*>(text)).trimmed();
    return d;
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
    return connectThrough(account, password, databasePath, workgroupPath, true);
}

std::optional<QString> Database::usableTemplate(const QString& workgroupPath)
{
    QString error;
    const auto connectionTemplate = ReadConnectionTemplate(workgroupPath, &error);
    if (!connectionTemplate) {
        tellUser(error, MessageIcon::Stop);
        return std::nullopt;
    }
    // The template decides which library the driver manager loads and what the driver does.
    if (const auto refusal = CheckConnectionTemplate(*connectionTemplate, workgroupPath)) {
        tellUser(*refusal, MessageIcon::Stop);
        return std::nullopt;
    }
    return connectionTemplate;
}

int Database::connectThrough(const QString& account, const QString& password, const QString& databasePath,
                             const QString& workgroupPath, bool probe)
{
    const auto connectionTemplate = usableTemplate(workgroupPath);
    if (!connectionTemplate)
        return 0;
    // A value cannot be quoted for every driver: a ';' would end it and start another key.
    for (const QString& value : {databasePath, workgroupPath}) {
        if (const auto refusal = CheckConnectionPath(value)) {
            tellUser(*refusal, MessageIcon::Stop);
            return 0;
        }
    }
    // A name that would end its value could name another server or key: never sent. The
    // server's driver takes braces off a password only, so a password is braced when it needs.
    const auto holdsAny = [](const QString& value, QStringView characters) {
        return std::any_of(value.begin(), value.end(), [&](QChar c) { return characters.contains(c); });
    };
    if (holdsAny(account, u";{}")) {
        if (m_quietLoginRefusal)
            m_loginRefused = true;
        else
            tellUser(kUnsendableName, MessageIcon::Stop);
        return 0;
    }
    const auto braced = [&](QString value) {
        if (!holdsAny(value, u";{}=[]()?*,!@ ")
            && (value.isEmpty() || (!value.front().isSpace() && !value.back().isSpace())))
            return value;
        value.replace(u'}', QStringLiteral("}}"));
        return u'{' + value + u'}';
    };
    if (!connectWith(FillConnectionTemplate(*connectionTemplate,
                                            {databasePath, workgroupPath, account, braced(password)}),
                     probe))
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
    // Known before the first call can fail: every message names the database.
    const QString file = SqliteDatabaseFile(connectionString);
    m_databaseFile = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
    m_connectionString = connectionString;
    QByteArray in = connectionString.toUtf8();
    SQLCHAR out[2048];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQLSMALLINT(in.size()),
                                          out, sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc))
        return reportConnectFailure();
    m_sqlite = dbmsName() == u"SQLite";
    if (!m_sqlite) {
        Statement role(*this);
        if (role.execDirect(QStringLiteral("SELECT session_user")) && role.fetch() == Fetch::Row)
            m_serverRole = role.getText(1);
    }

    if (probe && !probeTables()) {
        DbDisconnect();
        return 0;
    }
    if (probe)
        BringSchemaUpToDate(*this);
    return 1;
}

QString Database::actor() const
{
    if (!m_serverRole.isEmpty())
        return m_serverRole;
    return m_actor.isEmpty() ? SystemAccountName() : m_actor;
}

int Database::awaitLogin(const QString& databasePath, const QString& workgroupPath)
{
    DbDisconnect();
    const auto connectionTemplate = usableTemplate(workgroupPath);
    if (!connectionTemplate)
        return 0;
    if (const auto unreachable = ServerUnreachable(*connectionTemplate)) {
        tellUser(*unreachable, MessageIcon::Stop);
        return 0;
    }
    m_loginDatabase = databasePath;
    m_loginWorkgroup = workgroupPath;
    return 1;
}

int Database::connectAs(const QString& user, const QString& password, bool probe)
{
    const QString databasePath = m_loginDatabase;
    const QString workgroupPath = m_loginWorkgroup;
    m_quietLoginRefusal = true;
    m_loginRefused = false;
    const int connected = connectThrough(user, password, databasePath, workgroupPath, probe);
    m_quietLoginRefusal = false;
    // Another name may be tried on the same folder.
    m_loginDatabase = databasePath;
    m_loginWorkgroup = workgroupPath;
    if (connected)
        return 1;
    return m_loginRefused ? 8 : 0;
}

int OpenDatabase(Database& db, const QString& databasePath, const QString& workgroupPath,
                 const std::optional<Credentials>& as)
{
    if (!WorkgroupNamesServer(workgroupPath))
        return db.DbConnect(QStringLiteral("TAVLO-II"), {}, {}, databasePath, workgroupPath);
    if (!db.awaitLogin(databasePath, workgroupPath))
        return 0;
    return as ? db.connectAs(as->user, as->password) : 1;
}

Outcome OpenFolderDatabase(Database& db, const QString& folder)
{
    const QDir dir(folder);
    const KeptFailures kept(db);
    if (OpenDatabase(db, dir.filePath(kDatabaseFileName), dir.filePath(kWorkgroupFileName)) == 1)
        return std::nullopt;
    Failure failure = kept.failure().value_or(Failure{});
    return failure.then(LoadString(kStrConnectFailed));
}

void Database::tellUser(const QString& text, MessageIcon icon, const QString& detail)
{
    FailureMessage message{text, detail, icon};
    if (m_kept)
        m_kept->messages.push_back(std::move(message));
    else
        messageSink().show(message.caption, message.text(), icon);
}

KeptFailures::KeptFailures(Database& db)
    : m_db(db)
    , m_previous(db.m_kept)
{
    db.m_kept = &m_kept;
}

KeptFailures::~KeptFailures()
{
    m_db.m_kept = m_previous;
}

Outcome KeptFailures::failure() const
{
    if (m_kept.empty())
        return std::nullopt;
    return m_kept;
}

Failure KeptFailures::failureOr(const QString& message, MessageIcon icon) const
{
    return m_kept.empty() ? Failure(message, icon) : m_kept;
}

bool Database::probeTables()
{
    // A file that is not a database connects and fails only at its first statement, a damaged
    // table only when a row is read; a database without one of the tables would fail halfway
    // through a job, and one that lost its log would be given a new, empty one.
    const QStringList later = SchemaTablesAddedLater();
    QStringList probed;
    for (const QString& table : SchemaTables()) {
        // On a server the users are its roles: examiners are not given the old table.
        if (!later.contains(table) && (m_sqlite || table != u"SEC"))
            probed.append(table);
    }
    // Every table in one statement, as every job connects; only when that fails is each asked
    // on its own, to name what is missing.
    QStringList each;
    for (const QString& table : probed)
        each.append(QStringLiteral("SELECT * FROM (SELECT 1 FROM %1 LIMIT 1) AS %1").arg(table));
    bool allThere = false;
    {
        Statement probe(*this);
        if (probe.execDirect(each.join(QStringLiteral(" UNION ALL ")))) {
            Fetch fetched = Fetch::Row;
            while (fetched == Fetch::Row)
                fetched = probe.fetch();
            allThere = fetched == Fetch::NoData;
        }
        // A lock or a damaged file is said at once: asking each table would wait out the lock again.
        if (!allThere && failureOf(probe.handle()).kind != FailureKind::MissingTable) {
            probe.report();
            return false;
        }
    }
    QStringList missing;
    QString firstMissing;
    for (const QString& table : allThere ? QStringList() : probed) {
        Statement probe(*this);
        if (probe.execDirect(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(table)) && probe.fetch() != Fetch::Error)
            continue;
        if (failureOf(probe.handle()).kind != FailureKind::MissingTable) {
            probe.report();
            return false;
        }
        if (missing.isEmpty())
            firstMissing = lastDiagnostic(probe.handle()).text;
        missing.append(table);
    }
    if (missing.isEmpty()) {
        const auto lost = LostSchemaTable(*this);
        if (lost)
            tellUser(LostTableSentence(storeName(), *lost), MessageIcon::Stop);
        return !lost;
    }
    const QString sentence = missing.size() == probed.size()
                                 ? ForeignDatabaseSentence(storeName())
                                 : FailureSentence({FailureKind::MissingTable, missing.first()}, storeName());
    tellUser(sentence, MessageIcon::Stop, firstMissing);
    return false;
}

int Database::reportConnectFailure()
{
    QString text = diagnosticOf(SQL_HANDLE_DBC, m_dbc).text;
    if (text.isEmpty())
        text = diagnosticOf(SQL_HANDLE_ENV, m_env).text;
    if (m_quietLoginRefusal && NamesServer(m_connectionString) && RefusedLogin(text))
        m_loginRefused = true;
    else
        tellUser(ConnectFailureSentence(m_connectionString), MessageIcon::Stop, text);
    DbDisconnect();
    return 0;
}

QString Database::storeName() const
{
    return StoreName(m_connectionString);
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
    m_serverRole.clear();
    m_loginDatabase.clear();
    m_loginWorkgroup.clear();
    m_transactionFailure = {};
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

Diagnostic Database::connectionDiagnostic() const
{
    Diagnostic d = diagnosticOf(SQL_HANDLE_DBC, m_dbc);
    if (d.text.isEmpty())
        d = m_transactionFailure;
    return d.text.isEmpty() ? diagnosticOf(SQL_HANDLE_ENV, m_env) : d;
}

QString Database::diagnostic(SQLHSTMT statement) const
{
    return statement ? diagnosticOf(SQL_HANDLE_STMT, statement).text : connectionDiagnostic().text;
}

Diagnostic Database::lastDiagnostic(SQLHSTMT statement) const
{
    const Diagnostic d = statement ? diagnosticOf(SQL_HANDLE_STMT, statement) : Diagnostic{};
    return d.text.isEmpty() ? connectionDiagnostic() : d;
}

DatabaseFailure Database::failureOf(SQLHSTMT statement) const
{
    return ClassifyFailure(lastDiagnostic(statement), m_sqlite);
}

FailureMessage Database::errorMessage(SQLHSTMT statement) const
{
    const Diagnostic d = lastDiagnostic(statement);
    // Some failures (a missing row) leave no diagnostic; an empty box would tell nothing.
    const QString text = d.text.isEmpty() ? QStringLiteral("Databasen svarte uten feilmelding.") : d.text;
    return {FailureSentence(ClassifyFailure(d, m_sqlite), storeName()), text};
}

QString Database::errorText(SQLHSTMT statement) const
{
    return errorMessage(statement).text();
}

int Database::DbReportError(SQLHSTMT statement)
{
    if (failureOf(statement).kind == FailureKind::Busy)
        ++m_busyFailures;
    const FailureMessage message = errorMessage(statement);
    tellUser(message.message, MessageIcon::Stop, message.detail);
    return 0;
}

bool Database::runTransactionStatement(const char* sql, bool report)
{
    Statement s(*this);
    if (s.execDirect(QLatin1String(sql)))
        return true;
    if (m_transactionFailure.text.isEmpty()) // the rollback after a failed commit keeps its reason
        m_transactionFailure = lastDiagnostic(s.handle());
    if (report)
        s.report();
    return false;
}

bool Database::beginTransaction(bool snapshot)
{
    if (!m_dbc || m_inTransaction)
        return false;
    m_transactionFailure = {};
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
