#include "store/accounts/ServerRoles.h"

#include "store/accounts/AccessLog.h"
#include "store/accounts/Crypto.h"
#include "store/connection/ConnectionString.h"
#include "store/connection/Database.h"
#include "store/creation/NewDatabase.h"
#include "store/accounts/PasswordHash.h"
#include "store/connection/Schema.h"

#include <QByteArray>


#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tavlo {

namespace {

const QString kUnchanged = QStringLiteral("Ingenting er endret.");
const QString kExaminersSuffix = QStringLiteral("_undersokere");
constexpr int kRoleNameLongest = 63; // the server cuts longer identifiers without a word
constexpr int kConnectSeconds = 5;

// What examiners may do, table by table; everything else is the administrator's.
const std::pair<const char*, const char*> kExaminerRights[] = {
    {"SELECT, INSERT, UPDATE, DELETE", "TESTPERSON, TESTPERSON_COUNTER, TESTDATA_TAVLO, TESTDATA_TAVLO_MF"},
    {"SELECT", "NORMER_TAVLO, NORMGRUPPER_TAVLO, SKJEMATILLEGG"},
    {"SELECT, INSERT", "LOGG"},
    {"SELECT, UPDATE", "LOGGHODE"},
};

// The log's user column is the session's role, whatever the statement says: a row under
// another name is refused, a row without one gets it. Nobody may change or remove a row.
const char* const kLogGuards[] = {
    "CREATE OR REPLACE FUNCTION logg_bruker() RETURNS trigger LANGUAGE plpgsql AS $f$ "
    "BEGIN "
    "IF NEW.BRUKER IS NULL THEN NEW.BRUKER := left(session_user, 50); "
    "ELSIF NEW.BRUKER <> left(session_user, 50) THEN "
    "RAISE EXCEPTION 'Tilgangsloggen skrives under innlogget rolle (%), ikke under %.', session_user, NEW.BRUKER; "
    "END IF; RETURN NEW; END $f$",
    "CREATE OR REPLACE FUNCTION logg_uendret() RETURNS trigger LANGUAGE plpgsql AS $f$ "
    "BEGIN RAISE EXCEPTION 'Tilgangsloggen kan bare få nye rader: en rad i den kan ikke endres eller slettes.'; "
    "END $f$",
    "DROP TRIGGER IF EXISTS LOGG_BRUKER ON LOGG",
    "CREATE TRIGGER LOGG_BRUKER BEFORE INSERT ON LOGG FOR EACH ROW EXECUTE FUNCTION logg_bruker()",
    "DROP TRIGGER IF EXISTS LOGG_KAN_IKKE_ENDRES ON LOGG",
    "CREATE TRIGGER LOGG_KAN_IKKE_ENDRES BEFORE UPDATE OR DELETE ON LOGG FOR EACH ROW EXECUTE FUNCTION logg_uendret()",
    "DROP TRIGGER IF EXISTS LOGG_KAN_IKKE_TOMMES ON LOGG",
    "CREATE TRIGGER LOGG_KAN_IKKE_TOMMES BEFORE TRUNCATE ON LOGG FOR EACH STATEMENT EXECUTE FUNCTION logg_uendret()",
    "ALTER TABLE LOGG ALTER COLUMN BRUKER SET DEFAULT left(session_user, 50)",
};

bool run(Database& db, const QString& sql, QString* error)
{
    Statement s(db);
    if (s.execDirect(sql))
        return true;
    *error = s.errorText();
    return false;
}

// The first column of the first row, or nullopt with the reason.
std::optional<QString> single(Database& db, const QString& sql, const QStringList& values, QString* error)
{
    Statement s(db);
    bool ok = s.prepare(sql);
    for (qsizetype i = 0; ok && i < values.size(); ++i)
        ok = s.bindText(int(i) + 1, values[i]);
    if (!ok || !s.execute()) {
        *error = s.errorText();
        return std::nullopt;
    }
    switch (s.fetch()) {
    case Fetch::Row:
        return s.getText(1);
    case Fetch::NoData:
        return QString();
    case Fetch::Error:
        break;
    }
    *error = s.errorText();
    return std::nullopt;
}

bool roleExists(Database& db, const QString& role, QString* error, bool* exists)
{
    const auto found = single(db, QStringLiteral("SELECT rolname FROM pg_catalog.pg_roles WHERE rolname = ?"), {role}, error);
    if (found)
        *exists = !found->isEmpty();
    return found.has_value();
}

// The roles that are members of the group given as the first parameter.
const QString kMembers = QStringLiteral("SELECT r.rolname FROM pg_catalog.pg_auth_members m "
                                        "JOIN pg_catalog.pg_roles r ON r.oid = m.member "
                                        "JOIN pg_catalog.pg_roles g ON g.oid = m.roleid WHERE g.rolname = ?");

std::optional<bool> inGroup(Database& db, const QString& user, const QString& group, QString* error)
{
    const auto found = single(db, kMembers + QStringLiteral(" AND r.rolname = ?"), {group, user}, error);
    if (!found)
        return std::nullopt;
    return !found->isEmpty();
}

// A role change that failed: the sentence naming the user first, then the server's reason.
UserChange roleChangeFailed(QString* message, const QString& sentence, const QString& reason)
{
    *message = sentence + u' ' + kUnchanged + QStringLiteral("\n\n") + reason;
    return UserChange::Failed;
}

// The examiners' group inside a role change's transaction, or nullopt with the reason.
std::optional<QString> examinersIn(const Transaction& transaction, Database& db, QString* error)
{
    if (!transaction.started()) {
        *error = db.errorText();
        return std::nullopt;
    }
    return ExaminersRole(db, error);
}

// SASLprep as the server's client library applies it before SCRAM: blanks of other kinds
// become a space, characters that map to nothing go, the rest is NFKC. Where the library
// would give up on the prepared form (a control or private character), it uses the password
// as typed, and so do we.
QByteArray prepared(const QString& password)
{
    bool ascii = true;
    for (const QChar c : password)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return password.toUtf8();
    QString mapped;
    for (const QChar c : password) {
        const char16_t u = c.unicode();
        if (u == 0x00AD || u == 0x034F || u == 0x1806 || (u >= 0x180B && u <= 0x180D) || (u >= 0x200B && u <= 0x200D)
            || u == 0x2060 || (u >= 0xFE00 && u <= 0xFE0F) || u == 0xFEFF)
            continue;
        if (u != u' ' && c.category() == QChar::Separator_Space)
            mapped += u' ';
        else
            mapped += c;
    }
    mapped = mapped.normalized(QString::NormalizationForm_KC);
    for (const QChar c : mapped) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_PrivateUse
            || c.category() == QChar::Other_Surrogate || c.category() == QChar::Other_NotAssigned)
            return password.toUtf8();
    }
    return mapped.toUtf8();
}

} // namespace

