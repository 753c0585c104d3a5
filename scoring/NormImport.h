#pragma once
// Checking norm files before they touch the database, and replacing the norm tables with
// them: a clinic's licensed norms, or the provisional norms the program ships with.

#include "store/files/Csv.h"
#include "store/connection/Database.h"

#include <optional>

namespace tavlo {

// nullopt when every row may be loaded; else the first refusal, naming the line and reason.
std::optional<QString> CheckNormRows(const CsvTable& rows);
std::optional<QString> CheckNormGroups(const CsvTable& groups);

// Checks everything, then replaces NORMER_TAVLO (and NORMGRUPPER_TAVLO when groups is
// given) in one transaction. false with the reason; the database is then unchanged.
bool ImportNorms(Database& db, const CsvTable& rows, const CsvTable* groups, QString* error);

} // namespace tavlo
