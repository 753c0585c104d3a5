#pragma once
// Two tests of one child as a tables document: what the clipboard and the document file give.

#include "report/Comparison.h"
#include "report/TablesDocument.h"

namespace tavlo {

// The title, the child's birth date and the two tests (each with its norms' description), then
// every domain as a section keyed by its number: Deltest, Før, Etter, Endring and the mark, with
// the line that explains the mark under a table that has one.
TablesDocument ComparisonTables(const Comparison& comparison);

} // namespace tavlo
