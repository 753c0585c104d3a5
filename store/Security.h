#pragma once
// The users of the program: table SEC (USERID, PASSWORD).

#include "store/Database.h"

namespace tavlo {

// 1 the user exists and the password matches; 9 no such user; 8 the password is empty or
// differs; 0 after the driver's message. Both values go in as parameters.
int CheckUserPassword(Database& db, const QString& user, const QString& password);
// Sets the user's password; 1, or 0 after the driver's message.
int StorePassword(Database& db, const QString& user, const QString& password);

} // namespace tavlo
