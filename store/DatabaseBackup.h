#pragma once
// A backup of the database in use: a consistent copy of every committed row, written beside
// the target and put in its place only when whole, readable by no more users than the
// database itself.

#include "store/Database.h"

#include <QString>

#include <optional>

namespace tavlo {

// Copies the database at databasePath, through the open connection db, to targetPath. nullopt
// when the copy is in place; else why not (the system's or the driver's text), and an earlier
// file at targetPath is left as it was.
std::optional<QString> WriteDatabaseBackup(Database& db, const QString& databasePath, const QString& targetPath);

} // namespace tavlo
