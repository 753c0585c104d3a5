// Whole scoring runs against a real database holding the shipped norms.
#include "Ages.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "resources/StringTable.h"
#include "scoring/Scoring.h"
#include "store/tables/TestStore.h"

#include <gtest/gtest.h>

#include <random>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

// Every measure given a plausible mid-range value; the grid a few right cards per trial.
TestRecord fullTest(int years, int months)
{
    TestRecord t = childAged(years, months);
    for (const MeasureInfo& m : measures()) {
        const RawMaxima* maxima = normTables().rawMaxima(m.key);
        const int max = maxima ? (*maxima)[size_t(MaximaColumn(years))] : 0;
        t.scores[m.key] = max > 0 ? max / 2 : 10;
    }
    t.scores.DS_N = 2;
    t.scores.DS_REP = 1;
    t.scores.DS_R = 8;
    t.scores.MO_A5 = 10;
    t.scores.MO_B = 8;
    for (int block = 0; block < 7; ++block) {
        t.grid.cell(16 * block + 7) = 1;
        t.grid.cell(16 * block + 6) = 2;
        t.grid.cell(16 * block + 11) = 7;
    }
    return t;
}

struct ScoringOutcome {
    NormState norms;
    QStringList messages;
};

ScoringOutcome scoreIn(TempDatabase& db, TestRecord& t)
{
    RecordingSink sink;
    ScoringOutcome run;
    SelectAgeGroup(db.db, run.norms, t);
    ScoreTest(db.db, run.norms, t);
    run.messages = sink.texts();
    return run;
}

} // namespace

TEST(SelectAgeGroup, GroupsAndNotes)
{
    TempDatabase db;
    struct Case {
        int years, months, days;
        const char* group;
        const char* note;
    };
    const Case cases[] = {
        {3, 5, 29, "Ålder 3:0-3:5", nullptr},
        {3, 6, 0, "Ålder 3:6-3:11", nullptr},
        {12, 11, 0, "Ålder 12:6-12:11", nullptr},
        {13, 0, 0, "Ålder 13:0-13:11", nullptr},
        {13, 11, 0, "Ålder 13:0-13:11", nullptr},
        {16, 11, 14, "Ålder 16:0-16:11", nullptr},
        {2, 11, 14, "Ålder 3:0-3:5", "Notera att barnet är yngre än den normgrupp som barnet jämförs med."},
        {17, 0, 0, "Ålder 16:0-16:11", "Notera att barnet är äldre än den normgrupp som barnet jämförs med."},
        {-1, 0, 0, "Ålder 3:0-3:5", "Notera att barnet är yngre än den normgrupp som barnet jämförs med."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.years) + ":" + std::to_string(c.months));
        TestRecord t = childAged(c.years, c.months, c.days);
        if (c.years < 0)
            t.person.BORNDATE = {2013, 1, 1};
        RecordingSink sink;
        NormState norms;
        EXPECT_EQ(SelectAgeGroup(db.db, norms, t), 1);
        EXPECT_EQ(norms.CurrentAgeGroup, QString::fromUtf8(c.group));
        EXPECT_EQ(sink.texts(), c.note ? QStringList{QString::fromUtf8(c.note)} : QStringList{});
        // The shown description is the stored one with its first letter made "A".
        EXPECT_EQ(norms.AgeGroupDescription,
                  QStringLiteral("A") + QString::fromUtf8(c.group).mid(1) + QStringLiteral(", provisoriske normer, ikke for klinisk bruk"));
    }
}

