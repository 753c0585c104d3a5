#pragma once
// A database folder for a shared PostgreSQL server: only Virod.mdw, whose template names the
// server, and the program's tables on the server.

#include "store/creation/NewDatabase.h"

#include <QString>

#include <optional>

namespace tavlo {

inline const QString kPostgresDriver = QStringLiteral("{PostgreSQL Unicode}");

// The connection template for "Server=HOST;Port=PORT;Database=DB" (Port may be left out),
// or nullopt with the reason in refusal: an unknown or doubled key, a missing Server or
// Database, a value with a character a connection string cannot carry.
std::optional<QString> ServerConnectionTemplate(const QString& server, QString* refusal);

// Writes folder/Virod.mdw for server and makes the tables there, with the norms, the
// examiners' group and its rights, connected as admin: the clinic's administrator, who owns
// the database and may create roles. The password is used for this connection only. Refused (nothing changed) for a bad
// server value, a folder that holds a database already, or a server database that holds the
// tables; Failed (nothing left) when the server cannot be reached or refuses. message says
// what happened.
CreateResult CreateServerDatabase(const QString& folder, const QString& admin, const QString& password,
                                  const QString& server, QString* message);

} // namespace tavlo
