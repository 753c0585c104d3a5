#include "store/accounts/LogChain.h"

#include "store/connection/BatchInsert.h"
#include "store/connection/Database.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <algorithm>
#include <vector>

namespace tavlo {

namespace {

// One writer at a time appends to the chain on a server; SQLite's write lock does it there.
constexpr const char* kServerChainLock = "SELECT pg_advisory_xact_lock(7419027)";

const QString kRowColumns = QStringLiteral("LOPENR, TIDSPUNKT, BRUKER, HENDELSE, ID, PROGRAM, MERKNAD");

bool isServer(const Database& db)
{
    return db.dbmsName() == u"PostgreSQL";
}

QString now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

// The row's columns from a statement that selected kRowColumns first.
ChainedRow readRow(Statement& s)
{
    ChainedRow row;
    row.number = s.getText(1).toLongLong();
    row.time = s.getText(2);
    row.user = s.getText(3);
    row.event = s.getText(4);
    row.person = s.getText(5);
    row.program = s.getText(6);
    row.note = s.getText(7);
    return row;
}

struct Head {
    qint64 number = 0;
    QByteArray digest;
    qint64 chainedUpTo = 0; // rows up to this one were chained when the database got the chain
    QString chainedAt;
};

std::optional<Head> readHead(Database& db, QString* error)
{
    Statement s(db);
    if (!s.execDirect(QStringLiteral("SELECT LOPENR, KJEDE, KJEDET_TIL, KJEDET_TID FROM %1").arg(kLogHeadTable))) {
        *error = s.errorText();
        return std::nullopt;
    }
    if (s.fetch() != Fetch::Row) {
        *error = QStringLiteral("Tabellen %1 har ikke sin ene rad.").arg(kLogHeadTable);
        return std::nullopt;
    }
    return Head{s.getText(1).toLongLong(), s.getText(2).toLatin1(), s.getText(3).toLongLong(), s.getText(4)};
}

bool setHead(Database& db, const Head& head, QString* error)
{
    Statement s(db);
    const bool set = s.prepare(QStringLiteral("UPDATE %1 SET LOPENR = ?, KJEDE = ?, KJEDET_TIL = ?, KJEDET_TID = ?")
                                   .arg(kLogHeadTable))
                     && s.bindInt(1, int(head.number)) && s.bindText(2, QString::fromLatin1(head.digest))
                     && s.bindInt(3, int(head.chainedUpTo))
                     && (head.chainedAt.isEmpty() ? s.bindNull(4) : s.bindText(4, head.chainedAt)) && s.execute();
    if (set && s.rowCount() == 1)
        return true;
    *error = set ? QStringLiteral("Tabellen %1 har ikke sin ene rad.").arg(kLogHeadTable) : s.errorText();
    return false;
}

bool bindText(Statement& s, int position, const QString& text)
{
    return text.isEmpty() ? s.bindNull(position) : s.bindText(position, text);
}

QString described(const ChainedRow& row)
{
    return QStringLiteral("rad nummer %1 (%2, %3, %4)").arg(row.number).arg(row.time, row.user, row.event);
}

} // namespace

QByteArray LogRowDigest(const QByteArray& previous, const ChainedRow& row)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(previous);
    // Each column with its length first: no choice of texts can shift one column into another.
    for (const QString& column :
         {QString::number(row.number), row.time, row.user, row.event, row.person, row.program, row.note}) {
        const QByteArray bytes = column.toUtf8();
        hash.addData(QByteArray::number(bytes.size()) + ':');
        hash.addData(bytes);
    }
    return hash.result().toHex();
}

// A row with its digest, as the statement writes it.
struct DigestedRow {
    ChainedRow row;
    QByteArray digest;
};

