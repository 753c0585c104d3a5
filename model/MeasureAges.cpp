#include "model/MeasureAges.h"

#include <iterator>

namespace tavlo {

namespace {

struct KeyAges {
    Key key;
    YearSpan entered;
    YearSpan reported;
};

constexpr YearSpan kAll = kEveryAge;
constexpr YearSpan kNone = kNoAge;

// Every key in catalogue order. A derived, combined or contrast score is never typed in.
constexpr KeyAges kAges[] = {
    // key                   entered          reported
    {Key::AI,                kAll,            kAll},
    {Key::KR_A,              upTo(4),         upTo(4)},
    {Key::KR_B,              upTo(4),         upTo(4)},
    {Key::BF_S,              between(5, 12),  between(5, 12)},
    {Key::BF_A,              between(5, 12),  between(5, 12)},
    {Key::BP,                from(7),         from(7)},
    {Key::BK,                kAll,            kAll},
    {Key::DS_N,              from(7),         from(7)},
    {Key::DS_REP,            from(7),         from(7)},
    {Key::DS_R,              from(7),         from(7)},
    {Key::FK_O,              kAll,            kAll},
    {Key::FK_M,              kAll,            kAll},
    {Key::FK_G,              kAll,            kAll},
    {Key::FK_L,              kAll,            kAll},
    {Key::FR_AD,             from(5),         from(5)},
    {Key::FR_AID,            from(5),         from(5)},
    {Key::FR_BD,             from(5),         from(5)},
    {Key::FR_BID,            from(5),         from(5)},
    {Key::FBA,               upTo(4),         kNone},
    {Key::FBAB,              from(5),         kNone},
    {Key::FI,                kAll,            kAll},
    // Normed for 3-16 only.
    {Key::GP,                kAll,            between(3, 16)},
    {Key::IH_D,              upTo(12),        upTo(12)},
    {Key::IH_ID,             upTo(12),        upTo(12)},
    {Key::INB_O,             from(5),         kNone},
    {Key::INB_S,             from(5),         kNone},
    {Key::INB_T,             from(5),         from(5)},
    {Key::INI_O,             from(5),         kNone},
    {Key::INI_S,             from(5),         kNone},
    {Key::INI_T,             from(5),         from(5)},
    {Key::INV_O,             from(7),         kNone},
    {Key::INV_S,             from(7),         kNone},
    {Key::INV_T,             from(7),         from(7)},
    {Key::KA,                between(5, 12),  between(5, 12)},
    {Key::KL,                from(7),         from(7)},
    {Key::MM,                upTo(12),        upTo(12)},
    {Key::MT_V,              kAll,            kAll},
    {Key::MT_K,              kAll,            kNone},
    {Key::MA_A,              from(5),         from(5)},
    {Key::MA_B,              from(5),         from(5)},
    {Key::MB_F,              from(5),         from(5)},
    {Key::MB_FS,             kAll,            kAll},
    {Key::MB_I,              upTo(10),        upTo(10)},
    {Key::MN_A,              from(5),         from(5)},
    {Key::MN_B,              from(5),         from(5)},
    {Key::MO_A5,             between(7, 12),  kNone},
    {Key::MO_A,              between(7, 12),  kNone},
    {Key::MO_B,              between(7, 12),  kNone},
    {Key::OS,                upTo(12),        upTo(12)},
    {Key::OF_A,              kAll,            kAll},
    {Key::OF_B,              from(7),         from(7)},
    {Key::OI_REP,            from(7),         from(7)},
    {Key::OI_RENDER,         from(7),         from(7)},
    {Key::PI,                from(5),         from(5)},
    {Key::PB_T,              kAll,            kAll},
    {Key::PB_R,              kAll,            kAll},
    {Key::RM,                upTo(6),         upTo(6)},
    {Key::ST,                upTo(6),         upTo(6)},
    {Key::VP_T,              upTo(12),        upTo(12)},
    {Key::VP_F,              upTo(12),        upTo(12)},

    {Key::BF_SUM,            kNone,           between(5, 12)},
    {Key::DS_ERR,            kNone,           from(7)},
    {Key::FB_RAW,            kNone,           kAll},
    {Key::FK_SUM,            kNone,           kAll},
    {Key::IH_SUM,            kNone,           upTo(12)},
    {Key::IN_ERR,            kNone,           from(5)},
    {Key::INB_ERR,           kNone,           from(5)},
    {Key::INI_ERR,           kNone,           from(5)},
    {Key::INV_ERR,           kNone,           from(7)},
    {Key::MT_SUM,            kNone,           kAll},
    {Key::MN_SUM,            kNone,           from(5)},
    {Key::MO_SUM,            kNone,           between(7, 12)},
    {Key::MO_DELAY,          kNone,           between(7, 12)},
    {Key::MF_A_I,            kNone,           kAll},
    {Key::MF_A_P,            kNone,           kAll},
    {Key::MF_A_T,            kNone,           kAll},
    {Key::MF_B_I,            kNone,           from(5)},
    {Key::MF_B_P,            kNone,           from(5)},
    {Key::MF_B_T,            kNone,           from(5)},

    {Key::DS_COMB,           kNone,           from(7)},
    {Key::INB_COMB,          kNone,           from(5)},
    {Key::INI_COMB,          kNone,           from(5)},
    {Key::INV_COMB,          kNone,           from(7)},
    {Key::PB_COMB,           kNone,           kAll},
    {Key::VP_COMB,           kNone,           upTo(12)},
    {Key::KR_CONTRAST,       kNone,           upTo(4)},
    {Key::FK_CONTRAST,       kNone,           kAll},
    {Key::IN_CONTRAST_BI,    kNone,           from(5)},
    {Key::IN_CONTRAST_IV,    kNone,           from(7)},
    {Key::MF_CONTRAST_A,     kNone,           kAll},
    {Key::MF_CONTRAST_B,     kNone,           from(5)},
    {Key::MF_CONTRAST_AB,    kNone,           from(5)},
    {Key::MA_CONTRAST,       kNone,           from(5)},
    // Below 3 years the recognition row stands without its contrast.
    {Key::MB_CONTRAST,       kNone,           between(3, 10)},
    {Key::OF_CONTRAST,       kNone,           from(7)},
    {Key::OI_CONTRAST,       kNone,           from(7)},
};

constexpr bool inCatalogueOrder()
{
    for (int k = 0; k < kKeyCount; ++k) {
        if (kAges[k].key != Key(k))
            return false;
    }
    return true;
}
static_assert(std::size(kAges) == kKeyCount && inCatalogueOrder());

} // namespace

bool AppliesAt(Key key, AgeUse use, int years)
{
    const KeyAges& ages = kAges[int(key)];
    return (use == AgeUse::Entered ? ages.entered : ages.reported).holds(years);
}

} // namespace tavlo
