// The raw score dialog against its table of maxima and enabling rules, every measure at every
// age band. The table below is transcribed by hand from the dialog's table of maxima, one row
// per measure in the dialog's order, so that it can be compared with it line by line; it is
// deliberately not read from the program's data or its own lists.

#include "Ages.h"
#include "RecordingSink.h"
#include "app/AppContext.h"
#include "entry/RawScoreDialog.h"
#include "model/Catalogue.h"
#include "model/MeasureAges.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <array>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;

namespace {

// "–" in the table: no range check in that band, any three digits are taken.
constexpr int NC = 0;

struct TableRow {
    int no;                    // row of the dialog, 1-60
    const char* code;          // database column
    const char* label;         // text beside the field, named by the refusal message
    std::array<int, 7> maxima; // <=4, 5, 6, 7-8, 9-10, 11-12, >=13
    const char* disabledWhen;  // "never", or clauses "Y < n", "Y > n", "Y ≥ n" joined by " or "
};

// clang-format off
const TableRow kTable[60] = {
    //No. code         label                                                                               ≤4   5    6    7-8  9-10 11-12 ≥13   disabled when
    { 1, "AI",        "AG Totalskåre (3-4: Maks=16. 5-6: Maks=25. 7-16: Maks=35)",                       {16,  25,  25,  35,  35,  35,  35}, "never"},
    { 2, "KR_A",      "KD Del A Totalskåre (Maks=22)",                                                   {22,  22,  22,  22,  22,  22,  22}, "Y > 4"},
    { 3, "KR_B",      "KD Del B Totalskåre (Maks=11)",                                                   {11,  11,  11,  11,  11,  11,  11}, "Y > 4"},
    { 4, "BF_S",      "BF Oppgave 1 Symmetrisk prikkemønster (Maks=35)",                                 {NC,  35,  35,  35,  35,  35,  NC}, "Y < 5 or Y ≥ 13"},
    { 5, "BF_A",      "BF Oppgave 2 Asymmetrisk prikkemønster (Maks=35)",                                {NC,  35,  35,  35,  35,  35,  NC}, "Y < 5 or Y ≥ 13"},
    { 6, "BP",        "BP Totalskåre (Maks=20)",                                                         {NC,  NC,  NC,  NC,  NC,  NC,  NC}, "Y < 7"},
    { 7, "BK",        "BK Totalskåre (Maks=28)",                                                         {28,  28,  28,  28,  28,  28,  28}, "never"},
    { 8, "DS_N",      "DS Nye sorteringsfeil Totalt",                                                    {NC,  NC,  NC,  20,  20,  20,  20}, "Y < 7"},
    { 9, "DS_REP",    "DS Gjentatte sorteringer Totalt",                                                 {NC,  NC,  NC,  20,  20,  20,  20}, "Y < 7"},
    {10, "DS_R",      "DS Riktige sorteringer Totalt (Maks=12)",                                         {12,  12,  12,  12,  12,  12,  12}, "Y < 7"},
    {11, "FK_O",      "FK Samlet Totalskåre (3-4: Maks=18. 5-6: Maks=18. 7-16: Maks=21)",                {18,  18,  18,  21,  21,  21,  21}, "never"},
    {12, "FK_M",      "FK Motorikk Poeng (3-4: Maks=36. 5-6: Maks=36. 7-16: Maks=42)",                   {36,  36,  36,  42,  42,  42,  42}, "never"},
    {13, "FK_G",      "FK Global Poeng (3-4: Maks=36. 5-6: Maks=36. 7-16: Maks=42)",                     {36,  36,  36,  42,  42,  42,  42}, "never"},
    {14, "FK_L",      "FK Lokal Poeng (3-4: Maks=30. 5-6: Maks=30. 7-16: Maks=36)",                      {30,  30,  30,  36,  36,  36,  36}, "never"},
    {15, "FR_AD",     "Del A Repetisjon av fingerbevegelser Dominant hånd (Maks=60 s)",                  {NC,  60,  60,  60,  60,  60,  60}, "Y < 5"},
    {16, "FR_AID",    "Del A Repetisjon av fingerbevegelser Ikke-dominant hånd (Maks=60 s)",             {NC,  60,  60,  60,  60,  60,  60}, "Y < 5"},
    {17, "FR_BD",     "Del B Sekvensielle fingerbevegelser Dominant hånd (Maks=90 s)",                   {NC,  90,  90,  90,  90,  90,  90}, "Y < 5"},
    {18, "FR_BID",    "Del B Sekvensielle fingerbevegelser Ikke-dominant hånd (Maks=90 s)",              {NC,  90,  90,  90,  90,  90,  90}, "Y < 5"},
    {19, "FBA",       "FO Del A Totalskåre (3-4: Maks=22)",                                              {22,  NC,  NC,  NC,  NC,  NC,  NC}, "Y > 4"},
    {20, "FBAB",      "FO Del A og Del B Totalskåre (5-16: Maks=45)",                                    {NC,  45,  45,  45,  45,  45,  45}, "Y < 5"},
    {21, "FI",        "FI Totalskåre (Maks=33)",                                                         {33,  33,  33,  33,  33,  33,  33}, "never"},
    {22, "GP",        "GP Totalskåre (3-4: Maks=24. 5-6: Maks=24. 7-16: Maks=40)",                       {24,  24,  24,  40,  40,  40,  40}, "never"},
    {23, "MA_A",      "HA Del A Totalskåre (Maks=16)",                                                   {NC,  16,  16,  16,  16,  16,  16}, "Y < 5"},
    {24, "MA_B",      "HA Del B Totalskåre (Maks=16)",                                                   {NC,  16,  16,  16,  16,  16,  16}, "Y < 5"},
    {25, "MB_F",      "HH Fri gjenfortelling (5-10: Maks=20. 11-12: Maks=17. 13-16: Maks=29)",           {NC,  20,  20,  20,  20,  17,  29}, "Y < 5"},
    {26, "MB_FS",     "HH Fri og Styrt gjenfortelling Totalskåre ",                                      {26,  40,  40,  40,  40,  34,  NC}, "never"},
    {27, "MB_I",      "HH Gjenkjenning Totalskåre (3-4: Maks=13. 5-10: Maks=16)",                        {13,  16,  16,  16,  16,  NC,  NC}, "Y > 10"},
    {28, "MN_A",      "HN Del A Totalskåre (5: Maks=18. 6-16: Maks=24)",                                 {NC,  18,  24,  24,  24,  24,  24}, "Y < 5"},
    {29, "MN_B",      "HN Del B Totalskåre (5: Maks=6. 6-16: Maks=8)",                                   {NC,   6,   8,   8,   8,   8,   8}, "Y < 5"},
    {30, "MO_A5",     "HO Del A Forsøk 5 Riktig Antal (Maks=15)",                                        {NC,  NC,  NC,  15,  15,  15,  NC}, "Y < 7 or Y ≥ 13"},
    {31, "MO_A",      "HO Del A Riktig Totalt (Maks=75)",                                                {NC,  NC,  NC,  NC,  NC,  NC,  NC}, "Y < 7 or Y ≥ 13"},
    {32, "MO_B",      "HO Del B Riktig Totalt (Maks=15)",                                                {NC,  NC,  NC,  NC,  NC,  NC,  NC}, "Y < 7 or Y ≥ 13"},
    {33, "PB_T",      "HB Tidsbruk Totalt (3-4: Maks=600 s. 5-8: Maks=600 s. 9-16: Maks=300 s.)",        {600, 600, 600, 600, 300, 300, 300}, "never"},
    {34, "PB_R",      "HB Riktig Totalt (3-4: Maks=24. 5-6: Maks=84. 7-8: Maks=135. 9-16: Maks=75.)",    {24,  84,  84, 135,  75,  75,  75}, "never"},
    {35, "IH_D",      "IH Dominant hånd Poeng (Maks=12)",                                                {12,  12,  12,  12,  12,  12,  NC}, "Y > 12"},
    {36, "IH_ID",     "IH Ikke-dominant hånd Poeng (Maks=12)",                                           {12,  12,  12,  12,  12,  12,  NC}, "Y > 12"},
    {37, "INB_O",     "IN Benevning Ukorrigerte feil Totalt (Maks=80)",                                  {NC,  80,  80,  80,  80,  80,  80}, "Y < 5"},
    {38, "INB_S",     "IN Benevning Selvkorrigerte feil Totalt (Maks=80)",                               {NC,  80,  80,  80,  80,  80,  80}, "Y < 5"},
    {39, "INB_T",     "IN Benevning Tidsbruk Totalt (Maks=360 s)",                                       {NC, 360, 360, 360, 360, 360, 360}, "Y < 5"},
    {40, "INI_O",     "IN Inhibisjon Ukorrigerte feil Totalt (Maks=80)",                                 {NC,  80,  80,  80,  80,  80,  80}, "Y < 5"},
    {41, "INI_S",     "IN Inhibisjon Selvkorrigerte feil Totalt (Maks=80)",                              {NC,  80,  80,  80,  80,  80,  80}, "Y < 5"},
    {42, "INI_T",     "IN Inhibisjon Tidsbruk Totalt (Maks=480 s)",                                      {NC, 480, 480, 480, 480, 480, 480}, "Y < 5"},
    {43, "INV_O",     "IN Veksling Ukorrigerte feil Totalt (Maks=80)",                                   {NC,  NC,  NC,  80,  80,  80,  80}, "Y < 7"},
    {44, "INV_S",     "IN Veksling Selvkorrigerte feil Totalt (Maks=80)",                                {NC,  NC,  NC,  80,  80,  80,  80}, "Y < 7"},
    {45, "INV_T",     "IN Veksling Tidsbruk Totalt (Maks=480 s)",                                        {NC,  NC,  NC, 480, 480, 480, 480}, "Y < 7"},
    {46, "KA",        "KA Totalskåre (Maks=10)",                                                         {NC,  10,  10,  10,  10,  10,  NC}, "Y < 5 or Y ≥ 13"},
    {47, "KL",        "KL Totalskåre (Maks=78)",                                                         {NC,  NC,  NC,  78,  78,  78,  78}, "Y < 7"},
    {48, "MM",        "MM Totalskåre (Maks=60)",                                                         {60,  60,  60,  60,  60,  60,  NC}, "Y > 12"},
    {49, "MT_V",      "ME Verbal Poeng (Maks=22)",                                                       {22,  22,  22,  22,  22,  22,  22}, "never"},
    {50, "MT_K",      "ME Kontekstuell Poeng (Maks=6)",                                                  {26,  26,  26,  26,  26,  26,  26}, "never"},
    {51, "OS",        "OS Totalskåre (Maks=70)",                                                         {70,  70,  70,  70,  70,  70,  70}, "Y > 12"},
    {52, "OF_A",      "OF Kategori A Totalskåre (3-16)",                                                 {NC,  99,  99,  99,  99,  99,  99}, "never"},
    {53, "OF_B",      "OF Kategori B Totalskåre (7-16)",                                                 {NC,  99,  99,  99,  99,  99,  99}, "Y < 7"},
    {54, "OI_REP",    "OI Repetisjon Totalskåre (Maks=20)",                                              {NC,  NC,  NC,  20,  20,  20,  20}, "Y < 7"},
    {55, "OI_RENDER", "OI Gjenkalling Totalskåre (Maks=40)",                                             {NC,  NC,  NC,  40,  40,  40,  40}, "Y < 7"},
    {56, "PI",        "PI Totalskåre (Maks=38)",                                                         {NC,  38,  38,  38,  38,  38,  38}, "Y < 5"},
    {57, "RM",        "RS Totalskåre (Maks=34)",                                                         {34,  34,  34,  NC,  NC,  NC,  NC}, "Y > 6"},
    {58, "ST",        "ST Totalskåre (Maks=30)",                                                         {30,  30,  30,  NC,  NC,  NC,  NC}, "Y > 6"},
    {59, "VP_T",      "VP Tidsbruk Totalt (3-4: Maks=540 s. 5-12: Maks=360 s.)",                         {540, 360, 360, 360, 360, 360, NC}, "Y > 12"},
    {60, "VP_F",      "VP Feil Totalt (3-4: Maks=316. 5-12: 382)",                                       {316, 382, 382, NC,  NC,  NC,  NC}, "Y > 12"},
};
// clang-format on

const char* const kBandNames[7] = {"≤4", "5", "6", "7-8", "9-10", "11-12", "≥13"};

// The ages tried: every band, both ends of the inner bands, and the ages the table groups
// with the end bands (below 3, a birth date after the test date, and 17).
struct AgeCase {
    int years, months, days;
    int band; // column of the maxima
};
const AgeCase kAges[] = {
    {-1, 0, 0, 0}, {2, 6, 0, 0},  {3, 0, 0, 0},   {4, 11, 14, 0}, {5, 0, 0, 1},   {6, 11, 14, 2}, {7, 0, 0, 3},
    {8, 11, 14, 3}, {9, 0, 0, 4}, {10, 11, 14, 4}, {11, 0, 0, 5},  {12, 11, 14, 5}, {13, 0, 0, 6}, {16, 11, 14, 6},
    {17, 0, 0, 6},
};

TestRecord recordAged(const AgeCase& age)
{
    if (age.years >= 0)
        return childAged(age.years, age.months, age.days);
    // A birth date typed a year after the test date.
    TestRecord t = childAged(0, 0);
    t.person.BORNDATE.year = int16_t(t.person.TESTDATE.year + 1);
    return t;
}

// Whether the table's "Disabled when" rule holds for a child of these years.
bool disabledAt(const TableRow& row, int years)
{
    const QString rule = QString::fromUtf8(row.disabledWhen);
    if (rule == QStringLiteral("never"))
        return false;
    bool disabled = false;
    for (const QString& clause : rule.split(QStringLiteral(" or "))) {
        const QStringList parts = clause.split(u' ');
        if (parts.size() != 3 || parts[0] != QStringLiteral("Y")) {
            ADD_FAILURE() << "unreadable rule of " << row.code << ": " << row.disabledWhen;
            return false;
        }
        const int n = parts[2].toInt();
        if (parts[1] == QStringLiteral("<"))
            disabled |= years < n;
        else if (parts[1] == QStringLiteral(">"))
            disabled |= years > n;
        else if (parts[1] == QStringLiteral("≥"))
            disabled |= years >= n;
        else
            ADD_FAILURE() << "unknown comparison in the rule of " << row.code << ": " << row.disabledWhen;
    }
    return disabled;
}

std::string where(const TableRow& row, const AgeCase& age, int years)
{
    return std::string(row.code) + " (row " + std::to_string(row.no) + ") in band " + kBandNames[age.band] + " (age " +
           std::to_string(years) + ":" + std::to_string(age.months) + ":" + std::to_string(age.days) + ")";
}

class RawScoreTable : public ::testing::Test {
protected:
    // A dialog for a child of this age; false when the age does not fall in its band.
    bool open(const AgeCase& age)
    {
        context.test = recordAged(age);
        years = context.test.testAge().years;
        dialog = std::make_unique<RawScoreDialog>(context);
        return years == age.years;
    }
    // Types one value into row `no` (everything else empty) and checks; the messages told.
    int checkAlone(int no, const QString& text)
    {
        for (int r = 1; r <= 60; ++r)
            dialog->field(r)->setText(r == no ? text : QString());
        sink.messages.clear();
        return dialog->CheckRawScores();
    }

