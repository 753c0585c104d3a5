#include "TempDatabase.h"

#include "TestServer.h"
#include "store/NewDatabase.h"
#include "store/ServerDatabase.h"
#include "store/Workgroup.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace tavlo::test {

namespace {

bool runAsSuperuser(const QString& sql)
{
    Database admin;
    if (!admin.connectWith(testServer()->superuser, false))
        return false;
    Statement s(admin);
    const bool done = s.execDirect(sql);
    EXPECT_TRUE(done) << s.diagnostic().toStdString();
    return done;
}

} // namespace

TempDatabase::TempDatabase(StoreKind store)
    : m_store(store)
{
    if (store == StoreKind::Postgres) {
        createOnServer();
    } else {
        QString message;
        const CreateResult result = CreateDatabase(folder(), QStringLiteral("demo"), QStringLiteral("demo123"), &message);
        EXPECT_EQ(result, CreateResult::Created) << message.toStdString();
    }
    EXPECT_TRUE(connect(db));
}

void TempDatabase::createOnServer()
{
    if (!testServer()) {
        ADD_FAILURE() << kNoTestServer;
        return;
    }
    m_serverDatabase = QStringLiteral("tavlo_test_%1").arg(QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0'));
    if (!runAsSuperuser(QStringLiteral("CREATE DATABASE %1 OWNER tavlo_app").arg(m_serverDatabase))) {
        m_serverDatabase.clear();
        return;
    }
    QString message;
    const CreateResult result =
        CreateServerDatabase(folder(), QStringLiteral("demo"), QStringLiteral("demo123"),
                             testServer()->server + QStringLiteral(";Database=") + m_serverDatabase, &message);
    EXPECT_EQ(result, CreateResult::Created) << message.toStdString();
}

TempDatabase::~TempDatabase()
{
    db.DbDisconnect();
    if (!m_serverDatabase.isEmpty())
        runAsSuperuser(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_serverDatabase));
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
