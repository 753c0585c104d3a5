#include "store/connection/ConnectionString.h"

#include <QDir>
#include <QStringList>

namespace tavlo {

namespace {

enum class DriverKind { Unknown, Sqlite, Postgres };

// The keys of kSqliteConnectionTemplate and of the PostgreSQL template the program documents.
const QStringList kSqliteKeys = {QStringLiteral("DRIVER"), QStringLiteral("Database"), QStringLiteral("NoCreat"),
                                 QStringLiteral("Timeout")};
const QStringList kPostgresKeys = {QStringLiteral("DRIVER"), QStringLiteral("Server"), QStringLiteral("Port"),
                                   QStringLiteral("Database"), QStringLiteral("UID"), QStringLiteral("PWD")};

QString unbraced(QString value)
{
    value = value.trimmed();
    if (value.startsWith(u'{') && value.endsWith(u'}'))
        value = value.mid(1, value.size() - 2);
    return value.trimmed();
}

DriverKind kindOf(const QString& driverName)
{
    if (driverName.contains(u"sqlite", Qt::CaseInsensitive))
        return DriverKind::Sqlite;
    if (driverName.contains(u"postgres", Qt::CaseInsensitive))
        return DriverKind::Postgres;
    return DriverKind::Unknown;
}

std::optional<QString> driverOf(const QList<ConnectionPair>& pairs)
{
    for (const ConnectionPair& p : pairs) {
        if (p.key.compare(u"DRIVER", Qt::CaseInsensitive) == 0)
            return unbraced(p.value);
    }
    return std::nullopt;
}

} // namespace

QList<ConnectionPair> SplitConnectionString(const QString& connection, bool braces)
{
    QList<ConnectionPair> pairs;
    const qsizetype n = connection.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype keyStart = i;
        while (i < n && connection[i] != u'=' && connection[i] != u';')
            ++i;
        ConnectionPair pair{connection.mid(keyStart, i - keyStart), QString()};
        if (i < n && connection[i] == u'=') {
            const qsizetype valueStart = ++i;
            if (braces && i < n && connection[i] == u'{') {
                const qsizetype close = connection.indexOf(u'}', i);
                i = close < 0 ? n : close + 1;
            }
            while (i < n && connection[i] != u';')
                ++i;
            pair.value = connection.mid(valueStart, i - valueStart);
        }
        ++i; // the ';'
        if (!pair.key.trimmed().isEmpty() || !pair.value.isEmpty())
            pairs.append(pair);
    }
    return pairs;
}

std::optional<QString> CheckConnectionTemplate(const QString& connectionTemplate, const QString& workgroupPath)
{
    const QString file = QDir::toNativeSeparators(workgroupPath);
    const auto stop = [&](const QString& text, const QString& what = {}) {
        return (what.isNull() ? text.arg(file) : text.arg(file, what)) + QStringLiteral(" Tilkoblingen er stoppet.");
    };
    const QList<ConnectionPair> pairs = SplitConnectionString(connectionTemplate, true);
    const auto driver = driverOf(pairs);
    if (!driver)
        return stop(QStringLiteral("Arbeidsgruppefilen %1 nevner ingen driver (DRIVER)."));
    // The driver manager loads a driver given as a path without asking anyone.
    if (driver->contains(u'/') || driver->contains(u'\\'))
        return stop(QStringLiteral("Arbeidsgruppefilen %1 nevner driveren «%2» som en fil. Programmet bruker bare "
                                   "installerte drivere ved navn."),
                    *driver);
    const DriverKind kind = kindOf(*driver);
    if (kind == DriverKind::Unknown)
        return stop(QStringLiteral("Arbeidsgruppefilen %1 nevner driveren «%2», som programmet ikke bruker."), *driver);

    const QStringList& allowed = kind == DriverKind::Sqlite ? kSqliteKeys : kPostgresKeys;
    // The SQLite driver knows no braces: what it sees inside them counts as well.
    QList<ConnectionPair> seen = pairs;
    if (kind == DriverKind::Sqlite)
        seen += SplitConnectionString(connectionTemplate, false);
    for (const ConnectionPair& p : seen) {
        if (!allowed.contains(p.key, Qt::CaseInsensitive))
            return stop(QStringLiteral("Arbeidsgruppefilen %1 inneholder nøkkelen «%2», som programmet ikke bruker."),
                        p.key);
    }
    // Two drivers may take different ones of a doubled key.
    QStringList keys;
    for (const ConnectionPair& p : pairs) {
        if (keys.contains(p.key, Qt::CaseInsensitive))
            return stop(QStringLiteral("Arbeidsgruppefilen %1 inneholder nøkkelen «%2» mer enn én gang."), p.key);
        keys.append(p.key);
    }
    return std::nullopt;
}

std::optional<QString> CheckConnectionPath(const QString& path)
{
    for (const QChar c : path) {
        if (c == u';' || c == u'{' || c == u'}') {
            return QStringLiteral("Stien %1 inneholder tegnet '%2', som en databasetilkobling ikke kan bruke. "
                                  "Flytt databasefilene til en mappe uten '%2' i navnet.")
                .arg(QDir::toNativeSeparators(path), QString(c));
        }
        if (c.category() == QChar::Other_Control) {
            return QStringLiteral("Stien til databasen inneholder et kontrolltegn (U+%1), som en databasetilkobling "
                                  "ikke kan bruke.")
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
        }
    }
    if (!path.isEmpty() && path.front().isSpace())
        return QStringLiteral("Stien %1 begynner med et mellomrom, som en databasetilkobling ikke kan bruke.")
            .arg(QDir::toNativeSeparators(path));
    return std::nullopt;
}

ServerAddress ServerAddressOf(const QString& connection)
{
    ServerAddress address;
    for (const ConnectionPair& p : SplitConnectionString(connection, true)) {
        const QString key = p.key.trimmed();
        if (key.compare(u"Server", Qt::CaseInsensitive) == 0 || key.compare(u"Servername", Qt::CaseInsensitive) == 0)
            address.host = p.value;
        else if (key.compare(u"Port", Qt::CaseInsensitive) == 0)
            address.port = p.value;
        else if (key.compare(u"Database", Qt::CaseInsensitive) == 0)
            address.database = p.value;
    }
    return address;
}

bool NamesServer(const QString& connection)
{
    return kindOf(driverOf(SplitConnectionString(connection, true)).value_or(QString())) == DriverKind::Postgres;
}

QString SqliteDatabaseFile(const QString& connection)
{
    // Read as the SQLite driver reads it: the first Database= wins.
    const QList<ConnectionPair> pairs = SplitConnectionString(connection, false);
    if (kindOf(driverOf(pairs).value_or(QString())) != DriverKind::Sqlite)
        return {};
    for (const ConnectionPair& p : pairs) {
        if (p.key.compare(u"Database", Qt::CaseInsensitive) == 0)
            return p.value;
    }
    return {};
}

QString WithConnectionPair(const QString& connection, const QString& pair)
{
    return connection + (connection.endsWith(u';') ? pair : u';' + pair);
}

} // namespace tavlo