QString QuotedIdentifier(const QString& name)
{
    QString inner = name;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

QString QuotedLiteral(const QString& text)
{
    QString inner = text;
    inner.replace(u'\'', QStringLiteral("''"));
    return u'\'' + inner + u'\'';
}

std::optional<QString> ExaminersRole(Database& db, QString* error)
{
    const auto database = single(db, QStringLiteral("SELECT current_database()"), {}, error);
    if (!database)
        return std::nullopt;
    const QString role = *database + kExaminersSuffix;
    if (role.toUtf8().size() > kRoleNameLongest) {
        *error = QStringLiteral("Navnet på databasen (%1) er for langt til å gi navn til undersøkernes gruppe; "
                                "gi databasen et navn på høyst %2 tegn.")
                     .arg(*database)
                     .arg(kRoleNameLongest - 12);
        return std::nullopt;
    }
    return role;
}

QString ScramVerifier(const QString& password, int iterations)
{
    const QByteArray salt = RandomBytes(16);
    if (salt.isEmpty())
        return {};
    const QByteArray salted = Pbkdf2Sha256(prepared(password), salt, iterations);
    if (salted.isEmpty())
        return {};
    const QByteArray clientKey = HmacSha256(salted, "Client Key");
    const QByteArray storedKey = clientKey.isEmpty() ? QByteArray() : Sha256(clientKey);
    const QByteArray serverKey = HmacSha256(salted, "Server Key");
    if (storedKey.isEmpty() || serverKey.isEmpty())
        return {};
    return QStringLiteral("SCRAM-SHA-256$%1:%2$%3:%4")
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(storedKey.toBase64()),
             QString::fromLatin1(serverKey.toBase64()));
}

