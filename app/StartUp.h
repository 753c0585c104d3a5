#pragma once
// From process start to the start screen: the database folder, the connection, the login.

#include "session/SettingsKey.h"

#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

namespace tavlo {

struct AppContext;
class Database;


// Asked when no database is found, before the file choice; "Nei" (the default) goes on to it.
inline const QString kOfferNewDatabase = QStringLiteral(
    "Er dette en ny installasjon uten database, kan programmet lage en ny, tom database nå. "
    "Vil du lage en ny database?\n\nVelg Nei for å velge databasefilen TAVLO-II.mdb i en mappe.");

// The places tests (and other front ends) can take over.
struct StartUpSeams {
    // The chosen database file, or empty when the choice was cancelled.
    std::function<QString(QWidget* owner)> chooseDatabaseFile;
    // The folder of a new database made for a clinic that has none, or empty when cancelled.
    std::function<QString(QWidget* owner)> createDatabase;
    // 1 after a successful login.
    std::function<int(QWidget* owner, Database& db)> login;
};

// DatabaseFolder of the user, else of the machine (each absent at one character or less),
// else the current folder; always ending with a separator.
QString FindDatabaseFolder();

// The folder of a chosen database file: the file name taken off when it is TAVLO-II.mdb in
// one of the three known spellings, else the path as chosen.
QString FolderOfChosenFile(const QString& chosen);

// The file-open dialog in which the examiner picks TAVLO-II.mdb when it is not found.
std::unique_ptr<QFileDialog> MakeDatabaseFileDialog(QWidget* owner);

// Runs the start-up in order; false when the program must end (its message was shown).
bool RunStartUp(QWidget* owner, AppContext& context, const StartUpSeams& seams = {});

} // namespace tavlo
