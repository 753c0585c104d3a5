#include "scoring/Scoring.h"

namespace tavlo {

namespace {

const QString kSetA[] = {QStringLiteral("<=2%"), QStringLiteral("3-10%"), QStringLiteral("11-25%"),
                         QStringLiteral("26-75%"), QStringLiteral(">75%")};
const QString kSetB[] = {QStringLiteral("<2%"),   QStringLiteral("2-5%"),   QStringLiteral("6-10%"), QStringLiteral("11-25%"),
                         QStringLiteral("26-50%"), QStringLiteral("51-75%"), QStringLiteral(">75%")};

// The first band 0..last whose threshold r does not exceed, or -1.
int firstAtMost(int r, const std::array<int, 7>& t, int last)
{
    for (int k = 0; k <= last; ++k) {
        if (r <= t[size_t(k)])
            return k;
    }
    return -1;
}

// The band of raw score r under the rule, or -1 when the rule gives none.
int applyRule(BandRule rule, int r, const std::array<int, 7>& t)
{
    switch (rule) {
    case BandRule::K1:
        if (const int k = firstAtMost(r, t, 3); k >= 0)
            return k;
        return r >= t[4] ? 4 : -1;
    case BandRule::K2:
        return firstAtMost(r, t, 4);
    case BandRule::K3:
        if (const int k = firstAtMost(r, t, 5); k >= 0)
            return k;
        return r >= t[6] ? 6 : -1;
    case BandRule::K4:
        for (int k = 0; k <= 6; ++k) {
            if (r >= t[size_t(k)])
                return k;
        }
        return -1;
    }
    return -1;
}

// The ages at which the run calls a classifier: its table's ages, and for two of them a
// few more where they find nothing to write.
bool called(const Classifier& c, int years)
{
    if (c.raw == Key::INI_ERR && years >= 3)
        return years <= c.lastAge;
    if (c.raw == Key::MB_I)
        return years >= c.firstAge;
    return years >= c.firstAge && years <= c.lastAge;
}

void classify(const NormState& norms, TestRecord& t, const Classifier& c)
{
    const int raw = t.raw(c.raw);
    if (raw == NOT_ENTERED)
        return;
    const int group = AgeGroupIndex(norms);
    const auto [first, last] = AgeGroupsOfYears(c.firstAge, c.lastAge);
    if (group < first || group > last)
        return;
    const int band = applyRule(c.rule, raw, c.thresholds[size_t(group)]);
    if (band < 0)
        return;
    Result& result = t.result(c.raw);
    result.value = band;
    result.text = c.set == BandSet::A ? kSetA[band] : kSetB[band];
}

} // namespace

void ClassifyPercentageBands(const NormState& norms, TestRecord& t)
{
    const int years = std::min(t.testAge().years, 16);
    for (const Classifier& c : normTables().classifiers) {
        if (called(c, years))
            classify(norms, t, c);
    }
}

} // namespace tavlo
