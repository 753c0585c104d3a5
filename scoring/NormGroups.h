#pragma once
// Norm groups, age groups and norm rows: which age group a child is compared with, and the
// bounds of the scaled scores read from NORMER_TAVLO.

#include "model/NormSource.h"
#include "model/TestRecord.h"
#include "store/connection/Database.h"

#include <QString>
#include <QStringList>

#include <array>

namespace tavlo {

inline const QString kStandardNormGroup = QStringLiteral("Standardgrupp");

// The norm group and age group every lookup uses, and the age group's description.
struct NormState {
    QString CurrentNormGroup = kStandardNormGroup;
    QString CurrentAgeGroup;      // at most 49 characters
    QString AgeGroupDescription;  // at most 63 characters
};

// The 24 age group literals, index 1-24 at position 0-23; the norm rows are keyed by them.
const QStringList& AgeGroupLiterals();

// Fills row.S from the row with the record's three keys; false (silently) when there is
// none, false after the driver's message when the norms cannot be read.
bool FetchNormRow(NormSource& source, NormRow& row);
// The same through the norms of the connection, read once into memory (store/tables/NormCache.h).
bool FetchNormRow(Database& db, NormRow& row);

// Sets CurrentAgeGroup from the test age (with the note below 3 and above 16), then loads
// the description; returns what LoadAgeGroupDescription returns.
int SelectAgeGroup(NormSource& source, NormState& norms, const TestRecord& test);
int SelectAgeGroup(Database& db, NormState& norms, const TestRecord& test);
// 1 read, 9 no row (the description stays), 0 after the driver's message.
int LoadAgeGroupDescription(NormSource& source, NormState& norms);
int LoadAgeGroupDescription(Database& db, NormState& norms);

// The age groups of the current norm group in SEKVENS order.
QStringList ListAgeGroups(Database& db, const NormState& norms);
// 1-24, or -9 after the error 1124 message when CurrentAgeGroup is none of the literals.
int AgeGroupIndex(const NormState& norms);

} // namespace tavlo
