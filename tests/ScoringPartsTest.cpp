// The pieces of a scoring run that need no database.
#include "Ages.h"
#include "RecordingSink.h"
#include "scoring/Scoring.h"

#include <gtest/gtest.h>

#include <climits>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;

namespace {

std::array<int, 19> bounds(int (*f)(int))
{
    std::array<int, 19> s{};
    for (int k = 1; k <= 19; ++k)
        s[size_t(k - 1)] = f(k);
    return s;
}

NormState groupOf(const TestRecord& t)
{
    NormState n;
    const TestAge age = t.testAge();
    const int y = std::min(std::max(age.years, 3), 16);
    const int index = y <= 12 ? 2 * (y - 3) + (age.months <= 5 ? 1 : 2) : 21 + (y - 13);
    n.CurrentAgeGroup = AgeGroupLiterals()[index - 1];
    return n;
}

} // namespace

TEST(ScaleRaw, NormalDirection)
{
    const auto s = bounds([](int k) { return 2 * k; });
    EXPECT_EQ(ScaleRaw(0, s, Direction::Normal), 1);
    EXPECT_EQ(ScaleRaw(4, s, Direction::Normal), 2);
    EXPECT_EQ(ScaleRaw(5, s, Direction::Normal), 3);
    EXPECT_EQ(ScaleRaw(36, s, Direction::Normal), 18);
    EXPECT_EQ(ScaleRaw(37, s, Direction::Normal), 19);
    EXPECT_EQ(ScaleRaw(-9, s, Direction::Normal), 0);
    EXPECT_EQ(ScaleRaw(-1, s, Direction::Normal), 1);
    // S19 is never consulted.
    auto odd = s;
    odd[18] = -100;
    EXPECT_EQ(ScaleRaw(37, odd, Direction::Normal), 19);
    // Equal bounds resolve toward the lower scaled score.
    auto tie = s;
    tie[2] = tie[3] = 10;
    EXPECT_EQ(ScaleRaw(10, tie, Direction::Normal), 3);
}

TEST(ScaleRaw, ReverseDirection)
{
    const auto s = bounds([](int k) { return 40 - 2 * k; });
    EXPECT_EQ(ScaleRaw(100, s, Direction::Reverse), 1);
    EXPECT_EQ(ScaleRaw(38, s, Direction::Reverse), 1);
    EXPECT_EQ(ScaleRaw(37, s, Direction::Reverse), 2);
    EXPECT_EQ(ScaleRaw(2, s, Direction::Reverse), 19);
    EXPECT_EQ(ScaleRaw(-9, s, Direction::Reverse), 0);
    // Better than the last bound: the top of the scale, never "no score".
    EXPECT_EQ(ScaleRaw(1, s, Direction::Reverse), 19);
    EXPECT_EQ(ScaleRaw(0, s, Direction::Reverse), 19);
}

TEST(DerivedScores, SumsAndChoices)
{
    TestRecord t = childAged(4, 2);
    ClearScores(t);
    t.scores.BF_S = 4;
    t.scores.FK_G = 5;
    t.scores.FK_L = 7;
    t.scores.FBA = 8;
    t.scores.FBAB = 12;
    t.scores.MT_V = 0;
    t.scores.MT_K = 0;
    t.scores.INB_O = 3;
    ComputeDerivedRawScores(t);
    EXPECT_EQ(t.raw(Key::BF_SUM), 4);
    EXPECT_EQ(t.raw(Key::DS_ERR), NOT_ENTERED);
    EXPECT_EQ(t.raw(Key::FK_SUM), 7);
    EXPECT_EQ(t.raw(Key::FB_RAW), 8);
    EXPECT_EQ(t.raw(Key::MT_SUM), 0) << "zeros are scores";
    EXPECT_EQ(t.raw(Key::INB_ERR), NOT_ENTERED) << "error totals start at 5 years";

    t.person.BORNDATE.year -= 1; // the same data at 5 years
    ComputeDerivedRawScores(t);
    EXPECT_EQ(t.raw(Key::FB_RAW), 12);
    EXPECT_EQ(t.raw(Key::INB_ERR), 3);
    EXPECT_EQ(t.raw(Key::IN_ERR), 3);

    t.scores.FK_M = 3;
    t.scores.FK_L = NOT_ENTERED;
    ComputeDerivedRawScores(t);
    EXPECT_EQ(t.raw(Key::FK_SUM), 3);
    t.scores.FK_M = NOT_ENTERED;
    ComputeDerivedRawScores(t);
    EXPECT_EQ(t.raw(Key::FK_SUM), NOT_ENTERED) << "FK_G alone gives FK_L, which is -9";
    t.scores.FK_M = 1;
    t.scores.FK_G = 2;
    t.scores.FK_L = 3;
    ComputeDerivedRawScores(t);
    EXPECT_EQ(t.raw(Key::FK_SUM), 6);

    // Both parts gone: the sum keeps its last value.
    t.scores.BF_S = NOT_ENTERED;
    ComputeDerivedRawScores(t);
    EXPECT_EQ(t.raw(Key::BF_SUM), 4);
}