TEST(SelectAgeGroup, DescriptionFirstLetterIsAWholeCharacter)
{
    TempDatabase db;
    RecordingSink sink;
    NormState norms;
    norms.CurrentAgeGroup = QStringLiteral("Ålder 7:0-7:5");
    db.exec(QStringLiteral("UPDATE NORMGRUPPER_TAVLO SET BESKRIVNING = 'Øvre gruppe' WHERE DELGRUPP = 'Ålder 7:0-7:5'"));
    EXPECT_EQ(LoadAgeGroupDescription(db.db, norms), 1);
    EXPECT_EQ(norms.AgeGroupDescription, QStringLiteral("Avre gruppe"));
    db.exec(QStringLiteral("UPDATE NORMGRUPPER_TAVLO SET BESKRIVNING = '😀 x' WHERE DELGRUPP = 'Ålder 7:0-7:5'"));
    EXPECT_EQ(LoadAgeGroupDescription(db.db, norms), 1);
    EXPECT_EQ(norms.AgeGroupDescription, QStringLiteral("A x"));
    // No row: the earlier description stays, nothing is said.
    norms.CurrentAgeGroup = QStringLiteral("Ålder 99");
    EXPECT_EQ(LoadAgeGroupDescription(db.db, norms), 9);
    EXPECT_EQ(norms.AgeGroupDescription, QStringLiteral("A x"));
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST(AgeGroups, FixedListAgreesWithStringTableAndIndexIsExact)
{
    ASSERT_EQ(AgeGroupLiterals().size(), 24);
    for (int i = 1; i <= 24; ++i)
        EXPECT_EQ(AgeGroupLiterals()[i - 1], LoadString(500 + i));
    RecordingSink sink;
    NormState n;
    n.CurrentAgeGroup = QStringLiteral("Ålder 16:0-16:11");
    EXPECT_EQ(AgeGroupIndex(n), 24);
    n.CurrentAgeGroup = QStringLiteral("Ålder 3:0-3:5");
    EXPECT_EQ(AgeGroupIndex(n), 1);
    EXPECT_TRUE(sink.messages.isEmpty());
    n.CurrentAgeGroup = QStringLiteral("Ålder 3:0-3:5 ");
    EXPECT_EQ(AgeGroupIndex(n), -9);
    n.CurrentAgeGroup = QStringLiteral("ålder 3:0-3:5");
    EXPECT_EQ(AgeGroupIndex(n), -9);
    EXPECT_EQ(sink.texts(), QStringList(2, QStringLiteral("Error 1124 i normgruppselektering. Kontakta programleverantören.")));
}

TEST(AgeGroups, ListedInSequenceOrder)
{
    TempDatabase db;
    NormState norms;
    EXPECT_EQ(ListAgeGroups(db.db, norms), AgeGroupLiterals());
    // Order by SEKVENS, not by text.
    db.exec(QStringLiteral("UPDATE NORMGRUPPER_TAVLO SET SEKVENS = 100 - SEKVENS"));
    QStringList reversed = AgeGroupLiterals();
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(ListAgeGroups(db.db, norms), reversed);
}

TEST(ScoreTest, EveryAgeBandScoresAndRunsTheSameTwice)
{
    TempDatabase db;
    for (const auto& [years, months] : {std::pair{3, 2}, {4, 9}, {5, 0}, {6, 7}, {7, 3}, {9, 8}, {12, 11}, {13, 0},
                                       {15, 6}, {16, 11}}) {
        SCOPED_TRACE(std::to_string(years) + ":" + std::to_string(months));
        TestRecord t = fullTest(years, months);
        const ScoringOutcome first = scoreIn(db, t);
        EXPECT_TRUE(first.messages.isEmpty()) << first.messages.join(u'\n').toStdString();
        const ResultArea once = t.area;
        const ScoringOutcome second = scoreIn(db, t);
        EXPECT_EQ(t.area, once);
        // Every measure of the band's list got a scaled score.
        for (const ScaleEntry& e : normTables().list(*AgeBandOfYears(years))) {
            if (t.raw(e.raw) != NOT_ENTERED) {
                EXPECT_GE(t.result(e.raw).value, 1) << e.literal.toStdString();
                EXPECT_LE(t.result(e.raw).value, 19) << e.literal.toStdString();
            }
        }
        EXPECT_EQ(t.raw(Key::MO_DELAY) != NOT_ENTERED, years >= 7 && years <= 12);
        EXPECT_EQ(t.raw(Key::KR_CONTRAST) == COMPUTED_MARKER, years <= 4);
        EXPECT_EQ(t.raw(Key::OI_CONTRAST) == COMPUTED_MARKER, years >= 7);
        EXPECT_EQ(t.raw(Key::VP_COMB) == COMPUTED_MARKER, years <= 12);
        EXPECT_EQ(t.raw(Key::FK_CONTRAST), COMPUTED_MARKER);
    }
}

TEST(ScoreTest, YoungerThanThreeScoresNothing)
{
    TempDatabase db;
    TestRecord t = fullTest(3, 0);
    t.person.BORNDATE = childAged(2, 11, 14).person.BORNDATE;
    ClearScores(t);
    t.scores = fullTest(3, 0).scores;
    const ScoringOutcome run = scoreIn(db, t);
    EXPECT_EQ(run.messages, QStringList{QStringLiteral("Notera att barnet är yngre än den normgrupp som barnet jämförs med.")});
    EXPECT_EQ(t.area, ResultArea{});
}

TEST(ScoreTest, SeventeenScoresExactlyLikeSixteenEleven)
{
    TempDatabase db;
    TestRecord older = fullTest(17, 0);
    TestRecord sixteen = fullTest(16, 11);
    sixteen.scores = older.scores;
    sixteen.grid = older.grid;
    const ScoringOutcome a = scoreIn(db, older);
    const ScoringOutcome b = scoreIn(db, sixteen);
    EXPECT_EQ(a.norms.CurrentAgeGroup, QStringLiteral("Ålder 16:0-16:11"));
    EXPECT_EQ(a.norms.CurrentAgeGroup, b.norms.CurrentAgeGroup);
    EXPECT_EQ(a.messages, QStringList{QStringLiteral("Notera att barnet är äldre än den normgrupp som barnet jämförs med.")});
    EXPECT_TRUE(b.messages.isEmpty());
    EXPECT_EQ(older.area, sixteen.area);
}

TEST(ScoreTest, MissingNormRowNamesItAndZeroesOnlyThatMeasure)
{
    TempDatabase db;
    db.exec(QStringLiteral("DELETE FROM NORMER_TAVLO WHERE DELSKALA = 'AI' AND DELGRUPP = 'Ålder 7:0-7:5'"));
    TestRecord t = fullTest(7, 2);
    const ScoringOutcome run = scoreIn(db, t);
    EXPECT_EQ(run.messages, QStringList{QStringLiteral("Standardgrupp AI Ålder 7:0-7:5 finns inte.")});
    EXPECT_EQ(t.result(Key::AI).value, 0);
    EXPECT_GE(t.result(Key::KL).value, 1);
    EXPECT_GE(t.result(Key::FI).value, 1);
}

TEST(ScoreTest, ThirteenLooksUpTheTimeWithATrailingBlank)
{
    TempDatabase db;
    db.exec(QStringLiteral("DELETE FROM NORMER_TAVLO WHERE DELSKALA = 'PB ' AND DELGRUPP = 'Ålder 13:0-13:11'"));
    TestRecord thirteen = fullTest(13, 1);
    EXPECT_EQ(scoreIn(db, thirteen).messages, QStringList{QStringLiteral("Standardgrupp PB  Ålder 13:0-13:11 finns inte.")});
    db.exec(QStringLiteral("DELETE FROM NORMER_TAVLO WHERE DELSKALA = 'PB' AND DELGRUPP = 'Ålder 12:0-12:5'"));
    TestRecord twelve = fullTest(12, 1);
    EXPECT_EQ(scoreIn(db, twelve).messages, QStringList{QStringLiteral("Standardgrupp PB Ålder 12:0-12:5 finns inte.")});
}

TEST(ScoreTest, ResultsOfAnEarlierRunNeverStand)
{
    TempDatabase db;
    TestRecord t = fullTest(7, 0);
    scoreIn(db, t);
    ASSERT_GT(t.result(Key::FK_CONTRAST).value, 0);
    ASSERT_GT(t.result(Key::OI_CONTRAST).value, 0);
    t.scores.FK_G = NOT_ENTERED;
    t.scores.OI_REP = NOT_ENTERED;
    scoreIn(db, t);
    EXPECT_EQ(t.result(Key::FK_CONTRAST).value, 0) << "a contrast whose input went is gone";
    EXPECT_EQ(t.raw(Key::FK_CONTRAST), NOT_ENTERED);
    EXPECT_EQ(t.raw(Key::OI_CONTRAST), NOT_ENTERED);
    EXPECT_EQ(t.result(Key::FK_G).value, 0);

    // Re-dated below 3 years: nothing of the earlier scores is left.
    t.person.BORNDATE = {2010, 1, 1};
    scoreIn(db, t);
    EXPECT_EQ(t.area, ResultArea{});
    EXPECT_EQ(t.scores.FK_M, fullTest(7, 0).scores.FK_M) << "the raw scores stay";
}

namespace {

// A test of a random age from 2 to 17 years with a random choice of measures and cards.
TestRecord randomTest(std::mt19937& random)
{
    std::uniform_int_distribution<int> years(2, 17), months(0, 11), percent(0, 99);
    TestRecord t = childAged(years(random), months(random), percent(random) % 15);
    const int column = MaximaColumn(t.testAge().years);
    for (const MeasureInfo& m : measures()) {
        const RawMaxima* maxima = normTables().rawMaxima(m.key);
        const int max = maxima && (*maxima)[size_t(column)] > 0 ? (*maxima)[size_t(column)] : 120;
        t.scores[m.key] = percent(random) < 30 ? NOT_ENTERED : std::uniform_int_distribution<int>(0, max)(random);
    }
    for (int n = 1; n <= kGridCellCount; ++n)
        t.grid.cell(n) = percent(random) < 70 ? NOT_ENTERED : 1 + percent(random) % 20;
    return t;
}

// What an examiner does through "E&ndre": empties, retypes, re-dates (across a band, below 3).
void changeRandomly(std::mt19937& random, TestRecord& t)
{
    std::uniform_int_distribution<int> percent(0, 99);
    for (const MeasureInfo& m : measures()) {
        const int roll = percent(random);
        if (roll < 15)
            t.scores[m.key] = NOT_ENTERED;
        else if (roll < 25)
            t.scores[m.key] = percent(random);
    }
    for (int n = 1; n <= kGridCellCount; ++n) {
        if (percent(random) < 10)
            t.grid.cell(n) = percent(random) < 50 ? NOT_ENTERED : 1 + percent(random) % 20;
    }
    if (percent(random) < 40) {
        const TestRecord other = childAged(std::uniform_int_distribution<int>(1, 17)(random), percent(random) % 12);
        t.person.BORNDATE = other.person.BORNDATE;
    }
}

} // namespace

TEST(ScoreTest, AChangedTestScoresAsIfScoredForTheFirstTime)
{
    TempDatabase db;
    std::mt19937 random(20261207);
    for (int round = 0; round < 150; ++round) {
        TestRecord changed = randomTest(random);
        const QString before = FormatTestAge(changed.testAge());
        scoreIn(db, changed);
        changeRandomly(random, changed);
        const ScoringOutcome again = scoreIn(db, changed);

        TestRecord fresh;
        NewTestRecord(fresh);
        fresh.person = changed.person;
        fresh.scores = changed.scores;
        fresh.grid = changed.grid;
        const ScoringOutcome once = scoreIn(db, fresh);

        SCOPED_TRACE("round " + std::to_string(round) + ", " + before.toStdString() + " -> "
                     + FormatTestAge(changed.testAge()).toStdString());
        EXPECT_EQ(again.messages, once.messages);
        for (int k = 0; k < kKeyCount; ++k) {
            const Key key = Key(k);
            EXPECT_EQ(changed.raw(key), fresh.raw(key)) << keyName(key);
            EXPECT_EQ(changed.result(key).value, fresh.result(key).value) << keyName(key);
            EXPECT_EQ(changed.result(key).text, fresh.result(key).text) << keyName(key);
        }
        ASSERT_EQ(changed.area, fresh.area) << "stopping at the first round that differs";
    }
}

TEST(ScoreTest, GpIsABandBeforeSevenAndAScaledScoreFrom)
{
    TempDatabase db;
    TestRecord six = fullTest(6, 0);
    scoreIn(db, six);
    EXPECT_FALSE(six.result(Key::GP).text.isEmpty());
    EXPECT_LE(six.result(Key::GP).value, 6);
    TestRecord seven = fullTest(7, 0);
    scoreIn(db, seven);
    EXPECT_TRUE(seven.result(Key::GP).text.isEmpty());
    EXPECT_GE(seven.result(Key::GP).value, 1);
}

TEST(ScoreTest, BrokenQueryIsReportedAndTreatedAsMissing)
{
    TempDatabase db;
    db.exec(QStringLiteral("DROP TABLE NORMER_TAVLO"));
    TestRecord t = fullTest(4, 0);
    const ScoringOutcome run = scoreIn(db, t);
    // For each measure: the driver's text, then the missing-row message.
    ASSERT_EQ(run.messages.size(), 2 * int(normTables().list(AgeBand::Y3to4).size()));
    EXPECT_TRUE(run.messages[0].contains(u"no such table: NORMER_TAVLO")) << run.messages[0].toStdString();
    EXPECT_EQ(run.messages[1], QStringLiteral("Standardgrupp ST Ålder 4:0-4:5 finns inte."));
    EXPECT_EQ(t.result(Key::ST).value, 0);
}
