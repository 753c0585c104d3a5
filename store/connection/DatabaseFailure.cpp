#include "store/connection/DatabaseFailure.h"

#include "model/Failure.h"
#include "store/connection/ConnectionString.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace tavlo {

namespace {

const QString kRestoreOrAsk = QStringLiteral(
    "Legg tilbake siste sikkerhetskopi av databasen, eller spør den som har ansvar for databasen.");

QString subject(const QString& store)
{
    return store.isEmpty() ? QStringLiteral("Databasen") : QStringLiteral("Databasen ") + store;
}

QString unreachable(const QString& who)
{
    return who + QStringLiteral(" kunne ikke nås. Kontroller at tjeneren er i gang og at nettverket virker, eller "
                                "spør den som har ansvar for databasen.");
}

QString missingTableIn(const QString& text, const QRegularExpression& pattern)
{
    return pattern.match(text).captured(1).toUpper();
}

DatabaseFailure classifySqlite(const Diagnostic& d)
{
    static const QRegularExpression noSuchTable(QStringLiteral("no such table: (?:\\w+\\.)?(\\w+)"));
    // The driver passes SQLite's result code on, at times with its extended bits.
    switch (d.native & 0xff) {
    case 5:  // SQLITE_BUSY
    case 6:  // SQLITE_LOCKED
        return {FailureKind::Busy, {}};
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return {FailureKind::Damaged, {}};
    case 8:  // SQLITE_READONLY
        return {FailureKind::ReadOnly, {}};
    case 13: // SQLITE_FULL
        return {FailureKind::DiskFull, {}};
    case 10: // SQLITE_IOERR
    case 14: // SQLITE_CANTOPEN
        return {FailureKind::DiskError, {}};
    case 1:  // SQLITE_ERROR: a wrong statement, unless the text says otherwise
        if (d.text.contains(noSuchTable))
            return {FailureKind::MissingTable, missingTableIn(d.text, noSuchTable)};
        if (d.text.contains(u"unsupported file format") || d.text.contains(u"malformed database schema"))
            return {FailureKind::Damaged, {}};
        break;
    default:
        break;
    }
    return {};
}

DatabaseFailure classifyServer(const Diagnostic& d)
{
    static const QRegularExpression noRelation(QStringLiteral("relation \"(?:\\w+\\.)?(\\w+)\" does not exist"));
    const QByteArray& s = d.state;
    if (s == "55P03" || s == "40P01" || s == "40001")
        return {FailureKind::Busy, {}};
    if (s == "42P01")
        return {FailureKind::MissingTable, missingTableIn(d.text, noRelation)};
    if (s == "XX001" || s == "XX002")
        return {FailureKind::Damaged, {}};
    if (s == "25006")
        return {FailureKind::ReadOnly, {}};
    if (s == "53100")
        return {FailureKind::DiskFull, {}};
    if (s == "58030")
        return {FailureKind::DiskError, {}};
    if (s.startsWith("08"))
        return {FailureKind::Unreachable, {}};
    return {};
}

} // namespace

DatabaseFailure ClassifyFailure(const Diagnostic& diagnostic, bool sqlite)
{
    return sqlite ? classifySqlite(diagnostic) : classifyServer(diagnostic);
}

QString StoreName(const QString& connectionString)
{
    if (NamesServer(connectionString)) {
        const ServerAddress address = ServerAddressOf(connectionString);
        const QString& server = address.host;
        const QString& database = address.database;
        return server.isEmpty() ? QStringLiteral("«%1»").arg(database)
                                : QStringLiteral("«%1» på tjeneren «%2»").arg(database, server);
    }
    const QString file = SqliteDatabaseFile(connectionString);
    if (file.isEmpty())
        return {};
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(file).absoluteFilePath()));
}

QString FailureSentence(const DatabaseFailure& failure, const QString& store)
{
    const QString who = subject(store);
    switch (failure.kind) {
    case FailureKind::Other:
        break;
    case FailureKind::Busy:
        return who + QStringLiteral(" er i bruk av et annet program, som har holdt den låst lenger enn dette programmet "
                                    "venter. Prøv igjen når det andre programmet er ferdig.");
    case FailureKind::Damaged:
        return who + QStringLiteral(" er skadet og kan ikke brukes. ") + kRestoreOrAsk;
    case FailureKind::MissingTable:
        return who
               + (failure.table.isEmpty() ? QStringLiteral(" mangler en av tabellene sine")
                                          : QStringLiteral(" mangler tabellen %1").arg(failure.table))
               + QStringLiteral(" og kan ikke brukes. ") + kRestoreOrAsk;
    case FailureKind::ReadOnly:
        return who + QStringLiteral(" kan bare leses, så endringen kunne ikke lagres. Spør den som har ansvar for "
                                    "databasen om tilgang til å skrive i den.");
    case FailureKind::DiskFull:
        return who + QStringLiteral(" får ikke plass til mer, fordi disken er full. Gjør plass på disken, eller spør "
                                    "den som har ansvar for databasen.");
    case FailureKind::DiskError:
        return who + QStringLiteral(" kunne ikke leses eller skrives: disken, nettverket eller en fil ved siden av "
                                    "databasen svarer ikke som den skal. Prøv igjen, og spør den som har ansvar for "
                                    "databasen hvis det ikke hjelper.");
    case FailureKind::Unreachable:
        return unreachable(who);
    }
    return {};
}

QString ConnectFailureSentence(const QString& connectionString)
{
    const QString who = subject(StoreName(connectionString));
    const QString file = SqliteDatabaseFile(connectionString);
    if (NamesServer(connectionString))
        return unreachable(who);
    const QFileInfo info(file);
    if (file.isEmpty())
        return who + QStringLiteral(" kunne ikke åpnes. Spør den som har ansvar for databasen.");
    if (!info.exists())
        return who + QStringLiteral(" finnes ikke. Kontroller at mappen er riktig, eller legg tilbake siste "
                                    "sikkerhetskopi av databasen.");
    if (info.isDir())
        return who + QStringLiteral(" er en mappe og ikke en databasefil. ") + kRestoreOrAsk;
    if (!info.isReadable())
        return who + QStringLiteral(" kan ikke leses med brukerkontoen din. Spør den som har ansvar for databasen om "
                                    "tilgang.");
    return who + QStringLiteral(" kunne ikke åpnes. Spør den som har ansvar for databasen.");
}

QString ForeignDatabaseSentence(const QString& store)
{
    return subject(store) + QStringLiteral(" har ingen av tabellene til TAVLO-II og er ikke programmets database. ")
           + kRestoreOrAsk;
}

QString LostTableSentence(const QString& store, const QString& table)
{
    // A new, empty log would hide that the old one was removed, and with it who saw which test.
    if (table == u"LOGG")
        return subject(store)
               + QStringLiteral(" mangler tilgangsloggen (tabellen LOGG), som den har hatt. Programmet lager ikke en "
                                "ny, tom logg i stedet. ")
               + kRestoreOrAsk;
    return subject(store) + QStringLiteral(" mangler tabellen %1, som den har hatt. ").arg(table) + kRestoreOrAsk;
}

QString FailureText(const QString& sentence, const QString& detail)
{
    return FailureMessage{sentence, detail}.text();
}

QString FailureDetail(const QString& text)
{
    const qsizetype gap = text.indexOf(QStringLiteral("\n\n"));
    if (!text.startsWith(u"Databasen ") || gap < 0)
        return text;
    return text.mid(gap + 2);
}

} // namespace tavlo
