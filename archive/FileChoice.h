#pragma once

#include <QDir>
#include <QFileDialog>

#include <memory>

namespace tavlo {

// The file a file dialog settled on, or empty when it was cancelled.
inline QString ChosenFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// A save dialog in the current folder for any file name; suffix is added to a name without one.
inline std::unique_ptr<QFileDialog> MakeSaveFileDialog(QWidget* owner, const QString& title, const QString& filter,
                                                       const QString& suffix)
{
    auto dialog = std::make_unique<QFileDialog>(owner, title, QDir::currentPath(), filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(suffix);
    return dialog;
}

} // namespace tavlo
