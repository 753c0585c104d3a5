#include "RecordingSink.h"
#include "TempDatabase.h"
#include "store/tables/PersonTable.h"
#include "store/tables/ScoreTables.h"

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

TestRecord storedPerson(Database& db)
{
    TestRecord test;
    NewTestRecord(test, Date{2012, 3, 24});
    test.person.NAMN = QStringLiteral("Kari");
    test.person.TESTLEDARE = QStringLiteral("Ola");
    test.person.BORNDATE = {2005, 8, 15};
    test.person.SEX = 2;
    EXPECT_EQ(DoInsertPD(db, test.person), 1);
    return test;
}

} // namespace

TEST(ScoreTables, ValuesRoundTripWithZeroAndNotEnteredKeptApart)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = storedPerson(t.db);
    for (const MeasureInfo& m : measures())
        test.scores[m.key] = m.column % 3 == 0 ? NOT_ENTERED : (m.column % 3 == 1 ? 0 : 100 + m.column);
    for (int n = 1; n <= kGridCellCount; ++n)
        test.grid.cell(n) = n % 4 == 0 ? NOT_ENTERED : n % 21;
    ASSERT_EQ(InsertTestData(t.db, test), 1);
    ASSERT_EQ(InsertTestDataMF(t.db, test), 1);

    TestRecord back;
    back.person.ID = test.person.ID;
    ASSERT_EQ(ReadTestData(t.db, back), 1);
    ASSERT_EQ(ReadTestDataMF(t.db, back), 1);
    EXPECT_EQ(back.scores, test.scores);
    EXPECT_EQ(back.grid, test.grid);

    // Columns carry the catalogue's names: a value lands in its own column.
    Statement s(t.db);
    ASSERT_TRUE(s.execDirect(QStringLiteral("SELECT VP_F, AI, MF112, MF1 FROM TESTDATA_TAVLO, TESTDATA_TAVLO_MF "
                                            "WHERE PERSONALDATA_ID = MF_ID")));
    ASSERT_EQ(s.fetch(), Fetch::Row);
    EXPECT_EQ(s.getInt(1), test.scores.VP_F);
    EXPECT_EQ(s.getInt(2), test.scores.AI);
    EXPECT_EQ(s.getInt(3), test.grid.cell(112));
    EXPECT_EQ(s.getInt(4), test.grid.cell(1));

    for (const MeasureInfo& m : measures())
        test.scores[m.key] = NOT_ENTERED;
    test.grid.cell(5) = 0;
    ASSERT_EQ(UpdateTestData(t.db, test), 1);
    ASSERT_EQ(UpdateTestDataMF(t.db, test), 1);
    ASSERT_EQ(ReadTestData(t.db, back), 1);
    ASSERT_EQ(ReadTestDataMF(t.db, back), 1);
    EXPECT_EQ(back.scores, TestData{});
    EXPECT_EQ(back.grid.cell(5), 0);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST(ScoreTables, MissingRowsAnswerNineAndLeaveTheRecord)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = storedPerson(t.db);
    test.scores.AI = 12;
    test.grid.cell(3) = 7;
    EXPECT_EQ(ReadTestData(t.db, test), 9);
    EXPECT_EQ(ReadTestDataMF(t.db, test), 9);
    EXPECT_EQ(test.scores.AI, 12);
    EXPECT_EQ(test.grid.cell(3), 7);
    // An update or delete that finds no row is a success.
    long touched = -1;
    EXPECT_EQ(UpdateTestData(t.db, test, &touched), 1);
    EXPECT_EQ(touched, 0);
    EXPECT_EQ(DeleteTestData(t.db, test.person.ID), 1);
    EXPECT_EQ(DeleteTestDataMF(t.db, test.person.ID), 1);
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST(ScoreTables, AFailingStatementShowsTheDriversOwnText)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = storedPerson(t.db);
    t.exec(QStringLiteral("DROP TABLE TESTDATA_TAVLO"));
    test.scores.AI = 5;
    EXPECT_EQ(ReadTestData(t.db, test), 0);
    EXPECT_EQ(test.scores.AI, 5);
    EXPECT_EQ(InsertTestData(t.db, test), 0);
    EXPECT_EQ(UpdateTestData(t.db, test), 0);
    EXPECT_EQ(DeleteTestData(t.db, test.person.ID), 0);
    ASSERT_EQ(sink.messages.size(), 4);
    for (const auto& m : sink.messages) {
        EXPECT_TRUE(m.text.contains(u"no such table: TESTDATA_TAVLO")) << m.text.toStdString();
        EXPECT_EQ(m.caption, QStringLiteral("TAVLO-II"));
    }
}

TEST(ScoreTables, NullColumnsReadAsNotEntered)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = storedPerson(t.db);
    // A database edited by hand may hold NULLs; they are "not entered", never 0.
    t.exec(QStringLiteral("CREATE TABLE T2 AS SELECT * FROM TESTDATA_TAVLO"));
    t.exec(QStringLiteral("DROP TABLE TESTDATA_TAVLO"));
    t.exec(QStringLiteral("CREATE TABLE TESTDATA_TAVLO AS SELECT * FROM T2"));
    t.exec(QStringLiteral("INSERT INTO TESTDATA_TAVLO (PERSONALDATA_ID, AI) VALUES (%1, 3)").arg(test.person.ID));
    test.scores.KR_A = 4;
    ASSERT_EQ(ReadTestData(t.db, test), 1);
    EXPECT_EQ(test.scores.AI, 3);
    EXPECT_EQ(test.scores.KR_A, NOT_ENTERED);
    EXPECT_EQ(test.scores.VP_F, NOT_ENTERED);
}
