#include "store/creation/NewDatabase.h"

#include "model/PersonText.h"
#include "store/accounts/AccessLog.h"
#include "store/connection/ConnectionString.h"
#include "store/connection/Database.h"
#include "store/tables/NormLoading.h"
#include "store/accounts/PasswordHash.h"
#include "store/connection/Schema.h"
#include "store/connection/Workgroup.h"
#include "vandrel/MessageSink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QLockFile>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace tavlo {

namespace {

std::optional<QString> checkCredential(const QString& what, const QString& value, int longest)
{
    if (value.size() < kPasswordShortest || value.size() > longest)
        return QStringLiteral("%1 må ha %2 til %3 tegn.").arg(what).arg(kPasswordShortest).arg(longest);
    for (const char32_t c : value.toUcs4()) {
        if (!IsWindows1252Char(c))
            return QStringLiteral("%1 inneholder et tegn som ikke kan brukes.").arg(what);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> CheckNewUserName(const QString& user)
{
    return checkCredential(QStringLiteral("Brukernavnet"), user, kUserNameLongest);
}

std::optional<QString> CheckNewLogin(const QString& user, const QString& password)
{
    if (const auto refusal = CheckNewUserName(user))
        return refusal;
    return checkCredential(QStringLiteral("Passordet"), password, kPasswordLongest);
}

bool FillNewDatabase(Database& db, StoreKind store, const QString& user, const QString& password, QString* error)
{
    Transaction transaction(db);
    for (const QString& sql : SchemaStatements(store)) {
        Statement s(db);
        if (!s.execDirect(sql)) {
            *error = s.diagnostic();
            return false;
        }
    }
    Statement sec(db);
    const QString digest = user.isEmpty() ? QString() : HashPassword(password);
    if (user.isEmpty()) {
        // A server's examiners are its roles.
    } else if (digest.isEmpty()) {
        *error = QStringLiteral("Systemet ga ingen tilfeldige tall til passordet.");
        return false;
    } else if (!sec.prepare(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES (?, ?)")) || !sec.bindText(1, user)
               || !sec.bindText(2, digest) || !sec.execute()) {
        *error = sec.diagnostic();
        return false;
    } else if (!LogAccessQuietly(db, AccessEvent::UserAdded, 0, user, error)) {
        return false;
    }
    if (!LoadShippedNorms(db, error))
        return false;
    if (!transaction.commit()) {
        *error = db.diagnostic();
        return false;
    }
    return true;
}

namespace {

const QString kBuildingPattern = QStringLiteral(".TAVLO-II-XXXXXX.mdb");

void removeWithJournal(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// The temporary databases of runs that were killed (QTemporaryFile fills the six X with
// letters and digits), and their journals.
void removeLeftovers(const QDir& dir)
{
    static const QRegularExpression own(QStringLiteral("^\\.TAVLO-II-[A-Za-z0-9]{6}\\.mdb(-journal|-wal|-shm)?$"));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (own.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

} // namespace

std::optional<QString> ExistingDatabaseFile(const QString& databasePath, const QString& workgroupPath)
{
    for (const QString& path : {databasePath, workgroupPath}) {
        if (QFileInfo::exists(path))
            return QStringLiteral("%1 finnes allerede. Ingenting er endret.").arg(path);
    }
    return std::nullopt;
}

namespace {

bool buildDatabase(const QString& path, const QString& user, const QString& password, QString* error)
{
    Database db;
    const KeptFailures kept(db);
    // The file is there already. NoCreat before the path, so that even a path the driver
    // misreads cannot hide it and have a database made elsewhere.
    if (!db.connectWith(QStringLiteral("DRIVER=SQLite3;NoCreat=1;Timeout=10000;Database=") + path, false)) {
        *error = kept.texts();
        return false;
    }
    if (!FillNewDatabase(db, StoreKind::Sqlite, user, password, error)) {
        if (error->isEmpty())
            *error = kept.texts();
        return false;
    }
    return true;
}

} // namespace

bool OpensAsTheProgram(const QString& databasePath, const QString& workgroupPath,
                       const std::optional<Credentials>& as, QString* error)
{
    Database db;
    const KeptFailures kept(db);
    if (OpenDatabase(db, databasePath, workgroupPath, as) == 1)
        return true;
    *error = kept.texts();
    return false;
}

NewFolder NewFolderPaths(const QString& folder)
{
    const QDir dir(QDir(folder).absolutePath());
    return {dir, dir.filePath(kDatabaseFileName), dir.filePath(kWorkgroupFileName)};
}

std::optional<QString> NewFolderRefusal(const NewFolder& folder, const QString& carriedPath)
{
    // A character that ends or wraps a value there would have the driver reach somewhere else.
    if (const auto refusal = CheckConnectionPath(carriedPath))
        return *refusal + QStringLiteral(" Ingenting er opprettet.");
    return ExistingDatabaseFile(folder.databasePath, folder.workgroupPath);
}

CreateResult CreateDatabase(const QString& folder, const QString& user, const QString& password, QString* message)
{
    const auto say = [&](CreateResult result, const QString& text) {
        if (message)
            *message = text;
        return result;
    };
    if (const auto refusal = CheckNewLogin(user, password))
        return say(CreateResult::Refused, *refusal);
    const NewFolder paths = NewFolderPaths(folder);
    const QDir& dir = paths.dir;
    const QString& databasePath = paths.databasePath;
    const QString& workgroupPath = paths.workgroupPath;
    if (const auto refusal = NewFolderRefusal(paths, databasePath))
        return say(CreateResult::Refused, *refusal);
    const bool folderExisted = dir.exists();
    if (!folderExisted && !QDir().mkpath(dir.path()))
        return say(CreateResult::Failed, QStringLiteral("Mappen %1 kunne ikke opprettes.").arg(folder));

    // One run at a time in a folder; while this one holds the lock, a temporary database
    // here is what a killed run left.
    QLockFile lock(dir.filePath(QStringLiteral(".TAVLO-II-init.lock")));
    QTemporaryFile building(dir.filePath(kBuildingPattern));
    QString buildingPath;
    const auto failed = [&](const QString& reason) {
        if (!buildingPath.isEmpty())
            removeWithJournal(buildingPath);
        lock.unlock();
        if (!folderExisted)
            QDir().rmdir(dir.path());
        return say(CreateResult::Failed,
                   QStringLiteral("Databasen kunne ikke opprettes i %1: %2").arg(QDir::toNativeSeparators(folder), reason));
    };
    if (!lock.tryLock(0)) {
        if (lock.error() == QLockFile::LockFailedError)
            return say(CreateResult::Refused, QStringLiteral("En annen oppretting av databasen pågår i %1. Ingenting er endret.")
                                                  .arg(QDir::toNativeSeparators(dir.path())));
        return failed(QStringLiteral("mappen kan ikke skrives."));
    }
    if (const auto existing = ExistingDatabaseFile(databasePath, workgroupPath))
        return say(CreateResult::Refused, *existing);
    removeLeftovers(dir);

    // Built under a temporary name and renamed at the end: never half a database.
    if (!building.open())
        return failed(building.errorString());
    buildingPath = building.fileName();
    building.close();
    QString error;
    if (!buildDatabase(buildingPath, user, password, &error))
        return failed(error);
    if (!WriteWorkgroupFile(workgroupPath, kSqliteConnectionTemplate, &error))
        return failed(error);
    if (!building.rename(databasePath)) {
        QFile::remove(workgroupPath);
        return failed(building.errorString());
    }
    building.setAutoRemove(false);
    buildingPath.clear();
    QFile::setPermissions(databasePath, kDatabaseFilePermissions);
    if (!OpensAsTheProgram(databasePath, workgroupPath, std::nullopt, &error)) {
        removeWithJournal(databasePath);
        QFile::remove(workgroupPath);
        return failed(error);
    }
    return say(CreateResult::Created, QStringLiteral("Databasen er opprettet: %1").arg(QDir::toNativeSeparators(databasePath)));
}

} // namespace tavlo
