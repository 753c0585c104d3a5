#include "store/files/DatabaseBackup.h"

#include "store/accounts/AccessLog.h"
#include "store/connection/Database.h"
#include "store/files/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sqlite3.h>

#include <array>

namespace tavlo {

namespace {

// The tables whose rows are counted in the database and in the copy: every test's rows.
constexpr const char* kCountedTables[] = {"TESTPERSON", "TESTDATA_TAVLO", "TESTDATA_TAVLO_MF"};
using Counts = std::array<qint64, std::size(kCountedTables)>;

constexpr QFileDevice::Permissions kFileModeBits =
    kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;

// As long as the program's own connection waits for another program's commit (Virod.mdw).
constexpr int kBusyTimeoutMs = 10000;

std::function<void(const QString&)>& checkHook()
{
    static std::function<void(const QString&)> hook;
    return hook;
}

// One connection through SQLite's own library, closed on every path. The ODBC driver uses
// the same shared libsqlite3, so SQLite's locks see both connections of this process.
class Sqlite {
public:
    Sqlite(const QString& path, int flags)
        : m_opened(sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) == SQLITE_OK)
    {
    }
    ~Sqlite() { sqlite3_close(m_db); }
    Sqlite(const Sqlite&) = delete;
    Sqlite& operator=(const Sqlite&) = delete;

    sqlite3* handle() const { return m_db; }
    bool opened() const { return m_opened; }
    QString error() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory"); }
    bool exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    // The first column of every row, as text; nullopt when the statement failed.
    std::optional<QStringList> column(const QByteArray& sql)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &s, nullptr) != SQLITE_OK)
            return std::nullopt;
        QStringList values;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW)
            values.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))));
        sqlite3_finalize(s);
        return rc == SQLITE_DONE ? std::optional(values) : std::nullopt;
    }

    std::optional<Counts> countRows()
    {
        Counts counts{};
        for (size_t i = 0; i < counts.size(); ++i) {
            const auto counted = column(QByteArray("SELECT COUNT(*) FROM ") + kCountedTables[i]);
            if (!counted || counted->size() != 1)
                return std::nullopt;
            counts[i] = counted->first().toLongLong();
        }
        return counts;
    }

private:
    sqlite3* m_db = nullptr;
    bool m_opened;
};

