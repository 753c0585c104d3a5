// The same store against a PostgreSQL server, when one is given: set
// TAVLO_TEST_POSTGRES_TEMPLATE to a connection template such as
//   DRIVER={PostgreSQL Unicode};Server=localhost;Port=5432;Database=tavlo;UID=%3;PWD=%4
// on a database that holds the tables of data/schema.sql (without COLLATE NOCASE) and whose
// role is the program's workgroup account.
#include "RecordingSink.h"
#include "store/BulkRead.h"
#include "store/PersonTable.h"
#include "store/ScoreTables.h"
#include "store/TestStore.h"
#include "store/Workgroup.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

using namespace tavlo;
using tavlo::test::RecordingSink;

namespace {

class Postgres : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString connectionTemplate = qEnvironmentVariable("TAVLO_TEST_POSTGRES_TEMPLATE");
        if (connectionTemplate.isEmpty())
            GTEST_SKIP() << "TAVLO_TEST_POSTGRES_TEMPLATE is not set";
        ASSERT_TRUE(WriteWorkgroupFile(m_dir.filePath(QStringLiteral("Virod.mdw")), connectionTemplate, nullptr));
        ASSERT_TRUE(connect(db));
        for (const char* table : {"TESTPERSON", "TESTDATA_TAVLO", "TESTDATA_TAVLO_MF"})
            exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
        exec(QStringLiteral("UPDATE TESTPERSON_COUNTER SET LAST_ID = 0"));
    }

    bool connect(Database& target)
    {
        const Account account = DecipherAccount();
        return target.DbConnect(QStringLiteral("TAVLO-II"), account.name, account.password,
                                m_dir.filePath(QStringLiteral("TAVLO-II.mdb")), m_dir.filePath(QStringLiteral("Virod.mdw")))
               == 1;
    }

    void exec(const QString& sql)
    {
        Statement s(db);
        ASSERT_TRUE(s.execDirect(sql)) << s.diagnostic().toStdString();
    }

    static TestRecord makeTest(const QString& name, Date testDate)
    {
        TestRecord t;
        NewTestRecord(t, testDate);
        t.person.NAMN = name;
        t.person.TESTLEDARE = QStringLiteral("Åsmund O'Hara");
        t.person.BORNDATE = {2005, 8, 15};
        t.person.SEX = 2;
        for (const MeasureInfo& m : measures())
            t.scores[m.key] = m.column % 2 ? 0 : NOT_ENTERED;
        for (int n = 1; n <= kGridCellCount; ++n)
            t.grid.cell(n) = n % 20;
        return t;
    }

    QTemporaryDir m_dir;
    Database db;
};

} // namespace

