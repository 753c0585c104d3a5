// Several programs saving into one database at the same time: real processes, on the SQLite
// file and, when TAVLO_TEST_POSTGRES_TEMPLATE names one, on a PostgreSQL server.
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "WriterTests.h"
#include "store/accounts/LogChain.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <set>
#include <thread>

using namespace tavlo;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;
using tavlo::test::ConnectFolder;
using tavlo::test::EmptyTestTables;
using tavlo::test::WriterTest;

namespace {

enum class Store { Sqlite, Postgres };

std::string storeName(const ::testing::TestParamInfo<Store>& info)
{
    return info.param == Store::Sqlite ? "Sqlite" : "Postgres";
}

void PrintTo(Store store, std::ostream* out)
{
    *out << (store == Store::Sqlite ? "SQLite" : "PostgreSQL");
}

class SeveralWriters : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override
    {
        if (GetParam() == Store::Sqlite) {
            m_sqlite = std::make_unique<TempDatabase>();
            m_folder = m_sqlite->folder();
        } else {
            const QString connectionTemplate = qEnvironmentVariable("TAVLO_TEST_POSTGRES_TEMPLATE");
            if (connectionTemplate.isEmpty())
                GTEST_SKIP() << "TAVLO_TEST_POSTGRES_TEMPLATE is not set: no PostgreSQL server to write to";
            m_folder = m_dir.path();
            ASSERT_TRUE(WriteWorkgroupFile(QDir(m_folder).filePath(kWorkgroupFileName), connectionTemplate, nullptr));
        }
        ASSERT_TRUE(ConnectFolder(db, m_folder));
        QString error;
        if (GetParam() == Store::Postgres) {
            ASSERT_TRUE(EmptyTestTables(db, &error)) << error.toStdString();
        }
    }


    int count(const QString& sql)
    {
        Statement s(db);
        EXPECT_TRUE(s.execDirect(sql)) << s.diagnostic().toStdString();
        EXPECT_EQ(s.fetch(), Fetch::Row);
        return s.getInt(1).value_or(-1);
    }

    QString m_folder;
    QTemporaryDir m_dir;
    std::unique_ptr<TempDatabase> m_sqlite;
    Database db;
};

} // namespace

TEST_P(SeveralWriters, TwoProcessesSavingAtOnceLoseNothingAndNeverShareANumber)
{
    constexpr int kWriters = 2;
    constexpr int kSaves = 40;
    QProcess writers[kWriters];
    for (int w = 0; w < kWriters; ++w)
        writers[w].start(QStringLiteral(TAVLO_WRITER_PATH), {m_folder, QString::number(w), QString::number(kSaves)});
    std::vector<int> ids[kWriters];
    std::set<int> distinct;
    for (int w = 0; w < kWriters; ++w) {
        ASSERT_TRUE(writers[w].waitForFinished(240000)) << "writer " << w << " did not finish";
        const QString said = QString::fromUtf8(writers[w].readAllStandardError());
        EXPECT_EQ(writers[w].exitCode(), 0) << said.toStdString();
        EXPECT_TRUE(said.isEmpty()) << said.toStdString();
        for (const QByteArray& line : writers[w].readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                ids[w].push_back(line.toInt());
        ASSERT_EQ(ids[w].size(), size_t(kSaves)) << "writer " << w;
        distinct.insert(ids[w].begin(), ids[w].end());
    }
    EXPECT_EQ(distinct.size(), size_t(kWriters * kSaves));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")), kWriters * kSaves);
    EXPECT_GE(NextPersonId(db), *distinct.rbegin()) << "the counter must stand past every number given out";
    // Both appended to one chain: every save's row, none forked off.
    QString error;
    const auto verdict = VerifyAccessLog(db, &error);
    ASSERT_TRUE(verdict) << error.toStdString();
    EXPECT_TRUE(verdict->whole) << verdict->text.toStdString();

    RecordingSink sink;
    for (int w = 0; w < kWriters; ++w) {
        for (int n = 0; n < kSaves; ++n) {
            TestRecord expected = WriterTest(w, n);
            expected.person.ID = ids[w][size_t(n)];
            TestRecord back;
            ASSERT_EQ(ReadTest(db, back, expected.person.ID), 1) << sink.texts().join(u'\n').toStdString();
            EXPECT_EQ(back.person, expected.person) << "writer " << w << " test " << n;
            EXPECT_EQ(back.scores, expected.scores) << "writer " << w << " test " << n;
            EXPECT_EQ(back.grid, expected.grid) << "writer " << w << " test " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, SeveralWriters, ::testing::Values(Store::Sqlite, Store::Postgres), storeName);

TEST(SqliteWriters, AJobThatReadsBeforeItWritesWaitsForAnotherWriterInsteadOfFailing)
{
    TempDatabase t;
    RecordingSink sink;
    std::promise<void> holding;
    std::thread other([&] {
        Database db;
        if (!t.connect(db)) {
            holding.set_value();
            return;
        }
        Transaction save(db);
        Statement write(db);
        write.execDirect(QStringLiteral("UPDATE TESTPERSON_COUNTER SET LAST_ID = LAST_ID + 1"));
        holding.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        save.commit();
    });
    holding.get_future().wait();
    // Reads the counter, then stores a person under the number after it: the read must not
    // leave this job unable to write once the other has begun to.
    Transaction job(t.db);
    ASSERT_TRUE(job.started()) << t.db.diagnostic().toStdString();
    const int last = NextPersonId(t.db);
    PersonalData person = WriterTest(0, 0).person;
    person.ID = last + 1;
    EXPECT_EQ(InsertPersonWithId(t.db, person), 1);
    EXPECT_TRUE(job.commit());
    other.join();
    EXPECT_EQ(last, 1) << "the job ran after the other writer, seeing its number";
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}
