#include "RecordingSink.h"
#include "TempDatabase.h"
#include "store/tables/PersonTable.h"
#include "store/tables/ScoreTables.h"
#include "store/tables/TestStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

using namespace tavlo;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

TestRecord fullTest(const QString& name)
{
    TestRecord test;
    NewTestRecord(test, Date{2012, 3, 24});
    test.person.NAMN = name;
    test.person.TESTLEDARE = QStringLiteral("Ola");
    test.person.BORNDATE = {2005, 8, 15};
    test.person.SEX = 1;
    for (const MeasureInfo& m : measures())
        test.scores[m.key] = m.column;
    for (int n = 1; n <= kGridCellCount; ++n)
        test.grid.cell(n) = n % 17;
    return test;
}

int countRows(TempDatabase& t, const QString& table)
{
    Statement s(t.db);
    EXPECT_TRUE(s.execDirect(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)));
    EXPECT_EQ(s.fetch(), Fetch::Row);
    return s.getInt(1).value_or(-1);
}

} // namespace

TEST(TestStore, NewTestIsSavedWholeAndReadBack)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = fullTest(QStringLiteral("Kari"));
    ASSERT_TRUE(SaveTest(t.db, test, true));
    EXPECT_EQ(test.person.ID, 1);

    TestRecord back;
    NewTestRecord(back);
    back.scores.AI = 99;
    ASSERT_EQ(ReadTest(t.db, back, test.person.ID), 1);
    EXPECT_EQ(back.person, test.person);
    EXPECT_EQ(back.scores, test.scores);
    EXPECT_EQ(back.grid, test.grid);
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST(TestStore, APersonWithoutScoreRowsReopensWithNothingEntered)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = fullTest(QStringLiteral("Uten skårer"));
    ASSERT_EQ(DoInsertPD(t.db, test.person), 1);

    TestRecord other = fullTest(QStringLiteral("Forrige barn"));
    ASSERT_EQ(ReadTest(t.db, other, test.person.ID), 1);
    EXPECT_EQ(other.person.NAMN, QStringLiteral("Uten skårer"));
    EXPECT_EQ(other.scores, TestData{});
    EXPECT_EQ(other.grid, TestDataMF{});
}

TEST(TestStore, AFailedSaveLeavesNothingAndSaysWhy)
{
    TempDatabase t;
    RecordingSink sink;
    t.exec(QStringLiteral("DROP TABLE TESTDATA_TAVLO_MF"));
    TestRecord test = fullTest(QStringLiteral("Kari"));
    EXPECT_FALSE(SaveTest(t.db, test, true));
    EXPECT_EQ(test.person.ID, 0) << "the record must not look stored";
    ASSERT_FALSE(sink.messages.isEmpty());
    EXPECT_TRUE(sink.messages.last().text.contains(u"no such table: TESTDATA_TAVLO_MF"))
        << sink.messages.last().text.toStdString();
    EXPECT_EQ(countRows(t, QStringLiteral("TESTPERSON")), 0);
    EXPECT_EQ(countRows(t, QStringLiteral("TESTDATA_TAVLO")), 0);
    EXPECT_EQ(NextPersonId(t.db), 0) << "a failed save gives out no number";

    // The connection is usable afterwards and back in auto-commit.
    EXPECT_FALSE(t.db.inTransaction());
    PersonalData p = test.person;
    EXPECT_EQ(DoInsertPD(t.db, p), 1);
    EXPECT_EQ(p.ID, 1);
}

TEST(TestStore, AFailedChangeKeepsTheStoredTest)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = fullTest(QStringLiteral("Kari"));
    ASSERT_TRUE(SaveTest(t.db, test, true));
    t.exec(QStringLiteral("DROP TABLE TESTDATA_TAVLO_MF"));
    TestRecord changed = test;
    changed.person.NAMN = QStringLiteral("Kari Endret");
    changed.scores.AI = 1;
    EXPECT_FALSE(SaveTest(t.db, changed, false));
    TestRecord back;
    ASSERT_EQ(ReadPerson(t.db, back.person, test.person.ID), 1);
    back.person.ID = test.person.ID;
    ASSERT_EQ(ReadTestData(t.db, back), 1);
    EXPECT_EQ(back.person.NAMN, QStringLiteral("Kari"));
    EXPECT_EQ(back.scores.AI, test.scores.AI);
}

TEST(TestStore, ChangingATestWhoseRowsWentMissingWritesThemAgain)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = fullTest(QStringLiteral("Kari"));
    ASSERT_TRUE(SaveTest(t.db, test, true));
    t.exec(QStringLiteral("DELETE FROM TESTDATA_TAVLO"));
    t.exec(QStringLiteral("DELETE FROM TESTPERSON"));
    test.scores.AI = 7;
    ASSERT_TRUE(SaveTest(t.db, test, false));
    TestRecord back;
    ASSERT_EQ(ReadTest(t.db, back, test.person.ID), 1);
    EXPECT_EQ(back.person, test.person);
    EXPECT_EQ(back.scores, test.scores);
    EXPECT_EQ(back.grid, test.grid);
    EXPECT_EQ(countRows(t, QStringLiteral("TESTDATA_TAVLO_MF")), 1) << "no second grid row";
}

