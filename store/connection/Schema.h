#pragma once
// The tables of the program, from data/schema.sql, in the form each store takes them.

#include <QStringList>

#include <optional>

namespace tavlo {

enum class StoreKind { Sqlite, Postgres };

// The statements of the schema, in order. For PostgreSQL the SQLite forms are translated:
// COLLATE NOCASE becomes a Norwegian collation that ignores case, so the server orders names
// as the program does.
QStringList SchemaStatements(StoreKind store = StoreKind::Sqlite);

// The tables the schema makes, in the order it makes them.
QStringList SchemaTables();

// The tables a database made by an earlier version may lack; connecting makes them.
QStringList SchemaTablesAddedLater();

// The table in which a database names each of those tables once it has it.
inline const QString kSchemaAdditionsTable = QStringLiteral("SKJEMATILLEGG");

class Database;

// A table added later that this database had and has lost (the access log dropped), or
// nullopt. A database older than the record of its tables has lost none.
std::optional<QString> LostSchemaTable(Database& db);

// Brings a database made by an earlier version up to today's tables: the access log and the
// record of the added tables are created, and on a server the password column is widened for
// a digest. Quietly does nothing where it cannot write (a read-only file): what then needs the
// new table fails with its own message. false when something could not be done.
bool BringSchemaUpToDate(Database& db);

} // namespace tavlo
