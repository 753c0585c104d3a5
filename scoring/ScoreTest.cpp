#include "scoring/Scoring.h"

#include "vandrel/MessageSink.h"

namespace tavlo {

namespace {

struct Step {
    Key result;
    int firstYear;
    int lastYear;
};

// The combined and contrast scores in the order they run, with the ages that run them: the
// inhibition contrasts after the combined scores they rest on.
constexpr Step kSteps[] = {
    {Key::DS_COMB, 7, 16},        {Key::INB_COMB, 5, 16},       {Key::INI_COMB, 5, 16},
    {Key::INV_COMB, 5, 16},       {Key::PB_COMB, 3, 16},        {Key::VP_COMB, 3, 12},
    {Key::KR_CONTRAST, 3, 4},     {Key::FK_CONTRAST, 3, 16},    {Key::IN_CONTRAST_BI, 5, 16},
    {Key::IN_CONTRAST_IV, 5, 16}, {Key::MF_CONTRAST_A, 3, 16},  {Key::MF_CONTRAST_B, 5, 16},
    {Key::MF_CONTRAST_AB, 5, 16}, {Key::MA_CONTRAST, 5, 16},    {Key::MB_CONTRAST, 3, 16},
    {Key::OF_CONTRAST, 3, 16},    {Key::OI_CONTRAST, 7, 16},
};

} // namespace

void ScoreTest(NormSource& source, const NormState& norms, TestRecord& test)
{
    // A changed test scores as if for the first time: nothing of an earlier run may stand
    // where this run writes nothing (a measure emptied, a contrast whose input went).
    ClearResults(test);
    const NormTables& tables = normTables();
    if (!tables.ok()) {
        tell(QStringLiteral("Programmets normtabeller kan ikke leses (%1). Ingen skårer er beregnet.").arg(tables.error),
             MessageIcon::Stop);
        return;
    }
    const int years = std::min(test.testAge().years, 16);
    const auto band = AgeBandOfYears(years);
    if (!band)
        return;
    ScaleAgeBand(source, norms, test, *band);
    for (const Step& step : kSteps) {
        if (years >= step.firstYear && years <= step.lastYear)
            ScoreCombinedOrContrast(test, step.result);
    }
    if (years >= 7 && years <= 12)
        ScoreDelayEffect(norms, test);
}

void ScoreTest(Database& db, const NormState& norms, TestRecord& test)
{
    ScoreTest(db.normCache(), norms, test);
}

} // namespace tavlo
