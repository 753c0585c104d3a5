#include "store/DatabaseBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace tavlo {

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// SQLite leaves the file it vacuums into unsynced; a backup must survive a power cut.
std::optional<QString> syncToDisk(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return file.errorString();
    if (::fsync(file.handle()) != 0)
        return systemError();
    return std::nullopt;
}

} // namespace

std::optional<QString> WriteDatabaseBackup(Database& db, const QString& databasePath, const QString& targetPath)
{
    const QFileInfo source(databasePath);
    {
        QFile readable(databasePath);
        if (!readable.open(QIODevice::ReadOnly))
            return readable.errorString();
    }
    const QFileInfo target(targetPath);
    // Renaming over the database in use would leave the open connection writing to a file
    // that is no longer there.
    if (target.exists() && target.canonicalFilePath() == source.canonicalFilePath())
        return QStringLiteral("Sikkerhetskopien kan ikke erstatte databasefilen som er i bruk. Velg et annet navn.");

    // Made owner-only from the start: clinical data is never readable by others, not even
    // while the copy is being written.
    QTemporaryFile building(target.absoluteDir().filePath(QStringLiteral(".%1-XXXXXX").arg(target.fileName())));
    if (!building.open())
        return building.errorString();
    building.close();

    // SQLite's own copy reads one consistent snapshot through the program's connection, so
    // it holds every committed row whatever the journal mode (a -wal file included), while
    // other programs go on using the database.
    Statement vacuum(db);
    if (!vacuum.prepare(QStringLiteral("VACUUM INTO ?")) || !vacuum.bindText(1, building.fileName())
        || !vacuum.execute())
        return vacuum.diagnostic();
    if (const auto failed = syncToDisk(building.fileName()))
        return failed;
    if (!QFile::setPermissions(building.fileName(), source.permissions()))
        return building.errorString();
    if (std::rename(QFile::encodeName(building.fileName()).constData(), QFile::encodeName(targetPath).constData()) != 0)
        return systemError();
    building.setAutoRemove(false);
    return std::nullopt;
}

} // namespace tavlo
