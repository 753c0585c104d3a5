#include "store/Security.h"

namespace tavlo {

int CheckUserPassword(Database& db, const QString& user, const QString& password)
{
    Statement s(db);
    if (!s.prepare(QStringLiteral("SELECT PASSWORD FROM SEC WHERE USERID = ?")) || !s.bindText(1, user) || !s.execute())
        return s.report();
    const Fetch fetched = s.fetch();
    if (fetched == Fetch::NoData)
        return 9;
    bool ok = false;
    const QString stored = fetched == Fetch::Row ? s.getText(1, &ok) : QString();
    if (!ok)
        return s.report();
    // At most ten characters are read back; the comparison is exact.
    const QByteArray expected = stored.left(10).toUtf8();
    return !expected.isEmpty() && expected == password.toUtf8() ? 1 : 8;
}

int StorePassword(Database& db, const QString& user, const QString& password)
{
    Statement s(db);
    if (!s.prepare(QStringLiteral("UPDATE SEC SET PASSWORD = ? WHERE USERID = ?")) || !s.bindText(1, password)
        || !s.bindText(2, user) || !s.execute())
        return s.report();
    return 1;
}

} // namespace tavlo
