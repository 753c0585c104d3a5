#include "model/TestRecord.h"

#include <gtest/gtest.h>

using namespace tavlo;

namespace {

void fillWithValues(TestRecord& t)
{
    t.person.ID = 17;
    t.person.NAMN = QStringLiteral("Åse O'Brien");
    t.person.TESTLEDARE = QStringLiteral("Kari");
    t.person.SEX = 2;
    t.person.AGE = 5;
    t.person.HANDEDNESS = 3;
    t.person.BORNDATE = {2005, 8, 15};
    t.person.OTHER = QStringLiteral("x");
    for (const MeasureInfo& m : measures())
        t.scores[m.key] = m.column;
    for (int n = 1; n <= kGridCellCount; ++n)
        t.grid.cell(n) = n % 20;
    for (int k = kMeasureCount; k < kKeyCount; ++k)
        t.setRaw(Key(k), COMPUTED_MARKER);
    for (int k = 0; k < kKeyCount; ++k)
        t.result(Key(k)) = {k + 1, QStringLiteral("26-50%")};
}

void expectCleared(const TestRecord& t)
{
    for (int k = 0; k < kKeyCount; ++k) {
        EXPECT_EQ(t.raw(Key(k)), NOT_ENTERED) << keyName(Key(k));
        EXPECT_EQ(t.result(Key(k)).value, 0) << keyName(Key(k));
        EXPECT_TRUE(t.result(Key(k)).text.isEmpty()) << keyName(Key(k));
    }
    for (int n = 1; n <= kGridCellCount; ++n)
        EXPECT_EQ(t.grid.cell(n), NOT_ENTERED) << "MF" << n;
}

} // namespace

TEST(TestRecord, NewRecordKeepsNothingOfTheOldPerson)
{
    TestRecord t;
    fillWithValues(t);
    t.person.TESTDATE = {2012, 3, 24};
    NewTestRecord(t, Date{2026, 12, 7});
    EXPECT_EQ(t.person.ID, 0);
    EXPECT_TRUE(t.person.NAMN.isEmpty());
    EXPECT_TRUE(t.person.TESTLEDARE.isEmpty());
    EXPECT_TRUE(t.person.OTHER.isEmpty());
    EXPECT_EQ(t.person.SEX, 0);
    EXPECT_EQ(t.person.AGE, 0);
    EXPECT_EQ(t.person.HANDEDNESS, 0);
    EXPECT_EQ(t.person.BORNDATE, (Date{0, 0, 0}));
    EXPECT_EQ(t.person.TESTDATE, (Date{2026, 12, 7}));
    expectCleared(t);
}

TEST(TestRecord, ClearScoresResetsScoresButNotThePerson)
{
    TestRecord t;
    fillWithValues(t);
    ClearScores(t);
    expectCleared(t);
    EXPECT_EQ(t.person.ID, 17);
    EXPECT_EQ(t.person.NAMN, QStringLiteral("Åse O'Brien"));
}

TEST(TestRecord, MeasuresAreAddressedByCodeAndKey)
{
    TestRecord t;
    t.scores.BF_S = 0; // a real score, not "not entered"
    t.scores.VP_F = 382;
    EXPECT_EQ(t.raw(Key::BF_S), 0);
    EXPECT_EQ(t.scores[Key::VP_F], 382);
    EXPECT_EQ(t.raw(Key::BF_A), NOT_ENTERED);
    t.setRaw(Key::MO_DELAY, 3);
    EXPECT_EQ(t.raw(Key::MO_DELAY), 3);
    t.setRaw(Key::AI, 12);
    EXPECT_EQ(t.scores.AI, 12);
    // Each key has its own slot: writing one never touches another.
    for (int k = 0; k < kKeyCount; ++k)
        t.setRaw(Key(k), 1000 + k);
    for (int k = 0; k < kKeyCount; ++k)
        EXPECT_EQ(t.raw(Key(k)), 1000 + k) << keyName(Key(k));
    t.grid.cell(1) = 4;
    t.grid.cell(112) = 20;
    EXPECT_EQ(t.grid.MF.front(), 4);
    EXPECT_EQ(t.grid.MF.back(), 20);
}

TEST(TestRecord, TestAgeFollowsTheDates)
{
    TestRecord t;
    NewTestRecord(t, Date{2012, 3, 10});
    t.person.BORNDATE = {2005, 8, 15};
    EXPECT_EQ(t.testAge(), (TestAge{6, 6, 25}));
    t.person.TESTDATE = {2012, 3, 15};
    EXPECT_EQ(t.testAge(), (TestAge{6, 7, 0}));
}
