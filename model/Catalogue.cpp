#include "model/Catalogue.h"

#include <algorithm>
#include <array>

namespace tavlo {

namespace {

constexpr MeasureInfo kMeasures[] = {
#define TAVLO_MEASURE_ROW(code, column, subtest, entry) \
    {Key::code, #code, column, entry, Subtest::subtest, 1100 + entry},
    TAVLO_MEASURES(TAVLO_MEASURE_ROW)
#undef TAVLO_MEASURE_ROW
};
static_assert(std::size(kMeasures) == kMeasureCount);

constexpr const char* kKeyNames[] = {
#define TAVLO_KEY_NAME(code, ...) #code,
    TAVLO_MEASURES(TAVLO_KEY_NAME)
    TAVLO_DERIVED_KEYS(TAVLO_KEY_NAME)
    TAVLO_COMPUTED_KEYS(TAVLO_KEY_NAME)
#undef TAVLO_KEY_NAME
};
static_assert(std::size(kKeyNames) == kKeyCount);

constexpr SubtestInfo kSubtests[] = {
    {Subtest::AG, "AG", 1201}, {Subtest::KD, "KD", 1202}, {Subtest::BF, "BF", 1203},
    {Subtest::BP, "BP", 1204}, {Subtest::BK, "BK", 1205}, {Subtest::DS, "DS", 1206},
    {Subtest::FK, "FK", 1207}, {Subtest::FB, "FB", 1208}, {Subtest::FO, "FO", 1209},
    {Subtest::FI, "FI", 1210}, {Subtest::GP, "GP", 1211}, {Subtest::HA, "HA", 1212},
    {Subtest::HF, "HF", 1213}, {Subtest::HH, "HH", 1214}, {Subtest::HN, "HN", 1215},
    {Subtest::HO, "HO", 1216}, {Subtest::HB, "HB", 1217}, {Subtest::IH, "IH", 1218},
    {Subtest::IN, "IN", 1219}, {Subtest::KA, "KA", 1220}, {Subtest::KL, "KL", 1221},
    {Subtest::MM, "MM", 1222}, {Subtest::ME, "ME", 1223}, {Subtest::OS, "OS", 1224},
    {Subtest::OF, "OF", 1225}, {Subtest::OI, "OI", 1226}, {Subtest::Pl, "Pl", 1227},
    {Subtest::RS, "RS", 1228}, {Subtest::ST, "ST", 1229}, {Subtest::VP, "VP", 1230},
};
static_assert(std::size(kSubtests) == 30);

constexpr DomainInfo kDomains[] = {
    {Domain::All, 1300},          {Domain::Attention, 1301},        {Domain::Language, 1302},
    {Domain::Memory, 1303},       {Domain::Sensorimotor, 1304},     {Domain::SocialPerception, 1305},
    {Domain::Visuospatial, 1306},
};

} // namespace

std::span<const MeasureInfo> measures()
{
    return kMeasures;
}

const MeasureInfo& measureInfo(Key measure)
{
    return kMeasures[int(measure)];
}

const MeasureInfo* measureAtEntryRow(int entryRow)
{
    const auto* it = std::find_if(std::begin(kMeasures), std::end(kMeasures),
                                  [entryRow](const MeasureInfo& m) { return m.entryRow == entryRow; });
    return it == std::end(kMeasures) ? nullptr : it;
}

const char* keyName(Key key)
{
    return kKeyNames[int(key)];
}

std::optional<Key> keyFromName(std::string_view name)
{
    for (int i = 0; i < kKeyCount; ++i) {
        if (name == kKeyNames[i])
            return Key(i);
    }
    return std::nullopt;
}

std::span<const SubtestInfo> subtests()
{
    return kSubtests;
}

const SubtestInfo& subtestInfo(Subtest subtest)
{
    return kSubtests[int(subtest)];
}

std::span<const DomainInfo> domains()
{
    return kDomains;
}

} // namespace tavlo