TEST(DerivedScores, InhibitionTotalsByAge)
{
    TestRecord t = childAged(6, 3);
    ClearScores(t);
    t.scores.INB_O = 1;
    t.scores.INI_S = 2;
    t.scores.INV_O = 2;
    ComputeDerivedRawScores(t);
    EXPECT_EQ(t.raw(Key::IN_ERR), 3) << "INV is left out before 7";
    EXPECT_EQ(t.raw(Key::INI_ERR), 2);
    EXPECT_EQ(t.raw(Key::INV_ERR), NOT_ENTERED);
    TestRecord seven = childAged(7, 0);
    seven.scores = t.scores;
    ComputeDerivedRawScores(seven);
    EXPECT_EQ(seven.raw(Key::IN_ERR), 5);
    EXPECT_EQ(seven.raw(Key::INV_ERR), 2);
}

TEST(DerivedScores, SumsOfAnyStoredValuesStayInRange)
{
    // Another tool may write anything into the score table; a sum never wraps round.
    TestRecord t = childAged(9, 0);
    for (const MeasureInfo& m : measures())
        t.scores[m.key] = INT_MAX;
    ComputeDerivedRawScores(t);
    for (const Key sum : {Key::BF_SUM, Key::DS_ERR, Key::FK_SUM, Key::IH_SUM, Key::IN_ERR, Key::INB_ERR,
                          Key::INI_ERR, Key::INV_ERR, Key::MT_SUM, Key::MN_SUM, Key::MO_SUM})
        EXPECT_EQ(t.raw(sum), INT_MAX) << keyName(sum);
    for (const MeasureInfo& m : measures())
        t.scores[m.key] = INT_MIN;
    ComputeDerivedRawScores(t);
    EXPECT_EQ(t.raw(Key::IN_ERR), INT_MIN);

    t.scores.MO_A5 = -2;
    t.scores.MO_B = INT_MAX;
    ScoreDelayEffect(groupOf(t), t);
    EXPECT_EQ(t.raw(Key::MO_DELAY), INT_MIN) << "a difference below every bound takes the first row";
    EXPECT_EQ(t.result(Key::MO_DELAY).text, QStringLiteral("99"));
}

TEST(MemoryForDesigns, ScoresByAgeAndRuleSet)
{
    {
        TestRecord t = childAged(5, 0);
        t.grid.cell(16 + 7) = 1; // block 2, position 7: its own target
        t.grid.cell(16 + 6) = 6; // position 6: the foil of card 2
        ScoreMemoryForDesigns(t);
        EXPECT_EQ(t.raw(Key::MF_A_I), 3);
        EXPECT_EQ(t.raw(Key::MF_A_P), 2);
        EXPECT_EQ(t.raw(Key::MF_A_T), 7);
        EXPECT_EQ(t.raw(Key::MF_B_T), NOT_ENTERED);
    }
    {
        TestRecord t = childAged(4, 0);
        t.grid.cell(7) = 1;
        t.grid.cell(6) = 2;
        t.grid.cell(11) = 3;
        t.grid.cell(10) = 4;
        t.grid.cell(16 * 6 + 4) = 18; // the delayed recall is not read below 5
        ScoreMemoryForDesigns(t);
        EXPECT_EQ(t.raw(Key::MF_A_I), 8);
        EXPECT_EQ(t.raw(Key::MF_A_P), 4);
        EXPECT_EQ(t.raw(Key::MF_A_T), 20);
        EXPECT_EQ(t.raw(Key::MF_B_I), NOT_ENTERED);
    }
    {
        // A target and its foil together count as the foil alone.
        TestRecord t = childAged(4, 0);
        t.grid.cell(16 + 7) = 1; // block 2 (R2)
        t.grid.cell(16 + 1) = 5;
        ScoreMemoryForDesigns(t);
        EXPECT_EQ(t.raw(Key::MF_A_I), 1);
        EXPECT_EQ(t.raw(Key::MF_A_P), 1);
        EXPECT_EQ(t.raw(Key::MF_A_T), 4);
    }
    {
        // Block 3 (R3) does not count the foils 11 and 12.
        TestRecord t = childAged(8, 0);
        t.grid.cell(32 + 2) = 9;
        t.grid.cell(32 + 8) = 11;
        t.grid.cell(1) = 1; // block 1 is not used at 8
        ScoreMemoryForDesigns(t);
        EXPECT_EQ(t.raw(Key::MF_A_I), 2);
        EXPECT_EQ(t.raw(Key::MF_A_P), 1);
        EXPECT_EQ(t.raw(Key::MF_A_T), 5);
    }
    {
        TestRecord t = childAged(9, 0);
        t.grid.cell(96 + 4) = 18;
        ScoreMemoryForDesigns(t);
        EXPECT_EQ(t.raw(Key::MF_B_I), 2);
        EXPECT_EQ(t.raw(Key::MF_B_P), 1);
        EXPECT_EQ(t.raw(Key::MF_B_T), 5);
        EXPECT_EQ(t.raw(Key::MF_A_T), NOT_ENTERED) << "an empty part A is not administered";
    }
    {
        // A card on a design position that belongs to another card: placement, no bonus.
        TestRecord t = childAged(12, 0);
        t.grid.cell(32 + 7) = 2;
        ScoreMemoryForDesigns(t);
        EXPECT_EQ(t.raw(Key::MF_A_I), 2);
        EXPECT_EQ(t.raw(Key::MF_A_P), 1);
        EXPECT_EQ(t.raw(Key::MF_A_T), 3);
    }
}

