#pragma once
// The export of every stored test to a tab-separated text file, or to the research CSV file.

#include "session/Session.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QFileDialog;
class QProgressDialog;
class QPushButton;

namespace tavlo {

struct AppContext;

// The save dialog of the export file, as the real chooser shows it.
std::unique_ptr<QFileDialog> MakeExportFileDialog(QWidget* owner, ExportFormat format = ExportFormat::Text);

class ExportDataDialog;

// An export the dialog wrote: the file and the number of tests in it.
struct WrittenExport {
    QString path;
    int tests = 0;
};

// Tests take these over; an empty function restores the real one.
// The chosen export file, empty when the choice was cancelled.
void SetExportFileChooser(std::function<QString(QWidget* owner)> chooser);
// Opens the finished file in the desktop's editor.
void SetExportFileOpener(std::function<void(const QString& path)> opener);
// Runs the dialog ExportDialog made, in place of its modal loop (exec()).
void SetExportDialogRunner(std::function<void(ExportDataDialog& dialog)> runner);
// Sees the export's progress dialog after each chunk, whether it is showing yet or not.
void SetExportProgressWatcher(std::function<void(QProgressDialog& progress)> watcher);

class ExportDataDialog : public QDialog {
    Q_OBJECT
public:
    ExportDataDialog(AppContext& context, QWidget* owner = nullptr);

    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    // The file's format: the tab-separated file (first, chosen when the dialog opens) or CSV.
    QComboBox* formatChoice() const { return m_format; }
    ExportFormat format() const;

    // Chooses the file, writes it and opens it; closes the dialog unless writing failed. Tests
    // Windows-1252 cannot hold are named, with the offer to write the file in UTF-8 instead.
    void exportToChosenFile();

    // Once the dialog wrote one.
    const std::optional<WrittenExport>& written() const { return m_written; }

private:
    ExportDone exportWithProgress(const QString& path, ExportEncoding encoding, ExportFormat format);

    AppContext& m_context;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QComboBox* m_format;
    std::optional<WrittenExport> m_written;
};

// The modal export dialog, owned by owner; on OK asks for the file, writes it and opens it.
// The export, when one was written; the dialog itself says nothing of it.
std::optional<WrittenExport> ExportDialog(AppContext& context, QWidget* owner);

} // namespace tavlo
