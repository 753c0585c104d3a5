#pragma once
// A new, empty database folder: TAVLO-II.mdb with every table, the counter, one user and
// the shipped norms, and the workgroup file Virod.mdw beside it.

#include "store/connection/Database.h"
#include "store/connection/Schema.h"

#include <QDir>
#include <QString>

#include "store/connection/Workgroup.h"

#include <optional>

namespace tavlo {

class Database;


enum class CreateResult { Created, Refused, Failed };

// Creates folder (if missing) and the two files in it. Refused (nothing changed) when either
// file exists or the user name or password cannot be used; Failed when the files could not
// be made (nothing of them is left). message says what happened.
CreateResult CreateDatabase(const QString& folder, const QString& user, const QString& password, QString* message);

// A login name has 3 to this many characters, as the login reads them.
inline constexpr int kUserNameLongest = 9;

// Why user cannot be a login name (3 to 9 characters the database's code page holds), or nullopt.
std::optional<QString> CheckNewUserName(const QString& user);

// Why user and password cannot be the first login, or nullopt.
std::optional<QString> CheckNewLogin(const QString& user, const QString& password);

// Creates the tables on the connection and stores the counter, the first login (none when
// user is empty: a server's examiners are its roles) and the shipped norms: all in one
// transaction. false with the reason in error.
bool FillNewDatabase(Database& db, StoreKind store, const QString& user, const QString& password, QString* error);

// Opens a new database as the program will (OpenDatabase; on a server as the role in as), and
// finds every table there; false with the driver's reason in error.
bool OpensAsTheProgram(const QString& databasePath, const QString& workgroupPath,
                       const std::optional<Credentials>& as, QString* error);

// "<path> finnes allerede. Ingenting er endret." for the first of the two that exists.
std::optional<QString> ExistingDatabaseFile(const QString& databasePath, const QString& workgroupPath);

// Where a new database goes: the folder made absolute, and its two files.
struct NewFolder {
    QDir dir;
    QString databasePath;
    QString workgroupPath;
};
NewFolder NewFolderPaths(const QString& folder);

// Why no new database may be made in folder, the same for a file and a server: the path its
// connection string will carry (carriedPath) cannot be carried, or a database is there
// already. nullopt when one may.
std::optional<QString> NewFolderRefusal(const NewFolder& folder, const QString& carriedPath);

} // namespace tavlo
