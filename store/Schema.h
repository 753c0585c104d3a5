#pragma once
// The tables of the program, from data/schema.sql, in the form each store takes them.

#include <QStringList>

namespace tavlo {

enum class StoreKind { Sqlite, Postgres };

// The statements of the schema, in order. For PostgreSQL the SQLite forms are translated:
// COLLATE NOCASE becomes a Norwegian collation that ignores case, so the server orders names
// as the program does.
QStringList SchemaStatements(StoreKind store = StoreKind::Sqlite);

// The tables the schema makes, in the order it makes them.
QStringList SchemaTables();

} // namespace tavlo
