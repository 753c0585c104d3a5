// The report's rows: which measures are listed at which age, and what each column shows.
#include "Ages.h"
#include "model/MeasureAges.h"
#include "report/ReportRows.h"
#include "scoring/Scoring.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childAged;

namespace {

// Every raw score, derived total and computed marker present; every result the same.
TestRecord everythingAt(int years, int value = 10, const char* text = "26-75%")
{
    TestRecord t = childAged(years, 3);
    for (int k = 0; k < kKeyCount; ++k) {
        const Key key = Key(k);
        t.setRaw(key, isComputedKey(key) ? COMPUTED_MARKER : 7);
        t.result(key) = {value, QString::fromUtf8(text)};
    }
    return t;
}

const ReportRow* findRow(const std::vector<ReportRow>& rows, const char* label)
{
    for (const ReportRow& row : rows) {
        if (row.Label == QString::fromUtf8(label))
            return &row;
    }
    return nullptr;
}

QStringList labelsOf(const std::vector<ReportRow>& rows)
{
    QStringList labels;
    for (const ReportRow& row : rows)
        labels << row.Label;
    return labels;
}

// What a row's columns show: a scaled, combined or contrast score; a seven- or five-band
// text; a band or delay text with "**" and no description.
enum class Shows { Score, Band7, Band5, Starred };

struct Expected {
    const char* label;
    Key key;
    char type; // P primary, R process, K contrast
    Shows shows;
    const char* ages; // whole years listed: "all", "≤n", "≥n" or "n-m"
};

using enum Shows;

const std::vector<Expected> kExpected[kDomainCount] = {
    {{"Bildeflyt (BF) Totalskåre", Key::BF_SUM, 'P', Score, "5-12"},
     {"Bildeflyt (BF) Oppgave 1 Symmetrisk prikkemønster Poeng", Key::BF_S, 'R', Starred, "5-12"},
     {"Bildeflyt (BF) Oppgave 2 Asymmetrisk prikkemønster Poeng", Key::BF_A, 'R', Starred, "5-12"},
     {"Dyresortering (DS) Riktige sorteringer Totalt", Key::DS_R, 'P', Score, "≥7"},
     {"Dyresorteringer (DS) Feil Totalt", Key::DS_ERR, 'P', Band7, "≥7"},
     {"Dyresorteringer (DS) Kombinert skalert skåre", Key::DS_COMB, 'P', Score, "≥7"},
     {"Dyresorteringer (DS) Nye sorteringsfeil Totalt", Key::DS_N, 'R', Band7, "≥7"},
     {"Dyresorteringer (DS) Gjentatte sorteringer Totalt", Key::DS_REP, 'R', Band7, "≥7"},
     {"Inhibisjon (IN) Benevning Feil Totalt", Key::INB_ERR, 'P', Band7, "≥5"},
     {"Inhibisjon (IN) Inhibisjon Feil Totalt", Key::INI_ERR, 'P', Band7, "≥5"},
     {"Inhibisjon (IN) Veksling Feil Totalt", Key::INV_ERR, 'P', Band7, "≥7"},
     {"Inhibisjon (IN) Feil Totalt", Key::IN_ERR, 'P', Score, "≥5"},
     {"Inhibisjon (IN) Benevning Tidsbruk Totalt", Key::INB_T, 'P', Score, "≥5"},
     {"Inhibisjon (IN) Inhibisjon Tidsbruk Totalt", Key::INI_T, 'P', Score, "≥5"},
     {"Inhibisjon (IN) Veksling Tidsbruk Totalt", Key::INV_T, 'P', Score, "≥7"},
     {"Inhibisjon (IN) Benevning Kombinert skalert skåre", Key::INB_COMB, 'P', Score, "≥5"},
     {"Inhibisjon (IN) Inhibisjon Kombinert skalert skåre", Key::INI_COMB, 'P', Score, "≥5"},
     {"Inhibisjon (IN) Veksling Kombinert skalert skåre", Key::INV_COMB, 'P', Score, "≥7"},
     {"Inhibisjon (IN) Skalert kontrastskåre Benevning mot Inhibisjon", Key::IN_CONTRAST_BI, 'K', Score, "≥5"},
     {"Inhibisjon (IN) Kombinert skalert skåre Inhibisjon mot Veksling", Key::IN_CONTRAST_IV, 'K', Score, "≥7"},
     {"Klokker (KL) Totalskåre", Key::KL, 'P', Score, "≥7"},
     {"Statue (ST) Totalskåre", Key::ST, 'P', Score, "≤6"}},
    {{"Benevning og identifisering av kroppsdeler (KD) Del A Totalskåre", Key::KR_A, 'P', Score, "≤4"},
     {"Benevning og identifisering av kroppsdeler (KD) Del B Totalskåre", Key::KR_B, 'P', Score, "≤4"},
     {"Benevning og identifisering av kroppsdeler (KD) Skalert kontrastskåre Del B mot Del A", Key::KR_CONTRAST, 'K', Score, "≤4"},
     {"Fonologisk bearbeiding (FO) Totalskåre", Key::FB_RAW, 'P', Score, "all"},
     {"Forståelse av instruksjoner (FI) Totalskåre", Key::FI, 'P', Score, "all"},
     {"Hurtig benevning (HB) Tidsbruk Totalt", Key::PB_T, 'P', Score, "all"},
     {"Hurtig benevning (HB) Riktig Totalt", Key::PB_R, 'P', Band7, "all"},
     {"Hurtig benevning (HB) Kombinert skalert skåre", Key::PB_COMB, 'P', Score, "all"},
     {"Oralmotoriske sekvenser (OS) Totalskåre", Key::OS, 'P', Band5, "≤12"},
     {"Ordflyt (OF) Kategori A Totalskåre", Key::OF_A, 'P', Score, "all"},
     {"Ordflyt (OF) Kategori B Totalskåre", Key::OF_B, 'P', Score, "≥7"},
     {"Ordflyt (OF) Skalert kontrastskåre Kategori A mot Kategori B", Key::OF_CONTRAST, 'K', Score, "≥7"}},
    {{"Hukommelse for ansikter (HA) Del A Totalskåre", Key::MA_A, 'P', Score, "≥5"},
     {"Hukommelse for ansikter (HA) Del B Totalskåre", Key::MA_B, 'P', Score, "≥5"},
     {"Hukommelse for ansikter (HA) Skalert kontrast skåre Del A mot Del B", Key::MA_CONTRAST, 'K', Score, "≥5"},
     {"Hukommelse for figurer (HF) Del A Totalskåre", Key::MF_A_T, 'P', Score, "all"},
     {"Hukommelse for figurer (HF) Del A Innhold Poeng", Key::MF_A_I, 'R', Score, "all"},
     {"Hukommelse for figurer (HF) Del A Plassering Poeng", Key::MF_A_P, 'R', Score, "all"},
     {"Hukommelse for figurer (HF) Del B Totalskåre", Key::MF_B_T, 'P', Score, "≥5"},
     {"Hukommelse for figurer (HF) Del B Innhold Poeng", Key::MF_B_I, 'R', Score, "≥5"},
     {"Hukommelse for figurer (HF) Del B Plassering Poeng", Key::MF_B_P, 'R', Score, "≥5"},
     {"Hukommelse for figurer (HF) Skalert kontrastskåre Del A Innhold mot Del A Plassering", Key::MF_CONTRAST_A, 'K', Score, "all"},
     {"Hukommelse for figurer (HF) Skalert kontrastskåre Del B Innhold mot Del B Plassering", Key::MF_CONTRAST_B, 'K', Score, "≥5"},
     {"Hukommelse for figurer (HF) Skalert kontrastskåre Del A Totalskåre mot Del B Totalskåre", Key::MF_CONTRAST_AB, 'K', Score, "≥5"},
     {"Hukommelse for historier (HH) Fri og Styrt gjenfortelling Totalskåre", Key::MB_FS, 'P', Score, "all"},
     {"Hukommelse for historier (HH) Fri gjenfortelling Totalskåre", Key::MB_F, 'R', Score, "≥5"},
     {"Hukommelse for historier (HH) Gjenkjenning Totalskåre", Key::MB_I, 'R', Band7, "≤10"},
     {"Hukommelse for historier (HH) Skalert kontrastskåre Gjenkjenning mot Fri og Styrt gjenfortelling", Key::MB_CONTRAST, 'K', Score, "3-10"},
     {"Hukommelse for navn (HN) Del A Totalskåre", Key::MN_A, 'P', Score, "≥5"},
     {"Hukommelse for navn (HN) Del B Totalskåre", Key::MN_B, 'P', Score, "≥5"},
     {"Hukommelse for navn (HN) Del A og Del B Totalskåre", Key::MN_SUM, 'P', Score, "≥5"},
     {"Hukommelse for ordliste (HO) Del A og Del B Riktig Totalt", Key::MO_SUM, 'P', Score, "7-12"},
     {"Hukommelse for ordliste (HO) Del A og Del B Utsettelseseffekt", Key::MO_DELAY, 'R', Starred, "7-12"},
     {"Ordliste interferens (OI) Repetisjon Totalskåre", Key::OI_REP, 'P', Score, "≥7"},
     {"Ordliste interferens (OI) Gjenkalling Totalskåre", Key::OI_RENDER, 'P', Score, "≥7"},
     {"Ordliste interferens (OI) Skalert kontrastskåre Repetisjon Totalskåre mot Gjenkalling Totalskåre", Key::OI_CONTRAST, 'K', Score, "≥7"},
     {"Repetisjon av setninger (RS) Totalskåre", Key::RM, 'P', Score, "≤6"}},
    {{"Fingerbevegelser (FB) Del A Repetisjon av fingerbevegelser Dominant hånd Tidsbruk", Key::FR_AD, 'P', Band7, "≥5"},
     {"Fingerbevegelser (FB) Del A Repetisjon av fingerbevegelser Ikke-dominant hånd Tidsbruk", Key::FR_AID, 'P', Band7, "≥5"},
     {"Fingerbevegelser (FB) Del B Sekvensielle fingerbevegelser Dominant hånd Tidsbruk", Key::FR_BD, 'P', Band7, "≥5"},
     {"Fingerbevegelser (FB) Del B Sekvensielle fingerbevegelser Ikke-dominant hånd Tidsbruk", Key::FR_BID, 'P', Band7, "≥5"},
     {"Imitasjon av håndposisjoner (IH) Totalskåre", Key::IH_SUM, 'P', Score, "≤12"},
     {"Imitasjon av håndposisjoner (IH) Dominant hånd Poeng", Key::IH_D, 'R', Starred, "≤12"},
     {"Imitasjon av håndposisjoner (IH) Ikke-dominant hånd Poeng", Key::IH_ID, 'R', Starred, "≤12"},
     {"Manuelle motoriske sekvenser (MM) Totalskåre", Key::MM, 'P', Band5, "≤12"},
     {"Visuomotorisk presisjon (VP) Tidsbruk Totalt", Key::VP_T, 'P', Score, "≤12"},
     {"Visuomotorisk presisjon (VP) Feil Totalt", Key::VP_F, 'P', Band7, "≤12"},
     {"Visuomotorisk presisjon (VP) Kombinert skalert skåre", Key::VP_COMB, 'P', Score, "≤12"}},
    {{"Affektgjenkjenning (AG) Totalskåre", Key::AI, 'P', Score, "all"},
     {"Mentalisering (ME) Totalskåre", Key::MT_SUM, 'P', Score, "≤6"},
     {"Mentalisering (ME) Totalskåre", Key::MT_SUM, 'P', Band7, "≥7"},
     {"Mentalisering (ME) Verbal Poeng", Key::MT_V, 'R', Band7, "all"}},
    {{"Bildepuslespill (BP) Totalskåre", Key::BP, 'P', Score, "≥7"},
     {"Blokkonstruksjon (BK) Totalskåre", Key::BK, 'P', Score, "all"},
     {"Figurkopiering (FK) Samlet Totalskåre", Key::FK_O, 'P', Band7, "all"},
     {"Figurkopiering (FK) Prosesser Totalskåre", Key::FK_SUM, 'P', Score, "all"},
     {"Figurkopiering (FK) Motorikk Poeng", Key::FK_M, 'R', Score, "all"},
     {"Figurkopiering (FK) Global Poeng", Key::FK_G, 'R', Score, "all"},
     {"Figurkopiering (FK) Lokal Poeng", Key::FK_L, 'R', Score, "all"},
     {"Figurkopiering (FK) Skalert kontrastskåre Global mot Lokal", Key::FK_CONTRAST, 'K', Score, "all"},
     {"Geometriske puslespill (GP) Totalskåre", Key::GP, 'P', Band7, "3-6"},
     {"Geometriske puslespill (GP) Totalskåre", Key::GP, 'P', Score, "7-16"},
     {"Kartlesing (KA) Totalskåre", Key::KA, 'P', Band5, "5-12"},
     {"Piler (PI) Totalskåre", Key::PI, 'P', Score, "≥5"}},
};

// Every key's raw score and result told apart from every other's; results 2-6 fall on
// a different description in each scale.
TestRecord distinctAt(int years)
{
    TestRecord t = childAged(years, 3);
    for (int k = 0; k < kKeyCount; ++k) {
        const Key key = Key(k);
        t.setRaw(key, isComputedKey(key) ? COMPUTED_MARKER : 100 + k);
        t.result(key) = {isComputedKey(key) ? 1 + k % 19 : 2 + k % 5, QString::fromUtf8(keyName(key))};
    }
    return t;
}

bool listedAt(const Expected& e, int years)
{
    const QString ages = QString::fromUtf8(e.ages);
    if (ages == QStringLiteral("all"))
        return true;
    if (ages.startsWith(u'≤'))
        return years <= ages.mid(1).toInt();
    if (ages.startsWith(u'≥'))
        return years >= ages.mid(1).toInt();
    const QStringList ends = ages.split(u'-');
    if (ends.size() != 2)
        ADD_FAILURE() << "unreadable ages of " << e.label << ": " << e.ages;
    return ends.size() == 2 && years >= ends[0].toInt() && years <= ends[1].toInt();
}

ReportRow rowOf(const TestRecord& t, const Expected& e)
{
    const int raw = t.raw(e.key);
    const Result& result = t.result(e.key);
    ReportRow row;
    row.Label = QString::fromUtf8(e.label);
    row.Raw = raw;
    row.MeasureType = e.type == 'P' ? "Primærmål" : e.type == 'R' ? "Prosessmål" : "Kontrastmål";
    if (e.shows == Score) {
        row.Scaled = result.value;
        row.Description = QualitativeDescription(DescriptionScale::Scaled, result.value);
        return row;
    }
    row.PercentileShown = raw;
    row.PercentileText = result.text + (e.shows == Starred ? "**" : "");
    row.Description = e.shows == Starred ? QStringLiteral("-")
                                         : QualitativeDescription(e.shows == Band7 ? DescriptionScale::SevenBand
                                                                                   : DescriptionScale::FiveBand,
                                                                  result.value);
    return row;
}

} // namespace

