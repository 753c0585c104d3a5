#pragma once
// The export of every stored test to a tab-separated text file.

class QWidget;

namespace tavlo {

struct AppContext;

// The modal export dialog, owned by owner; on OK asks for the file, writes it and opens it.
void ExportDialog(AppContext& context, QWidget* owner);

} // namespace tavlo