struct LogAppender::State {
    State(Database& db, int rowsPerStatement)
        : db(db)
        , rows(db, QStringLiteral("INSERT INTO LOGG (%1, KJEDE) VALUES (?, ?, ?, ?, ?, ?, ?, ?)").arg(kRowColumns),
               rowsPerStatement,
               [](Statement& insert, const DigestedRow& r, int n) {
                   const ChainedRow& row = r.row;
                   return insert.bindInt(n, int(row.number)) && insert.bindText(n + 1, row.time)
                          && insert.bindText(n + 2, row.user) && insert.bindText(n + 3, row.event)
                          && (row.person.isEmpty() ? insert.bindNull(n + 4) : insert.bindInt(n + 4, row.person.toInt()))
                          && insert.bindText(n + 5, row.program) && bindText(insert, n + 6, row.note)
                          && insert.bindText(n + 7, QString::fromLatin1(r.digest));
               })
    {
    }
    // nullopt when the rows last written all stood.
    std::optional<QString> written(bool ok)
    {
        if (!ok)
            return rows.errorText();
        // A trigger can make the database drop a row without a word.
        if (rows.rowCount() != rows.written())
            return QStringLiteral("Databasen tok ikke imot raden i tilgangsloggen (en utløser i databasen holdt den tilbake).");
        return std::nullopt;
    }

    Database& db;
    BatchInsert<DigestedRow> rows;
    std::optional<Head> head;
    bool changed = false;
};

LogAppender::LogAppender(Database& db, int rowsPerStatement)
    : m(std::make_unique<State>(db, rowsPerStatement))
{
}

LogAppender::~LogAppender() = default;

std::optional<QString> LogAppender::append(ChainedRow row)
{
    Database& db = m->db;
    if (!m->head) {
        if (isServer(db)) {
            Statement lock(db);
            if (!lock.execDirect(QLatin1String(kServerChainLock)))
                return lock.errorText();
        }
        QString error;
        auto head = readHead(db, &error);
        if (!head)
            return error;
        // Past a row another tool put at the end, which the chain then shows.
        Statement highest(db);
        if (!highest.execDirect(QStringLiteral("SELECT MAX(LOPENR) FROM LOGG")) || highest.fetch() != Fetch::Row)
            return highest.errorText();
        head->number = std::max(head->number, highest.getText(1).toLongLong());
        m->head = std::move(head);
    }
    Head& head = *m->head;
    row.number = head.number + 1;
    QByteArray digest = LogRowDigest(head.digest, row);
    head.digest = digest;
    head.number = row.number;
    m->changed = true;
    const bool ok = m->rows.add(DigestedRow{std::move(row), std::move(digest)});
    // A queued row is written, and checked, with the rows after it.
    if (ok && m->rows.waiting() > 0)
        return std::nullopt;
    return m->written(ok);
}

std::optional<QString> LogAppender::finish()
{
    if (!m->changed)
        return std::nullopt;
    const bool ok = m->rows.flush();
    if (auto failure = m->written(ok))
        return failure;
    QString error;
    if (!setHead(m->db, *m->head, &error))
        return error;
    m->changed = false;
    return std::nullopt;
}

std::optional<QString> AppendLogRow(Database& db, ChainedRow row)
{
    Transaction transaction(db);
    if (!transaction.started())
        return db.diagnostic();
    LogAppender appender(db);
    if (auto failure = appender.append(std::move(row)))
        return failure;
    if (auto failure = appender.finish())
        return failure;
    if (!transaction.commit())
        return db.diagnostic();
    return std::nullopt;
}

std::optional<LogVerdict> VerifyAccessLog(Database& db, QString* error)
{
    // One moment of the log: rows written meanwhile must not look like a break.
    Transaction snapshot(db, Transaction::Kind::Snapshot);
    const auto head = readHead(db, error);
    if (!head)
        return std::nullopt;
    Statement s(db);
    if (!s.execDirect(QStringLiteral("SELECT %1, KJEDE FROM LOGG ORDER BY LOPENR").arg(kRowColumns))) {
        *error = s.errorText();
        return std::nullopt;
    }
    const auto broken = [](const QString& what) {
        return LogVerdict{false, QStringLiteral("Tilgangsloggen er ikke hel: %1").arg(what)};
    };
    QByteArray previous;
    qint64 previousNumber = 0;
    int rows = 0;
    for (Fetch fetched = s.fetch(); fetched != Fetch::NoData; fetched = s.fetch()) {
        if (fetched == Fetch::Error) {
            *error = s.errorText();
            return std::nullopt;
        }
        const ChainedRow row = readRow(s);
        const QByteArray stored = s.getText(8).toLatin1();
        if (stored != LogRowDigest(previous, row)) {
            if (row.number > previousNumber + 1)
                return broken(QStringLiteral("%1 følger ikke etter rad nummer %2. Radene mellom dem er fjernet, eller "
                                             "raden er endret eller satt inn utenom programmet.")
                                  .arg(described(row))
                                  .arg(previousNumber));
            return broken(QStringLiteral("%1 er endret etter at den ble skrevet, eller satt inn utenom programmet.")
                              .arg(described(row)));
        }
        previous = stored;
        previousNumber = row.number;
        ++rows;
        // The newest row the program wrote: anything after it came from elsewhere.
        if (row.number == head->number && stored != head->digest)
            return broken(QStringLiteral("%1 er ikke den raden programmet sist skrev.").arg(described(row)));
    }
    if (previousNumber > head->number)
        return broken(QStringLiteral("rad nummer %1 og radene etter den er satt inn utenom programmet.")
                          .arg(head->number + 1));
    if (previousNumber < head->number || previous != head->digest)
        return broken(QStringLiteral("de nyeste radene, etter rad nummer %1 og til og med nummer %2, er fjernet.")
                          .arg(previousNumber)
                          .arg(head->number));
    QString text = QStringLiteral("Tilgangsloggen er hel (%1 rader)").arg(rows);
    if (head->chainedUpTo > 0)
        text += QStringLiteral("\nRadene til og med nummer %1 ble skrevet før loggen fikk kjeden, og ble kjedet %2; "
                               "for dem viser kjeden bare at ingenting er endret siden da.")
                    .arg(head->chainedUpTo)
                    .arg(head->chainedAt);
    return LogVerdict{true, text};
}