// Copies the database into the empty file copyPath with SQLite's online backup, inside one
// read transaction that also counts the rows: the counts are those of the moment copied.
// (VACUUM INTO cannot run inside a transaction, so it cannot give them.) Other programs'
// writers wait only while the pages are copied, whatever the journal mode; the copy holds
// every committed row, those still in a -wal file included.
std::optional<QString> copyDatabase(const QString& databasePath, const QString& copyPath, Counts* counts)
{
    Sqlite from(databasePath, SQLITE_OPEN_READWRITE);
    if (!from.opened())
        return from.error();
    // This connection only reads: leaving last, it must not checkpoint another tool's WAL.
    sqlite3_db_config(from.handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_busy_timeout(from.handle(), kBusyTimeoutMs);
    Sqlite to(copyPath, SQLITE_OPEN_READWRITE);
    // Until it has passed its check the copy is nobody's database: it needs no journal.
    if (!to.opened() || !to.exec("PRAGMA journal_mode=OFF"))
        return to.error();

    if (!from.exec("BEGIN"))
        return from.error();
    const std::optional<Counts> counted = from.countRows();
    QString failure;
    if (!counted) {
        failure = from.error();
    } else if (sqlite3_backup* backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main")) {
        const int stepped = sqlite3_backup_step(backup, -1);
        if (sqlite3_backup_finish(backup) != SQLITE_OK || stepped != SQLITE_DONE)
            failure = to.error();
    } else {
        failure = to.error();
    }
    // Nothing was written: ending the read transaction lets the writers on at once.
    from.exec("ROLLBACK");
    if (!failure.isEmpty())
        return failure;
    // A database another tool put in WAL mode is copied with that mark; the backup is to be
    // a file that stands alone, as the program's own databases are.
    if (!to.exec("PRAGMA journal_mode=DELETE"))
        return to.error();
    *counts = *counted;
    return std::nullopt;
}

QString failedCheck(const QString& finding)
{
    return QStringLiteral("Sikkerhetskopien er ikke lagret, fordi kopien ikke besto kontrollen: %1. Kopien er slettet, "
                          "og en tidligere fil med samme navn er ikke endret.")
        .arg(finding);
}

// Opens the copy on its own and checks it: SQLite finds it whole, and it holds the rows the
// database held at the moment copied.
std::optional<QString> checkCopy(const QString& copyPath, const Counts& expected)
{
    Sqlite copy(copyPath, SQLITE_OPEN_READONLY);
    if (!copy.opened())
        return failedCheck(copy.error());
    const auto answer = copy.column("PRAGMA integrity_check");
    if (!answer)
        return failedCheck(copy.error());
    if (*answer != QStringList{QStringLiteral("ok")})
        return failedCheck(QStringLiteral("integritetskontrollen svarte «%1»")
                               .arg(answer->mid(0, 3).join(u' ').simplified().left(200)));
    const auto counted = copy.countRows();
    if (!counted)
        return failedCheck(copy.error());
    for (size_t i = 0; i < expected.size(); ++i) {
        if ((*counted)[i] != expected[i])
            return failedCheck(QStringLiteral("antall rader i %1 er %2 i kopien, men %3 i databasen")
                                   .arg(QLatin1String(kCountedTables[i]))
                                   .arg((*counted)[i])
                                   .arg(expected[i]));
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> WriteDatabaseBackup(const QString& databasePath, const QString& targetPath,
                                           const QStringList& protectedFiles, const BeforeCommit& beforeCommit)
{
    {
        QFile readable(databasePath);
        if (!readable.open(QIODevice::ReadOnly))
            return QStringLiteral("Databasefilen %1 kan ikke leses, og derfor er det ikke tatt noen sikkerhetskopi. "
                                  "Kontroller at filen finnes og at du har lesetilgang til den.\n\n%2")
                .arg(QDir::toNativeSeparators(databasePath), readable.errorString());
    }
    // Clinical data: the copy is owner-only while it is made and never more readable than the
    // database afterwards. Removed, unless put in place, on every path.
    OutputFile building(targetPath, protectedFiles);
    if (auto failure = building.open(QFileInfo(databasePath).permissions() & kFileModeBits))
        return failure;
    Counts counts{};
    if (const auto failed = copyDatabase(databasePath, building.writingPath(), &counts))
        return QStringLiteral("Databasen %1 kunne ikke kopieres, og derfor er det ikke tatt noen sikkerhetskopi. "
                              "Prøv igjen om litt; hjelper ikke det, kontroller at det er plass på disken der "
                              "kopien skal ligge.\n\n%2")
            .arg(QDir::toNativeSeparators(databasePath), *failed);
    if (checkHook())
        checkHook()(building.writingPath());
    // The check runs after the other programs' writers have been let on again.
    if (const auto failed = checkCopy(building.writingPath(), counts))
        return failed;
    if (beforeCommit) {
        if (auto refused = beforeCommit(building.loggedName()))
            return refused;
    }
    return building.commit();
}

std::optional<QString> BackUpDatabaseFile(Database& db, const QString& targetPath)
{
    const QString databaseFile = db.databaseFile();
    if (databaseFile.isEmpty())
        return ServerBackupNotice();
    return WriteDatabaseBackup(databaseFile, targetPath, ProtectedFiles(db), [&db](const QString& where) -> std::optional<QString> {
        QString failure;
        if (LogAccessQuietly(db, AccessEvent::BackedUp, 0, where, &failure))
            return std::nullopt;
        return failure;
    });
}

void SetBackupCheckHook(std::function<void(const QString& copyPath)> hook)
{
    checkHook() = std::move(hook);
}

QString ServerBackupNotice()
{
    return QStringLiteral("Databasen ligger på en databaseserver og ikke i en fil, så programmet kan ikke "
                          "sikkerhetskopiere den. Ta sikkerhetskopi med serverens eget verktøy (pg_dump).");
}

} // namespace tavlo