TEST(Lookups, CombinedAndContrast)
{
    const NormTables& tables = normTables();
    ASSERT_TRUE(tables.ok()) << tables.error.toStdString();
    const LookupTable& ds = tables.lookup(Key::DS_COMB);
    EXPECT_EQ(CombinedLookup(ds, 10, 6), 10);
    for (int band = 0; band <= 6; ++band)
        EXPECT_EQ(CombinedLookup(ds, 19, band), 19);
    EXPECT_EQ(CombinedLookup(ds, 0, 3), 0);
    EXPECT_EQ(CombinedLookup(ds, 20, 3), 0) << "outside the table is no score, never a stray read";
    EXPECT_EQ(CombinedLookup(ds, 5, 7), 0);

    const LookupTable& kr = tables.lookup(Key::KR_CONTRAST);
    EXPECT_EQ(ContrastLookup(kr, 10, 17), 5);
    EXPECT_EQ(ContrastLookup(kr, 10, 2), 19);
    for (int control : {16, 17, 18, 19})
        EXPECT_EQ(ContrastLookup(kr, 13, control), ContrastLookup(kr, 13, 16));
    for (int target = 0; target <= 19; ++target) {
        EXPECT_EQ(ContrastLookup(kr, target, 0), target) << "a missing control gives the target unchanged";
        EXPECT_EQ(ContrastLookup(kr, target, 20), target);
    }
    EXPECT_EQ(ContrastLookup(kr, 0, 10), 0);
    const int groups[] = {0, 1, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 8, 8};
    for (int control = 0; control <= 19; ++control)
        EXPECT_EQ(ContrastGroup(control), groups[control]) << control;
    EXPECT_EQ(ContrastGroup(-1), 0);
}

TEST(CombinedScores, ComputedOnlyWhenBothInputsArePresent)
{
    TestRecord t = childAged(4, 0);
    ClearScores(t);
    t.scores.KR_A = 10;
    t.result(Key::KR_A).value = 10;
    t.result(Key::KR_B).value = 17;
    ScoreCombinedOrContrast(t, Key::KR_CONTRAST);
    EXPECT_EQ(t.raw(Key::KR_CONTRAST), NOT_ENTERED) << "KR_B was not administered";
    EXPECT_EQ(t.result(Key::KR_CONTRAST).value, 0);
    t.scores.KR_B = 3;
    ScoreCombinedOrContrast(t, Key::KR_CONTRAST);
    EXPECT_EQ(t.raw(Key::KR_CONTRAST), COMPUTED_MARKER);
    EXPECT_EQ(t.result(Key::KR_CONTRAST).value, 5);

    // A contrast of combined scores waits for both to be computed.
    t.result(Key::INB_COMB).value = 10;
    t.result(Key::INI_COMB).value = 10;
    ScoreCombinedOrContrast(t, Key::IN_CONTRAST_BI);
    EXPECT_EQ(t.raw(Key::IN_CONTRAST_BI), NOT_ENTERED);
    t.setRaw(Key::INB_COMB, COMPUTED_MARKER);
    t.setRaw(Key::INI_COMB, COMPUTED_MARKER);
    ScoreCombinedOrContrast(t, Key::IN_CONTRAST_BI);
    EXPECT_EQ(t.raw(Key::IN_CONTRAST_BI), COMPUTED_MARKER);
    EXPECT_EQ(t.result(Key::IN_CONTRAST_BI).value, 10) << "target 10 against controls 10-11 is 10";
}

