#include "model/TestRecord.h"

namespace tavlo {

namespace {

constexpr int TestData::* kFields[] = {
#define TAVLO_MEASURE_MEMBER(code, ...) &TestData::code,
    TAVLO_MEASURES(TAVLO_MEASURE_MEMBER)
#undef TAVLO_MEASURE_MEMBER
};
static_assert(std::size(kFields) == kMeasureCount);

} // namespace

int& TestData::operator[](Key measure)
{
    return this->*kFields[int(measure)];
}

int TestData::operator[](Key measure) const
{
    return this->*kFields[int(measure)];
}

int TestRecord::raw(Key key) const
{
    return isStoredMeasure(key) ? scores[key] : area.derivedRaw[size_t(int(key) - kMeasureCount)];
}

void TestRecord::setRaw(Key key, int value)
{
    if (isStoredMeasure(key))
        scores[key] = value;
    else
        area.derivedRaw[size_t(int(key) - kMeasureCount)] = value;
}

void NewTestRecord(TestRecord& test, const Date& today)
{
    test.person = PersonalData{};
    test.person.TESTDATE = today;
    ClearScores(test);
}

void ClearScores(TestRecord& test)
{
    test.scores = TestData{};
    test.grid = TestDataMF{};
    ClearResults(test);
}

void ClearResults(TestRecord& test)
{
    test.area = ResultArea{};
}

} // namespace tavlo
