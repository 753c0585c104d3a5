#pragma once
// The export of every stored test to a tab-separated text file.

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class QFileDialog;
class QIODevice;
class QPushButton;

namespace tavlo {

struct AppContext;
class Database;

// The 188 names of the header line, in column order.
QStringList ExportColumnNames();

// Writes the header line and one line per test person, in ascending number order, each
// field followed by a tab, lines ending in CR LF, texts in Windows-1252. false when a write
// or a read fails, or a stored text holds a character the file cannot carry; error says
// why, and shown is set when that has already been shown (a failed write never is).
bool ExportAll(Database& db, QIODevice& out, QString* error = nullptr, bool* shown = nullptr);

// The save dialog of the export file, as the real chooser shows it.
std::unique_ptr<QFileDialog> MakeExportFileDialog(QWidget* owner);

class ExportDataDialog;

// Tests take these over; an empty function restores the real one.
// The chosen export file, empty when the choice was cancelled.
void SetExportFileChooser(std::function<QString(QWidget* owner)> chooser);
// Opens the finished file in the desktop's editor.
void SetExportFileOpener(std::function<void(const QString& path)> opener);
// Runs the dialog ExportDialog made, in place of its modal loop (exec()).
void SetExportDialogRunner(std::function<void(ExportDataDialog& dialog)> runner);

class ExportDataDialog : public QDialog {
    Q_OBJECT
public:
    ExportDataDialog(AppContext& context, QWidget* owner = nullptr);

    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Chooses the file, writes it and opens it; closes the dialog unless writing failed.
    void exportToChosenFile();

private:
    AppContext& m_context;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// The modal export dialog, owned by owner; on OK asks for the file, writes it and opens it.
void ExportDialog(AppContext& context, QWidget* owner);

} // namespace tavlo
