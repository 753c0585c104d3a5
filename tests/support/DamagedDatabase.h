#pragma once
// The ways a database file can be wrong, each applied to a fresh database folder, with a
// part of the system's sentence that must lead the message and a part of the driver's text
// that may only follow it.

#include "TempDatabase.h"

#include <QList>
#include <QString>

#include <functional>
#include <ostream>
#include <string>

namespace tavlo::test {

struct Damage {
    QString name;
    QString weSay;      // in the sentence that names the file and says what to do
    QString driverSays; // after the sentence; empty where the driver has nothing to say
    std::function<void(TempDatabase&)> apply; // on a disconnected folder
};

// What the program's start and the tool meet alike: random bytes, an empty file, a SQLite file
// of another program, a folder in the file's place, each table of the schema missing in turn,
// the access log dropped, a truncated file, a damaged table page, a header of an unknown
// format, a folder in the journal's place, and a lock another connection holds past the wait
// (for as long as the folder's own connection lives).
QList<Damage> damagedDatabases();
// A file without read permission: only a user that is not root can see the difference.
Damage unreadableDatabase();
// No database file beside Virod.mdw. The tool's alone: the program looks for the file before it
// connects, and offers the file choice.
Damage missingDatabase();

inline void PrintTo(const Damage& damage, std::ostream* os)
{
    *os << damage.name.toStdString();
}

// A name for the damage as a case of a parameterised test: letters, digits and '_' only.
std::string damageCaseName(const Damage& damage);

void applyDamage(TempDatabase& t, const Damage& damage);

// The message leads with the system's sentence for the damage, on one line, naming file; the
// driver's text comes only after a blank line.
void expectSentenceFirst(const QString& message, const Damage& damage, const QString& file);

} // namespace tavlo::test
