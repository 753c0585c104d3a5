#pragma once
// "Lagre som &dokument…" of the results window: the whole report (every domain and the
// profile) as an OpenDocument text file of the examiner's choice.

#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

namespace tavlo {

struct AppContext;

// The save dialog of the document, as the real chooser shows it.
std::unique_ptr<QFileDialog> MakeDocumentFileDialog(QWidget* owner);

// Tests take this over; an empty function restores the real dialog. The chosen path, empty
// when the choice was cancelled.
void SetDocumentFileChooser(std::function<QString(QWidget* owner)> chooser);

// Asks for the file and writes the document; the refusals and failures are said.
void SaveReportDocument(AppContext& context, QWidget* owner);

} // namespace tavlo
