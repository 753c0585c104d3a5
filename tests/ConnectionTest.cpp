#include "Cli.h"
#include "DamagedDatabase.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "Unprivileged.h"
#include "resources/StringTable.h"
#include "store/ConnectionString.h"
#include "store/NewDatabase.h"
#include "store/PersonTable.h"
#include "store/TestStore.h"
#include "store/Workgroup.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavlo;
using tavlo::test::Damage;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

// Every command that opens the database: status 1 (a signal would show as its number), the
// driver's reason, then the system's connection message.
void expectCliRefuses(const Damage& damage)
{
    TempDatabase t;
    tavlo::test::applyDamage(t, damage);
    const auto score = tavlo::test::runCli({QStringLiteral("score"), t.folder(), QStringLiteral("1")});
    EXPECT_EQ(score.status, 1) << score.err.toStdString();
    EXPECT_TRUE(score.out.isEmpty());
    const QStringList err = tavlo::test::lines(score.err);
    ASSERT_EQ(err.size(), 2) << score.err.toStdString();
    EXPECT_TRUE(err[0].startsWith(u"MESSAGE\t") && err[0].contains(damage.driverSays)) << err[0].toStdString();
    EXPECT_EQ(err[1], QStringLiteral("MESSAGE\t") + LoadString(60));

    QTemporaryDir dir;
    QFile norms(dir.filePath(QStringLiteral("normer.csv")));
    ASSERT_TRUE(norms.open(QIODevice::WriteOnly));
    norms.write("DELSKALA,DELGRUPP\nAI,x\n");
    norms.close();
    const auto import = tavlo::test::runCli({QStringLiteral("import-norms"), t.folder(), norms.fileName()});
    EXPECT_EQ(import.status, 1) << import.err.toStdString();
    EXPECT_TRUE(import.err.contains(damage.driverSays)) << import.err.toStdString();
    EXPECT_TRUE(import.err.endsWith(LoadString(60) + u'\n')) << import.err.toStdString();
}

int connect(const QString& folder)
{
    const Account account = DecipherAccount();
    Database db;
    return db.DbConnect(QStringLiteral("TAVLO-II"), account.name, account.password,
                        folder + QStringLiteral("/TAVLO-II.mdb"), folder + QStringLiteral("/Virod.mdw"));
}

} // namespace

TEST(ConnectionTemplate, FilledInOrderOrByPosition)
{
    const QStringList values = {QStringLiteral("/d/TAVLO-II.mdb"), QStringLiteral("/d/virod.mdw"),
                                QStringLiteral("konto"), QStringLiteral("hemmelig")};
    EXPECT_EQ(FillConnectionTemplate(kSqliteConnectionTemplate, values),
              QStringLiteral("DRIVER=SQLite3;Database=/d/TAVLO-II.mdb;NoCreat=1;Timeout=10000"));
    EXPECT_EQ(FillConnectionTemplate(QStringLiteral("DRIVER=Microsoft Access Driver (*.mdb); \t\tDBQ=%s; \t\tSYSTEMDB=%s; "
                                                    "\t\tUID=%s; \t\tPWD=%s; \t\tEXCLUSIVE=0; \t\tAnsiNPW=Yes \t\t"),
                                     values),
              QStringLiteral("DRIVER=Microsoft Access Driver (*.mdb); \t\tDBQ=/d/TAVLO-II.mdb; \t\tSYSTEMDB=/d/virod.mdw; "
                             "\t\tUID=konto; \t\tPWD=hemmelig; \t\tEXCLUSIVE=0; \t\tAnsiNPW=Yes \t\t"));
    EXPECT_EQ(FillConnectionTemplate(QStringLiteral("DRIVER={PostgreSQL Unicode};Server=localhost;Database=tavlo;"
                                                    "UID=%3;PWD=%4"),
                                     values),
              QStringLiteral("DRIVER={PostgreSQL Unicode};Server=localhost;Database=tavlo;UID=konto;PWD=hemmelig"));
    // A value holding a percent sign is not read again as a placeholder.
    EXPECT_EQ(FillConnectionTemplate(QStringLiteral("A=%1;B=%%;C=%2"), {QStringLiteral("%2"), QStringLiteral("x")}),
              QStringLiteral("A=%2;B=%;C=x"));
}

TEST(ConnectionTemplate, WorkgroupFileRoundTripKeepsTabsAndBlanks)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Virod.mdw"));
    const QString access = QStringLiteral("DRIVER=Microsoft Access Driver (*.mdb); \t\tDBQ=%s; \t\tAnsiNPW=Yes \t\t");
    ASSERT_TRUE(WriteWorkgroupFile(path, access, nullptr));
    QString error;
    EXPECT_EQ(ReadConnectionTemplate(path, &error), access);
    EXPECT_EQ(ReadConnectionTemplate(dir.filePath(QStringLiteral("none.mdw")), &error), std::nullopt);
    EXPECT_TRUE(error.contains(u"none.mdw"));
}

