// The store on a PostgreSQL server: each case on a database of its own, made as init-db
// --server makes one.
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "TestServer.h"
#include "store/tables/BulkRead.h"
#include "store/tables/PersonTable.h"
#include "store/tables/ScoreTables.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

using namespace tavlo;
using tavlo::test::kNoTestServer;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;
using tavlo::test::testServer;

namespace {

class Postgres : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testServer())
            GTEST_SKIP() << kNoTestServer;
        m_database.emplace(StoreKind::Postgres);
    }

    Database& database() { return m_database->db; }
    bool connect(Database& target) { return m_database->connect(target); }
    void exec(const QString& sql) { m_database->exec(sql); }

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

    std::optional<TempDatabase> m_database;
};

} // namespace

TEST_F(Postgres, SavesReadsListsAndDeletes)
{
    RecordingSink sink;
    TestRecord a = makeTest(QStringLiteral("Ødegård, \"Æsj\""), {2012, 1, 2});
    TestRecord b = makeTest(QStringLiteral("Berit"), {2011, 12, 15});
    ASSERT_TRUE(SaveTest(database(), a, true)) << sink.texts().join(u'\n').toStdString();
    ASSERT_TRUE(SaveTest(database(), b, true));
    EXPECT_EQ(b.person.ID, a.person.ID + 1);
    TestRecord back;
    ASSERT_EQ(ReadTest(database(), back, a.person.ID), 1);
    EXPECT_EQ(back.person, a.person);
    EXPECT_EQ(back.scores, a.scores);
    EXPECT_EQ(back.grid, a.grid);
    std::vector<int> ids;
    ASSERT_EQ(ListPersons(database(), 2, false, [&](const PersonListRow& r) { ids.push_back(r.ID); }), 1);
    EXPECT_EQ(ids, (std::vector<int>{b.person.ID, a.person.ID}));
    ASSERT_TRUE(DeleteTest(database(), a.person.ID));
    EXPECT_EQ(ReadTestData(database(), a), 9);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(Postgres, AFailedSaveLeavesNothing)
{
    RecordingSink sink;
    exec(QStringLiteral("ALTER TABLE TESTDATA_TAVLO_MF RENAME TO TESTDATA_TAVLO_MF_AWAY"));
    TestRecord t = makeTest(QStringLiteral("Kari"), {2012, 1, 2});
    const bool saved = SaveTest(database(), t, true);
    exec(QStringLiteral("ALTER TABLE TESTDATA_TAVLO_MF_AWAY RENAME TO TESTDATA_TAVLO_MF"));
    EXPECT_FALSE(saved);
    EXPECT_EQ(t.person.ID, 0);
    ASSERT_FALSE(sink.messages.isEmpty());
    EXPECT_TRUE(sink.messages.last().text.contains(u"testdata_tavlo_mf")) << sink.messages.last().text.toStdString();
    int rows = -1;
    ListPersons(database(), 0, false, [&](const PersonListRow&) { ++rows; });
    EXPECT_EQ(rows, -1);
    EXPECT_EQ(NextPersonId(database()), 0);
}

TEST_F(Postgres, TwoConnectionsGetDistinctNumbers)
{
    RecordingSink sink;
    Database other;
    ASSERT_TRUE(connect(other));
    std::set<int> ids;
    for (int i = 0; i < 10; ++i) {
        TestRecord t = makeTest(QStringLiteral("P%1").arg(i), {2012, 1, 2});
        ASSERT_TRUE(SaveTest(i % 2 ? other : database(), t, true));
        ids.insert(t.person.ID);
    }
    EXPECT_EQ(ids.size(), 10u);

    // Two examiners saving at the same moment, each on a connection of their own.
    std::vector<int> saved[2];
    const auto examiner = [&](int n) {
        Database own;
        if (!connect(own))
            return;
        for (int i = 0; i < 25; ++i) {
            TestRecord t = makeTest(QStringLiteral("Samtidig %1-%2").arg(n).arg(i), {2012, 1, 2});
            if (!SaveTest(own, t, true))
                return;
            saved[n].push_back(t.person.ID);
        }
    };
    std::thread first(examiner, 0);
    std::thread second(examiner, 1);
    first.join();
    second.join();
    ASSERT_EQ(saved[0].size() + saved[1].size(), 50u) << sink.texts().join(u'\n').toStdString();
    ids.insert(saved[0].begin(), saved[0].end());
    ids.insert(saved[1].begin(), saved[1].end());
    EXPECT_EQ(ids.size(), 60u);
}

TEST_F(Postgres, ASaveThatWaitsForTheCounterSkipsANumberStoredMeanwhile)
{
    RecordingSink sink;
    TestRecord first = makeTest(QStringLiteral("Først"), {2012, 1, 2});
    ASSERT_TRUE(SaveTest(database(), first, true));
    Database holder, waiter, mover;
    ASSERT_TRUE(connect(holder) && connect(waiter) && connect(mover));

    // One examiner's save holds the counter; another's waits for it; meanwhile a moved
    // archive stores a test under the number the waiting save would otherwise get.
    Transaction holding(holder);
    PersonalData held = makeTest(QStringLiteral("Holder"), {2012, 1, 2}).person;
    ASSERT_EQ(DoInsertPD(holder, held), 1);
    TestRecord waiting = makeTest(QStringLiteral("Venter"), {2012, 1, 2});
    bool waitingSaved = false;
    std::thread saver([&] { waitingSaved = SaveTest(waiter, waiting, true); });
    for (int i = 0; i < 1000; ++i) {
        Statement s(database());
        if (s.execDirect(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' "
                                        "AND datname = current_database()"))
            && s.fetch() == Fetch::Row && s.getInt(1).value_or(0) > 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    PersonalData moved = makeTest(QStringLiteral("Flyttet"), {2012, 1, 2}).person;
    moved.ID = held.ID + 1;
    ASSERT_EQ(InsertPersonWithId(mover, moved), 1);
    ASSERT_TRUE(holding.commit());
    saver.join();

    EXPECT_TRUE(waitingSaved) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(waiting.person.ID, moved.ID + 1);
}

TEST_F(Postgres, AReadSeesOneVersionOfATestThatIsBeingRewritten)
{
    // At read committed each SELECT would see another moment; the read asks for one.
    RecordingSink sink;
    TestRecord t = makeTest(QStringLiteral("Kari"), {2012, 1, 2});
    t.person.OTHER = QStringLiteral("0");
    t.scores.AI = 0;
    t.grid.cell(1) = 0;
    ASSERT_TRUE(SaveTest(database(), t, true));
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
        ASSERT_EQ(ReadTest(database(), back, t.person.ID), 1);
        if (back.person.OTHER.toInt() != back.scores.AI || back.scores.AI != back.grid.cell(1))
            ++mixed;
    }
    done = true;
    writer.join();
    EXPECT_EQ(mixed, 0);
    // Back at the server's default for the writes.
    SQLUINTEGER isolation = 0;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLGetConnectAttr(database().handle(), SQL_ATTR_TXN_ISOLATION, &isolation, sizeof isolation, nullptr)));
    EXPECT_EQ(isolation, SQLUINTEGER(SQL_TXN_READ_COMMITTED));
}