    AppContext context;
    RecordingSink sink;
    std::unique_ptr<RawScoreDialog> dialog;
    int years = 0;
};

} // namespace

// The age table against the rules above, every measure at every age, the ends included.
TEST(RawScoreAgeTable, EntersEachMeasureWhereTheTableSays)
{
    for (const TableRow& row : kTable) {
        const std::optional<Key> key = keyFromName(row.code);
        ASSERT_TRUE(key) << row.code;
        for (int years = 2; years <= 17; ++years)
            EXPECT_EQ(AppliesAt(*key, AgeUse::Entered, years), !disabledAt(row, years)) << row.code << " at " << years;
    }
}

TEST_F(RawScoreTable, RowsStandInTheTablesOrder)
{
    for (const TableRow& row : kTable) {
        const MeasureInfo* m = measureAtEntryRow(row.no);
        ASSERT_NE(m, nullptr) << row.no;
        EXPECT_STREQ(m->code, row.code) << "row " << row.no;
    }
}

TEST_F(RawScoreTable, EveryFieldIsEnabledExactlyWhereTheTableSays)
{
    for (const AgeCase& age : kAges) {
        ASSERT_TRUE(open(age)) << "test age years " << years << " instead of " << age.years;
        for (const TableRow& row : kTable) {
            ASSERT_NE(dialog->field(row.no), nullptr) << row.no;
            EXPECT_EQ(dialog->field(row.no)->isEnabled(), !disabledAt(row, years))
                << where(row, age, years) << (disabledAt(row, years) ? " should be disabled" : " should be enabled");
        }
    }
}

