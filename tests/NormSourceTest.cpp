// Scoring reads its norm rows through a NormSource: a run is a function of the record and
// the norms, testable against a table given here, row by row.
#include "Ages.h"
#include "RecordingSink.h"
#include "scoring/Scoring.h"

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;

namespace {

const QString kSevenYears = QStringLiteral("Ålder 7:0-7:5");

// Every measure of the 7-12 list in the age group 7:0-7:5: bounds 2k rising, 40 - 2k falling.
NormTable sevenYearNorms()
{
    NormTable table;
    for (const ScaleEntry& e : normTables().list(AgeBand::Y7to12)) {
        NormRow row{kStandardNormGroup, e.literal, kSevenYears, {}};
        for (int k = 1; k <= 19; ++k)
            row.S[size_t(k - 1)] = e.direction == Direction::Normal ? 2 * k : 40 - 2 * k;
        table.addRow(row);
    }
    table.addDescription(kStandardNormGroup, kSevenYears, QStringLiteral("Øvre gruppe"));
    return table;
}

} // namespace

TEST(NormSource, AScoringRunReadsTheGivenRowsOnly)
{
    RecordingSink sink;
    NormTable table = sevenYearNorms();
    TestRecord t = childAged(7, 2);
    t.scores.AI = 5;     // normal: 5 <= S3 = 6
    t.scores.FI = 36;    // normal: S18 = 36
    t.scores.VP_T = 37;  // reverse: 37 >= S2 = 36
    t.scores.INB_T = 2;  // reverse: S19 = 2
    NormState norms;
    EXPECT_EQ(SelectAgeGroup(table, norms, t), 1);
    EXPECT_EQ(norms.CurrentAgeGroup, kSevenYears);
    EXPECT_EQ(norms.AgeGroupDescription, QStringLiteral("Avre gruppe"));
    ScoreTest(table, norms, t);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(t.result(Key::AI).value, 3);
    EXPECT_EQ(t.result(Key::FI).value, 18);
    EXPECT_EQ(t.result(Key::VP_T).value, 2);
    EXPECT_EQ(t.result(Key::INB_T).value, 19);
    EXPECT_EQ(t.result(Key::KL).value, 0) << "not entered";
}

TEST(NormSource, AMissingRowIsNamedAndOnlyItsMeasureGetsNothing)
{
    RecordingSink sink;
    NormTable full = sevenYearNorms();
    NormTable table;
    for (const ScaleEntry& e : normTables().list(AgeBand::Y7to12)) {
        NormRow row{kStandardNormGroup, e.literal, kSevenYears, {}};
        if (e.literal != u"AI" && full.fetch(row))
            table.addRow(row);
    }
    TestRecord t = childAged(7, 2);
    t.scores.AI = 5;
    t.scores.FI = 5;
    NormState norms;
    EXPECT_EQ(SelectAgeGroup(table, norms, t), 9) << "no description given";
    ScoreTest(table, norms, t);
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Standardgrupp AI Ålder 7:0-7:5 finns inte.")});
    EXPECT_EQ(t.result(Key::AI).value, 0);
    EXPECT_EQ(t.result(Key::FI).value, 3);
}

TEST(NormSource, TheFirstRowGivenForAKeyStays)
{
    NormTable table;
    NormRow first{kStandardNormGroup, QStringLiteral("PB "), kSevenYears, {}};
    first.S.fill(1);
    NormRow second = first;
    second.S.fill(2);
    table.addRow(first);
    table.addRow(second);
    NormRow asked{kStandardNormGroup, QStringLiteral("PB "), kSevenYears, {}};
    ASSERT_TRUE(table.fetch(asked));
    EXPECT_EQ(asked.S, first.S);
    // Keys are exact: without the blank, or in another case, there is no row.
    NormRow other{kStandardNormGroup, QStringLiteral("PB"), kSevenYears, {}};
    other.S.fill(7);
    EXPECT_FALSE(table.fetch(other));
    EXPECT_EQ(other.S[0], 7) << "the bounds keep what they held";
    other.DELSKALA = QStringLiteral("pb ");
    EXPECT_FALSE(table.fetch(other));
}
