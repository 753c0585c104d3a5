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
struct Comparison;
struct Session;
struct TablesDocument;

// The save dialog of the document, as the real chooser shows it.
std::unique_ptr<QFileDialog> MakeDocumentFileDialog(QWidget* owner);

// Tests take this over; an empty function restores the real dialog. The chosen path, empty
// when the choice was cancelled.
void SetDocumentFileChooser(std::function<QString(QWidget* owner)> chooser);

// Asks for the file and writes the document; the refusals and failures are said.
void SaveReportDocument(AppContext& context, QWidget* owner);
// The same for a comparison of two tests.
void SaveComparisonDocument(Session& session, const Comparison& comparison, QWidget* owner);

// Puts the tables on the clipboard as a word processor takes them (HTML with real tables) and
// as tab-separated text.
void CopyTables(const TablesDocument& document);

} // namespace tavlo