TEST(DelayEffect, PercentagesAndTexts)
{
    struct Case {
        int years, a5, b;
        int difference, percent;
        const char* text;
    };
    const Case cases[] = {
        {8, 12, 12, 0, 77, "77"}, {7, 0, 20, -20, 100, ">99"}, {7, 15, 0, 15, 0, "<1"},
        {12, 3, 2, 1, 63, "63"},  {9, 5, 10, -5, 99, "99"},
    };
    for (const Case& c : cases) {
        TestRecord t = childAged(c.years, 3);
        t.scores.MO_A5 = c.a5;
        t.scores.MO_B = c.b;
        ScoreDelayEffect(groupOf(t), t);
        EXPECT_EQ(t.raw(Key::MO_DELAY), c.difference) << c.years << " years, D " << c.difference;
        EXPECT_EQ(t.result(Key::MO_DELAY).value, c.percent);
        EXPECT_EQ(t.result(Key::MO_DELAY).text, QLatin1String(c.text));
    }
    TestRecord t = childAged(7, 0);
    t.scores.MO_A5 = 16;
    t.scores.MO_B = 0;
    ScoreDelayEffect(groupOf(t), t);
    EXPECT_EQ(t.raw(Key::MO_DELAY), NOT_ENTERED) << "beyond the table nothing is written";
    t.scores.MO_A5 = NOT_ENTERED;
    t.scores.MO_B = 3;
    ScoreDelayEffect(groupOf(t), t);
    EXPECT_EQ(t.raw(Key::MO_DELAY), NOT_ENTERED);
}

TEST(Bands, ClassifiedByRuleAndAgeGroup)
{
    RecordingSink sink;
    struct Case {
        int years, months;
        Key key;
        int raw;
        int band; // -1: nothing written
        const char* text;
    };
    const Case cases[] = {
        {5, 2, Key::BF_S, 9, 4, ">75%"},   {5, 2, Key::BF_S, 8, 3, "26-75%"}, {5, 2, Key::BF_S, 0, 0, "<=2%"},
        {7, 1, Key::DS_N, 0, 5, "51-75%"}, {3, 4, Key::MM, 61, -1, ""},       {3, 4, Key::MM, 60, 4, ">75%"},
        {11, 0, Key::MB_I, 10, -1, ""},    {10, 0, Key::MB_I, 17, 6, ">75%"}, {3, 0, Key::GP, 14, 6, ">75%"},
        {6, 0, Key::GP, 13, 0, "<2%"},     {4, 0, Key::INI_ERR, 2, -1, ""},   {12, 0, Key::VP_F, 0, 6, ">75%"},
        {12, 0, Key::VP_F, -1, -1, ""},    {16, 0, Key::PB_R, 73, 1, "2-5%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(keyName(c.key)) + " " + std::to_string(c.raw) + " at " + std::to_string(c.years));
        TestRecord t = childAged(c.years, c.months);
        ClearScores(t);
        t.setRaw(c.key, c.raw);
        t.result(c.key) = {42, QStringLiteral("before")};
        ClassifyPercentageBands(groupOf(t), t);
        if (c.band < 0) {
            EXPECT_EQ(t.result(c.key).value, 42);
            EXPECT_EQ(t.result(c.key).text, QStringLiteral("before"));
        } else {
            EXPECT_EQ(t.result(c.key).value, c.band);
            EXPECT_EQ(t.result(c.key).text, QLatin1String(c.text));
        }
    }
    // A raw score of -9 leaves the earlier result, index and text alike.
    TestRecord t = childAged(5, 2);
    ClearScores(t);
    t.result(Key::BF_S) = {3, QStringLiteral("26-75%")};
    ClassifyPercentageBands(groupOf(t), t);
    EXPECT_EQ(t.result(Key::BF_S), (Result{3, QStringLiteral("26-75%")}));
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST(Bands, UnknownAgeGroupGivesError1124OncePerPresentScore)
{
    RecordingSink sink;
    TestRecord t = childAged(8, 0);
    ClearScores(t);
    t.scores.BF_S = 5;
    t.scores.FK_O = 10;
    NormState norms;
    norms.CurrentAgeGroup = QStringLiteral("Ålder 8:0-8:5 ");
    ClassifyPercentageBands(norms, t);
    EXPECT_EQ(sink.texts(), QStringList(2, QStringLiteral("Error 1124 i normgruppselektering. Kontakta programleverantören.")));
    EXPECT_EQ(t.result(Key::BF_S).value, 0);
    EXPECT_TRUE(t.result(Key::BF_S).text.isEmpty());
}
