#include "store/accounts/AccessLog.h"

#include "store/connection/Database.h"
#include "store/accounts/LogChain.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

namespace tavlo {

namespace {

// The widths of the table's columns: a longer note (a deep path) is cut, never refused.
constexpr int kUserWidth = 50;
constexpr int kProgramWidth = 20;
constexpr int kNoteWidth = 255;

QString programName()
{
    const QString name = QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
    return name.isEmpty() ? QStringLiteral("tavlo") : name;
}

} // namespace

QString AccessLogFailure(const Database& db, const QString& reason)
{
    QString text = QStringLiteral("Tilgangsloggen kunne ikke skrives, og derfor er ingenting gjort.");
    // A copy on a read-only medium, or a file this account may not write: say so plainly.
    if (const QString file = ReadOnlyDatabaseFile(db); !file.isEmpty())
        text += QStringLiteral(" Databasen %1 kan bare leses.").arg(QDir::toNativeSeparators(file));
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + reason;
    return text;
}

QString AccessEventText(AccessEvent event)
{
    switch (event) {
    case AccessEvent::Login:
        return QStringLiteral("innlogget");
    case AccessEvent::LoginRefused:
        return QStringLiteral("innlogging avvist");
    case AccessEvent::Shown:
        return QStringLiteral("test vist");
    case AccessEvent::NewTest:
        return QStringLiteral("ny test lagret");
    case AccessEvent::Changed:
        return QStringLiteral("endring lagret");
    case AccessEvent::Deleted:
        return QStringLiteral("test slettet");
    case AccessEvent::Printed:
        return QStringLiteral("skrevet ut");
    case AccessEvent::Exported:
        return QStringLiteral("eksportert");
    case AccessEvent::BackedUp:
        return QStringLiteral("sikkerhetskopiert");
    case AccessEvent::NormsImported:
        return QStringLiteral("normer lest inn");
    case AccessEvent::Imported:
        return QStringLiteral("test lest inn");
    case AccessEvent::PasswordChanged:
        return QStringLiteral("passord endret");
    case AccessEvent::UserAdded:
        return QStringLiteral("bruker lagt til");
    case AccessEvent::UserRemoved:
        return QStringLiteral("bruker fjernet");
    case AccessEvent::Listed:
        return QStringLiteral("liste vist");
    case AccessEvent::RolesIntroduced:
        return QStringLiteral("egne roller innført");
    case AccessEvent::DocumentWritten:
        return QStringLiteral("dokument skrevet");
    }
    return {};
}

QString SystemAccountName()
{
    if (const passwd* account = getpwuid(geteuid()); account && account->pw_name && *account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QStringLiteral("uid %1").arg(geteuid()) : user;
}

namespace {

ChainedRow rowOf(const Database& db, AccessEvent event, int person, const QString& note, const QString& user)
{
    ChainedRow row;
    row.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    // On a server the row is the session's role's, whatever name was given: the server holds it to that.
    row.user = (user.isEmpty() || !db.serverRole().isEmpty() ? db.actor() : user).left(kUserWidth);
    row.event = AccessEventText(event);
    row.person = person > 0 ? QString::number(person) : QString();
    row.program = programName().left(kProgramWidth);
    row.note = note.left(kNoteWidth);
    return row;
}

// The row, or the message that it could not be written.
std::optional<QString> writeRow(Database& db, AccessEvent event, int person, const QString& note, const QString& user)
{
    if (const auto failure = AppendLogRow(db, rowOf(db, event, person, note, user)))
        return AccessLogFailure(db, *failure);
    return std::nullopt;
}

} // namespace

bool LogAccess(Database& db, AccessEvent event, int person, const QString& note, const QString& user)
{
    const auto failure = writeRow(db, event, person, note, user);
    if (failure)
        db.tellUser(*failure, MessageIcon::Stop);
    return !failure;
}

AccessLogBatch::AccessLogBatch(Database& db, int rowsPerStatement)
    : m_db(db)
    , m_appender(db, rowsPerStatement)
{
}

bool AccessLogBatch::log(AccessEvent event, int person, const QString& note)
{
    return told(m_appender.append(rowOf(m_db, event, person, note, {})));
}

bool AccessLogBatch::finish()
{
    return told(m_appender.finish());
}

bool AccessLogBatch::told(const std::optional<QString>& failure)
{
    if (failure)
        m_db.tellUser(AccessLogFailure(m_db, *failure), MessageIcon::Stop);
    return !failure;
}

bool LogAccessQuietly(Database& db, AccessEvent event, int person, const QString& note, QString* error)
{
    const auto failure = writeRow(db, event, person, note, {});
    if (failure)
        *error = *failure;
    return !failure;
}

bool LogListShown(Database& db, int tests)
{
    return LogAccess(db, AccessEvent::Listed, 0, QStringLiteral("%1 tester").arg(tests));
}

std::optional<std::vector<AccessLogRow>> ReadAccessLog(Database& db, const AccessLogFilter& filter, QString* error)
{
    QString sql = QStringLiteral("SELECT TIDSPUNKT, BRUKER, HENDELSE, ID, PROGRAM, MERKNAD FROM LOGG WHERE 1 = 1");
    if (filter.person)
        sql += QStringLiteral(" AND ID = ?");
    if (!filter.user.isEmpty())
        sql += QStringLiteral(" AND BRUKER = ?");
    if (!filter.since.isEmpty())
        sql += QStringLiteral(" AND TIDSPUNKT >= ?");
    sql += QStringLiteral(" ORDER BY LOPENR");
    Statement s(db);
    int position = 0;
    bool ok = s.prepare(sql);
    if (ok && filter.person)
        ok = s.bindInt(++position, *filter.person);
    if (ok && !filter.user.isEmpty())
        ok = s.bindText(++position, filter.user);
    if (ok && !filter.since.isEmpty())
        ok = s.bindText(++position, filter.since);
    if (!ok || !s.execute()) {
        *error = s.errorText();
        return std::nullopt;
    }
    std::vector<AccessLogRow> rows;
    for (;;) {
        const Fetch fetched = s.fetch();
        if (fetched == Fetch::NoData)
            return rows;
        bool read = fetched == Fetch::Row;
        AccessLogRow row;
        const auto text = [&](int column) {
            bool good = false;
            const QString value = s.getText(column, &good);
            read = read && good;
            return value;
        };
        if (read) {
            row.time = text(1);
            row.user = text(2);
            row.event = text(3);
            bool good = false;
            row.person = s.getInt(4, &good).value_or(0);
            read = read && good;
            row.program = text(5);
            row.note = text(6);
        }
        if (!read) {
            *error = s.errorText();
            return std::nullopt;
        }
        rows.push_back(std::move(row));
    }
}

} // namespace tavlo
