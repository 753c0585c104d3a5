#include "report/ReportRows.h"

#include "model/MeasureAges.h"

#include <optional>
#include <span>

namespace tavlo {

namespace {

constexpr const char* kPrimary = "Primærmål";
constexpr const char* kProcess = "Prosessmål";
constexpr const char* kContrast = "Kontrastmål";

// What the scaled column shows: the key's result (scaled, combined or contrast score) or "-".
enum class Scaled { Dash, Result };
// What the percentile column shows: "-", the key's result text, or that text with "**".
enum class Percentile { Dash, Text, Starred };
// The scale the key's result is described on, or "-".
enum class Describe { Dash, Scaled, SevenBand, FiveBand };

// One line of a domain, listed at the ages its key is reported. The key gives the raw column
// and every result shown; a combined or contrast key has no raw score of its own and shows
// the computed marker. A key shown as a score at some ages and as a band at others has a
// line for each, within its own years.
struct RowEntry {
    const char* label;
    const char* type;
    Key key;
    Scaled scaled;
    Percentile percentile;
    Describe describe;
    YearSpan within = kEveryAge;
};

using S = Scaled;
using P = Percentile;
using D = Describe;

constexpr RowEntry kAttention[] = {
    {"Bildeflyt (BF) Totalskåre", kPrimary, Key::BF_SUM, S::Result, P::Dash, D::Scaled},
    {"Bildeflyt (BF) Oppgave 1 Symmetrisk prikkemønster Poeng", kProcess, Key::BF_S, S::Dash, P::Starred, D::Dash},
    {"Bildeflyt (BF) Oppgave 2 Asymmetrisk prikkemønster Poeng", kProcess, Key::BF_A, S::Dash, P::Starred, D::Dash},
    {"Dyresortering (DS) Riktige sorteringer Totalt", kPrimary, Key::DS_R, S::Result, P::Dash, D::Scaled},
    {"Dyresorteringer (DS) Feil Totalt", kPrimary, Key::DS_ERR, S::Dash, P::Text, D::SevenBand},
    {"Dyresorteringer (DS) Kombinert skalert skåre", kPrimary, Key::DS_COMB, S::Result, P::Dash, D::Scaled},
    {"Dyresorteringer (DS) Nye sorteringsfeil Totalt", kProcess, Key::DS_N, S::Dash, P::Text, D::SevenBand},
    {"Dyresorteringer (DS) Gjentatte sorteringer Totalt", kProcess, Key::DS_REP, S::Dash, P::Text, D::SevenBand},
    {"Inhibisjon (IN) Benevning Feil Totalt", kPrimary, Key::INB_ERR, S::Dash, P::Text, D::SevenBand},
    {"Inhibisjon (IN) Inhibisjon Feil Totalt", kPrimary, Key::INI_ERR, S::Dash, P::Text, D::SevenBand},
    {"Inhibisjon (IN) Veksling Feil Totalt", kPrimary, Key::INV_ERR, S::Dash, P::Text, D::SevenBand},
    {"Inhibisjon (IN) Feil Totalt", kPrimary, Key::IN_ERR, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Benevning Tidsbruk Totalt", kPrimary, Key::INB_T, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Inhibisjon Tidsbruk Totalt", kPrimary, Key::INI_T, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Veksling Tidsbruk Totalt", kPrimary, Key::INV_T, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Benevning Kombinert skalert skåre", kPrimary, Key::INB_COMB, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Inhibisjon Kombinert skalert skåre", kPrimary, Key::INI_COMB, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Veksling Kombinert skalert skåre", kPrimary, Key::INV_COMB, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Skalert kontrastskåre Benevning mot Inhibisjon", kContrast, Key::IN_CONTRAST_BI, S::Result, P::Dash, D::Scaled},
    {"Inhibisjon (IN) Kombinert skalert skåre Inhibisjon mot Veksling", kContrast, Key::IN_CONTRAST_IV, S::Result, P::Dash, D::Scaled},
    {"Klokker (KL) Totalskåre", kPrimary, Key::KL, S::Result, P::Dash, D::Scaled},
    {"Statue (ST) Totalskåre", kPrimary, Key::ST, S::Result, P::Dash, D::Scaled},
};

constexpr RowEntry kLanguage[] = {
    {"Benevning og identifisering av kroppsdeler (KD) Del A Totalskåre", kPrimary, Key::KR_A, S::Result, P::Dash, D::Scaled},
    {"Benevning og identifisering av kroppsdeler (KD) Del B Totalskåre", kPrimary, Key::KR_B, S::Result, P::Dash, D::Scaled},
    {"Benevning og identifisering av kroppsdeler (KD) Skalert kontrastskåre Del B mot Del A", kContrast, Key::KR_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Fonologisk bearbeiding (FO) Totalskåre", kPrimary, Key::FB_RAW, S::Result, P::Dash, D::Scaled},
    {"Forståelse av instruksjoner (FI) Totalskåre", kPrimary, Key::FI, S::Result, P::Dash, D::Scaled},
    {"Hurtig benevning (HB) Tidsbruk Totalt", kPrimary, Key::PB_T, S::Result, P::Dash, D::Scaled},
    {"Hurtig benevning (HB) Riktig Totalt", kPrimary, Key::PB_R, S::Dash, P::Text, D::SevenBand},
    {"Hurtig benevning (HB) Kombinert skalert skåre", kPrimary, Key::PB_COMB, S::Result, P::Dash, D::Scaled},
    {"Oralmotoriske sekvenser (OS) Totalskåre", kPrimary, Key::OS, S::Dash, P::Text, D::FiveBand},
    {"Ordflyt (OF) Kategori A Totalskåre", kPrimary, Key::OF_A, S::Result, P::Dash, D::Scaled},
    {"Ordflyt (OF) Kategori B Totalskåre", kPrimary, Key::OF_B, S::Result, P::Dash, D::Scaled},
    {"Ordflyt (OF) Skalert kontrastskåre Kategori A mot Kategori B", kContrast, Key::OF_CONTRAST, S::Result, P::Dash, D::Scaled},
};

constexpr RowEntry kMemory[] = {
    {"Hukommelse for ansikter (HA) Del A Totalskåre", kPrimary, Key::MA_A, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for ansikter (HA) Del B Totalskåre", kPrimary, Key::MA_B, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for ansikter (HA) Skalert kontrast skåre Del A mot Del B", kContrast, Key::MA_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del A Totalskåre", kPrimary, Key::MF_A_T, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del A Innhold Poeng", kProcess, Key::MF_A_I, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del A Plassering Poeng", kProcess, Key::MF_A_P, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del B Totalskåre", kPrimary, Key::MF_B_T, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del B Innhold Poeng", kProcess, Key::MF_B_I, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Del B Plassering Poeng", kProcess, Key::MF_B_P, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Skalert kontrastskåre Del A Innhold mot Del A Plassering", kContrast, Key::MF_CONTRAST_A, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Skalert kontrastskåre Del B Innhold mot Del B Plassering", kContrast, Key::MF_CONTRAST_B, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for figurer (HF) Skalert kontrastskåre Del A Totalskåre mot Del B Totalskåre", kContrast, Key::MF_CONTRAST_AB, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for historier (HH) Fri og Styrt gjenfortelling Totalskåre", kPrimary, Key::MB_FS, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for historier (HH) Fri gjenfortelling Totalskåre", kProcess, Key::MB_F, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for historier (HH) Gjenkjenning Totalskåre", kProcess, Key::MB_I, S::Dash, P::Text, D::SevenBand},
    {"Hukommelse for historier (HH) Skalert kontrastskåre Gjenkjenning mot Fri og Styrt gjenfortelling", kContrast, Key::MB_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for navn (HN) Del A Totalskåre", kPrimary, Key::MN_A, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for navn (HN) Del B Totalskåre", kPrimary, Key::MN_B, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for navn (HN) Del A og Del B Totalskåre", kPrimary, Key::MN_SUM, S::Result, P::Dash, D::Scaled},
    {"Hukommelse for ordliste (HO) Del A og Del B Riktig Totalt", kPrimary, Key::MO_SUM, S::Result, P::Dash, D::Scaled},
    // The delay effect's result text is its cumulative percentage.
    {"Hukommelse for ordliste (HO) Del A og Del B Utsettelseseffekt", kProcess, Key::MO_DELAY, S::Dash, P::Starred, D::Dash},
    {"Ordliste interferens (OI) Repetisjon Totalskåre", kPrimary, Key::OI_REP, S::Result, P::Dash, D::Scaled},
    {"Ordliste interferens (OI) Gjenkalling Totalskåre", kPrimary, Key::OI_RENDER, S::Result, P::Dash, D::Scaled},
    {"Ordliste interferens (OI) Skalert kontrastskåre Repetisjon Totalskåre mot Gjenkalling Totalskåre", kContrast, Key::OI_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Repetisjon av setninger (RS) Totalskåre", kPrimary, Key::RM, S::Result, P::Dash, D::Scaled},
};

constexpr RowEntry kSensorimotor[] = {
    {"Fingerbevegelser (FB) Del A Repetisjon av fingerbevegelser Dominant hånd Tidsbruk", kPrimary, Key::FR_AD, S::Dash, P::Text, D::SevenBand},
    {"Fingerbevegelser (FB) Del A Repetisjon av fingerbevegelser Ikke-dominant hånd Tidsbruk", kPrimary, Key::FR_AID, S::Dash, P::Text, D::SevenBand},
    {"Fingerbevegelser (FB) Del B Sekvensielle fingerbevegelser Dominant hånd Tidsbruk", kPrimary, Key::FR_BD, S::Dash, P::Text, D::SevenBand},
    {"Fingerbevegelser (FB) Del B Sekvensielle fingerbevegelser Ikke-dominant hånd Tidsbruk", kPrimary, Key::FR_BID, S::Dash, P::Text, D::SevenBand},
    {"Imitasjon av håndposisjoner (IH) Totalskåre", kPrimary, Key::IH_SUM, S::Result, P::Dash, D::Scaled},
    {"Imitasjon av håndposisjoner (IH) Dominant hånd Poeng", kProcess, Key::IH_D, S::Dash, P::Starred, D::Dash},
    {"Imitasjon av håndposisjoner (IH) Ikke-dominant hånd Poeng", kProcess, Key::IH_ID, S::Dash, P::Starred, D::Dash},
    {"Manuelle motoriske sekvenser (MM) Totalskåre", kPrimary, Key::MM, S::Dash, P::Text, D::FiveBand},
    {"Visuomotorisk presisjon (VP) Tidsbruk Totalt", kPrimary, Key::VP_T, S::Result, P::Dash, D::Scaled},
    {"Visuomotorisk presisjon (VP) Feil Totalt", kPrimary, Key::VP_F, S::Dash, P::Text, D::SevenBand},
    {"Visuomotorisk presisjon (VP) Kombinert skalert skåre", kPrimary, Key::VP_COMB, S::Result, P::Dash, D::Scaled},
};

// The ME total is normed as a scaled score up to 6 years and as a band from 7.
constexpr RowEntry kSocialPerception[] = {
    {"Affektgjenkjenning (AG) Totalskåre", kPrimary, Key::AI, S::Result, P::Dash, D::Scaled},
    {"Mentalisering (ME) Totalskåre", kPrimary, Key::MT_SUM, S::Result, P::Dash, D::Scaled, upTo(6)},
    {"Mentalisering (ME) Totalskåre", kPrimary, Key::MT_SUM, S::Dash, P::Text, D::SevenBand, from(7)},
    {"Mentalisering (ME) Verbal Poeng", kProcess, Key::MT_V, S::Dash, P::Text, D::SevenBand},
};

// GP likewise: a band at 3 to 6 years, a scaled score at 7 to 16, no norms beyond.
constexpr RowEntry kVisuospatial[] = {
    {"Bildepuslespill (BP) Totalskåre", kPrimary, Key::BP, S::Result, P::Dash, D::Scaled},
    {"Blokkonstruksjon (BK) Totalskåre", kPrimary, Key::BK, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Samlet Totalskåre", kPrimary, Key::FK_O, S::Dash, P::Text, D::SevenBand},
    {"Figurkopiering (FK) Prosesser Totalskåre", kPrimary, Key::FK_SUM, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Motorikk Poeng", kProcess, Key::FK_M, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Global Poeng", kProcess, Key::FK_G, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Lokal Poeng", kProcess, Key::FK_L, S::Result, P::Dash, D::Scaled},
    {"Figurkopiering (FK) Skalert kontrastskåre Global mot Lokal", kContrast, Key::FK_CONTRAST, S::Result, P::Dash, D::Scaled},
    {"Geometriske puslespill (GP) Totalskåre", kPrimary, Key::GP, S::Dash, P::Text, D::SevenBand, upTo(6)},
    {"Geometriske puslespill (GP) Totalskåre", kPrimary, Key::GP, S::Result, P::Dash, D::Scaled, from(7)},
    {"Kartlesing (KA) Totalskåre", kPrimary, Key::KA, S::Dash, P::Text, D::FiveBand},
    {"Piler (PI) Totalskåre", kPrimary, Key::PI, S::Result, P::Dash, D::Scaled},
};

constexpr std::span<const RowEntry> kDomainRows[kDomainCount] = {
    kAttention, kLanguage, kMemory, kSensorimotor, kSocialPerception, kVisuospatial,
};

std::optional<ReportRow> buildRow(const TestRecord& test, int years, const RowEntry& entry)
{
    if (!AppliesAt(entry.key, AgeUse::Reported, years) || !entry.within.holds(years) || !HasValue(test, entry.key))
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

bool NeedsCumulativeFootnote(const TestRecord& test, int domain)
{
    const int years = test.testAge().years;
    const auto reported = [years](Key key) { return AppliesAt(key, AgeUse::Reported, years); };
    switch (domain) {
    case 1:
        return reported(Key::BF_S) && test.scores.BF_S != NOT_ENTERED;
    case 3:
        return reported(Key::MO_DELAY) && HasValue(test, Key::MO_DELAY);
    case 4:
        return reported(Key::IH_D) && !(test.scores.IH_D == NOT_ENTERED && test.scores.IH_ID == NOT_ENTERED);
    default:
        return false;
    }
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

QStringList ReportColumnHeadings()
{
    return {QStringLiteral("Deltest"),   QStringLiteral("Råskårer"), QStringLiteral("Skalerte skårer"),
            QStringLiteral("Persentil"), QStringLiteral("Type mål"), QStringLiteral("Kvalitativ beskrivelse")};
}

QStringList ReportRowCells(const ReportRow& row)
{
    return {row.Label, RawColumnText(row), ScaledColumnText(row), PercentileColumnText(row), row.MeasureType, row.Description};
}

} // namespace tavlo
