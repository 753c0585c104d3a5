#include "ToolRun.h"
#include "Str.h"
#include "DamagedDatabase.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "Unprivileged.h"
#include "resources/StringTable.h"
#include "store/connection/ConnectionString.h"
#include "store/connection/DatabaseFailure.h"
#include "store/creation/NewDatabase.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavlo;
using tavlo::test::Damage;
using tavlo::test::RecordingSink;
using tavlo::test::str;
using tavlo::test::TempDatabase;

namespace {

// The tool's jobs that open the database, each with what it needs besides (an output file, a
// norm file that passes the check made before connecting).
struct Job {
    QString name;
    QStringList args;
};

QList<Job> jobsThatOpenTheDatabase(const QString& folder, const QTemporaryDir& scratch)
{
    QFile norms(scratch.filePath(QStringLiteral("normer.csv")));
    EXPECT_TRUE(norms.open(QIODevice::WriteOnly));
    norms.write("DELSKALA,DELGRUPP\nAI,x\n");
    const QString in = scratch.filePath(QStringLiteral("inn.txt"));
    const QString out = scratch.filePath(QStringLiteral("ut"));
    return {
        {QStringLiteral("score"), {QStringLiteral("score"), folder, QStringLiteral("1")}},
        {QStringLiteral("report"), {QStringLiteral("report"), folder, QStringLiteral("1")}},
        {QStringLiteral("list"), {QStringLiteral("list"), folder}},
        {QStringLiteral("export"), {QStringLiteral("export"), folder, out}},
        {QStringLiteral("backup"), {QStringLiteral("backup"), folder, out}},
        {QStringLiteral("import"), {QStringLiteral("import"), folder, in}},
        {QStringLiteral("import-norms"), {QStringLiteral("import-norms"), folder, norms.fileName()}},
        {QStringLiteral("log"), {QStringLiteral("log"), folder}},
        {QStringLiteral("user list"), {QStringLiteral("user"), QStringLiteral("list"), folder}},
        {QStringLiteral("user add"), {QStringLiteral("user"), QStringLiteral("add"), folder, QStringLiteral("nyansatt")}},
        {QStringLiteral("user remove"), {QStringLiteral("user"), QStringLiteral("remove"), folder, QStringLiteral("demo")}},
    };
}

// The message of a refused run: its stderr without the prefix of the tool's sink (score and
// report have their own) and without the system's connection message, which must end it.
QString messageBeforeTheConnectionMessage(const QString& err)
{
    const QString prefix = err.startsWith(u"MESSAGE\t") ? QStringLiteral("MESSAGE\t") : QStringLiteral("TAVLO-II: ");
    const QString last = u'\n' + prefix + LoadString(60) + u'\n';
    EXPECT_TRUE(err.startsWith(prefix)) << err.toStdString();
    EXPECT_TRUE(err.endsWith(last)) << err.toStdString();
    return err.mid(prefix.size(), err.size() - prefix.size() - last.size());
}

// Every job on one damaged folder: status 1 (a signal would show as its number), nothing on
// stdout, the system's sentence first, the driver's text after it, the connection message last.
void expectCliRefuses(const Damage& damage)
{
    TempDatabase t;
    tavlo::test::applyDamage(t, damage);
    QTemporaryDir scratch;
    for (const Job& job : jobsThatOpenTheDatabase(t.folder(), scratch)) {
        SCOPED_TRACE(job.name.toStdString());
        const auto run = tavlo::test::runCli(job.args, "hemmelig1\n");
        EXPECT_EQ(run.status, 1) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        tavlo::test::expectSentenceFirst(messageBeforeTheConnectionMessage(run.err), damage, t.databasePath());
        EXPECT_FALSE(QFile::exists(scratch.filePath(QStringLiteral("ut")))) << "a refused job leaves no file";
    }
}

int connect(const QString& folder)
{
    Database db;
    return db.DbConnect(QStringLiteral("TAVLO-II"), {}, {},
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

// Every clinic's server has its own roles: the programs carry no account to fill in, only the
// places where the examiner's own name and password go.
TEST(ConnectionTemplate, TheProgramsCarryNoServerAccount)
{
    for (const char* path : {TAVLO_CLI_PATH, TAVLO_APP_PATH}) {
        QFile binary(QString::fromUtf8(path));
        ASSERT_TRUE(binary.open(QIODevice::ReadOnly)) << path;
        const QByteArray bytes = binary.readAll();
        for (const QByteArray& key : {QByteArray("PWD="), QByteArray("UID=")}) {
            for (qsizetype at = bytes.indexOf(key); at >= 0; at = bytes.indexOf(key, at + 1))
                EXPECT_EQ(bytes.at(at + key.size()), '%') << path << ": " << bytes.mid(at, 24).toStdString();
        }
    }
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

TEST(Connection, CorruptDatabaseFileIsNamedBeforeTheDriversMessage)
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
    const QString text = sink.messages[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Databasen %1 er skadet og kan ikke brukes.").arg(t.databasePath())))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(u"\n\n[SQLite]file is not a database (26)")) << text.toStdString();
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
    // The file named first, the driver's own reason after it.
    ASSERT_FALSE(sink.messages.isEmpty());
    const QString text = sink.messages.first().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Databasen %1 kan bare leses").arg(t.databasePath()))) << str(text);
    EXPECT_TRUE(text.contains(u"\n\n[SQLite]attempt to write a readonly database")) << str(text);
    EXPECT_EQ(test.person.ID, 0);
}

TEST(Connection, FailuresWhileInUseNameTheDatabaseFirstAndOthersAreTheDriversAlone)
{
    struct Case {
        const char* name;
        std::function<void(TempDatabase&, Database& other)> meanwhile; // with the program connected
        QString sql;
        QString sentence; // empty: the driver's text alone
        QString driverSays;
    };
    const Case cases[] = {
        {"another program holds the lock past the wait",
         [](TempDatabase& t, Database& other) {
             ASSERT_TRUE(t.connect(other));
             ASSERT_TRUE(Statement(other).execDirect(QStringLiteral("BEGIN EXCLUSIVE")));
         },
         QStringLiteral("SELECT COUNT(*) FROM TESTPERSON"), QStringLiteral("er i bruk av et annet program"),
         QStringLiteral("\n\n[SQLite]database is locked (5)")},
        {"a table dropped by another program", [](TempDatabase& t, Database&) { t.exec(QStringLiteral("DROP TABLE SEC")); },
         QStringLiteral("SELECT COUNT(*) FROM SEC"), QStringLiteral("mangler tabellen SEC og kan ikke brukes"),
         QStringLiteral("\n\n[SQLite]no such table: SEC (1)")},
        {"a user that is there already", [](TempDatabase&, Database&) {},
         QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES ('demo', 'x')"), QString(),
         QStringLiteral("[SQLite]UNIQUE constraint failed: SEC.USERID (19)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDatabase t;
        ASSERT_TRUE(WriteWorkgroupFile(t.workgroupPath(), QStringLiteral("DRIVER=SQLite3;Database=%1;NoCreat=1;Timeout=300"),
                                       nullptr));
        Database db;
        ASSERT_TRUE(t.connect(db));
        Database other;
        c.meanwhile(t, other);
        RecordingSink sink;
        Statement s(db);
        ASSERT_FALSE(s.execDirect(c.sql));
        EXPECT_EQ(s.report(), 0);
        ASSERT_EQ(sink.messages.size(), 1);
        const QString text = sink.messages[0].text;
        if (c.sentence.isEmpty()) {
            EXPECT_EQ(text, c.driverSays);
            continue;
        }
        EXPECT_TRUE(text.startsWith(QStringLiteral("Databasen %1 %2").arg(t.databasePath(), c.sentence))) << str(text);
        EXPECT_TRUE(text.endsWith(c.driverSays)) << str(text);
        EXPECT_EQ(FailureDetail(text), c.driverSays.mid(2)) << "what a caller with its own sentence shows";
    }
}

// What the damaged files above cannot make the driver say.
TEST(DatabaseFailure, EachStoreIsReadAsItReports)
{
    struct Case {
        bool sqlite;
        QByteArray state;
        int native;
        QString text;
        FailureKind kind;
        QString table;
    };
    const Case cases[] = {
        {true, "HY000", 517, QStringLiteral("[SQLite]database is locked (517)"), FailureKind::Busy, {}},
        {true, "HY000", 6, QStringLiteral("[SQLite]database table is locked (6)"), FailureKind::Busy, {}},
        {true, "HY000", 1, QStringLiteral("[SQLite]no such table: main.SEC (1)"), FailureKind::MissingTable,
         QStringLiteral("SEC")},
        {true, "HY000", 1, QStringLiteral("[SQLite]near \"SELEC\": syntax error (1)"), FailureKind::Other, {}},
        {true, "HY000", 13, QStringLiteral("[SQLite]database or disk is full (13)"), FailureKind::DiskFull, {}},
        {false, "55P03", 7, QStringLiteral("ERROR: could not obtain lock on relation \"sec\""), FailureKind::Busy, {}},
        {false, "40P01", 7, QStringLiteral("ERROR: deadlock detected"), FailureKind::Busy, {}},
        {false, "42P01", 7, QStringLiteral("ERROR: relation \"public.logg\" does not exist;"), FailureKind::MissingTable,
         QStringLiteral("LOGG")},
        {false, "XX001", 7, QStringLiteral("ERROR: invalid page in block 0 of relation base/1/2"), FailureKind::Damaged, {}},
        {false, "08S01", 35, QStringLiteral("server closed the connection unexpectedly"), FailureKind::Unreachable, {}},
        {false, "23505", 7, QStringLiteral("ERROR: duplicate key value violates unique constraint"), FailureKind::Other, {}},
        // The server's codes mean nothing to SQLite, and the other way round.
        {false, "HY000", 5, QStringLiteral("five"), FailureKind::Other, {}},
        {true, "42P01", 0, QStringLiteral("relation \"sec\" does not exist"), FailureKind::Other, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(str(c.text));
        const DatabaseFailure failure = ClassifyFailure({c.state, c.native, c.text}, c.sqlite);
        EXPECT_EQ(failure.kind, c.kind);
        EXPECT_EQ(failure.table, c.table);
        EXPECT_EQ(FailureSentence(failure, QStringLiteral("/d/TAVLO-II.mdb")).isEmpty(), c.kind == FailureKind::Other);
    }
}

namespace {

QList<Damage> damagesTheToolMeets()
{
    QList<Damage> kinds = tavlo::test::damagedDatabases();
    kinds.append(tavlo::test::missingDatabase());
    return kinds;
}

// One case per kind of damage, each running every job of the tool.
class DamagedForTheTool : public ::testing::TestWithParam<Damage> {};

} // namespace

TEST_P(DamagedForTheTool, EndsEveryJobOfTheToolWithTheSentenceFirst)
{
    expectCliRefuses(GetParam());
}

INSTANTIATE_TEST_SUITE_P(EveryKind, DamagedForTheTool, ::testing::ValuesIn(damagesTheToolMeets()),
                         [](const auto& info) { return tavlo::test::damageCaseName(info.param); });

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
