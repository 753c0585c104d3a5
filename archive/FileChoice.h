#pragma once

#include <QFileDialog>

namespace tavlo {

// The file a file dialog settled on, or empty when it was cancelled.
inline QString ChosenFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace tavlo
