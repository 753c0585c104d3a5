#pragma once
// A new, empty database folder: TAVLO-II.mdb with every table, the counter, one user and
// the shipped norms, and the workgroup file Virod.mdw beside it.

#include <QString>

namespace tavlo {

inline const QString kDatabaseFileName = QStringLiteral("TAVLO-II.mdb");
inline const QString kWorkgroupFileName = QStringLiteral("Virod.mdw");

enum class CreateResult { Created, Refused, Failed };

// Creates folder (if missing) and the two files in it. Refused (nothing changed) when either
// file exists or the user name or password cannot be used; Failed when the files could not
// be made (nothing of them is left). message says what happened.
CreateResult CreateDatabase(const QString& folder, const QString& user, const QString& password, QString* message);

// The statements of the schema, in order.
QStringList SchemaStatements();

} // namespace tavlo
