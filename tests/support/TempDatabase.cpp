#include "TempDatabase.h"

#include "TestServer.h"
#include "store/creation/NewDatabase.h"
#include "store/accounts/Security.h"
#include "store/creation/ServerDatabase.h"
#include "store/connection/Workgroup.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace tavlo::test {

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
    if (store == StoreKind::Postgres && db.isConnected()) {
        // As init-db's first user on a file: one examiner, the log's first row. A role belongs
        // to the whole server, so its name is drawn for this database.
        const auto draw = [] { return QString::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, u'0'); };
        m_examiner = {QStringLiteral("u") + draw(), draw() + draw()};
        QString message;
        EXPECT_EQ(AddUser(db, m_examiner.user, m_examiner.password, &message), UserChange::Done) << message.toStdString();
        m_rolesMade.append(m_examiner.user);
    }
}

void TempDatabase::createOnServer()
{
    if (!testServer()) {
        ADD_FAILURE() << kNoTestServer;
        return;
    }
    m_serverDatabase = QStringLiteral("tavlo_test_%1").arg(QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0'));
    const ServerLogin admin = serverAdmin();
    if (!runAsSuperuser(QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(m_serverDatabase, admin.user))) {
        m_serverDatabase.clear();
        return;
    }
    QString message;
    const CreateResult result =
        CreateServerDatabase(folder(), admin.user, admin.password,
                             testServer()->server + QStringLiteral(";Database=") + m_serverDatabase, &message);
    EXPECT_EQ(result, CreateResult::Created) << message.toStdString();
}

TempDatabase::~TempDatabase()
{
    db.DbDisconnect();
    if (!m_serverDatabase.isEmpty()) {
        runAsSuperuser(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_serverDatabase));
        // Roles outlive the database they were made for.
        for (const QString& role : m_rolesMade)
            runAsSuperuser(QStringLiteral("DROP ROLE IF EXISTS \"%1\"").arg(role));
        runAsSuperuser(QStringLiteral("DROP ROLE IF EXISTS %1_undersokere").arg(m_serverDatabase));
    }
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
    // On a server as the administrator, who owns the database.
    const ServerLogin admin = serverAdmin();
    return OpenDatabase(other, databasePath(), workgroupPath(), Credentials{admin.user, admin.password}) == 1;
}

ServerLogin TempDatabase::examiner() const
{
    return m_store == StoreKind::Postgres ? m_examiner : ServerLogin{QStringLiteral("demo"), QStringLiteral("demo123")};
}

void TempDatabase::forgetRoleAfterwards(const QString& role)
{
    m_rolesMade.append(role);
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
