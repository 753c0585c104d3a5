#include "report/Printing.h"

namespace tavlo {

void ReportSelectionDialog(AppContext&, QWidget*)
{
}

} // namespace tavlo
