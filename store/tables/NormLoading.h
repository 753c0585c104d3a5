#pragma once
// Loading the norm tables NORMER_TAVLO and NORMGRUPPER_TAVLO from their CSV files.

#include "store/files/Csv.h"
#include "store/connection/Database.h"

namespace tavlo {

// Replaces every row of NORMER_TAVLO with the rows of the table (header NORMGRUPP,
// DELSKALA, DELGRUPP, S1..S19). Part of the caller's transaction when there is one.
bool ReplaceNormRows(Database& db, const CsvTable& rows, QString* error);
// Replaces every row of NORMGRUPPER_TAVLO (NORMGRUPP, DELGRUPP, SEKVENS, BESKRIVNING).
bool ReplaceNormGroups(Database& db, const CsvTable& rows, QString* error);

// Loads the norm files built into the program, when it carries them.
bool LoadShippedNorms(Database& db, QString* error);

} // namespace tavlo