TEST_F(Postgres, SavesReadsListsAndDeletes)
{
    RecordingSink sink;
    TestRecord a = makeTest(QStringLiteral("Ødegård, \"Æsj\""), {2012, 1, 2});
    TestRecord b = makeTest(QStringLiteral("Berit"), {2011, 12, 15});
    ASSERT_TRUE(SaveTest(db, a, true)) << sink.texts().join(u'\n').toStdString();
    ASSERT_TRUE(SaveTest(db, b, true));
    EXPECT_EQ(b.person.ID, a.person.ID + 1);
    TestRecord back;
    ASSERT_EQ(ReadTest(db, back, a.person.ID), 1);
    EXPECT_EQ(back.person, a.person);
    EXPECT_EQ(back.scores, a.scores);
    EXPECT_EQ(back.grid, a.grid);
    std::vector<int> ids;
    ASSERT_EQ(ListPersons(db, 2, false, [&](const PersonListRow& r) { ids.push_back(r.ID); }), 1);
    EXPECT_EQ(ids, (std::vector<int>{b.person.ID, a.person.ID}));
    ASSERT_TRUE(DeleteTest(db, a.person.ID));
    EXPECT_EQ(ReadTestData(db, a), 9);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(Postgres, AFailedSaveLeavesNothing)
{
    RecordingSink sink;
    exec(QStringLiteral("ALTER TABLE TESTDATA_TAVLO_MF RENAME TO TESTDATA_TAVLO_MF_AWAY"));
    TestRecord t = makeTest(QStringLiteral("Kari"), {2012, 1, 2});
    const bool saved = SaveTest(db, t, true);
    exec(QStringLiteral("ALTER TABLE TESTDATA_TAVLO_MF_AWAY RENAME TO TESTDATA_TAVLO_MF"));
    EXPECT_FALSE(saved);
    EXPECT_EQ(t.person.ID, 0);
    ASSERT_FALSE(sink.messages.isEmpty());
    EXPECT_TRUE(sink.messages.last().text.contains(u"testdata_tavlo_mf")) << sink.messages.last().text.toStdString();
    int rows = -1;
    ListPersons(db, 0, false, [&](const PersonListRow&) { ++rows; });
    EXPECT_EQ(rows, -1);
    EXPECT_EQ(NextPersonId(db), 0);
}

TEST_F(Postgres, TwoConnectionsGetDistinctNumbers)
{
    RecordingSink sink;
    Database other;
    ASSERT_TRUE(connect(other));
    std::set<int> ids;
    for (int i = 0; i < 10; ++i) {
        TestRecord t = makeTest(QStringLiteral("P%1").arg(i), {2012, 1, 2});
        ASSERT_TRUE(SaveTest(i % 2 ? other : db, t, true));
        ids.insert(t.person.ID);
    }
    EXPECT_EQ(ids.size(), 10u);
}

TEST_F(Postgres, AReadSeesOneVersionOfATestThatIsBeingRewritten)
{
    // At read committed each SELECT would see another moment; the read asks for one.
    RecordingSink sink;
    TestRecord t = makeTest(QStringLiteral("Kari"), {2012, 1, 2});
    t.person.OTHER = QStringLiteral("0");
    t.scores.AI = 0;
    t.grid.cell(1) = 0;
    ASSERT_TRUE(SaveTest(db, t, true));
    std::atomic<bool> done = false;
    std::thread writer([&] {
        Database other;
        if (!connect(other))
            return;
        for (int n = 1; !done; ++n) {
            TestRecord next = t;
            next.person.OTHER = QString::number(n);
            next.scores.AI = n;
            next.grid.cell(1) = n;
            SaveTest(other, next, false);
        }
    });
    int mixed = 0;
    for (int i = 0; i < 300; ++i) {
        TestRecord back;
        ASSERT_EQ(ReadTest(db, back, t.person.ID), 1);
        if (back.person.OTHER.toInt() != back.scores.AI || back.scores.AI != back.grid.cell(1))
            ++mixed;
    }
    done = true;
    writer.join();
    EXPECT_EQ(mixed, 0);
    // Back at the server's default for the writes.
    SQLUINTEGER isolation = 0;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLGetConnectAttr(db.handle(), SQL_ATTR_TXN_ISOLATION, &isolation, sizeof isolation, nullptr)));
    EXPECT_EQ(isolation, SQLUINTEGER(SQL_TXN_READ_COMMITTED));
}

TEST_F(Postgres, EveryTestReadsInBulkAsReadTestReadsIt)
{
    RecordingSink sink;
    std::vector<TestRecord> saved;
    for (int i = 0; i < 5; ++i) {
        TestRecord t = makeTest(QStringLiteral("P%1").arg(i), {2012, 1, 2});
        t.scores.AI = i;
        ASSERT_TRUE(SaveTest(db, t, true));
        saved.push_back(t);
    }
    ASSERT_TRUE(DeleteTest(db, saved[1].person.ID)); // a gap
    saved.erase(saved.begin() + 1);
    exec(QStringLiteral("DELETE FROM TESTDATA_TAVLO WHERE PERSONALDATA_ID = %1").arg(saved[2].person.ID));
    exec(QStringLiteral("DELETE FROM TESTDATA_TAVLO_MF WHERE MF_ID = %1").arg(saved[2].person.ID));
    for (const int chunkSize : {1, 2, kTestsPerChunk}) {
        std::vector<TestRecord> bulk;
        const BulkReadResult result = readEveryTest(
            db,
            [&bulk](TestRecord& test) {
                bulk.push_back(test);
                return true;
            },
            {}, chunkSize);
        EXPECT_EQ(result.outcome, BulkRead::Done) << result.error.toStdString();
        ASSERT_EQ(bulk.size(), saved.size());
        for (size_t i = 0; i < saved.size(); ++i) {
            TestRecord one;
            ASSERT_EQ(ReadTest(db, one, saved[i].person.ID), 1);
            EXPECT_EQ(bulk[i].person, one.person);
            EXPECT_EQ(bulk[i].scores, one.scores);
            EXPECT_EQ(bulk[i].grid, one.grid);
        }
    }
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}
