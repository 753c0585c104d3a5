#include "FixedArchive.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "store/tables/BulkRead.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace tavlo;
using namespace tavlo::test;

namespace {

// What ReadTest gives for every stored person, in number order.
std::vector<TestRecord> readOneByOne(Database& db)
{
    std::vector<int> ids;
    EXPECT_EQ(ListPersons(db, 9, false, [&ids](const PersonListRow& row) { ids.push_back(row.ID); }), 1);
    std::vector<TestRecord> tests(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(ReadTest(db, tests[i], ids[i]), 1) << "person " << ids[i];
    return tests;
}

struct Bulk {
    BulkReadResult result;
    std::vector<TestRecord> tests;
    std::vector<std::pair<int, int>> chunks; // read so far, total
};

Bulk readInBulk(Database& db, int chunkSize)
{
    Bulk bulk;
    bulk.result = readEveryTest(
        db,
        [&bulk](TestRecord& test) {
            bulk.tests.push_back(test);
            return true;
        },
        [&bulk](int read, int total) {
            bulk.chunks.emplace_back(read, total);
            return true;
        },
        chunkSize);
    return bulk;
}

void expectSameTest(const TestRecord& bulk, const TestRecord& one)
{
    EXPECT_EQ(bulk.person, one.person) << "person " << one.person.ID;
    EXPECT_EQ(bulk.scores, one.scores) << "scores of " << one.person.ID;
    EXPECT_EQ(bulk.grid, one.grid) << "grid of " << one.person.ID;
    EXPECT_EQ(bulk.area, ResultArea{}) << "results of " << one.person.ID;
}

} // namespace

TEST(BulkRead, EveryTestReadsAsReadTestReadsItHoweverTheChunksFall)
{
    TempDatabase t;
    RecordingSink sink;
    makeFixedArchive(t);
    const auto expected = readOneByOne(t.db);
    ASSERT_EQ(expected.size(), 13u);
    for (const int chunkSize : {1, 2, 3, 5, 13, kTestsPerChunk}) {
        SCOPED_TRACE(chunkSize);
        const Bulk bulk = readInBulk(t.db, chunkSize);
        EXPECT_EQ(bulk.result.outcome, BulkRead::Done) << bulk.result.error.toStdString();
        ASSERT_EQ(bulk.tests.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            expectSameTest(bulk.tests[i], expected[i]);
        // After every chunk, the tests so far out of all; the last chunk may be empty.
        ASSERT_FALSE(bulk.chunks.empty());
        for (size_t i = 0; i < bulk.chunks.size(); ++i)
            EXPECT_EQ(bulk.chunks[i], std::make_pair(std::min(int(i + 1) * chunkSize, 13), 13));
        EXPECT_FALSE(t.db.inTransaction());
    }
    EXPECT_TRUE(sink.messages.isEmpty());
}

// Values the program never writes but other tools can (texts, reals, blobs, numbers beyond
// 32 bits, in one or the other score table): each read as ReadTest reads it.
TEST(BulkRead, ValuesOtherToolsLeaveReadAsReadTestReadsThem)
{
    const QString changes[] = {
        QStringLiteral("UPDATE TESTDATA_TAVLO SET AI = 'x' WHERE PERSONALDATA_ID = 4"),
        QStringLiteral("UPDATE TESTDATA_TAVLO SET KR_A = 2.5, KR_B = '12' WHERE PERSONALDATA_ID = 6"),
        QStringLiteral("UPDATE TESTDATA_TAVLO SET VP_F = 5000000000 WHERE PERSONALDATA_ID = 8"),
        QStringLiteral("UPDATE TESTDATA_TAVLO_MF SET MF1 = ' 7', MF2 = '007', MF112 = X'31' WHERE MF_ID = 9"),
        QStringLiteral("UPDATE TESTDATA_TAVLO_MF SET MF5 = '1,2' WHERE MF_ID = 1000"),
        QStringLiteral("UPDATE TESTDATA_TAVLO SET BK = X'32' WHERE PERSONALDATA_ID = 41"),
        QStringLiteral("UPDATE TESTDATA_TAVLO SET BF_S = -2147483648, BF_A = 2147483647 WHERE PERSONALDATA_ID = 1"),
    };
    for (const QString& change : changes) {
        SCOPED_TRACE(change.toStdString());
        TempDatabase t;
        RecordingSink sink;
        makeFixedArchive(t);
        t.exec(change);
        const auto expected = readOneByOne(t.db);
        const Bulk bulk = readInBulk(t.db, 3);
        EXPECT_EQ(bulk.result.outcome, BulkRead::Done) << bulk.result.error.toStdString();
        ASSERT_EQ(bulk.tests.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            expectSameTest(bulk.tests[i], expected[i]);
        EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    }
}

// Another program saves two tests together again and again; a read in chunks of one test
// must never see the first of a save without the second.
TEST(BulkRead, EveryChunkSeesTheSameMomentWhileAnotherProgramSaves)
{
    TempDatabase t;
    RecordingSink sink;
    const auto version = [](int id, int n) {
        TestRecord test = fixedTest(id);
        test.person.OTHER = QString::number(n);
        test.scores.AI = n;
        test.grid.cell(112) = n;
        return test;
    };
    for (const int id : {1, 2})
        storeFixed(t.db, version(id, 0), Rows::All);
    std::atomic<bool> done = false;
    std::atomic<int> saves = 0;
    std::thread writer([&] {
        Database db;
        if (!t.connect(db))
            return;
        for (int n = 1; !done; ++n) {
            Transaction transaction(db);
            bool saved = true;
            for (const int id : {1, 2}) {
                TestRecord test = version(id, n);
                saved = saved && SaveTest(db, test, false);
            }
            if (saved && transaction.commit())
                ++saves;
            // Room for the reader: SQLite's busy wait would otherwise let the writer run alone.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    QStringList mixed;
    int reads = 0;
    for (; reads < 200 && (saves < 20 || reads < 50); ++reads) {
        std::vector<TestRecord> seen;
        const BulkReadResult result = readEveryTest(
            t.db,
            [&seen](TestRecord& test) {
                seen.push_back(test);
                // A consumer slower than the writer, as a file on a network share.
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                return true;
            },
            {}, 1);
        ASSERT_EQ(result.outcome, BulkRead::Done) << result.error.toStdString();
        ASSERT_EQ(seen.size(), 2u);
        const auto seenVersion = [](const TestRecord& test) {
            return QStringLiteral("%1/%2/%3").arg(test.person.OTHER).arg(test.scores.AI).arg(test.grid.cell(112));
        };
        if (seenVersion(seen[0]) != seenVersion(seen[1]))
            mixed.append(seenVersion(seen[0]) + u' ' + seenVersion(seen[1]));
    }
    done = true;
    writer.join();
    EXPECT_GE(saves, 20) << "the reads ran beside the saves";
    EXPECT_TRUE(mixed.isEmpty()) << mixed.size() << " of " << reads << " reads mixed two saves, e.g. "
                                 << mixed.mid(0, 5).join(u", ").toStdString();
    EXPECT_FALSE(t.db.inTransaction());
}
