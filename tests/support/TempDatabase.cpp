#include "TempDatabase.h"

#include "store/NewDatabase.h"
#include "store/Workgroup.h"

#include <gtest/gtest.h>

namespace tavlo::test {

TempDatabase::TempDatabase()
{
    QString message;
    const CreateResult result = CreateDatabase(folder(), QStringLiteral("demo"), QStringLiteral("demo123"), &message);
    EXPECT_EQ(result, CreateResult::Created) << message.toStdString();
    EXPECT_TRUE(connect(db));
}

QString TempDatabase::databasePath() const
{
    return folder() + u'/' + kDatabaseFileName;
}

QString TempDatabase::workgroupPath() const
{
    return folder() + u'/' + kWorkgroupFileName;
}

bool TempDatabase::connect(Database& other) const
{
    const Account account = DecipherAccount();
    return other.DbConnect(QStringLiteral("TAVLO-II"), account.name, account.password, databasePath(),
                           workgroupPath())
           == 1;
}

void TempDatabase::exec(const QString& sql)
{
    Statement s(db);
    ASSERT_TRUE(s.execDirect(sql)) << s.diagnostic().toStdString();
    // A statement run here on the program's own connection stands for a change the program
    // made (as import-norms does): the next scoring run reads the norm tables anew.
    db.normCache().drop();
}

} // namespace tavlo::test
