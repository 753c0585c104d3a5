#pragma once
// From the raw scores and card grid of the current test to every result of the report.

#include "model/TestRecord.h"
#include "scoring/NormGroups.h"
#include "scoring/NormTables.h"
#include "store/connection/Database.h"

namespace tavlo {

// The whole run for the current test: the measures of the child's age band, the combined
// and contrast scores and the delay effect, on a cleared result area. The record and the
// norm rows the source gives decide every result.
void ScoreTest(NormSource& source, const NormState& norms, TestRecord& test);
// The same with the norms of the connection, read once into memory (store/tables/NormCache.h).
void ScoreTest(Database& db, const NormState& norms, TestRecord& test);

// Scaled score 1-19 of a raw score against its norm bounds; 0 for a raw score of -9. In the
// reverse direction a raw score better than S19 gets 19.
int ScaleRaw(int raw, const std::array<int, 19>& bounds, Direction direction);

// Derived raw scores and card grid scores first, then every measure of the band's list
// through its norm row, then the percentage bands.
void ScaleAgeBand(NormSource& source, const NormState& norms, TestRecord& test, AgeBand band);

void ComputeDerivedRawScores(TestRecord& test);
// A sum or difference of stored raw scores, kept within int: another tool may have stored
// any integer.
int ClampedRaw(qint64 value);
void ScoreMemoryForDesigns(TestRecord& test);
void ClassifyPercentageBands(const NormState& norms, TestRecord& test);

// Table entry at (scaled score, band index); 0 outside the table.
int CombinedLookup(const LookupTable& table, int scaled, int band);
// Table entry at (target, group of the control score); 0 outside the table.
int ContrastLookup(const LookupTable& table, int target, int control);
// The column group 1-8 of a control score, 0 for anything outside 1-19.
int ContrastGroup(int control);

// One combined or contrast score, when its inputs are present (the ages are the caller's).
void ScoreCombinedOrContrast(TestRecord& test, Key result);
void ScoreDelayEffect(const NormState& norms, TestRecord& test);

} // namespace tavlo