bool SetUpServerRoles(Database& db, QString* error)
{
    const auto group = ExaminersRole(db, error);
    if (!group)
        return false;
    bool exists = false;
    if (!roleExists(db, *group, error, &exists))
        return false;
    if (!exists && !run(db, QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(QuotedIdentifier(*group)), error))
        return false;
    // The group is named after the database.
    const QString database = group->chopped(kExaminersSuffix.size());
    const QString quotedGroup = QuotedIdentifier(*group);
    QStringList statements = {
        // Any role of the server could otherwise connect and read what PUBLIC may.
        QStringLiteral("REVOKE ALL ON DATABASE %1 FROM PUBLIC").arg(QuotedIdentifier(database)),
        QStringLiteral("GRANT CONNECT ON DATABASE %1 TO %2").arg(QuotedIdentifier(database), quotedGroup),
        QStringLiteral("REVOKE CREATE ON SCHEMA public FROM PUBLIC"),
        QStringLiteral("GRANT USAGE ON SCHEMA public TO %1").arg(quotedGroup),
    };
    for (const auto& [rights, tables] : kExaminerRights)
        statements.append(
            QStringLiteral("GRANT %1 ON %2 TO %3").arg(QLatin1String(rights), QLatin1String(tables), quotedGroup));
    for (const char* guard : kLogGuards)
        statements.append(QString::fromUtf8(guard));
    for (const QString& sql : statements) {
        if (!run(db, sql, error))
            return false;
    }
    return true;
}

std::optional<QString> ServerUnreachable(const QString& connectionTemplate)
{
    const ServerAddress address = ServerAddressOf(connectionTemplate);
    const QString host = address.host.trimmed();
    const QString port = address.port.trimmed();
    const QString where = QStringLiteral("Databasetjeneren %1 (port %2)").arg(host, port);
    const QString ask = QStringLiteral(" Kontroller at tjeneren er i gang og at nettverket virker, eller spør den som har "
                                       "ansvar for databasen.");
    if (host.isEmpty())
        return QStringLiteral("Virod.mdw nevner ingen databasetjener (Server=).");
    if (host.startsWith(u'/')) {
        // A folder of the server's local socket, as its client library reads it.
        struct stat info {};
        const QByteArray socketPath = (host + QStringLiteral("/.s.PGSQL.") + port).toLocal8Bit();
        if (stat(socketPath.constData(), &info) == 0 && S_ISSOCK(info.st_mode))
            return std::nullopt;
        return where + QStringLiteral(" svarer ikke.") + ask;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toLocal8Bit().constData(), port.toLatin1().constData(), &hints, &found) != 0 || !found)
        return QStringLiteral("Databasetjeneren %1 finnes ikke i navnetjenesten.").arg(host) + ask;
    bool answered = false;
    for (addrinfo* a = found; a && !answered; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            answered = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int error = 0;
            socklen_t length = sizeof error;
            answered = poll(&p, 1, kConnectSeconds * 1000) == 1
                       && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        }
        close(fd);
    }
    freeaddrinfo(found);
    if (answered)
        return std::nullopt;
    return where + QStringLiteral(" svarer ikke.") + ask;
}

