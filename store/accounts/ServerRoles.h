#pragma once
// A clinic's database on a PostgreSQL server keeps no secret of the program: its tables belong
// to the clinic's administrator (the role that made them), every examiner logs in as a role of
// their own in the database's examiners' group, and the server itself decides who may do what.
// Examiners read and write tests, read norms and only add to the access log, under their own
// name.

#include "store/accounts/Security.h"

#include <QString>

#include <optional>
#include <vector>

namespace tavlo {

class Database;

// name as a PostgreSQL identifier: quoted, so that case and every character stay as given.
QString QuotedIdentifier(const QString& name);
// text as a PostgreSQL string literal.
QString QuotedLiteral(const QString& text);

// The examiners' group of the connected database: "<database>_undersokere".
std::optional<QString> ExaminersRole(Database& db, QString* error);

// The password as the server keeps it: a SCRAM-SHA-256 verifier worked out here, so that the
// password itself never travels in a statement (and never stands in the server's log).
// Empty only when the system gave no random bytes.
QString ScramVerifier(const QString& password, int iterations = 4096);

// Makes the examiners' group and gives it exactly what examiners need, shuts everyone else
// out of the database, and has the server fill in and guard the access log's user column.
// Run by the administrator (the owner of the tables) inside the caller's transaction;
// running it again changes nothing. false with the server's reason in error.
bool SetUpServerRoles(Database& db, QString* error);

// Why the server folder's database cannot be reached (the host does not answer on its port),
// or nullopt. Checks only that something listens there: who may connect is the login's.
std::optional<QString> ServerUnreachable(const QString& connectionTemplate);

// Whether a failed connection was the server refusing the name or the password (as opposed
// to a server that does not answer), from the driver's text.
bool RefusedLogin(const QString& driverText);

// The examiners, through their roles: a role in the group; the administrator alone adds and
// removes them (with its CREATEROLE). Messages as AddUser's and RemoveUser's.
UserChange AddServerUser(Database& db, const QString& user, const QString& password, QString* message);
UserChange RemoveServerUser(Database& db, const QString& user, QString* message);
std::optional<std::vector<UserRow>> ListServerUsers(Database& db, QString* error);
// The connected role's own new password, logged; 1, or 0 after the message.
int ChangeServerPassword(Database& db, const QString& password);

// Moves a database made with the program's old shared account to roles of its own: the
// connected role (the administrator) takes over everything the old owner had, the group and
// its rights are made, and the old account can no longer log in. message says what was done
// and which examiners of SEC still need a role, or why nothing was.
enum class UpgradeResult { Upgraded, Refused, Failed };
UpgradeResult UpgradeToOwnRoles(Database& db, QString* message);

} // namespace tavlo