TEST_F(Postgres, EveryTestReadsInBulkAsReadTestReadsIt)
{
    RecordingSink sink;
    std::vector<TestRecord> saved;
    for (int i = 0; i < 5; ++i) {
        TestRecord t = makeTest(QStringLiteral("P%1").arg(i), {2012, 1, 2});
        t.scores.AI = i;
        ASSERT_TRUE(SaveTest(database(), t, true));
        saved.push_back(t);
    }
    ASSERT_TRUE(DeleteTest(database(), saved[1].person.ID)); // a gap
    saved.erase(saved.begin() + 1);
    exec(QStringLiteral("DELETE FROM TESTDATA_TAVLO WHERE PERSONALDATA_ID = %1").arg(saved[2].person.ID));
    exec(QStringLiteral("DELETE FROM TESTDATA_TAVLO_MF WHERE MF_ID = %1").arg(saved[2].person.ID));
    for (const int chunkSize : {1, 2, kTestsPerChunk}) {
        std::vector<TestRecord> bulk;
        const BulkReadResult result = readEveryTest(
            database(),
            [&bulk](TestRecord& test) {
                bulk.push_back(test);
                return true;
            },
            {}, chunkSize);
        EXPECT_EQ(result.outcome, BulkRead::Done) << result.error.toStdString();
        ASSERT_EQ(bulk.size(), saved.size());
        for (size_t i = 0; i < saved.size(); ++i) {
            TestRecord one;
            ASSERT_EQ(ReadTest(database(), one, saved[i].person.ID), 1);
            EXPECT_EQ(bulk[i].person, one.person);
            EXPECT_EQ(bulk[i].scores, one.scores);
            EXPECT_EQ(bulk[i].grid, one.grid);
        }
    }
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}