TEST(ConnectionTemplate, AccountIsNotPlainTextInTheProgram)
{
    const Account account = DecipherAccount();
    ASSERT_GE(account.name.size(), 3);
    ASSERT_GE(account.password.size(), 6);
    QFile cli(QStringLiteral(TAVLO_CLI_PATH));
    ASSERT_TRUE(cli.open(QIODevice::ReadOnly));
    const QByteArray binary = cli.readAll();
    EXPECT_FALSE(binary.contains(account.name.toLatin1()));
    EXPECT_FALSE(binary.contains(account.password.toLatin1()));
}

TEST(Connection, MissingDatabaseFileIsAnErrorAndNotANewDatabase)
{
    TempDatabase t;
    RecordingSink sink;
    ASSERT_TRUE(QFile::remove(t.databasePath()));
    EXPECT_EQ(connect(t.folder()), 0);
    ASSERT_FALSE(sink.messages.isEmpty());
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("TAVLO-II"));
    EXPECT_FALSE(sink.messages[0].text.isEmpty());
    EXPECT_FALSE(QFile::exists(t.databasePath()));
    EXPECT_EQ(QDir(t.folder()).entryList(QDir::Files), QStringList{QStringLiteral("Virod.mdw")});
}

TEST(Connection, CorruptDatabaseFileGivesTheDriversMessage)
{
    TempDatabase t;
    t.db.DbDisconnect();
    RecordingSink sink;
    QFile file(t.databasePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QByteArray noise(8192, '\0');
    QRandomGenerator random(42);
    for (char& c : noise)
        c = char(random.bounded(256));
    file.write(noise);
    file.close();
    EXPECT_EQ(connect(t.folder()), 0);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].text.contains(u"not a database")) << sink.messages[0].text.toStdString();
}

TEST(Connection, MissingOrEmptyWorkgroupFileIsNamed)
{
    TempDatabase t;
    RecordingSink sink;
    ASSERT_TRUE(QFile::remove(t.workgroupPath()));
    EXPECT_EQ(connect(t.folder()), 0);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].text.contains(u"Virod.mdw"));
    QFile empty(t.workgroupPath());
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(connect(t.folder()), 0);
}

TEST(Connection, FolderWithSemicolonIsRefusedPlainly)
{
    RecordingSink sink;
    EXPECT_EQ(connect(QStringLiteral("/tmp/a;Database=/etc/passwd")), 0);
    ASSERT_EQ(sink.messages.size(), 1);
}

TEST(Connection, ReadOnlyDatabaseRefusesTheSaveAndSaysSo)
{
    TAVLO_RUN_UNPRIVILEGED();
    TempDatabase t;
    t.db.DbDisconnect();
    ASSERT_TRUE(QFile::setPermissions(t.databasePath(), QFile::ReadOwner));
    RecordingSink sink;
    Database db;
    ASSERT_TRUE(t.connect(db)) << sink.texts().join(u'\n').toStdString();
    TestRecord test;
    NewTestRecord(test);
    test.person.NAMN = QStringLiteral("Kari");
    EXPECT_FALSE(SaveTest(db, test, true));
    // The driver's own reason comes first.
    ASSERT_FALSE(sink.messages.isEmpty());
    EXPECT_TRUE(sink.messages.first().text.contains(u"readonly")) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(test.person.ID, 0);
}

TEST(Connection, EveryKindOfDamagedDatabaseEndsTheCommandsCleanly)
{
    for (const Damage& damage : tavlo::test::damagedDatabases()) {
        SCOPED_TRACE(damage.name.toStdString());
        expectCliRefuses(damage);
    }
}

TEST(Connection, UnreadableDatabaseEndsTheCommandsCleanly)
{
    TAVLO_RUN_UNPRIVILEGED();
    expectCliRefuses(tavlo::test::unreadableDatabase());
}

