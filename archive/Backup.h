#pragma once
// A copy of the database file, to a file of the examiner's choice.

#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

namespace tavlo {

struct AppContext;

// The save dialog of the backup, as the real chooser shows it.
std::unique_ptr<QFileDialog> MakeBackupFileDialog(QWidget* owner);

// Tests take this over; an empty function restores the real dialog. The chosen path, empty
// when the choice was cancelled.
void SetBackupFileChooser(std::function<QString(QWidget* owner)> chooser);

// Copies the database file in use to the chosen file, replacing it only when the whole copy
// succeeded; says "Sikkerhetskopiering klar." or, captioned "Error", why it failed.
void BackupDatabase(AppContext& context, QWidget* owner);

} // namespace tavlo
