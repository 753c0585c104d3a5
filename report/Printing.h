#pragma once
// Printing the result report: the choice of domains, then the pages.

class QWidget;

namespace tavlo {

struct AppContext;

// The modal report selection dialog; on "&Skriv ut" prints the chosen domains.
void ReportSelectionDialog(AppContext& context, QWidget* owner);

} // namespace tavlo