TEST(Connection, StatementsOutlivingTheirConnectionAreHarmless)
{
    TempDatabase t;
    RecordingSink sink;
    auto early = std::make_unique<Statement>(t.db);
    ASSERT_TRUE(early->execDirect(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")));
    t.db.DbDisconnect();
    EXPECT_FALSE(early->execDirect(QStringLiteral("SELECT 1")));
    EXPECT_EQ(early->fetch(), Fetch::Error);
    early.reset();
    // The database itself gone first.
    auto db = std::make_unique<Database>();
    ASSERT_TRUE(t.connect(*db));
    Statement late(*db);
    ASSERT_TRUE(late.execDirect(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")));
    db.reset();
    EXPECT_EQ(late.fetch(), Fetch::Error);
    EXPECT_EQ(late.report(), 0);
    EXPECT_EQ(sink.messages.size(), 1);
}

TEST(ConnectionTemplate, OnlyTheProgramsOwnKeysAreUsed)
{
    TempDatabase t;
    t.db.DbDisconnect();
    // Without NoCreat the driver would make this file: its absence shows nothing connected.
    const QString fresh = QStringLiteral("DRIVER=SQLite3;Database=%1.ny;");
    const std::pair<QString, QString> refused[] = {
        {fresh + QStringLiteral("LoadExt=/tmp/nowhere.so"), QStringLiteral("«LoadExt»")},
        {fresh + QStringLiteral("loadEXT=/tmp/nowhere.so"), QStringLiteral("«loadEXT»")},
        {fresh + QStringLiteral("Timeout=1; Foo=1"), QStringLiteral("« Foo»")},
        {QStringLiteral("DRIVER=SQLite3;Database={%1.ny;LoadExt=/tmp/nowhere.so}"), QStringLiteral("«LoadExt")},
        {fresh + QStringLiteral("Database=/tmp/other.mdb"), QStringLiteral("«Database» mer enn én gang")},
        {QStringLiteral("DSN=tavlo;Database=%1.ny"), QStringLiteral("ingen driver")},
        {QStringLiteral("DRIVER=/tmp/nowhere.so;Database=%1.ny"), QStringLiteral("«/tmp/nowhere.so» som en fil")},
        {QStringLiteral("DRIVER={MySQL};Database=%1.ny"), QStringLiteral("«MySQL»")},
        {QStringLiteral("DRIVER={PostgreSQL Unicode};Server=x;sslmode=require"), QStringLiteral("«sslmode»")},
    };
    for (const auto& [connectionTemplate, named] : refused) {
        SCOPED_TRACE(connectionTemplate.toStdString());
        ASSERT_TRUE(WriteWorkgroupFile(t.workgroupPath(), connectionTemplate, nullptr));
        RecordingSink sink;
        EXPECT_EQ(connect(t.folder()), 0);
        ASSERT_EQ(sink.messages.size(), 1) << sink.texts().join(u'\n').toStdString();
        const QString text = sink.messages[0].text;
        EXPECT_TRUE(text.startsWith(QStringLiteral("Arbeidsgruppefilen %1 ").arg(t.workgroupPath()))) << text.toStdString();
        EXPECT_TRUE(text.contains(named)) << text.toStdString();
        EXPECT_TRUE(text.endsWith(u"Tilkoblingen er stoppet.")) << text.toStdString();
        EXPECT_FALSE(QFile::exists(t.databasePath() + QStringLiteral(".ny")));
    }
    // The program's own templates pass, keys in any letter case, a braced value with ';'.
    EXPECT_EQ(CheckConnectionTemplate(kSqliteConnectionTemplate, t.workgroupPath()), std::nullopt);
    EXPECT_EQ(CheckConnectionTemplate(QStringLiteral("driver={PostgreSQL Unicode};SERVER=db;Port=5432;Database=tavlo;"
                                                     "uid=%3;PWD={a;b};"),
                                      t.workgroupPath()),
              std::nullopt);
    ASSERT_TRUE(WriteWorkgroupFile(t.workgroupPath(), QStringLiteral("driver=SQLite3;DATABASE=%1;nocreat=1"), nullptr));
    RecordingSink sink;
    EXPECT_EQ(connect(t.folder()), 1) << sink.texts().join(u'\n').toStdString();
}

TEST(ConnectionTemplate, WorkgroupFileIsNoMoreReadableThanTheDatabase)
{
    QTemporaryDir dir;
    const mode_t before = umask(0);
    QString message;
    const CreateResult made = CreateDatabase(dir.filePath(QStringLiteral("db")), QStringLiteral("demo"),
                                             QStringLiteral("demo123"), &message);
    const QString workgroup = dir.filePath(QStringLiteral("db/Virod.mdw"));
    QFile old(dir.filePath(QStringLiteral("old.mdw")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    ASSERT_TRUE(old.setPermissions(old.permissions() | QFile::ReadOther | QFile::WriteOther));
    const bool rewritten = WriteWorkgroupFile(old.fileName(), kSqliteConnectionTemplate, nullptr);
    umask(before);
    ASSERT_EQ(made, CreateResult::Created) << message.toStdString();
    ASSERT_TRUE(rewritten);
    const auto mode = [](const QString& path) {
        return QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    };
    EXPECT_EQ(mode(workgroup), kDatabaseFilePermissions);
    EXPECT_EQ(mode(workgroup), mode(dir.filePath(QStringLiteral("db/TAVLO-II.mdb"))));
    EXPECT_EQ(mode(old.fileName()), kDatabaseFilePermissions) << "an existing file is narrowed too";
}
