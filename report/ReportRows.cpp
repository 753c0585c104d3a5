#include "report/ReportRows.h"

#include <climits>
#include <optional>
#include <span>

namespace tavlo {

namespace {

constexpr const char* kPrimary = "Primærmål";
constexpr const char* kProcess = "Prosessmål";
constexpr const char* kContrast = "Kontrastmål";

// Whole years of the test age, both ends included.
struct Ages {
    int first;
    int last;
};
constexpr Ages kAll{INT_MIN, INT_MAX};
constexpr Ages upTo(int last) { return {INT_MIN, last}; }
constexpr Ages from(int first) { return {first, INT_MAX}; }
constexpr Ages between(int first, int last) { return {first, last}; }

// What the scaled column shows: the key's result (scaled, combined or contrast score) or "-".
enum class Scaled { Dash, Result };
// What the percentile column shows: "-", the key's result text, or that text with "**".
enum class Percentile { Dash, Text, Starred };
// The scale the key's result is described on, or "-".
enum class Describe { Dash, Scaled, SevenBand, FiveBand };

// One line of a domain. The key gives the raw column and every result shown; a combined or
// contrast key has no raw score of its own and shows the computed marker.
struct RowEntry {
    const char* label;
    const char* type;
    Ages ages;
    Key key;
    Scaled scaled;
    Percentile percentile;
    Describe describe;
};

using S = Scaled;
using P = Percentile;
using D = Describe;

constexpr RowEntry kAttention[] = {
    {"Bildeflyt (BF) Totalskåre", kPrimary, between(5, 12), Key::BF_SUM, S::Result, P::Dash, D::Scaled},
    {"Bildeflyt (BF) Oppgave 1 Symmetrisk prikkemønster Poeng", kProcess, between(5, 12), Key::BF_S, S::Dash, P::Starred, D::Dash},
    {"Bildeflyt (BF) Oppgave 2 Asymmetrisk prikkemønster Poeng", kProcess, between(5, 12), Key::BF_A, S::Dash, P::Starred, D::Dash},
    {"Dyresortering (DS) Riktige sorteringer Totalt", kPrimary, from(7), Key::DS_R, S::Result, P::Dash, D::Scaled},
    {"Dyresorteringer (DS) Feil Totalt", kPrimary, from(7), Key::DS_ERR, S::Dash, P::Text, D::SevenBand},
    {"Dyresorteringer (DS) Kombinert skalert skåre", kPrimary, from(7), Key::DS_COMB, S::Result, P::Dash, D::Scaled},
    {"Dyresorteringer (DS) Nye sorteringsfeil Totalt", kProcess, from(7), Key::DS_N, S::Dash, P::Text, D::SevenBand},
    {"Dyresorteringer (DS) Gjentatte sorteringer Totalt", kProcess, from(7), Key::DS_REP, S::Dash, P::Text, D::SevenBand},
    {"Inhibisjon (IN) Benevning Feil Totalt", kPrimary, from(5), Key::INB_ERR, S::Dash, P::Text, D::SevenBand},
    {"Inhibisjon (IN) Inhibisjon Feil Totalt", kPrimary, from(5), Key::INI_ERR, S::Dash, P::Text, D::SevenBand},
    {"Inhibisjon (IN) Veksling Feil Totalt", kPrimary, from(7), Key::INV_ERR, S::Dash, P::Text, D::SevenBand},
    {"Inhibisjon (IN) Feil Totalt", kPrimary, from(5), Key::IN_ERR, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Benevning Tidsbruk Totalt", kPrimary, from(5), Key::INB_T, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Inhibisjon Tidsbruk Totalt", kPrimary, from(5), Key::INI_T, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Veksling Tidsbruk Totalt", kPrimary, from(7), Key::INV_T, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Benevning Kombinert skalert skåre", kPrimary, from(5), Key::INB_COMB, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Inhibisjon Kombinert skalert skåre", kPrimary, from(5), Key::INI_COMB, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Veksling Kombinert skalert skåre", kPrimary, from(7), Key::INV_COMB, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Skalert kontrastskåre Benevning mot Inhibisjon", kContrast, from(5), Key::IN_CONTRAST_BI, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Kombinert skalert skåre Inhibisjon mot Veksling", kContrast, from(7), Key::IN_CONTRAST_IV, S::Result, P::Dash, D::Scaled},
    {"Klokker (KL) Totalskåre", kPrimary, from(7), Key::KL, S::Result, P::Dash, D::Scaled},
    {"Statue (ST) Totalskåre", kPrimary, upTo(6), Key::ST, S::Result, P::Dash, D::Scaled},
};

constexpr RowEntry kLanguage[] = {
    {"Benevning og identifisering av kroppsdeler (KD) Del A Totalskåre", kPrimary, upTo(4), Key::KR_A, S::Result, P::Dash, D::Scaled},
    {"Benevning og identifisering av kroppsdeler (KD) Del B Totalskåre", kPrimary, upTo(4), Key::KR_B, S::Result, P::Dash, D::Scaled},
    {"Benevning og identifisering av kroppsdeler (KD) Skalert kontrastskåre Del B mot Del A", kContrast, upTo(4), Key::KR_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Fonologisk bearbeiding (FO) Totalskåre", kPrimary, kAll, Key::FB_RAW, S::Result, P::Dash, D::Scaled},
    {"Forståelse av instruksjoner (FI) Totalskåre", kPrimary, kAll, Key::FI, S::Result, P::Dash, D::Scaled},
    {"Hurtig benevning (HB) Tidsbruk Totalt", kPrimary, kAll, Key::PB_T, S::Result, P::Dash, D::Scaled},
    {"Hurtig benevning (HB) Riktig Totalt", kPrimary, kAll, Key::PB_R, S::Dash, P::Text, D::SevenBand},
    {"Hurtig benevning (HB) Kombinert skalert skåre", kPrimary, kAll, Key::PB_COMB, S::Result, P::Dash, D::Scaled},
    {"Oralmotoriske sekvenser (OS) Totalskåre", kPrimary, upTo(12), Key::OS, S::Dash, P::Text, D::FiveBand},
    {"Ordflyt (OF) Kategori A Totalskåre", kPrimary, kAll, Key::OF_A, S::Result, P::Dash, D::Scaled},
    {"Ordflyt (OF) Kategori B Totalskåre", kPrimary, from(7), Key::OF_B, S::Result, P::Dash, D::Scaled},
    {"Ordflyt (OF) Skalert kontrastskåre Kategori A mot Kategori B", kContrast, from(7), Key::OF_CONTRAST, S::Result, P::Dash, D::Scaled},
};

constexpr RowEntry kMemory[] = {
    {"Hukommelse for ansikter (HA) Del A Totalskåre", kPrimary, from(5), Key::MA_A, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for ansikter (HA) Del B Totalskåre", kPrimary, from(5), Key::MA_B, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for ansikter (HA) Skalert kontrast skåre Del A mot Del B", kContrast, from(5), Key::MA_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del A Totalskåre", kPrimary, kAll, Key::MF_A_T, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del A Innhold Poeng", kProcess, kAll, Key::MF_A_I, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del A Plassering Poeng", kProcess, kAll, Key::MF_A_P, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del B Totalskåre", kPrimary, from(5), Key::MF_B_T, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del B Innhold Poeng", kProcess, from(5), Key::MF_B_I, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del B Plassering Poeng", kProcess, from(5), Key::MF_B_P, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Skalert kontrastskåre Del A Innhold mot Del A Plassering", kContrast, kAll, Key::MF_CONTRAST_A, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Skalert kontrastskåre Del B Innhold mot Del B Plassering", kContrast, from(5), Key::MF_CONTRAST_B, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Skalert kontrastskåre Del A Totalskåre mot Del B Totalskåre", kContrast, from(5), Key::MF_CONTRAST_AB, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for historier (HH) Fri og Styrt gjenfortelling Totalskåre", kPrimary, kAll, Key::MB_FS, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for historier (HH) Fri gjenfortelling Totalskåre", kProcess, from(5), Key::MB_F, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for historier (HH) Gjenkjenning Totalskåre", kProcess, upTo(10), Key::MB_I, S::Dash, P::Text, D::SevenBand},
    {"Hukommelse for historier (HH) Skalert kontrastskåre Gjenkjenning mot Fri og Styrt gjenfortelling", kContrast, between(3, 10), Key::MB_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for navn (HN) Del A Totalskåre", kPrimary, from(5), Key::MN_A, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for navn (HN) Del B Totalskåre", kPrimary, from(5), Key::MN_B, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for navn (HN) Del A og Del B Totalskåre", kPrimary, from(5), Key::MN_SUM, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for ordliste (HO) Del A og Del B Riktig Totalt", kPrimary, between(7, 12), Key::MO_SUM, S::Result, P::Dash, D::Scaled},
    // The delay effect's result text is its cumulative percentage.
    {"Hukommelse for ordliste (HO) Del A og Del B Utsettelseseffekt", kProcess, between(7, 12), Key::MO_DELAY, S::Dash, P::Starred, D::Dash},
    {"Ordliste interferens (OI) Repetisjon Totalskåre", kPrimary, from(7), Key::OI_REP, S::Result, P::Dash, D::Scaled},
    {"Ordliste interferens (OI) Gjenkalling Totalskåre", kPrimary, from(7), Key::OI_RENDER, S::Result, P::Dash, D::Scaled},
    {"Ordliste interferens (OI) Skalert kontrastskåre Repetisjon Totalskåre mot Gjenkalling Totalskåre", kContrast, from(7), Key::OI_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Repetisjon av setninger (RS) Totalskåre", kPrimary, upTo(6), Key::RM, S::Result, P::Dash, D::Scaled},
};

constexpr RowEntry kSensorimotor[] = {
    {"Fingerbevegelser (FB) Del A Repetisjon av fingerbevegelser Dominant hånd Tidsbruk", kPrimary, from(5), Key::FR_AD, S::Dash, P::Text, D::SevenBand},
    {"Fingerbevegelser (FB) Del A Repetisjon av fingerbevegelser Ikke-dominant hånd Tidsbruk", kPrimary, from(5), Key::FR_AID, S::Dash, P::Text, D::SevenBand},
    {"Fingerbevegelser (FB) Del B Sekvensielle fingerbevegelser Dominant hånd Tidsbruk", kPrimary, from(5), Key::FR_BD, S::Dash, P::Text, D::SevenBand},
    {"Fingerbevegelser (FB) Del B Sekvensielle fingerbevegelser Ikke-dominant hånd Tidsbruk", kPrimary, from(5), Key::FR_BID, S::Dash, P::Text, D::SevenBand},
    {"Imitasjon av håndposisjoner (IH) Totalskåre", kPrimary, upTo(12), Key::IH_SUM, S::Result, P::Dash, D::Scaled},
    {"Imitasjon av håndposisjoner (IH) Dominant hånd Poeng", kProcess, upTo(12), Key::IH_D, S::Dash, P::Starred, D::Dash},
    {"Imitasjon av håndposisjoner (IH) Ikke-dominant hånd Poeng", kProcess, upTo(12), Key::IH_ID, S::Dash, P::Starred, D::Dash},
    {"Manuelle motoriske sekvenser (MM) Totalskåre", kPrimary, upTo(12), Key::MM, S::Dash, P::Text, D::FiveBand},
    {"Visuomotorisk presisjon (VP) Tidsbruk Totalt", kPrimary, upTo(12), Key::VP_T, S::Result, P::Dash, D::Scaled},
    {"Visuomotorisk presisjon (VP) Feil Totalt", kPrimary, upTo(12), Key::VP_F, S::Dash, P::Text, D::SevenBand},
    {"Visuomotorisk presisjon (VP) Kombinert skalert skåre", kPrimary, upTo(12), Key::VP_COMB, S::Result, P::Dash, D::Scaled},
};

// The ME total is normed as a scaled score up to 6 years and as a band from 7.
constexpr RowEntry kSocialPerception[] = {
    {"Affektgjenkjenning (AG) Totalskåre", kPrimary, kAll, Key::AI, S::Result, P::Dash, D::Scaled},
    {"Mentalisering (ME) Totalskåre", kPrimary, upTo(6), Key::MT_SUM, S::Result, P::Dash, D::Scaled},
    {"Mentalisering (ME) Totalskåre", kPrimary, from(7), Key::MT_SUM, S::Dash, P::Text, D::SevenBand},
    {"Mentalisering (ME) Verbal Poeng", kProcess, kAll, Key::MT_V, S::Dash, P::Text, D::SevenBand},
};

// GP likewise: a band at 3 to 6 years, a scaled score at 7 to 16, no norms beyond.
constexpr RowEntry kVisuospatial[] = {
    {"Bildepuslespill (BP) Totalskåre", kPrimary, from(7), Key::BP, S::Result, P::Dash, D::Scaled},
    {"Blokkonstruksjon (BK) Totalskåre", kPrimary, kAll, Key::BK, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Samlet Totalskåre", kPrimary, kAll, Key::FK_O, S::Dash, P::Text, D::SevenBand},
    {"Figurkopiering (FK) Prosesser Totalskåre", kPrimary, kAll, Key::FK_SUM, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Motorikk Poeng", kProcess, kAll, Key::FK_M, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Global Poeng", kProcess, kAll, Key::FK_G, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Lokal Poeng", kProcess, kAll, Key::FK_L, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Skalert kontrastskåre Global mot Lokal", kContrast, kAll, Key::FK_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Geometriske puslespill (GP) Totalskåre", kPrimary, between(3, 6), Key::GP, S::Dash, P::Text, D::SevenBand},
    {"Geometriske puslespill (GP) Totalskåre", kPrimary, between(7, 16), Key::GP, S::Result, P::Dash, D::Scaled},
    {"Kartlesing (KA) Totalskåre", kPrimary, between(5, 12), Key::KA, S::Dash, P::Text, D::FiveBand},
    {"Piler (PI) Totalskåre", kPrimary, from(5), Key::PI, S::Result, P::Dash, D::Scaled},
};

constexpr std::span<const RowEntry> kDomainRows[kDomainCount] = {
    kAttention, kLanguage, kMemory, kSensorimotor, kSocialPerception, kVisuospatial,
};

std::optional<ReportRow> buildRow(const TestRecord& test, int years, const RowEntry& entry)
{
    if (years < entry.ages.first || years > entry.ages.last || !HasValue(test, entry.key))
        return std::nullopt;
    const int raw = test.raw(entry.key);
    const Result& result = test.result(entry.key);

    ReportRow row;
    row.Label = QString::fromUtf8(entry.label);
    row.MeasureType = QString::fromUtf8(entry.type);
    row.Raw = isComputedKey(entry.key) ? COMPUTED_MARKER : raw;
    // 0 is no scaled score (below 3 years, a norm row missing): "-", never a score of 0.
    if (entry.scaled == Scaled::Result && result.value != 0)
        row.Scaled = result.value;
    // A measure the run gave no band (out of its table, above its range, too young) shows
    // "-" and no description: band 0's text would call it the poorest performance.
    const bool banded = !result.text.isEmpty();
    if (entry.percentile != Percentile::Dash && banded) {
        // Only -9 hides the text, and a delay effect of -9 has its text.
        row.PercentileShown = raw == NOT_ENTERED ? 0 : raw;
        row.PercentileText = result.text;
        if (entry.percentile == Percentile::Starred)
            row.PercentileText += QStringLiteral("**");
    }
    switch (entry.describe) {
    case Describe::Dash:
        row.Description = QStringLiteral("-");
        break;
    case Describe::Scaled:
        row.Description = QualitativeDescription(DescriptionScale::Scaled, result.value);
        break;
    case Describe::SevenBand:
        if (banded)
            row.Description = QualitativeDescription(DescriptionScale::SevenBand, result.value);
        break;
    case Describe::FiveBand:
        if (banded)
            row.Description = QualitativeDescription(DescriptionScale::FiveBand, result.value);
        break;
    }
    return row;
}

// The highest value of each description, from the lowest description up; a scale ends
// where its list does.
struct ScaleBounds {
    int lowest;
    std::span<const int> tops;
};

constexpr int kScaledTops[] = {3, 6, 8, 11, 13, 16, 19};
constexpr int kSevenBandTops[] = {0, 2, 3, 5, 6};
constexpr int kFiveBandTops[] = {0, 1, 2, 3, 4};

constexpr ScaleBounds boundsOf(DescriptionScale scale)
{
    switch (scale) {
    case DescriptionScale::Scaled:
        return {1, kScaledTops};
    case DescriptionScale::SevenBand:
        return {0, kSevenBandTops};
    case DescriptionScale::FiveBand:
        return {0, kFiveBandTops};
    }
    return {0, {}};
}

const char* const kDescriptions[] = {
    "Betydelig under gjennomsnittet",
    "Klart under gjennomsnittet",
    "Gjennomsnittets nedre del",
    "Gjennomsnittlig",
    "Gjennomsnittets øvre del",
    "Klart over gjennomsnittet",
    "Betydelig over gjennomsnittet",
};

} // namespace

bool HasValue(const TestRecord& test, Key key)
{
    if (key == Key::MO_DELAY)
        return !test.result(key).text.isEmpty();
    // A combined or contrast key's raw slot stays -9 until the run computes it.
    return test.raw(key) != NOT_ENTERED;
}

QString QualitativeDescription(DescriptionScale scale, int value)
{
    const ScaleBounds bounds = boundsOf(scale);
    if (value < bounds.lowest)
        return {};
    for (size_t i = 0; i < bounds.tops.size(); ++i) {
        if (value <= bounds.tops[i])
            return QString::fromUtf8(kDescriptions[i]);
    }
    return {};
}

DomainTables BuildReportRows(const TestRecord& test)
{
    const int years = test.testAge().years;
    DomainTables tables;
    for (size_t d = 0; d < tables.size(); ++d) {
        for (const RowEntry& entry : kDomainRows[d]) {
            if (std::optional<ReportRow> row = buildRow(test, years, entry))
                tables[d].push_back(std::move(*row));
        }
    }
    return tables;
}

QString RawColumnText(const ReportRow& row)
{
    return row.Raw == COMPUTED_MARKER ? QStringLiteral("N/A*") : QString::number(row.Raw);
}

QString ScaledColumnText(const ReportRow& row)
{
    return row.Scaled == NOT_ENTERED ? QStringLiteral("-") : QString::number(row.Scaled);
}

QString PercentileColumnText(const ReportRow& row)
{
    return row.PercentileShown != NOT_ENTERED ? row.PercentileText : QStringLiteral("-");
}

} // namespace tavlo
