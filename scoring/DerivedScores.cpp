#include "scoring/Scoring.h"

#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <initializer_list>

namespace tavlo {

namespace {

bool present(int raw)
{
    return raw != NOT_ENTERED;
}

// Both parts, or the one that is present; unchanged when neither is.
void twoPartSum(TestRecord& t, Key sum, Key a, Key b)
{
    const int x = t.raw(a), y = t.raw(b);
    if (present(x) && present(y))
        t.setRaw(sum, ClampedRaw(qint64(x) + y));
    else if (present(x))
        t.setRaw(sum, x);
    else if (present(y))
        t.setRaw(sum, y);
}

// The sum of the parts that are present; unchanged when none is.
void presentSum(TestRecord& t, Key sum, std::initializer_list<Key> parts)
{
    qint64 total = 0;
    bool any = false;
    for (const Key part : parts) {
        if (present(t.raw(part))) {
            total += t.raw(part);
            any = true;
        }
    }
    if (any)
        t.setRaw(sum, ClampedRaw(total));
}

} // namespace

int ClampedRaw(qint64 value)
{
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

void ComputeDerivedRawScores(TestRecord& t)
{
    const int age = t.testAge().years;

    twoPartSum(t, Key::BF_SUM, Key::BF_S, Key::BF_A);
    twoPartSum(t, Key::DS_ERR, Key::DS_N, Key::DS_REP);
    twoPartSum(t, Key::IH_SUM, Key::IH_D, Key::IH_ID);
    twoPartSum(t, Key::MT_SUM, Key::MT_V, Key::MT_K);
    twoPartSum(t, Key::MN_SUM, Key::MN_A, Key::MN_B);
    twoPartSum(t, Key::MO_SUM, Key::MO_A, Key::MO_B);

    const int m = t.scores.FK_M, g = t.scores.FK_G, l = t.scores.FK_L;
    if (present(m) && present(g) && present(l))
        t.setRaw(Key::FK_SUM, ClampedRaw(qint64(m) + g + l));
    else if (present(m))
        t.setRaw(Key::FK_SUM, m);
    else if (present(g) || present(l))
        t.setRaw(Key::FK_SUM, l); // FK_L even when it is -9: FK_G alone gives no sum

    if (present(t.scores.FBA) && age <= 4)
        t.setRaw(Key::FB_RAW, t.scores.FBA);
    else if (present(t.scores.FBAB) && age >= 5)
        t.setRaw(Key::FB_RAW, t.scores.FBAB);

    if (age >= 5) {
        if (age >= 7)
            presentSum(t, Key::IN_ERR, {Key::INB_O, Key::INB_S, Key::INI_O, Key::INI_S, Key::INV_O, Key::INV_S});
        else
            presentSum(t, Key::IN_ERR, {Key::INB_O, Key::INB_S, Key::INI_O, Key::INI_S});
        presentSum(t, Key::INB_ERR, {Key::INB_O, Key::INB_S});
        presentSum(t, Key::INI_ERR, {Key::INI_O, Key::INI_S});
    }
    if (age >= 7)
        presentSum(t, Key::INV_ERR, {Key::INV_O, Key::INV_S});
}

} // namespace tavlo
