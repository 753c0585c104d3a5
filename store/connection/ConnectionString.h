#pragma once
// What a connection string may hold. The template comes from a file beside the database, and
// a driver acts on every key it knows (the SQLite driver's LoadExt loads a library into the
// program), so only the keys of the program's own templates pass.

#include <QList>
#include <QString>

#include <optional>

namespace tavlo {

struct ConnectionPair {
    QString key; // as written, blanks included
    QString value;
};

// The pairs of a connection string. With braces, as the driver manager reads it: a value
// that starts with '{' runs to its '}' and may hold ';'. Without, as the SQLite driver reads
// it: every ';' ends a pair. A piece without '=' is a key with no value; empty pieces are
// left out.
QList<ConnectionPair> SplitConnectionString(const QString& connection, bool braces);

// Why the template of the workgroup file at workgroupPath cannot be used, or nullopt when
// it names a known driver and only keys that driver's template in this program uses.
std::optional<QString> CheckConnectionTemplate(const QString& connectionTemplate, const QString& workgroupPath);

// Why path cannot be put into a connection string (a character that ends or wraps a value,
// a control character, a leading blank), or nullopt.
std::optional<QString> CheckConnectionPath(const QString& path);

// Where a server's connection string points: Server (or Servername), Port and Database as
// written; the port is the server's own default where none is named.
struct ServerAddress {
    QString host;
    QString port = QStringLiteral("5432");
    QString database;
};
ServerAddress ServerAddressOf(const QString& connection);

// Whether the connection string names a database server's driver (PostgreSQL) rather than
// a file database's.
bool NamesServer(const QString& connection);

// The Database= value of a SQLite connection string; empty for any other driver.
QString SqliteDatabaseFile(const QString& connection);

// The connection string with one more key=value pair at its end, for a connection of the
// program's own that needs a driver setting its template does not hold.
QString WithConnectionPair(const QString& connection, const QString& pair);

} // namespace tavlo