TEST(QualitativeDescription, EdgesOfEachScale)
{
    const QString low = "Betydelig under gjennomsnittet", under = "Klart under gjennomsnittet",
                  lower = "Gjennomsnittets nedre del", mid = "Gjennomsnittlig", upper = "Gjennomsnittets øvre del",
                  over = "Klart over gjennomsnittet", high = "Betydelig over gjennomsnittet";
    const struct {
        DescriptionScale scale;
        int value;
        QString text;
    } cases[] = {
        {DescriptionScale::Scaled, -9, {}},    {DescriptionScale::Scaled, 0, {}},
        {DescriptionScale::Scaled, 1, low},    {DescriptionScale::Scaled, 3, low},
        {DescriptionScale::Scaled, 4, under},  {DescriptionScale::Scaled, 6, under},
        {DescriptionScale::Scaled, 7, lower},  {DescriptionScale::Scaled, 8, lower},
        {DescriptionScale::Scaled, 9, mid},    {DescriptionScale::Scaled, 11, mid},
        {DescriptionScale::Scaled, 12, upper}, {DescriptionScale::Scaled, 13, upper},
        {DescriptionScale::Scaled, 14, over},  {DescriptionScale::Scaled, 16, over},
        {DescriptionScale::Scaled, 17, high},  {DescriptionScale::Scaled, 19, high},
        {DescriptionScale::Scaled, 20, {}},
        {DescriptionScale::SevenBand, -1, {}}, {DescriptionScale::SevenBand, 0, low},
        {DescriptionScale::SevenBand, 1, under}, {DescriptionScale::SevenBand, 2, under},
        {DescriptionScale::SevenBand, 3, lower}, {DescriptionScale::SevenBand, 4, mid},
        {DescriptionScale::SevenBand, 5, mid},   {DescriptionScale::SevenBand, 6, upper},
        {DescriptionScale::SevenBand, 7, {}},
        {DescriptionScale::FiveBand, -1, {}},  {DescriptionScale::FiveBand, 0, low},
        {DescriptionScale::FiveBand, 1, under}, {DescriptionScale::FiveBand, 2, lower},
        {DescriptionScale::FiveBand, 3, mid},  {DescriptionScale::FiveBand, 4, upper},
        {DescriptionScale::FiveBand, 5, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QualitativeDescription(c.scale, c.value), c.text) << "scale " << int(c.scale) << " value " << c.value;
}

// Every row is listed at some age, in table order, with the columns of its kind.
TEST(ReportRows, EveryRowAtSomeAgeInOrder)
{
    for (int d = 0; d < kDomainCount; ++d) {
        const std::vector<Expected>& expected = kExpected[size_t(d)];
        std::vector<bool> seen(expected.size());
        for (int years = 2; years <= 18; ++years) {
            const TestRecord t = distinctAt(years);
            const DomainTables tables = BuildReportRows(t);
            size_t next = 0;
            for (const ReportRow& row : tables[size_t(d)]) {
                size_t at = next;
                while (at < expected.size() && !(rowOf(t, expected[at]) == row))
                    ++at;
                ASSERT_LT(at, expected.size()) << "domain " << d + 1 << " at " << years
                                               << ": unexpected, out of order or wrong columns: "
                                               << row.Label.toStdString() << " | raw " << row.Raw << " | scaled "
                                               << row.Scaled << " | " << row.PercentileText.toStdString() << " | "
                                               << row.MeasureType.toStdString() << " | "
                                               << row.Description.toStdString();
                seen[at] = true;
                next = at + 1;
            }
        }
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_TRUE(seen[i]) << "domain " << d + 1 << " never lists row " << i + 1 << ": " << expected[i].label;
    }
}

// Every measure entered: each row at exactly its ages, from below 3 to above 16.
TEST(ReportRows, EachRowListedAtItsAges)
{
    for (int years = 2; years <= 18; ++years) {
        const DomainTables tables = BuildReportRows(everythingAt(years));
        for (int d = 0; d < kDomainCount; ++d) {
            QStringList expected;
            for (const Expected& e : kExpected[size_t(d)]) {
                if (listedAt(e, years))
                    expected << QString::fromUtf8(e.label);
            }
            EXPECT_EQ(labelsOf(tables[size_t(d)]), expected) << "domain " << d + 1 << " at " << years;
        }
    }
}

// The age table against the rows above: a key is reported at the ages one of its rows is
// listed at, and a measure without a row of its own never.
TEST(ReportRows, AgeTableReportsEachKeyAtItsRowsAges)
{
    for (int k = 0; k < kKeyCount; ++k) {
        for (int years = 2; years <= 17; ++years) {
            bool listed = false;
            for (const std::vector<Expected>& domain : kExpected) {
                for (const Expected& e : domain)
                    listed = listed || (e.key == Key(k) && listedAt(e, years));
            }
            EXPECT_EQ(AppliesAt(Key(k), AgeUse::Reported, years), listed) << keyName(Key(k)) << " at " << years;
        }
    }
}

TEST(ReportRows, RowCountsByAge)
{
    // Ages 2 to 18, every measure entered: the ends show where "all" differs from "3-10".
    const int counts[kDomainCount][17] = {
        {1, 1, 1, 12, 12, 21, 21, 21, 21, 21, 21, 18, 18, 18, 18, 18, 18},
        {10, 10, 10, 7, 7, 9, 9, 9, 9, 9, 9, 8, 8, 8, 8, 8, 8},
        {7, 8, 8, 20, 20, 24, 24, 24, 24, 22, 22, 20, 20, 20, 20, 20, 20},
        {7, 7, 7, 11, 11, 11, 11, 11, 11, 11, 11, 4, 4, 4, 4, 4, 4},
        {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3},
        {7, 8, 8, 10, 10, 11, 11, 11, 11, 11, 11, 10, 10, 10, 10, 9, 9},
    };
    for (int years = 2; years <= 18; ++years) {
        const DomainTables tables = BuildReportRows(everythingAt(years));
        for (int d = 0; d < kDomainCount; ++d)
            EXPECT_EQ(int(tables[size_t(d)].size()), counts[d][years - 2]) << "domain " << d + 1 << " at " << years;
    }
}

TEST(ReportRows, AbsentRawScoreLeavesRowOut)
{
    TestRecord t = everythingAt(8);
    t.scores.DS_N = NOT_ENTERED;
    t.setRaw(Key::IN_CONTRAST_BI, NOT_ENTERED); // never computed; its value stays 0
    t.result(Key::IN_CONTRAST_BI).value = 0;
    t.scores.DS_REP = 0;
    const auto domain = BuildReportRows(t)[0];
    EXPECT_FALSE(findRow(domain, "Dyresorteringer (DS) Nye sorteringsfeil Totalt"));
    EXPECT_FALSE(findRow(domain, "Inhibisjon (IN) Skalert kontrastskåre Benevning mot Inhibisjon"));
    EXPECT_TRUE(findRow(domain, "Dyresorteringer (DS) Gjentatte sorteringer Totalt")) << "0 is a score";
    EXPECT_EQ(domain.size(), 19u);
}

TEST(ReportRows, AMeasureTheRunGaveNoBandIsNotCalledPoor)
{
    // MM above its range, or a measure outside its band table: entered, yet without a band.
    TestRecord t = childAged(3, 4);
    t.scores.MM = 61;
    t.scores.MB_I = 5;
    t.result(Key::MB_I) = {2, QStringLiteral("6-10%")};
    const DomainTables tables = BuildReportRows(t);
    const ReportRow* mm = findRow(tables[3], "Manuelle motoriske sekvenser (MM) Totalskåre");
    ASSERT_TRUE(mm);
    EXPECT_EQ(mm->PercentileShown, NOT_ENTERED) << "the percentile column shows -";
    EXPECT_TRUE(mm->Description.isEmpty());
    const ReportRow* mbi = findRow(tables[2], "Hukommelse for historier (HH) Gjenkjenning Totalskåre");
    ASSERT_TRUE(mbi);
    EXPECT_EQ(mbi->PercentileText, QStringLiteral("6-10%"));
    EXPECT_EQ(mbi->Description, QStringLiteral("Klart under gjennomsnittet"));
}

TEST(ReportRows, ColumnsOfEachKindOfRow)
{
    TestRecord t = childAged(9, 4);
    t.setRaw(Key::BF_SUM, 31);
    t.result(Key::BF_SUM) = {12, {}};
    t.setRaw(Key::DS_ERR, 4);
    t.result(Key::DS_ERR) = {5, QStringLiteral("51-75%")};
    t.scores.OS = 20;
    t.result(Key::OS) = {4, QStringLiteral(">75%")};
    t.scores.BF_S = 9;
    t.result(Key::BF_S) = {1, QStringLiteral("3-10%")};
    t.setRaw(Key::INB_COMB, COMPUTED_MARKER);
    t.result(Key::INB_COMB).value = 7;
    t.setRaw(Key::IN_CONTRAST_BI, COMPUTED_MARKER);
    t.result(Key::IN_CONTRAST_BI).value = 17;
    t.setRaw(Key::MO_DELAY, -3);
    t.result(Key::MO_DELAY) = {0, QStringLiteral("<1")};
    const DomainTables tables = BuildReportRows(t);

    const struct {
        int domain;
        ReportRow row;
    } cases[] = {
        {1, {"Bildeflyt (BF) Totalskåre", 31, 12, -9, {}, "Primærmål", "Gjennomsnittets øvre del"}},
        {1, {"Bildeflyt (BF) Oppgave 1 Symmetrisk prikkemønster Poeng", 9, -9, 9, "3-10%**", "Prosessmål", "-"}},
        {1, {"Dyresorteringer (DS) Feil Totalt", 4, -9, 4, "51-75%", "Primærmål", "Gjennomsnittlig"}},
        {1, {"Inhibisjon (IN) Benevning Kombinert skalert skåre", -99, 7, -9, {}, "Primærmål", "Gjennomsnittets nedre del"}},
        {1, {"Inhibisjon (IN) Skalert kontrastskåre Benevning mot Inhibisjon", -99, 17, -9, {}, "Kontrastmål",
             "Betydelig over gjennomsnittet"}},
        {2, {"Oralmotoriske sekvenser (OS) Totalskåre", 20, -9, 20, ">75%", "Primærmål", "Gjennomsnittets øvre del"}},
        {3, {"Hukommelse for ordliste (HO) Del A og Del B Utsettelseseffekt", -3, -9, -3, "<1**", "Prosessmål", "-"}},
    };
    for (const auto& c : cases) {
        const ReportRow* row = findRow(tables[size_t(c.domain - 1)], c.row.Label.toUtf8().constData());
        ASSERT_TRUE(row) << c.row.Label.toStdString();
        EXPECT_EQ(*row, c.row) << c.row.Label.toStdString();
    }
    EXPECT_EQ(tables[0].size(), 5u) << "nothing else was entered";
}

TEST(ReportRows, FourYearOld)
{
    const DomainTables tables = BuildReportRows(everythingAt(4));
    EXPECT_EQ(labelsOf(tables[0]), QStringList{"Statue (ST) Totalskåre"});
    ASSERT_GE(tables[1].size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(tables[1][i].Label.contains("(KD)")) << i;
    for (const ReportRow& row : tables[2]) {
        for (const char* code : {"(HA)", "(HN)", "(HO)", "(OI)"})
            EXPECT_FALSE(row.Label.contains(code)) << row.Label.toStdString();
    }
    for (const ReportRow& row : tables[3])
        EXPECT_FALSE(row.Label.contains("(FB)")) << row.Label.toStdString();

    TestRecord t = childAged(4, 0);
    EXPECT_TRUE(BuildReportRows(t)[0].empty());
}

TEST(ReportRows, MemoryDomainHoldsTwentyFourRowsFromSevenToTen)
{
    for (int years = 7; years <= 10; ++years) {
        const auto memory = BuildReportRows(everythingAt(years))[2];
        ASSERT_EQ(memory.size(), 24u) << years;
        EXPECT_EQ(memory.back().Label,
                  "Ordliste interferens (OI) Skalert kontrastskåre Repetisjon Totalskåre mot Gjenkalling Totalskåre");
        EXPECT_EQ(memory.back().Raw, COMPUTED_MARKER);
    }
}

TEST(ReportRows, ScoreOrBandByAge)
{
    const char* gp = "Geometriske puslespill (GP) Totalskåre";
    const char* me = "Mentalisering (ME) Totalskåre";
    const auto at = [](int years) { return BuildReportRows(everythingAt(years, 5, "11-25%")); };

    const DomainTables six = at(6), seven = at(7), thirteen = at(13);
    const ReportRow* band = findRow(six[5], gp);
    ASSERT_TRUE(band);
    EXPECT_EQ(band->Scaled, NOT_ENTERED);
    EXPECT_EQ(band->PercentileText, "11-25%");
    EXPECT_EQ(band->Description, "Gjennomsnittlig") << "band 5 of seven";

    const ReportRow* scaled = findRow(thirteen[5], gp);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->Scaled, 5);
    EXPECT_EQ(scaled->PercentileShown, NOT_ENTERED);
    EXPECT_EQ(scaled->Description, "Klart under gjennomsnittet");
    EXPECT_FALSE(findRow(at(17)[5], gp));

    for (const ReportRow& row : thirteen[3])
        EXPECT_FALSE(row.Label.contains("(IH)")) << row.Label.toStdString();

    const ReportRow* meSix = findRow(six[4], me);
    const ReportRow* meSeven = findRow(seven[4], me);
    ASSERT_TRUE(meSix && meSeven);
    EXPECT_EQ(meSix->Scaled, 5);
    EXPECT_EQ(meSix->PercentileShown, NOT_ENTERED);
    EXPECT_EQ(meSix->Description, "Klart under gjennomsnittet");
    EXPECT_EQ(meSeven->Scaled, NOT_ENTERED);
    EXPECT_EQ(meSeven->PercentileText, "11-25%");
    EXPECT_EQ(meSeven->Description, "Gjennomsnittlig");
}

TEST(ReportRows, OnlySecondBildeflytTaskAtSix)
{
    TestRecord t = childAged(6, 8);
    t.scores.BF_A = 3;
    t.result(Key::BF_A) = {2, QStringLiteral("11-25%")};
    const auto attention = BuildReportRows(t)[0];
    ASSERT_EQ(attention.size(), 1u);
    EXPECT_EQ(attention[0].Label, "Bildeflyt (BF) Oppgave 2 Asymmetrisk prikkemønster Poeng");
    EXPECT_EQ(attention[0].PercentileText, "11-25%**");
    EXPECT_NE(attention[0].PercentileShown, NOT_ENTERED);
}

TEST(ReportRows, ADelayEffectOfMinusNineIsShownLikeAnyOther)
{
    const char* const delay = "Hukommelse for ordliste (HO) Del A og Del B Utsettelseseffekt";
    NormState norms;
    norms.CurrentAgeGroup = AgeGroupLiterals()[10]; // 8:0-8:5
    for (const int a5 : {3, 4}) {
        TestRecord t = childAged(8, 2);
        t.scores.MO_A5 = a5;
        t.scores.MO_B = 12;
        ScoreDelayEffect(norms, t);
        const DomainTables tables = BuildReportRows(t);
        const ReportRow* row = findRow(tables[2], delay);
        ASSERT_TRUE(row) << "MO_A5 " << a5;
        EXPECT_EQ(row->Raw, a5 - 12);
        EXPECT_NE(row->PercentileShown, NOT_ENTERED);
        EXPECT_EQ(row->PercentileText, ">99**");
    }
    TestRecord notGiven = childAged(8, 2);
    notGiven.scores.MO_A5 = 3;
    ScoreDelayEffect(norms, notGiven);
    EXPECT_FALSE(findRow(BuildReportRows(notGiven)[2], delay)) << "no MO_B, no delay effect";
}

TEST(ReportRows, AScaledRowWithoutAScaledScoreShowsADash)
{
    // Below 3 years nothing is scaled; at 7 a missing norm row leaves FI at 0.
    for (const int years : {2, 7}) {
        TestRecord t = childAged(years, 0);
        t.scores.FI = 20;
        t.setRaw(Key::PB_COMB, COMPUTED_MARKER);
        const DomainTables tables = BuildReportRows(t);
        for (const char* label : {"Forståelse av instruksjoner (FI) Totalskåre",
                                  "Hurtig benevning (HB) Kombinert skalert skåre"}) {
            const ReportRow* row = findRow(tables[1], label);
            ASSERT_TRUE(row) << label;
            EXPECT_EQ(row->Scaled, NOT_ENTERED) << years << " years, " << label;
            EXPECT_TRUE(row->Description.isEmpty());
        }
    }
}
