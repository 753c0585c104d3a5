#pragma once
// The report of one test as a tables document: what the clipboard and the document file give.

#include "report/Report.h"
#include "report/TablesDocument.h"

namespace tavlo {

// Which person part opens the document: the strip of the results window (name, sex, test age,
// test date and the norm group), or the whole header of the first printed page.
enum class ReportPerson { Strip, Header };

// The chosen domains, each a section keyed by its number (1-6) with the six columns and its
// notes, so that its tab-separated lines are those of "tavlo-ii-cli report"; with the profile
// chosen, the profile's section (its notes, its picture left to the painting) before them, as
// on paper.
TablesDocument ReportTables(const Report& report, const ReportChoice& chosen, ReportPerson person);

} // namespace tavlo
