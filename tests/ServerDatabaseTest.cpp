// A folder made by init-db --server, through the real command-line tool and the program's
// start-up, and the same jobs on both stores giving the same results.
#include "Ages.h"
#include "ToolRun.h"
#include "Exported.h"
#include "FixedArchive.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "TestServer.h"
#include "app/AppContext.h"
#include "app/StartUp.h"
#include "store/files/ExportFile.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"
#include "vandrel/vandrel.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavlo;
using namespace tavlo::test;

namespace {

class ServerFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testServer())
            GTEST_SKIP() << kNoTestServer;
    }
    void TearDown() override
    {
        for (const QString& name : m_databases)
            runAsSuperuser(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    }

    // An empty server database owned by the clinic's administrator; the --server value that names it.
    QString newServerDatabase()
    {
        const QString name = QStringLiteral("tavlo_cli_%1").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        EXPECT_TRUE(runAsSuperuser(QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(name, serverAdmin().user)));
        m_databases.append(name);
        return testServer()->server + QStringLiteral(";Database=") + name;
    }

    static CliRun initDb(const QString& folder, const QString& server)
    {
        // The administrator's password comes from the password file the tests are given.
        return runCli({QStringLiteral("init-db"), folder, QStringLiteral("--user"), serverAdmin().user,
                       QStringLiteral("--server"), server});
    }

    static bool connectFolder(Database& db, const QString& folder)
    {
        const ServerLogin account = serverAdmin();
        return db.DbConnect(QStringLiteral("TAVLO-II"), account.user, account.password,
                            folder + QStringLiteral("/TAVLO-II.mdb"), folder + QStringLiteral("/Virod.mdw"))
               == 1;
    }

    QTemporaryDir m_dir;
    QStringList m_databases;
};


} // namespace

TEST_F(ServerFolder, InitDbMakesAFolderThatTheToolAndTheProgramUseAndScoresAsOnSqlite)
{
    RecordingSink sink;
    const QString folder = m_dir.filePath(QStringLiteral("klinikk"));
    const QString server = newServerDatabase();
    const CliRun made = initDb(folder, server);
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Virod.mdw")});
    EXPECT_EQ(ReadConnectionTemplate(folder + QStringLiteral("/Virod.mdw"), nullptr),
              QStringLiteral("DRIVER={PostgreSQL Unicode};%1;UID=%3;PWD=%4").arg(server));

    // The same child stored on both stores scores alike through the tool.
    TestRecord child = childAged(9, 2, 11);
    child.scores.AI = 21;
    child.scores.BF_S = 7;
    child.scores.MO_A5 = 10;
    child.grid.cell(34) = 9;
    TestRecord onServer = child;
    Database db;
    ASSERT_TRUE(connectFolder(db, folder));
    ASSERT_TRUE(SaveTest(db, onServer, true));
    TempDatabase sqlite;
    TestRecord onFile = child;
    ASSERT_TRUE(SaveTest(sqlite.db, onFile, true));
    ASSERT_EQ(onServer.person.ID, onFile.person.ID);
    const QString id = QString::number(onFile.person.ID);
    const CliRun fromServer = runCli({QStringLiteral("score"), folder, id});
    const CliRun fromFile = runCli({QStringLiteral("score"), sqlite.folder(), id});
    ASSERT_EQ(fromServer.status, 0) << fromServer.err.toStdString();
    EXPECT_EQ(fromServer.out, fromFile.out);
    EXPECT_EQ(fromServer.err, fromFile.err);
    EXPECT_GT(lines(fromServer.out).size(), 60);

    // A database that holds the tables already is left as it is, and the folder is not made.
    const QString second = m_dir.filePath(QStringLiteral("igjen"));
    const CliRun again = initDb(second, server);
    EXPECT_EQ(again.status, 2);
    EXPECT_TRUE(again.err.contains(u"inneholder allerede tabellene")) << again.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(second));
    TestRecord back;
    EXPECT_EQ(ReadTest(db, back, onServer.person.ID), 1);

    // The program starts on the folder: only Virod.mdw is there, and a server is never read-only.
    ASSERT_EQ(cDoSetRegistryValue(kRegistryKey, "DatabaseFolder", (folder + u'/').toUtf8().constData()), 1);
    AppContext context;
    StartUpSeams seams;
    // The start-up opens no connection on a server folder: the login does, as the examiner.
    seams.login = [](QWidget*, Database& awaiting) {
        EXPECT_FALSE(awaiting.isConnected());
        return awaiting.awaitsLogin() ? awaiting.connectAs(serverAdmin().user, serverAdmin().password) : 0;
    };
    seams.chooseDatabaseFile = [](QWidget*) {
        ADD_FAILURE() << "no file is asked for";
        return QString();
    };
    EXPECT_TRUE(RunStartUp(nullptr, context, seams));
    EXPECT_TRUE(context.readOnlyDatabase.isEmpty());
    EXPECT_EQ(context.db.dbmsName(), QStringLiteral("PostgreSQL"));
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(ServerFolder, AServerValueTheToolCannotUseIsAUsageErrorAndWritesNothing)
{
    const QString folder = m_dir.filePath(QStringLiteral("ny"));
    const QString port = testServer()->server.section(u';', 1);
    for (const QString& bad :
         {QStringLiteral("Server=127.0.0.1;%1;Database=d;sslmode=disable").arg(port),
          QStringLiteral("Server=127.0.0.1;%1;Database=a;b").arg(port), QStringLiteral("Server=127.0.0.1;Database={d}"),
          QStringLiteral("Server=127.0.0.1;Database=d;Database=e"), QStringLiteral("Server=127.0.0.1;Port=0;Database=d"),
          QStringLiteral("Database=d"), QStringLiteral("Server=127.0.0.1;Database=%3"), QString()}) {
        SCOPED_TRACE(bad.toStdString());
        const CliRun run = initDb(folder, bad);
        EXPECT_EQ(run.status, 2);
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(folder));
    }
}

