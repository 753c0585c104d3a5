#include "store/accounts/Security.h"

#include "store/accounts/AccessLog.h"
#include "store/creation/NewDatabase.h"
#include "store/accounts/PasswordHash.h"
#include "store/accounts/ServerRoles.h"

namespace tavlo {

namespace {

const QString kUnchanged = QStringLiteral("Ingenting er endret.");

// The comparison of a row kept as typed: at most ten characters are read back, exactly.
bool matchesAsTyped(const QString& stored, const QString& password)
{
    const QByteArray expected = stored.left(10).toUtf8();
    return !expected.isEmpty() && expected == password.toUtf8();
}

// Replaces the stored value only if it is still the one that matched: a change made by
// another examiner in the meantime stands.
bool replaceStored(Database& db, const QString& user, const QString& stored, const QString& password)
{
    const QString digest = HashPassword(password);
    Statement s(db);
    if (digest.isEmpty() || !s.prepare(QStringLiteral("UPDATE SEC SET PASSWORD = ? WHERE USERID = ? AND PASSWORD = ?"))
        || !s.bindText(1, digest) || !s.bindText(2, user) || !s.bindText(3, stored) || !s.execute()) {
        s.report();
        return false;
    }
    return true;
}

bool onServer(const Database& db)
{
    return !db.serverRole().isEmpty();
}

// On a server the server checks the password: the login is the connection, as that role.
// A refusal cannot be logged here (there is no connection); the server logs it itself.
int checkServerLogin(Database& db, const QString& user, const QString& password, bool loggingIn)
{
    const int connected = db.connectAs(user, password);
    if (connected != 1 || !loggingIn)
        return connected;
    Transaction transaction(db);
    if (!transaction.started())
        return db.DbReportError();
    if (!LogAccess(db, AccessEvent::Login) || !transaction.commit())
        return 0;
    db.setActor(user);
    return 1;
}

} // namespace

std::optional<LoginRefusal> CheckTypedLogin(const QString& user, const QString& password)
{
    if (user.isEmpty())
        return LoginRefusal{LoginField::User, QStringLiteral("Brukernavnet må være fyllt inn. Gjør et nytt forsøk!")};
    if (user.size() < 3)
        return LoginRefusal{LoginField::User, QStringLiteral("Brukernavnet må være minst 3 tegn langt. Gjør et nytt forsøk!")};
    if (password.isEmpty())
        return LoginRefusal{LoginField::Password, QStringLiteral("Passordet må være fyllt inn. Gjør et nytt forsøk!")};
    if (password.size() < kPasswordShortest)
        return LoginRefusal{LoginField::Password, QStringLiteral("Passordet må være minst 3 tegn langt. Gjør et nytt forsøk!")};
    if (password.size() > kPasswordLongest)
        return LoginRefusal{LoginField::Password,
                            QStringLiteral("Passordet kan ha høyst %1 tegn. Gjør et nytt forsøk!").arg(kPasswordLongest)};
    return std::nullopt;
}

int CheckUserPassword(Database& db, const QString& user, const QString& password)
{
    if (db.awaitsLogin())
        return checkServerLogin(db, user, password, false);
    QString stored;
    {
        Statement s(db);
        if (!s.prepare(QStringLiteral("SELECT PASSWORD FROM SEC WHERE USERID = ?")) || !s.bindText(1, user)
            || !s.execute())
            return s.report();
        const Fetch fetched = s.fetch();
        if (fetched == Fetch::NoData)
            return 9;
        bool ok = false;
        stored = fetched == Fetch::Row ? s.getText(1, &ok) : QString();
        if (!ok)
            return s.report();
    }
    // Hashing a count no program of ours writes could hold the login for minutes.
    if (IsDamagedPasswordHash(stored)) {
        db.tellUser(QStringLiteral("Passordet til brukeren %1 er skadet i databasen og kan ikke kontrolleres. Be den som "
                                   "har ansvar for databasen om å fjerne brukeren og legge den til på nytt.")
                        .arg(user),
                    MessageIcon::Stop);
        return 0;
    }
    const bool hashed = IsPasswordHash(stored);
    if (!(hashed ? PasswordMatchesHash(password, stored) : matchesAsTyped(stored, password)))
        return 8;
    if (PasswordNeedsRehash(stored) && !replaceStored(db, user, stored, password))
        return 0;
    return 1;
}

int CheckLogin(Database& db, const QString& user, const QString& password, bool loggingIn)
{
    if (db.awaitsLogin())
        return checkServerLogin(db, user, password, loggingIn);
    // The digest takes a third of a second: worked out before the write lock is taken, so
    // that no other examiner's save waits for it.
    const int result = CheckUserPassword(db, user, password);
    if (result == 0)
        return 0;
    Transaction transaction(db);
    if (!transaction.started()) {
        if (ReadOnlyDatabaseFile(db).isEmpty())
            return db.DbReportError();
        db.tellUser(AccessLogFailure(db, db.errorText()), MessageIcon::Stop);
        return 0;
    }
    switch (result) {
    case 9:
    case 8:
        if (!LogAccess(db, AccessEvent::LoginRefused, 0,
                       result == 9 ? QStringLiteral("ukjent bruker") : QStringLiteral("feil passord"), user))
            return 0;
        break;
    case 1:
        if (loggingIn && !LogAccess(db, AccessEvent::Login, 0, {}, user))
            return 0;
        break;
    default:
        return 0;
    }
    if (!transaction.commit())
        return 0;
    if (result == 1 && loggingIn)
        db.setActor(user);
    return result;
}

int StorePassword(Database& db, const QString& user, const QString& password)
{
    if (onServer(db)) {
        // Only one's own: the connection is the login that was just checked.
        if (db.serverRole() != user) {
            db.tellUser(QStringLiteral("Passordet til %1 kan bare endres etter innlogging som %1. Passordet er ikke endret.")
                            .arg(user),
                        MessageIcon::Stop);
            return 0;
        }
        return ChangeServerPassword(db, password);
    }
    const QString digest = HashPassword(password);
    Transaction transaction(db);
    if (!transaction.started())
        return db.DbReportError();
    Statement s(db);
    if (digest.isEmpty() || !s.prepare(QStringLiteral("UPDATE SEC SET PASSWORD = ? WHERE USERID = ?"))
        || !s.bindText(1, digest) || !s.bindText(2, user) || !s.execute())
        return s.report();
    if (s.rowCount() == 0) {
        db.tellUser(QStringLiteral("Brukeren %1 finnes ikke lenger. Passordet er ikke endret.").arg(user),
                    MessageIcon::Stop);
        return 0;
    }
    if (!LogAccess(db, AccessEvent::PasswordChanged, 0, {}, user))
        return 0;
    return transaction.commit() ? 1 : 0;
}

std::optional<QString> NewUserRefusal(Database& db, const QString& user)
{
    if (const auto refusal = CheckNewUserName(user))
        return *refusal + u' ' + kUnchanged;
    // On a server a name is taken by any role there, of this clinic or another.
    const bool server = onServer(db);
    Statement s(db);
    if (!s.prepare(server ? QStringLiteral("SELECT 1 FROM pg_catalog.pg_roles WHERE rolname = ?")
                          : QStringLiteral("SELECT 1 FROM SEC WHERE USERID = ?"))
        || !s.bindText(1, user) || !s.execute())
        return s.errorText();
    switch (s.fetch()) {
    case Fetch::NoData:
        return std::nullopt;
    case Fetch::Row:
        return (server ? QStringLiteral("Rollen %1 finnes allerede på databasetjeneren. ")
                       : QStringLiteral("Brukeren %1 finnes allerede. "))
                   .arg(user)
               + kUnchanged;
    case Fetch::Error:
        break;
    }
    return s.errorText();
}

UserChange AddUser(Database& db, const QString& user, const QString& password, QString* message)
{
    if (onServer(db))
        return AddServerUser(db, user, password, message);
    if (const auto refusal = CheckNewLogin(user, password)) {
        *message = *refusal + u' ' + kUnchanged;
        return UserChange::Refused;
    }
    const QString digest = HashPassword(password);
    Transaction transaction(db);
    if (!transaction.started()) {
        *message = db.errorText();
        return UserChange::Failed;
    }
    if (const auto refusal = NewUserRefusal(db, user)) {
        *message = *refusal;
        return UserChange::Refused;
    }
    Statement s(db);
    if (digest.isEmpty() || !s.prepare(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES (?, ?)"))
        || !s.bindText(1, user) || !s.bindText(2, digest) || !s.execute()) {
        *message = s.errorText();
        return UserChange::Failed;
    }
    if (!LogAccess(db, AccessEvent::UserAdded, 0, user) || !transaction.commit()) {
        *message = kUnchanged; // the reason was told
        return UserChange::Failed;
    }
    *message = QStringLiteral("Brukeren %1 er lagt til.").arg(user);
    return UserChange::Done;
}

UserChange RemoveUser(Database& db, const QString& user, QString* message)
{
    if (onServer(db))
        return RemoveServerUser(db, user, message);
    Transaction transaction(db);
    if (!transaction.started()) {
        *message = db.errorText();
        return UserChange::Failed;
    }
    // Every row locked first, so that two removals at once cannot leave nobody.
    Statement all(db);
    if (!all.execDirect(QStringLiteral("SELECT USERID FROM SEC"))) {
        *message = all.errorText();
        return UserChange::Failed;
    }
    int users = 0;
    bool found = false;
    for (Fetch fetched; (fetched = all.fetch()) != Fetch::NoData;) {
        bool ok = fetched == Fetch::Row;
        const QString name = ok ? all.getText(1, &ok) : QString();
        if (!ok) {
            *message = all.errorText();
            return UserChange::Failed;
        }
        ++users;
        found = found || name == user;
    }
    if (!found) {
        *message = QStringLiteral("Brukeren %1 finnes ikke. Ingenting er endret.").arg(user);
        return UserChange::Refused;
    }
    if (users == 1) {
        *message = QStringLiteral("%1 er den siste brukeren og kan ikke fjernes: da kunne ingen logge inn. "
                                  "Legg til en ny bruker først.")
                       .arg(user);
        return UserChange::Refused;
    }
    Statement s(db);
    if (!s.prepare(QStringLiteral("DELETE FROM SEC WHERE USERID = ?")) || !s.bindText(1, user) || !s.execute()) {
        *message = s.errorText();
        return UserChange::Failed;
    }
    if (!LogAccess(db, AccessEvent::UserRemoved, 0, user) || !transaction.commit()) {
        *message = kUnchanged;
        return UserChange::Failed;
    }
    *message = QStringLiteral("Brukeren %1 er fjernet.").arg(user);
    return UserChange::Done;
}

std::optional<std::vector<UserRow>> ListUsers(Database& db, QString* error)
{
    if (onServer(db))
        return ListServerUsers(db, error);
    Statement s(db);
    if (!s.execDirect(QStringLiteral("SELECT USERID, PASSWORD FROM SEC ORDER BY USERID"))) {
        *error = s.errorText();
        return std::nullopt;
    }
    std::vector<UserRow> users;
    for (Fetch fetched; (fetched = s.fetch()) != Fetch::NoData;) {
        bool ok = fetched == Fetch::Row;
        UserRow row;
        if (ok)
            row.name = s.getText(1, &ok);
        if (ok)
            row.hashed = IsPasswordHash(s.getText(2, &ok));
        if (!ok) {
            *error = s.errorText();
            return std::nullopt;
        }
        users.push_back(row);
    }
    return users;
}

} // namespace tavlo
