#pragma once
// The ways a database file can be wrong, each applied to a fresh database folder, with a
// part of the message the driver gives for it.

#include "TempDatabase.h"

#include <QList>
#include <QString>

#include <functional>

namespace tavlo::test {

struct Damage {
    QString name;
    QString driverSays;
    std::function<void(TempDatabase&)> apply; // on a disconnected folder
};

// Random bytes, an empty file, a SQLite file of another program, each table of the schema
// missing in turn, a folder in the file's place.
QList<Damage> damagedDatabases();
// A file without read permission: only a user that is not root can see the difference.
Damage unreadableDatabase();

void applyDamage(TempDatabase& t, const Damage& damage);

} // namespace tavlo::test
