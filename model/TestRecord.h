#pragma once
// The one current test: the person, the raw scores, the card grid and the result area.

#include "model/Catalogue.h"
#include "model/Dates.h"

#include <QString>

#include <array>

namespace tavlo {

// One row of TESTPERSON. Texts hold at most 49 characters.
struct PersonalData {
    int ID = 0;
    QString NAMN;
    QString ADRESS;
    QString TELEFON;
    QString NATIONALITET;
    QString HOMELANGUAGE;
    QString SKOLA;
    QString KLASS;
    QString TESTAD_VID;
    QString TESTLEDARE;
    int SEX = 0;        // 1 boy, 2 girl
    int AGE = 0;        // stored, never computed
    Date TESTDATE;
    Date BORNDATE;
    int HANDEDNESS = 0; // 0 not given, 1-4 V, H, A, O
    QString OTHER;
    friend bool operator==(const PersonalData&, const PersonalData&) = default;
};

inline constexpr int kPersonTextLimit = 49;

// The 60 raw scores, one field per measure code.
struct TestData {
#define TAVLO_MEASURE_FIELD(code, ...) int code = NOT_ENTERED;
    TAVLO_MEASURES(TAVLO_MEASURE_FIELD)
#undef TAVLO_MEASURE_FIELD

    int& operator[](Key measure);
    int operator[](Key measure) const;
    friend bool operator==(const TestData&, const TestData&) = default;
};

// The 112 cells MF1-MF112: seven 4 x 4 grids, row by row.
struct TestDataMF {
    std::array<int, kGridCellCount> MF;
    TestDataMF() { MF.fill(NOT_ENTERED); }
    // n is 1-112, as in the column names.
    int& cell(int n) { return MF[size_t(n - 1)]; }
    int cell(int n) const { return MF[size_t(n - 1)]; }
    friend bool operator==(const TestDataMF&, const TestDataMF&) = default;
};

struct Result {
    int value = 0;  // scaled score, band index, combined or contrast score, or percentage
    QString text;   // band text or delay text, at most 15 characters
    friend bool operator==(const Result&, const Result&) = default;
};

// Derived raw scores and one result beside every key.
struct ResultArea {
    std::array<int, kKeyCount - kMeasureCount> derivedRaw;
    std::array<Result, kKeyCount> results;
    ResultArea() { derivedRaw.fill(NOT_ENTERED); }
    friend bool operator==(const ResultArea&, const ResultArea&) = default;
};

struct TestRecord {
    PersonalData person;
    TestData scores;
    TestDataMF grid;
    ResultArea area;

    // The raw score of any key: the stored measure, or the derived or computed raw slot.
    int raw(Key key) const;
    void setRaw(Key key, int value);
    Result& result(Key key) { return area.results[size_t(key)]; }
    const Result& result(Key key) const { return area.results[size_t(key)]; }

    TestAge testAge() const { return ComputeTestAge(person.TESTDATE, person.BORNDATE); }
};

// A fresh, empty test dated today.
void NewTestRecord(TestRecord& test, const Date& today = Today());
// Every raw score, cell and derived score to NOT_ENTERED, every result to 0 and empty.
void ClearScores(TestRecord& test);
// The result area alone: derived and computed raw slots to NOT_ENTERED, every result to 0
// and empty. Raw scores and the card grid stay.
void ClearResults(TestRecord& test);

} // namespace tavlo