bool RefusedLogin(const QString& driverText)
{
    // The client library's words for a refused role or password (which of the two, the server
    // does not say), and for a role shut out of this database. A database that does not exist
    // is the folder's fault, not the login's.
    if (driverText.contains(QLatin1String("database \""), Qt::CaseInsensitive)
        && driverText.contains(QLatin1String("does not exist"), Qt::CaseInsensitive))
        return false;
    for (const char* words : {"password authentication failed", "authentication failed for user",
                              "permission denied for database", "no pg_hba.conf entry", "is not permitted to log in",
                              "does not exist"}) {
        if (driverText.contains(QLatin1String(words), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

UserChange AddServerUser(Database& db, const QString& user, const QString& password, QString* message)
{
    if (const auto refusal = CheckNewLogin(user, password)) {
        *message = *refusal + u' ' + kUnchanged;
        return UserChange::Refused;
    }
    if (user.contains(u';') || user.contains(u'{') || user.contains(u'}')) {
        *message = kUnsendableName + u' ' + kUnchanged;
        return UserChange::Refused;
    }
    const QString verifier = ScramVerifier(password);
    if (verifier.isEmpty()) {
        *message = QStringLiteral("Systemet ga ingen tilfeldige tall til passordet. ") + kUnchanged;
        return UserChange::Failed;
    }
    QString error;
    const auto failed = [&](const QString& reason) {
        return roleChangeFailed(message, QStringLiteral("Brukeren %1 kunne ikke legges til på databasetjeneren.").arg(user),
                                reason);
    };
    Transaction transaction(db);
    const auto group = examinersIn(transaction, db, &error);
    if (!group)
        return failed(error);
    bool exists = false;
    if (!roleExists(db, user, &error, &exists))
        return failed(error);
    if (exists) {
        const auto member = inGroup(db, user, *group, &error);
        if (!member)
            return failed(error);
        *message = (*member ? QStringLiteral("Brukeren %1 finnes allerede. ").arg(user)
                            : QStringLiteral("Rollen %1 finnes allerede på databasetjeneren, men er ikke undersøker i "
                                             "denne databasen. Velg et annet navn. ")
                                  .arg(user))
                   + kUnchanged;
        return UserChange::Refused;
    }
    if (!run(db,
             QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD %2 IN ROLE %3")
                 .arg(QuotedIdentifier(user), QuotedLiteral(verifier), QuotedIdentifier(*group)),
             &error))
        return failed(error);
    if (!LogAccess(db, AccessEvent::UserAdded, 0, user) || !transaction.commit()) {
        *message = kUnchanged;
        return UserChange::Failed;
    }
    *message = QStringLiteral("Brukeren %1 er lagt til.").arg(user);
    return UserChange::Done;
}

UserChange RemoveServerUser(Database& db, const QString& user, QString* message)
{
    QString error;
    const auto failed = [&](const QString& reason) {
        return roleChangeFailed(message, QStringLiteral("Brukeren %1 kunne ikke fjernes fra databasetjeneren.").arg(user),
                                reason);
    };
    Transaction transaction(db);
    const auto group = examinersIn(transaction, db, &error);
    const auto member = group ? inGroup(db, user, *group, &error) : std::nullopt;
    if (!member)
        return failed(error);
    // Only the examiners of this database: never the administrator or another clinic's role.
    if (!*member) {
        *message = QStringLiteral("Brukeren %1 finnes ikke. Ingenting er endret.").arg(user);
        return UserChange::Refused;
    }
    if (!run(db, QStringLiteral("DROP ROLE %1").arg(QuotedIdentifier(user)), &error))
        return failed(error);
    if (!LogAccess(db, AccessEvent::UserRemoved, 0, user) || !transaction.commit()) {
        *message = kUnchanged;
        return UserChange::Failed;
    }
    *message = QStringLiteral("Brukeren %1 er fjernet.").arg(user);
    return UserChange::Done;
}

std::optional<std::vector<UserRow>> ListServerUsers(Database& db, QString* error)
{
    const auto failed = [&](const QString& reason) {
        *error = QStringLiteral("Brukerne kunne ikke leses fra databasetjeneren.\n\n") + reason;
        return std::nullopt;
    };
    QString why;
    const auto group = ExaminersRole(db, &why);
    if (!group)
        return failed(why);
    Statement s(db);
    if (!s.prepare(kMembers + QStringLiteral(" ORDER BY r.rolname"))
        || !s.bindText(1, *group) || !s.execute())
        return failed(s.errorText());
    std::vector<UserRow> users;
    for (Fetch fetched; (fetched = s.fetch()) != Fetch::NoData;) {
        bool ok = fetched == Fetch::Row;
        const QString name = ok ? s.getText(1, &ok) : QString();
        if (!ok)
            return failed(s.errorText());
        users.push_back({name, true});
    }
    return users;
}

int ChangeServerPassword(Database& db, const QString& password)
{
    const QString verifier = ScramVerifier(password);
    if (verifier.isEmpty()) {
        db.tellUser(QStringLiteral("Systemet ga ingen tilfeldige tall til passordet. Passordet er ikke endret."),
                    MessageIcon::Stop);
        return 0;
    }
    Transaction transaction(db);
    if (!transaction.started())
        return db.DbReportError();
    Statement s(db);
    if (!s.execDirect(QStringLiteral("ALTER ROLE SESSION_USER PASSWORD %1").arg(QuotedLiteral(verifier))))
        return s.report();
    if (!LogAccess(db, AccessEvent::PasswordChanged))
        return 0;
    return transaction.commit() ? 1 : 0;
}

UpgradeResult UpgradeToOwnRoles(Database& db, QString* message)
{
    QString error;
    const auto failed = [&](const QString& reason) {
        *message = QStringLiteral("Databasen er ikke flyttet til egne roller: %1 Ingenting er endret.").arg(reason);
        return UpgradeResult::Failed;
    };
    Transaction transaction(db);
    if (!transaction.started())
        return failed(db.errorText());
    const auto me = single(db, QStringLiteral("SELECT session_user"), {}, &error);
    const auto database = me ? single(db, QStringLiteral("SELECT current_database()"), {}, &error) : std::nullopt;
    const auto owner = database ? single(db,
                                         QStringLiteral("SELECT tableowner FROM pg_catalog.pg_tables "
                                                        "WHERE schemaname = current_schema() AND tablename = 'testperson'"),
                                         {}, &error)
                                : std::nullopt;
    const auto databaseOwner =
        owner ? single(db,
                       QStringLiteral("SELECT r.rolname FROM pg_catalog.pg_database d JOIN pg_catalog.pg_roles r "
                                      "ON r.oid = d.datdba WHERE d.datname = current_database()"),
                       {}, &error)
              : std::nullopt;
    const auto group = databaseOwner ? ExaminersRole(db, &error) : std::nullopt;
    bool grouped = false;
    if (!group || !roleExists(db, *group, &error, &grouped))
        return failed(error);
    if (owner->isEmpty())
        return failed(QStringLiteral("databasen har ikke tabellene til TAVLO-II."));
    if (*owner == *me && grouped) {
        *message = QStringLiteral("Databasen har allerede egne roller, og %1 eier den. Ingenting er endret.").arg(*me);
        return UpgradeResult::Refused;
    }
    const QString old = *owner;
    bool grantedHere = false;
    if (old != *me) {
        // Whoever moves the tables acts as their old owner for the moment it takes.
        const auto member = single(
            db, QStringLiteral("SELECT CASE WHEN pg_has_role(session_user, ?, 'MEMBER') THEN 'ja' END"), {old}, &error);
        if (!member)
            return failed(error);
        if (member->isEmpty()) {
            if (!run(db, QStringLiteral("GRANT %1 TO SESSION_USER").arg(QuotedIdentifier(old)), &error))
                return failed(QStringLiteral("%1 kan ikke overta tabellene fra %2. Tjenerens superbruker må først gi "
                                             "tilgang med GRANT %3 TO %4 WITH ADMIN OPTION. (%5)")
                                  .arg(*me, old, QuotedIdentifier(old), QuotedIdentifier(*me), error));
            grantedHere = true;
        }
        if (*databaseOwner != *me
            && !run(db, QStringLiteral("ALTER DATABASE %1 OWNER TO SESSION_USER").arg(QuotedIdentifier(*database)),
                    &error))
            return failed(QStringLiteral("%1 kan ikke bli eier av databasen %2. Tjenerens superbruker må først gjøre "
                                         "det med ALTER DATABASE %3 OWNER TO %4. (%5)")
                              .arg(*me, *database, QuotedIdentifier(*database), QuotedIdentifier(*me), error));
        for (const QString& table : SchemaTables()) {
            if (!run(db, QStringLiteral("ALTER TABLE %1 OWNER TO SESSION_USER").arg(table), &error))
                return failed(error);
        }
    }
    // Today's tables first: the guards set up next let nothing touch the log's older rows.
    if (!BringSchemaUpToDate(db))
        return failed(db.errorText());
    if (!SetUpServerRoles(db, &error))
        return failed(error);
    // From here the shared account opens nothing: not this database, not any other.
    if (old != *me) {
        if (!run(db, QStringLiteral("ALTER ROLE %1 NOLOGIN PASSWORD NULL").arg(QuotedIdentifier(old)), &error))
            return failed(QStringLiteral("den gamle kontoen %1 kan ikke stenges. (%2)").arg(old, error));
        if (grantedHere && !run(db, QStringLiteral("REVOKE %1 FROM SESSION_USER").arg(QuotedIdentifier(old)), &error))
            return failed(error);
    }
    QStringList examiners;
    {
        Statement s(db);
        if (!s.execDirect(QStringLiteral("SELECT USERID FROM SEC ORDER BY USERID")))
            return failed(s.errorText());
        for (Fetch fetched; (fetched = s.fetch()) == Fetch::Row;)
            examiners.append(s.getText(1));
    }
    if (!LogAccess(db, AccessEvent::RolesIntroduced, 0, old) || !transaction.commit())
        return failed(db.errorText());
    QString text = old == *me ? QStringLiteral("Databasen %1 har fått egne roller. %2 eier den.").arg(*database, *me)
                              : QStringLiteral("Databasen %1 har fått egne roller. %2 eier den nå, og den gamle felles "
                                               "kontoen %3 kan ikke lenger logge inn.")
                                    .arg(*database, *me, old);
    if (!examiners.isEmpty())
        text += QStringLiteral("\nHver undersøker logger nå inn med en egen rolle på tjeneren. Legg dem til med "
                               "«tavlo-ii-cli user add MAPPE NAVN --user %1»: %2")
                    .arg(*me, examiners.join(QStringLiteral(", ")));
    *message = text;
    return UpgradeResult::Upgraded;
}

} // namespace tavlo
