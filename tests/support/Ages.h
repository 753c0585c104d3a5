#pragma once
// Test records of a chosen test age.

#include "model/TestRecord.h"

namespace tavlo::test {

// A new record tested on 15.06.2012 by a child of exactly years:months:days.
inline TestRecord childAged(int years, int months, int days = 0)
{
    TestRecord t;
    NewTestRecord(t, Date{2012, 6, 15});
    // Born on the 15th minus days (days < 15), months and years earlier: no borrows.
    int y = 2012 - years, m = 6 - months;
    while (m < 1) {
        m += 12;
        --y;
    }
    t.person.BORNDATE = Date{int16_t(y), int16_t(m), int16_t(15 - days)};
    t.person.NAMN = QStringLiteral("Barn");
    t.person.TESTLEDARE = QStringLiteral("Leder");
    t.person.SEX = 1;
    return t;
}

// The same child with every one of the 60 measures entered and a few cards in every trial.
inline TestRecord childWithEveryMeasure(int years, int months, int days = 0)
{
    TestRecord t = childAged(years, months, days);
    for (const MeasureInfo& m : measures())
        t.scores[m.key] = 5 + m.column % 7;
    for (int block = 0; block < 7; ++block) {
        t.grid.cell(16 * block + 7) = 1;
        t.grid.cell(16 * block + 6) = 2;
        t.grid.cell(16 * block + 11) = 7;
    }
    return t;
}

} // namespace tavlo::test
