#pragma once
// At which whole years of the test age each result key is typed in and each is reported:
// the raw score dialog, the report rows and the report's footnotes all ask here.

#include "model/Catalogue.h"

#include <climits>

namespace tavlo {

// Whole years of the test age, both ends included.
struct YearSpan {
    int first;
    int last;
    constexpr bool holds(int years) const { return years >= first && years <= last; }
};

inline constexpr YearSpan kEveryAge{INT_MIN, INT_MAX};
inline constexpr YearSpan kNoAge{INT_MAX, INT_MIN};
constexpr YearSpan upTo(int last) { return {INT_MIN, last}; }
constexpr YearSpan from(int first) { return {first, INT_MAX}; }
constexpr YearSpan between(int first, int last) { return {first, last}; }

// The two meanings differ on purpose: a field greyed at an age still keeps, checks and
// stores its value, and a measure may be typed at ages the report has no norms for (GP
// beyond 3-16) or feed only a total of its own (FBA, the word list, the errors of IN).
enum class AgeUse {
    Entered,  // the raw score dialog's field is enabled
    Reported, // the report lists the key's own row
};

bool AppliesAt(Key key, AgeUse use, int years);

} // namespace tavlo