TEST_F(RawScoreTable, EveryMeasureTakesItsMaximumAndRefusesOneMore)
{
    for (const AgeCase& age : kAges) {
        ASSERT_TRUE(open(age)) << "test age years " << years << " instead of " << age.years;
        for (const TableRow& row : kTable) {
            // Greyed fields are checked too. The Dyresortering sum (20 from 7 years) is kept
            // out of the way: the other two sorting fields stay empty (-9 each).
            const int max = row.maxima[size_t(age.band)];
            const Key key = measureAtEntryRow(row.no)->key;
            const QString highest = QString::number(max == NC ? 999 : max);
            EXPECT_EQ(checkAlone(row.no, highest), 1)
                << where(row, age, years) << " refused " << highest.toStdString() << ": "
                << sink.texts().join(u'\n').toStdString();
            EXPECT_TRUE(sink.messages.isEmpty()) << where(row, age, years);
            EXPECT_EQ(context.test.scores[key], highest.toInt()) << where(row, age, years) << " not copied";
            if (max == NC)
                continue;
            const QString refusal = QStringLiteral("Ogyldig verdi registrert på %1.").arg(QString::fromUtf8(row.label));
            EXPECT_EQ(checkAlone(row.no, QString::number(max + 1)), 0)
                << where(row, age, years) << " took " << max + 1 << " above its maximum " << max;
            EXPECT_EQ(sink.texts(), QStringList{refusal}) << where(row, age, years);
        }
    }
}

