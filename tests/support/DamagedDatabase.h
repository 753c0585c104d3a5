#pragma once
// Ways a database file can be wrong, each applied to a fresh database folder; the driver's
// message for each, so a test can tell it came first.

#include "TempDatabase.h"

#include <QList>
#include <QString>

namespace tavlo::test {

struct Damage {
    QString name;
    QString driverSays; // a part of the driver's message
    void (*apply)(TempDatabase& t, const QString& detail);
    QString detail; // the table, for a missing table
};

// Random bytes, an empty file, a SQLite file without the tables, one with each of the
// program's tables missing, and a folder in the file's place. (A file that cannot be read
// needs an unprivileged user: unreadableDatabase.)
QList<Damage> damagedDatabases();

// The database file without read permission; only meaningful for a user that is not root.
Damage unreadableDatabase();

// Disconnects t.db and applies the damage.
void applyDamage(TempDatabase& t, const Damage& damage);

} // namespace tavlo::test