TEST(TestStore, DeleteRemovesExactlyThePersonsThreeRows)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord a = fullTest(QStringLiteral("A"));
    TestRecord b = fullTest(QStringLiteral("B"));
    ASSERT_TRUE(SaveTest(t.db, a, true));
    ASSERT_TRUE(SaveTest(t.db, b, true));
    ASSERT_TRUE(DeleteTest(t.db, a.person.ID));
    EXPECT_EQ(countRows(t, QStringLiteral("TESTPERSON")), 1);
    EXPECT_EQ(countRows(t, QStringLiteral("TESTDATA_TAVLO")), 1);
    EXPECT_EQ(countRows(t, QStringLiteral("TESTDATA_TAVLO_MF")), 1);
    TestRecord back;
    EXPECT_EQ(ReadTest(t.db, back, b.person.ID), 1);
    EXPECT_EQ(back.scores, b.scores);

    // A person without score rows deletes cleanly.
    PersonalData lone = a.person;
    ASSERT_EQ(DoInsertPD(t.db, lone), 1);
    EXPECT_TRUE(DeleteTest(t.db, lone.ID));
    EXPECT_EQ(countRows(t, QStringLiteral("TESTPERSON")), 1);

    // A delete that fails half way undoes the half.
    t.exec(QStringLiteral("DROP TABLE TESTDATA_TAVLO_MF"));
    EXPECT_FALSE(DeleteTest(t.db, b.person.ID));
    EXPECT_EQ(countRows(t, QStringLiteral("TESTPERSON")), 1);
    EXPECT_EQ(countRows(t, QStringLiteral("TESTDATA_TAVLO")), 1);
}

TEST(TestStore, TwoConnectionsNeverShareANumber)
{
    TempDatabase t;
    RecordingSink sink; // a message here would be a failure; threads must not show any
    constexpr int perWriter = 40;
    std::vector<int> ids[2];
    std::thread writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = std::thread([&, w] {
            Database db;
            if (!t.connect(db))
                return;
            for (int i = 0; i < perWriter; ++i) {
                TestRecord test = fullTest(QStringLiteral("Skriver %1 nr %2").arg(w).arg(i));
                if (SaveTest(db, test, true))
                    ids[w].push_back(test.person.ID);
            }
        });
    }
    for (auto& w : writers)
        w.join();
    ASSERT_EQ(ids[0].size() + ids[1].size(), size_t(2 * perWriter));
    std::set<int> all(ids[0].begin(), ids[0].end());
    all.insert(ids[1].begin(), ids[1].end());
    EXPECT_EQ(all.size(), size_t(2 * perWriter));
    EXPECT_EQ(countRows(t, QStringLiteral("TESTPERSON")), 2 * perWriter);
    EXPECT_EQ(countRows(t, QStringLiteral("TESTDATA_TAVLO")), 2 * perWriter);
    EXPECT_EQ(NextPersonId(t.db), 2 * perWriter);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

namespace {

// Every row of one version carries its number: the person's OTHER text, a raw score, a cell.
TestRecord version(int id, int n)
{
    TestRecord test = fullTest(QStringLiteral("Kari"));
    test.person.ID = id;
    test.person.OTHER = QStringLiteral("Versjon %1").arg(n);
    test.scores.AI = n;
    test.grid.cell(1) = n;
    return test;
}

} // namespace

TEST(TestStore, AReadSeesOneVersionOfATestThatIsBeingRewritten)
{
    TempDatabase t;
    RecordingSink sink; // the reads between a delete and the next save say the person is gone
    TestRecord first = version(0, 1);
    ASSERT_TRUE(SaveTest(t.db, first, true));
    const int id = first.person.ID;

    std::atomic<bool> done = false;
    std::atomic<int> rewrites = 0;
    std::thread writer([&] {
        Database db;
        if (!t.connect(db))
            return;
        for (int n = 2; !done; ++n) {
            TestRecord test = version(id, n);
            // Now and then another examiner deletes the test and it is saved again.
            if (n % 4 == 0)
                DeleteTest(db, id);
            if (SaveTest(db, test, false))
                ++rewrites;
            // Room for the reader: SQLite's busy wait would otherwise let the writer run alone.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    int whole = 0;
    QStringList mixed;
    // Reads while the person is deleted find nobody; go on until enough found the test.
    for (int i = 0; whole < 100 && i < 5000; ++i) {
        TestRecord back;
        if (ReadTest(t.db, back, id) != 1)
            continue;
        ++whole;
        const int n = back.person.OTHER.mid(8).toInt();
        if (back.scores.AI != n || back.grid.cell(1) != n)
            mixed.append(QStringLiteral("%1/%2/%3").arg(back.person.OTHER).arg(back.scores.AI).arg(back.grid.cell(1)));
    }
    done = true;
    writer.join();
    EXPECT_GT(rewrites, 10) << "the reads ran beside the writes";
    EXPECT_EQ(whole, 100);
    EXPECT_TRUE(mixed.isEmpty()) << mixed.size() << " of " << whole << " reads mixed versions, e.g. "
                                 << mixed.mid(0, 5).join(u", ").toStdString();
    EXPECT_FALSE(t.db.inTransaction());
    // A read that fails ends its snapshot too: the writer would otherwise wait for it for ever.
    TestRecord none;
    EXPECT_EQ(ReadTest(t.db, none, id + 1), 0);
    EXPECT_FALSE(t.db.inTransaction());
    TestRecord last = version(id, 0);
    Database other;
    ASSERT_TRUE(t.connect(other));
    EXPECT_TRUE(SaveTest(other, last, false)) << sink.texts().last().toStdString();
}
