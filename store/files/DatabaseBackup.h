#pragma once
// A backup of the database in use: a consistent copy of every committed row, checked before
// it is put in place of an earlier backup, and readable by no more users than the database
// itself.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tavlo {

class Database;

// Copies the SQLite database at databasePath to targetPath ("-": standard output) while the
// program's connection stays open. The copy is put in place only when it passes its check
// (PRAGMA integrity_check answers "ok", and TESTPERSON, TESTDATA_TAVLO and TESTDATA_TAVLO_MF
// hold as many rows as the database did at the moment copied), and never over one of
// protectedFiles or a file that is not a regular one. nullopt when the copy is in place;
// else why not, in Norwegian first, and an earlier file at targetPath is left as it was.
// beforeCommit runs once the copy has passed its check, just before it is put in place (to
// log it, under the name it gets); a text from it stops the backup with that text.
using BeforeCommit = std::function<std::optional<QString>(const QString& where)>;
std::optional<QString> WriteDatabaseBackup(const QString& databasePath, const QString& targetPath,
                                           const QStringList& protectedFiles, const BeforeCommit& beforeCommit = {});

// The backup job of the program and the tool: the database of db to targetPath, logged in
// the access log only when the copy is about to be put in place.
std::optional<QString> BackUpDatabaseFile(Database& db, const QString& targetPath);

// What the program says instead of a backup of a server's database: the server's own
// backup (pg_dump) is the way.
QString ServerBackupNotice();

// For tests: runs on the finished copy, before it is checked, to plant a fault in it. An
// empty function removes the hook.
void SetBackupCheckHook(std::function<void(const QString& copyPath)> hook);

} // namespace tavlo
