#pragma once
// A backup of the database in use: a consistent copy of every committed row, checked before
// it is put in place of an earlier backup, and readable by no more users than the database
// itself.

#include <QString>

#include <functional>
#include <optional>

namespace tavlo {

// Copies the SQLite database at databasePath to targetPath while the program's connection
// stays open. The copy is put in place only when it passes its check (PRAGMA integrity_check
// answers "ok", and TESTPERSON, TESTDATA_TAVLO and TESTDATA_TAVLO_MF hold as many rows as the
// database did at the moment copied). nullopt when the copy is in place; else why not (the
// system's or SQLite's text, or what the check found), and an earlier file at targetPath is
// left as it was. beforeCopy runs once the target is known to be possible, just before the
// copy is taken (to log it); a text from it stops the backup with that text.
using BeforeCopy = std::function<std::optional<QString>()>;
std::optional<QString> WriteDatabaseBackup(const QString& databasePath, const QString& targetPath,
                                           const BeforeCopy& beforeCopy = {});

// What the program says instead of a backup of a server's database: the server's own
// backup (pg_dump) is the way.
QString ServerBackupNotice();

// For tests: runs on the finished copy, before it is checked, to plant a fault in it. An
// empty function removes the hook.
void SetBackupCheckHook(std::function<void(const QString& copyPath)> hook);

} // namespace tavlo
