// The examiners who may log in, and the access log: user add/remove/list, log.
#include "cli/Cli.h"

#include "store/accounts/AccessLog.h"
#include "store/accounts/LogChain.h"
#include "store/accounts/Security.h"

#include <QDate>
#include <QDateTime>

#include <csignal>
#include <cstdio>
#include <optional>

#include <termios.h>
#include <unistd.h>

namespace tavlo::cli {

namespace {

// The terminal as it was before echo was turned off, for a Ctrl+C while a password is typed.
termios g_savedTerminal{};

extern "C" void restoreTerminalAndDie(int signal)
{
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// One line of standard input without its line end; nullopt at the end of input.
std::optional<QString> readLine()
{
    QByteArray line;
    for (int c; (c = std::fgetc(stdin)) != EOF;) {
        if (c == '\n')
            return QString::fromLocal8Bit(line.endsWith('\r') ? line.chopped(1) : line);
        line.append(char(c));
        if (line.size() > 1024)
            return QString::fromLocal8Bit(line); // no password is that long; the rules refuse it
    }
    if (line.isEmpty())
        return std::nullopt;
    return QString::fromLocal8Bit(line);
}

// One line typed at the terminal with echo off.
std::optional<QString> readHidden(const char* prompt)
{
    // Echo goes off before the prompt shows: what is typed after it is never discarded.
    termios hidden{};
    const bool canHide = tcgetattr(STDIN_FILENO, &g_savedTerminal) == 0;
    auto (*previous)(int) = SIG_DFL;
    if (canHide) {
        hidden = g_savedTerminal;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        previous = std::signal(SIGINT, restoreTerminalAndDie);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    const std::optional<QString> line = readLine();
    if (canHide) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
        std::signal(SIGINT, previous);
    }
    std::fputc('\n', stderr);
    return line;
}

} // namespace

std::optional<QString> serverPassword(const QString& connectionTemplate, const QString& role)
{
    if (const auto stored = passwordFromFile(connectionTemplate, role))
        return stored;
    if (!isatty(STDIN_FILENO)) {
        const auto line = readLine();
        if (!line)
            print(QStringLiteral("Passordet til rollen %1 skulle stått på en linje av standard inn (eller i "
                                 "passordfilen ~/.pgpass). Ingenting er gjort.")
                      .arg(role),
                  stderr);
        return line;
    }
    const QByteArray prompt = QStringLiteral("Passord for %1 på databasetjeneren: ").arg(role).toLocal8Bit();
    return readHidden(prompt.constData());
}

std::optional<QString> readNewPassword(const QString& user)
{
    if (!isatty(STDIN_FILENO)) {
        const auto line = readLine();
        if (!line)
            print(QStringLiteral("Passordet skulle stått på første linje av standard inn. Ingenting er endret."), stderr);
        return line;
    }
    const QByteArray prompt = QStringLiteral("Passord for %1: ").arg(user).toLocal8Bit();
    const auto first = readHidden(prompt.constData());
    if (!first)
        return std::nullopt;
    const auto again = readHidden("Gjenta passordet: ");
    if (!again || again->toUtf8() != first->toUtf8()) {
        print(QStringLiteral("Passordene er ikke like. Ingenting er endret."), stderr);
        return std::nullopt;
    }
    return first;
}

namespace {

int told(UserChange change, const QString& message)
{
    print(message, change == UserChange::Done ? stdout : stderr);
    return change == UserChange::Done ? kSuccess : kFailure;
}

int userAdd(const QString& folder, const QString& user)
{
    Database db;
    if (!connectFolder(db, folder))
        return kFailure;
    // Said before the password is typed.
    if (const auto refusal = NewUserRefusal(db, user)) {
        print(*refusal, stderr);
        return kFailure;
    }
    const auto password = readNewPassword(user);
    if (!password)
        return kFailure;
    QString message;
    const UserChange change = AddUser(db, user, *password, &message);
    return told(change, message);
}

int userRemove(const QString& folder, const QString& user)
{
    Database db;
    if (!connectFolder(db, folder))
        return kFailure;
    QString message;
    const UserChange change = RemoveUser(db, user, &message);
    return told(change, message);
}

int userList(const QString& folder, bool header)
{
    Database db;
    if (!connectFolder(db, folder))
        return kFailure;
    QString error;
    const auto users = ListUsers(db, &error);
    if (!users) {
        print(error, stderr);
        return kFailure;
    }
    if (header)
        printHeader("user");
    for (const UserRow& row : *users)
        print(tsvField(row.name) + u'\t'
              + (!db.serverRole().isEmpty() ? QStringLiteral("rolle")
                 : row.hashed               ? QStringLiteral("hash")
                                            : QStringLiteral("klartekst")));
    return kSuccess;
}

// The start of --since in the log's own form: a date is its first moment (UTC), a time
// without a zone is taken as UTC.
std::optional<QString> sinceValue(const QString& given)
{
    const QDate date = QDate::fromString(given, Qt::ISODate);
    if (date.isValid() && given.size() == 10)
        return date.toString(Qt::ISODate);
    QDateTime time = QDateTime::fromString(given, Qt::ISODateWithMs);
    if (!time.isValid())
        return std::nullopt;
    if (time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    return time.toUTC().toString(Qt::ISODateWithMs);
}

// log --verify: the chain walked from the first row.
int verifyLog(const QStringList& args)
{
    if (args.size() != 1)
        return usageFor("log");
    Database db;
    if (!connectFolder(db, args[0]))
        return kFailure;
    QString error;
    const auto verdict = VerifyAccessLog(db, &error);
    if (!verdict) {
        print(QStringLiteral("Tilgangsloggen kunne ikke leses, og derfor er den ikke kontrollert.\n\n") + error, stderr);
        return kFailure;
    }
    print(verdict->text, verdict->whole ? stdout : stderr);
    return verdict->whole ? kSuccess : kFailure;
}

} // namespace

int user(QStringList args)
{
    const bool header = takeFlag(args, kHeaderOption);
    const QString what = args.value(0);
    if (what == u"add" && args.size() == 3)
        return userAdd(args[1], args[2]);
    if (what == u"remove" && args.size() == 3)
        return userRemove(args[1], args[2]);
    if (what == u"list" && args.size() == 2)
        return userList(args[1], header);
    return usageFor("user");
}

int log(QStringList args)
{
    const bool header = takeFlag(args, kHeaderOption);
    if (takeFlag(args, QStringLiteral("--verify")))
        return verifyLog(args);
    AccessLogFilter filter;
    const bool personGiven = args.contains(QStringLiteral("--person"));
    const QString person = takeOption(args, QStringLiteral("--person"));
    const bool userGiven = args.contains(QStringLiteral("--user"));
    filter.user = takeOption(args, QStringLiteral("--user"));
    const bool sinceGiven = args.contains(QStringLiteral("--since"));
    const QString since = takeOption(args, QStringLiteral("--since"));
    bool numeric = false;
    if (personGiven) {
        filter.person = person.toInt(&numeric);
        if (!numeric || *filter.person < 1) {
            print(QStringLiteral("--person må være et testpersonnummer (1 eller mer)."), stderr);
            return usageFor("log");
        }
    }
    if (sinceGiven) {
        const auto start = sinceValue(since);
        if (!start) {
            print(QStringLiteral("--since må være en dato som 2026-12-07 eller et tidspunkt som 2026-12-07T14:30 (UTC)."),
                  stderr);
            return usageFor("log");
        }
        filter.since = *start;
    }
    if (args.size() != 1 || (userGiven && filter.user.isEmpty()))
        return usageFor("log");
    Database db;
    if (!connectFolder(db, args[0]))
        return kFailure;
    QString error;
    const auto rows = ReadAccessLog(db, filter, &error);
    if (!rows) {
        print(error, stderr);
        return kFailure;
    }
    if (header)
        printHeader("log");
    for (const AccessLogRow& row : *rows) {
        print(QStringList{row.time, tsvField(row.user), row.event, row.person > 0 ? QString::number(row.person) : QString(),
                          tsvField(row.program), tsvField(row.note)}
                  .join(u'\t'));
    }
    return kSuccess;
}

} // namespace tavlo::cli
