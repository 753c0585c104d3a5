#pragma once
// The users of the program: table SEC (USERID, PASSWORD). A password is kept as a salted
// digest (store/accounts/PasswordHash.h); a row from before digests holds the password as typed and
// is replaced by its digest at the first login that matches it.

#include "store/connection/Database.h"

#include <optional>
#include <vector>

namespace tavlo {

// CheckUserPassword's and CheckLogin's results.
enum LoginResult : int { kLoginFailed = 0, kLoginMatched = 1, kWrongPassword = 8, kUnknownUser = 9 };

// 1 the user exists and the password matches; 9 no such user; 8 the password is empty or
// differs; 0 after the driver's message. Both values go in as parameters. A row that matches
// but is kept as typed (or with fewer iterations than today's) gets a new digest in the same
// transaction: the caller's, or its own.
int CheckUserPassword(Database& db, const QString& user, const QString& password);

// CheckUserPassword with its access log row, all in one transaction: a refusal (8, 9) is
// logged under the typed name, never with the password; a match is logged as a login when
// loggingIn (the connection then acts as that user). A log row that cannot be written makes
// the result 0, after its message.
int CheckLogin(Database& db, const QString& user, const QString& password, bool loggingIn);

// Sets the user's password as a new digest and logs the change, in one transaction; 1, or 0
// after the message (also when the user is gone).
int StorePassword(Database& db, const QString& user, const QString& password);

// The login's own rules for a typed name and password, in its order and words: the field to
// go back to and why, or nullopt when both may be looked up.
enum class LoginField { User, Password };
struct LoginRefusal {
    LoginField field;
    QString text;
};
std::optional<LoginRefusal> CheckTypedLogin(const QString& user, const QString& password);

enum class UserChange { Done, Refused, Failed };

// Why user cannot be added: a name against the login's rules, or one that is taken (a
// failed lookup gives its reason); nullopt when it can. Ends with "Ingenting er endret.".
std::optional<QString> NewUserRefusal(Database& db, const QString& user);

// Adds a user under the login's rules (3 to 9 characters each). Refused when the name is
// taken or a rule is broken; Failed after a store error. message says which, in Norwegian.
UserChange AddUser(Database& db, const QString& user, const QString& password, QString* message);
// Removes a user; refused for a name that is not there and for the last user, since nobody
// could log in after.
UserChange RemoveUser(Database& db, const QString& user, QString* message);

struct UserRow {
    QString name;
    bool hashed = false; // false: still kept as typed, until the user's next login
};
// The users in name order; nullopt with the store's reason in error.
std::optional<std::vector<UserRow>> ListUsers(Database& db, QString* error);

} // namespace tavlo
