#include "scoring/Scoring.h"

#include "vandrel/MessageSink.h"

namespace tavlo {

namespace {

enum class Kind { Combined, Contrast };
enum class Input { Scaled, Band, Computed };

// How each combined and contrast score is found: the key whose result picks the row, the
// key whose result picks the column, and what those results are.
struct Derivation {
    Key result;
    Kind kind;
    Key row;
    Input rowInput;
    Key column;
    Input columnInput;
};

constexpr Derivation kDerivations[] = {
    {Key::DS_COMB, Kind::Combined, Key::DS_R, Input::Scaled, Key::DS_ERR, Input::Band},
    {Key::INB_COMB, Kind::Combined, Key::INB_T, Input::Scaled, Key::INB_ERR, Input::Band},
    {Key::INI_COMB, Kind::Combined, Key::INI_T, Input::Scaled, Key::INI_ERR, Input::Band},
    {Key::INV_COMB, Kind::Combined, Key::INV_T, Input::Scaled, Key::INV_ERR, Input::Band},
    {Key::PB_COMB, Kind::Combined, Key::PB_T, Input::Scaled, Key::PB_R, Input::Band},
    {Key::VP_COMB, Kind::Combined, Key::VP_T, Input::Scaled, Key::VP_F, Input::Band},
    {Key::KR_CONTRAST, Kind::Contrast, Key::KR_A, Input::Scaled, Key::KR_B, Input::Scaled},
    {Key::FK_CONTRAST, Kind::Contrast, Key::FK_L, Input::Scaled, Key::FK_G, Input::Scaled},
    {Key::IN_CONTRAST_BI, Kind::Contrast, Key::INI_COMB, Input::Computed, Key::INB_COMB, Input::Computed},
    {Key::IN_CONTRAST_IV, Kind::Contrast, Key::INV_COMB, Input::Computed, Key::INI_COMB, Input::Computed},
    {Key::MF_CONTRAST_A, Kind::Contrast, Key::MF_A_P, Input::Scaled, Key::MF_A_I, Input::Scaled},
    {Key::MF_CONTRAST_B, Kind::Contrast, Key::MF_B_P, Input::Scaled, Key::MF_B_I, Input::Scaled},
    {Key::MF_CONTRAST_AB, Kind::Contrast, Key::MF_B_T, Input::Scaled, Key::MF_A_T, Input::Scaled},
    {Key::MA_CONTRAST, Kind::Contrast, Key::MA_B, Input::Scaled, Key::MA_A, Input::Scaled},
    // Reported as a contrast, looked up like a combined score.
    {Key::MB_CONTRAST, Kind::Combined, Key::MB_FS, Input::Scaled, Key::MB_I, Input::Band},
    {Key::OF_CONTRAST, Kind::Contrast, Key::OF_B, Input::Scaled, Key::OF_A, Input::Scaled},
    {Key::OI_CONTRAST, Kind::Contrast, Key::OI_RENDER, Input::Scaled, Key::OI_REP, Input::Scaled},
};

bool present(const TestRecord& t, Key key)
{
    // A raw score present, or a combined score computed (its raw slot is no longer -9).
    return t.raw(key) != NOT_ENTERED;
}

} // namespace

int ScaleRaw(int raw, const std::array<int, 19>& bounds, Direction direction)
{
    if (raw == NOT_ENTERED)
        return 0;
    if (direction == Direction::Normal) {
        for (int k = 1; k <= 18; ++k) {
            if (raw <= bounds[size_t(k - 1)])
                return k;
        }
        return 19;
    }
    for (int k = 1; k <= 19; ++k) {
        if (raw >= bounds[size_t(k - 1)])
            return k;
    }
    // Faster or fewer errors than the last bound: the top of the scale.
    return 19;
}

void ScaleAgeBand(NormSource& source, const NormState& norms, TestRecord& test, AgeBand band)
{
    ComputeDerivedRawScores(test);
    ScoreMemoryForDesigns(test);

    NormRow row;
    row.NORMGRUPP = norms.CurrentNormGroup;
    row.DELGRUPP = norms.CurrentAgeGroup;
    for (const ScaleEntry& entry : normTables().list(band)) {
        row.DELSKALA = entry.literal;
        int scaled = 0;
        if (FetchNormRow(source, row))
            scaled = ScaleRaw(test.raw(entry.raw), row.S, entry.direction);
        else
            tell(QStringLiteral("%1 %2 %3 finns inte.").arg(row.NORMGRUPP, row.DELSKALA, row.DELGRUPP));
        test.result(entry.raw).value = scaled;
    }
    ClassifyPercentageBands(norms, test);
}

int ContrastGroup(int control)
{
    if (control < 1 || control > 19)
        return 0;
    if (control <= 3)
        return 1;
    if (control >= 16)
        return 8;
    return control / 2; // 4-5 → 2, 6-7 → 3, … 14-15 → 7
}

int CombinedLookup(const LookupTable& table, int scaled, int band)
{
    if (scaled < 0 || scaled > 19 || band < 0 || band > 6)
        return 0;
    return table[size_t(scaled)][size_t(band)];
}

int ContrastLookup(const LookupTable& table, int target, int control)
{
    if (target < 0 || target > 19)
        return 0;
    return table[size_t(target)][size_t(ContrastGroup(control))];
}

void ScoreCombinedOrContrast(TestRecord& test, Key result)
{
    for (const Derivation& d : kDerivations) {
        if (d.result != result)
            continue;
        if (!present(test, d.row) || !present(test, d.column))
            return;
        const LookupTable& table = normTables().lookup(result);
        const int row = test.result(d.row).value;
        const int column = test.result(d.column).value;
        test.result(result).value =
            d.kind == Kind::Combined ? CombinedLookup(table, row, column) : ContrastLookup(table, row, column);
        test.setRaw(result, COMPUTED_MARKER);
        return;
    }
}

void ScoreDelayEffect(const NormState& norms, TestRecord& test)
{
    const int a5 = test.scores.MO_A5, b = test.scores.MO_B;
    if (a5 == NOT_ENTERED || b == NOT_ENTERED)
        return;
    const int difference = ClampedRaw(qint64(a5) - b);
    const int group = AgeGroupIndex(norms);
    if (group < 9 || group > 20)
        return;
    const int column = (group - 9) / 2 + 1; // 9-10 → 7 years … 19-20 → 12 years
    for (const auto& row : normTables().delay) {
        if (row[0] >= difference) {
            const int percent = row[size_t(column)];
            test.setRaw(Key::MO_DELAY, difference);
            Result& r = test.result(Key::MO_DELAY);
            r.value = percent;
            r.text = percent == 0 ? QStringLiteral("<1") : percent == 100 ? QStringLiteral(">99") : QString::number(percent);
            return;
        }
    }
}

} // namespace tavlo
