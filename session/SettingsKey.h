#pragma once
// Where the program keeps its settings (the database folder, the chosen reports), named as the
// registry key it once was; the windows, the printing and the tool all read it.

namespace tavlo {

inline const char* const kRegistryKey = "SOFTWARE\\Brenmark Rezod\\TAVLO-II";

} // namespace tavlo