TEST_F(ServerFolder, TheFixedArchiveExportsTheSameBytesOnBothStores)
{
    RecordingSink sink;
    TempDatabase sqlite;
    TempDatabase server(StoreKind::Postgres);
    makeFixedArchive(sqlite);
    makeFixedArchive(server);
    // The server holds at most 50 characters where SQLite kept the 300 another tool wrote.
    const QByteArray fromFile = exported(sqlite.db).replace(QByteArray(300, 'a'), QByteArray(50, 'a'));
    const QByteArray fromServer = exported(server.db);
    const QList<QByteArray> want = fromFile.split('\n');
    const QList<QByteArray> got = fromServer.split('\n');
    for (qsizetype i = 0; i < std::max(want.size(), got.size()); ++i)
        ASSERT_EQ(got.value(i).toStdString(), want.value(i).toStdString()) << "line " << i + 1;
    EXPECT_EQ(fromServer, fromFile);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(ServerFolder, TheServerOrdersNamesInNorwegianAndKeepsTextsAndDates)
{
    RecordingSink sink;
    TempDatabase server(StoreKind::Postgres);
    const QStringList names = {QStringLiteral("Åse"), QStringLiteral("ærlig"), QStringLiteral("Zorro"),
                               QStringLiteral("anna"), QStringLiteral("Øystein"), QStringLiteral("Berit €"),
                               QStringLiteral("Ødegård")};
    const Date dates[] = {{1999, 12, 31}, {2012, 2, 29}, {2000, 1, 1}, {2016, 11, 30}, {1, 1, 1}, {2012, 3, 24},
                          {9999, 12, 31}};
    std::vector<TestRecord> saved;
    for (qsizetype i = 0; i < names.size(); ++i) {
        TestRecord t = childAged(8, 0, 0);
        t.person.NAMN = names[i];
        t.person.SKOLA = QStringLiteral("Skjærgården skole, «Øst»");
        t.person.BORNDATE = dates[i];
        ASSERT_TRUE(SaveTest(server.db, t, true));
        saved.push_back(t);
    }
    for (const TestRecord& t : saved) {
        TestRecord back;
        ASSERT_EQ(ReadTest(server.db, back, t.person.ID), 1);
        EXPECT_EQ(back.person, t.person);
    }
    const QStringList norwegian = {QStringLiteral("anna"), QStringLiteral("Berit €"), QStringLiteral("Zorro"),
                                   QStringLiteral("ærlig"), QStringLiteral("Ødegård"), QStringLiteral("Øystein"),
                                   QStringLiteral("Åse")};
    QStringList ordered;
    Statement s(server.db);
    ASSERT_TRUE(s.execDirect(QStringLiteral("SELECT NAMN FROM TESTPERSON ORDER BY NAMN")));
    while (s.fetch() == Fetch::Row)
        ordered.append(s.getText(1));
    EXPECT_EQ(ordered, norwegian);
    QStringList listed;
    ASSERT_EQ(ListPersons(server.db, 0, false, [&](const PersonListRow& r) { listed.append(r.NAMN); }), 1);
    EXPECT_EQ(listed, norwegian);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

namespace {

// What an examiner's tool gives on a server folder is what it gives on a file folder holding
// the same tests: every listing order, every report, the export; a backup is refused.
class BothFolders : public ServerFolder {
protected:
    void SetUp() override
    {
        ServerFolder::SetUp();
        if (IsSkipped())
            return;
        m_server = std::make_unique<TempDatabase>(StoreKind::Postgres);
        makeFixedArchive(m_sqlite);
        makeFixedArchive(*m_server);
    }

    // The job on both folders: the same status, output and messages. The file's run.
    CliRun same(const QStringList& args)
    {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const CliRun onFile = runCli(QStringList{args.first(), m_sqlite.folder()} + args.mid(1));
        const CliRun onServer = runCli(QStringList{args.first(), m_server->folder()} + args.mid(1));
        EXPECT_EQ(onServer.status, onFile.status) << onServer.err.toStdString();
        EXPECT_EQ(onServer.out.toStdString(), onFile.out.toStdString());
        EXPECT_EQ(onServer.err.toStdString(), onFile.err.toStdString());
        return onFile;
    }

    TempDatabase m_sqlite;
    std::unique_ptr<TempDatabase> m_server;
};

// A few jobs per case, so that no case runs the tool more than a dozen times.
struct ToolJobs {
    const char* name;
    QList<QStringList> jobs;
};

QList<QStringList> listings(std::initializer_list<const char*> columns)
{
    QList<QStringList> jobs;
    for (const char* column : columns) {
        for (const char* direction : {"--ascending", "--descending"})
            jobs.append({QStringLiteral("list"), QStringLiteral("--sort"), QLatin1String(column), QLatin1String(direction)});
    }
    return jobs;
}

QList<QStringList> reports(std::initializer_list<int> ids)
{
    QList<QStringList> jobs;
    for (const int id : ids)
        jobs.append({QStringLiteral("report"), QString::number(id)});
    return jobs;
}

const ToolJobs kToolJobs[] = {
    {"ListedByNumberAndName", listings({"ID", "NAMN"})},
    {"ListedByTestDateAndSex", listings({"TESTDATE", "SEX"})},
    {"ListedByBirthDateAndSchool", listings({"BORNDATE", "SKOLA"})},
    {"ReportsOfTheFirstTests", reports({1, 4, 5, 6})},
    {"ReportsOfTheLastTestsAndOfOneDomain",
     reports({9, 41, 1000}) << QStringList{QStringLiteral("report"), QStringLiteral("1"), QStringLiteral("--domains"), QStringLiteral("35")}},
};

class SameJobs : public BothFolders, public ::testing::WithParamInterface<ToolJobs> {};

void PrintTo(const ToolJobs& jobs, std::ostream* os)
{
    *os << jobs.name;
}

} // namespace

TEST_P(SameJobs, GiveOnAServerWhatTheyGiveOnAFile)
{
    for (const QStringList& job : GetParam().jobs)
        EXPECT_EQ(same(job).status, 0);
}

INSTANTIATE_TEST_SUITE_P(OfTheTool, SameJobs, ::testing::ValuesIn(kToolJobs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BothFolders, TheToolExportsTheSameFromAServerAndRefusesItsBackup)
{
    const QString fromFile = m_dir.filePath(QStringLiteral("fil.txt"));
    const QString fromServer = m_dir.filePath(QStringLiteral("server.txt"));
    ASSERT_EQ(runCli({QStringLiteral("export"), m_sqlite.folder(), fromFile}).status, 0);
    ASSERT_EQ(runCli({QStringLiteral("export"), m_server->folder(), fromServer}).status, 0);
    QFile file(fromFile), served(fromServer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly) && served.open(QIODevice::ReadOnly));
    // The server holds at most 50 characters where SQLite kept the 300 another tool wrote.
    EXPECT_EQ(served.readAll(), file.readAll().replace(QByteArray(300, 'a'), QByteArray(50, 'a')));

    const CliRun backup = runCli({QStringLiteral("backup"), m_server->folder(), m_dir.filePath(QStringLiteral("kopi.mdb"))});
    EXPECT_EQ(backup.status, 1);
    EXPECT_TRUE(backup.err.contains(QStringLiteral("pg_dump"))) << backup.err.toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("kopi.mdb"))));
}
