#include "archive/Backup.h"

namespace tavlo {

void BackupDatabase(AppContext&, QWidget*)
{
}

} // namespace tavlo
