#pragma once
// A small fictional archive with every shape a whole-archive reader must keep apart: gaps in
// the numbers, persons without one or both score rows (also right after a full test and at
// the end), texts and dates other tools may leave, and a score row without its person.

#include "TempDatabase.h"
#include "store/tables/PersonTable.h"
#include "store/tables/ScoreTables.h"

#include <gtest/gtest.h>

namespace tavlo::test {

inline TestRecord fixedTest(int id)
{
    TestRecord t;
    t.person.ID = id;
    t.person.NAMN = QStringLiteral("Barn %1").arg(id);
    t.person.ADRESS = QStringLiteral("Bjørkeveien %1").arg(id);
    t.person.TELEFON = QStringLiteral("22 33 %1").arg(id);
    t.person.NATIONALITET = QStringLiteral("norsk");
    t.person.HOMELANGUAGE = id % 2 ? QStringLiteral("samisk") : QString();
    t.person.SKOLA = QStringLiteral("Æbeltoft skole");
    t.person.KLASS = QStringLiteral("%1B").arg(id % 7);
    t.person.TESTAD_VID = QStringLiteral("BUP");
    t.person.TESTLEDARE = QStringLiteral("O'Neil");
    t.person.SEX = 1 + id % 2;
    t.person.AGE = id; // stored, never exported
    t.person.TESTDATE = {int16_t(2010 + id % 9), int16_t(1 + id % 12), int16_t(1 + id % 28)};
    t.person.BORNDATE = {int16_t(2002 + id % 5), int16_t(1 + (id * 5) % 12), int16_t(1 + (id * 3) % 28)};
    t.person.HANDEDNESS = id % 5;
    t.person.OTHER = QStringLiteral("Egenandel %1 €").arg(id);
    for (const MeasureInfo& m : measures())
        t.scores[m.key] = (id + m.column) % 6 == 0 ? NOT_ENTERED : (id * 7 + m.column) % 25;
    for (int n = 1; n <= kGridCellCount; ++n)
        t.grid.cell(n) = (id + n) % 3 == 0 ? 1 + (id + n) % 20 : NOT_ENTERED;
    return t;
}

// The person of fixedTest with scores and cards the entry dialogs take at every age: each
// score 0-5 or none (the lowest maximum is 6, the sorting totals stay under 20), 999 and
// three digits where no age has a maximum, and up to four cards numbered 1-4 in each trial,
// with a card 10 beside them from trial 3 on.
inline TestRecord storableTest(int id)
{
    TestRecord t = fixedTest(id);
    for (const MeasureInfo& m : measures())
        t.scores[m.key] = (id + m.column) % 6 == 0 ? NOT_ENTERED : (id * 7 + m.column) % 6;
    t.scores.BP = 999;
    t.scores.MO_A = 100 + id % 900;
    t.grid = TestDataMF{};
    for (int block = 1; block <= 7; ++block) {
        const int cards = (id + block) % 5;
        const auto cell = [&](int j) -> int& { return t.grid.cell(16 * (block - 1) + 1 + (id + block + 5 * j) % 16); };
        for (int j = 0; j < cards; ++j)
            cell(j) = j + 1;
        if (block >= 3 && cards > 0)
            cell(4) = 10;
    }
    return t;
}

// Which rows a person of the fixed archive has.
enum class Rows { All, None, ScoresOnly, GridOnly };

inline void storeFixed(Database& db, const TestRecord& t, Rows rows)
{
    ASSERT_EQ(InsertPersonWithId(db, t.person), 1);
    if (rows == Rows::All || rows == Rows::ScoresOnly) {
        ASSERT_EQ(InsertTestData(db, t), 1);
    }
    if (rows == Rows::All || rows == Rows::GridOnly) {
        ASSERT_EQ(InsertTestDataMF(db, t), 1);
    }
}

inline void makeFixedArchive(TempDatabase& t)
{
    const std::pair<int, Rows> persons[] = {
        {1, Rows::All},  {2, Rows::None},     {4, Rows::ScoresOnly}, {5, Rows::GridOnly}, {6, Rows::All},
        {8, Rows::All},  {9, Rows::All},      {10, Rows::None},      {11, Rows::All},     {40, Rows::All},
        {41, Rows::All}, {1000, Rows::All},   {1001, Rows::None},
    };
    for (const auto& [id, rows] : persons) {
        TestRecord test = fixedTest(id);
        if (id == 6) { // every score 0, an empty grid
            for (const MeasureInfo& m : measures())
                test.scores[m.key] = 0;
            test.grid = TestDataMF{};
        }
        if (id == 9) { // the longest texts the program stores, three bytes a character in UTF-8
            test.person.NAMN = QString(kPersonTextLimit, QChar(0x20AC));
            test.person.SKOLA = QString(kPersonTextLimit, QChar(0xE6));
            test.scores.AI = -1;
            test.scores.VP_F = 123456;
        }
        if (id == 11)
            test.person.BORNDATE = Date{}; // stored as NULL
        storeFixed(t.db, test, rows);
    }
    // What other tools may leave: a date that is not ISO text, NULL texts, a text far longer
    // than the program stores, a year before 1000, and scores of a person who is gone.
    // A server takes neither the date (it reads as no date, as SQLite's does) nor more text
    // than the column holds.
    const bool server = t.store() == StoreKind::Postgres;
    t.exec(QStringLiteral("UPDATE TESTPERSON SET TESTDATE = %1, OTHER = NULL, TELEFON = NULL WHERE ID = 8")
               .arg(server ? QStringLiteral("NULL") : QStringLiteral("'24.03.2012'")));
    t.exec(QStringLiteral("UPDATE TESTPERSON SET ADRESS = '%1' WHERE ID = 40").arg(QString(server ? 50 : 300, u'a')));
    t.exec(QStringLiteral("UPDATE TESTPERSON SET BORNDATE = '0999-02-03' WHERE ID = 41"));
    TestRecord orphan = fixedTest(50);
    ASSERT_EQ(InsertTestData(t.db, orphan), 1);
    ASSERT_EQ(InsertTestDataMF(t.db, orphan), 1);
}

} // namespace tavlo::test
