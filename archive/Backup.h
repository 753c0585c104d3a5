#pragma once
// A copy of the database file, to a file of the examiner's choice.

class QWidget;

namespace tavlo {

struct AppContext;

void BackupDatabase(AppContext& context, QWidget* owner);

} // namespace tavlo