bool ChainOlderAccessLog(Database& db)
{
    Transaction transaction(db);
    if (!transaction.started())
        return false;
    Statement hasColumn(db);
    if (!hasColumn.execDirect(QStringLiteral("SELECT KJEDE FROM LOGG WHERE 1 = 0"))) {
        Statement add(db);
        if (!add.execDirect(QStringLiteral("ALTER TABLE LOGG ADD COLUMN KJEDE VARCHAR(64)")))
            return false;
    }
    std::vector<ChainedRow> rows;
    {
        Statement s(db);
        if (!s.execDirect(QStringLiteral("SELECT %1 FROM LOGG ORDER BY LOPENR").arg(kRowColumns)))
            return false;
        for (Fetch fetched = s.fetch(); fetched != Fetch::NoData; fetched = s.fetch()) {
            if (fetched == Fetch::Error)
                return false;
            rows.push_back(readRow(s));
        }
    }
    Head head;
    for (const ChainedRow& row : rows) {
        head.digest = LogRowDigest(head.digest, row);
        head.number = row.number;
        Statement set(db);
        if (!set.prepare(QStringLiteral("UPDATE LOGG SET KJEDE = ? WHERE LOPENR = %1").arg(row.number))
            || !set.bindText(1, QString::fromLatin1(head.digest)) || !set.execute())
            return false;
    }
    head.chainedUpTo = head.number;
    head.chainedAt = head.number > 0 ? now() : QString();
    Statement clear(db);
    Statement start(db);
    QString error;
    return clear.execDirect(QStringLiteral("DELETE FROM %1").arg(kLogHeadTable))
           && start.execDirect(QStringLiteral("INSERT INTO %1 (LOPENR, KJEDE, KJEDET_TIL) VALUES (0, '', 0)").arg(kLogHeadTable))
           && setHead(db, head, &error) && transaction.commit();
}

bool GuardAccessLog(Database& db)
{
    if (isServer(db))
        return true;
    const std::pair<const char*, const char*> guards[] = {
        {"LOGG_KAN_IKKE_ENDRES", "UPDATE"},
        {"LOGG_KAN_IKKE_SLETTES", "DELETE"},
    };
    Statement present(db);
    if (!present.execDirect(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'trigger' AND name IN "
                                           "('LOGG_KAN_IKKE_ENDRES', 'LOGG_KAN_IKKE_SLETTES')"))
        || present.fetch() != Fetch::Row)
        return false;
    if (present.getInt(1).value_or(0) == int(std::size(guards)))
        return true;
    present.closeCursor();
    for (const auto& [name, action] : guards) {
        Statement create(db);
        if (!create.execDirect(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 BEFORE %2 ON LOGG BEGIN SELECT RAISE(ABORT, "
                                              "'Tilgangsloggen kan bare få nye rader: en rad i den kan ikke endres eller "
                                              "slettes.'); END")
                                   .arg(QLatin1String(name), QLatin1String(action))))
            return false;
    }
    return true;
}

} // namespace tavlo
