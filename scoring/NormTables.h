#pragma once
// The tables built into the program: the four measure lists, the combined and contrast
// tables, the delay-effect table, the percentage band classifiers with their thresholds,
// and the highest valid raw score of every measure by age. They are read once from the
// data files carried inside the program.

#include "model/Catalogue.h"

#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace tavlo {

inline constexpr int kAgeGroupCount = 24;

enum class AgeBand { Y3to4, Y5to6, Y7to12, Y13to16 };
inline constexpr int kAgeBandCount = 4;

// The band that converts the measures of a child of these years (17 and older count as 16);
// nullopt below 3.
std::optional<AgeBand> AgeBandOfYears(int years);
// The age groups (1-24) a band's norm rows cover.
std::pair<int, int> AgeGroupsOfBand(AgeBand band);
// The age groups (1-24) of the years first..last (3-16).
std::pair<int, int> AgeGroupsOfYears(int first, int last);

enum class Direction { Normal, Reverse };

struct ScaleEntry {
    QString literal; // the DELSKALA value, character for character
    Key raw;         // the measure or derived raw score it converts; also where the result goes
    Direction direction;
};

enum class BandSet { A, B };
enum class BandRule { K1, K2, K3, K4 };

struct Classifier {
    Key raw;
    BandSet set;
    BandRule rule;
    int firstAge;
    int lastAge;
    // Thresholds T0.. by age group index (1-24); set A uses T0-T4.
    std::array<std::array<int, 7>, kAgeGroupCount + 1> thresholds{};
};

// Rows 0-19; combined tables use columns 0-6, contrast tables 0-8.
using LookupTable = std::array<std::array<int, 9>, 20>;

// Highest valid raw score of a measure by age band of the raw score dialog: <=4, 5, 6, 7-8,
// 9-10, 11-12, >=13 years; 0 means no check.
using RawMaxima = std::array<int, 7>;

struct NormTables {
    std::array<std::vector<ScaleEntry>, kAgeBandCount> lists;
    std::map<Key, LookupTable> lookups;
    std::array<std::array<int, 7>, 31> delay{}; // bound, then the percentages for 7-12 years
    std::vector<Classifier> classifiers;        // in running order
    std::vector<std::pair<Key, RawMaxima>> maxima; // in the raw score dialog's order
    QString error;                               // empty when everything was read

    bool ok() const { return error.isEmpty(); }
    const std::vector<ScaleEntry>& list(AgeBand band) const { return lists[size_t(band)]; }
    const LookupTable& lookup(Key key) const;
    const RawMaxima* rawMaxima(Key measure) const;
};

// The program's tables, read on first use.
const NormTables& normTables();
// Reads the tables from the files in folder (the same files the program carries).
NormTables ReadNormTables(const QString& folder);

// The column of the raw score dialog's maxima for a child of these years.
int MaximaColumn(int years);

} // namespace tavlo
