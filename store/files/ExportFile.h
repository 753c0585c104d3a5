#pragma once
// The export file: the background data and raw scores of every stored test, tab-separated.

#include "store/tables/BulkRead.h"
#include "vandrel/MessageSink.h"

#include <QStringList>

#include <functional>
#include <optional>

class QIODevice;

namespace tavlo {

// The 188 names of the header line, in column order.
QStringList ExportColumnNames();
// Index of the first raw score and of the first grid cell among those columns.
inline constexpr int kExportFirstScoreColumn = 16;
inline constexpr int kExportFirstCellColumn = kExportFirstScoreColumn + kMeasureCount;

// A date as its field holds it ("2014-03-05"; the year left-aligned in four places); nothing
// for a missing date.
void AppendExportDate(QByteArray& line, const Date& date);

enum class ExportOutcome { Written, Cancelled, WriteFailed, Refused, ReadFailed };

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::Written;
    // For Refused, the refusal naming person and field; for ReadFailed, the driver's text;
    // for WriteFailed, the device's reason.
    QString message;
};

// What the program tells the examiner of an export that was not written, with its icon;
// nothing for Written and Cancelled.
struct ExportNotice {
    QString text;
    MessageIcon icon = MessageIcon::None;
};
std::optional<ExportNotice> ExportFailureNotice(const ExportResult& result);

// Called after each chunk of tests with the tests written so far and the number stored;
// false cancels the export.
using ExportProgress = std::function<bool(int written, int total)>;

// Writes the header line and one line per test person, in ascending number order, each
// field followed by a tab, lines ending in CR LF, texts in Windows-1252. A stored text the
// file cannot carry (a tab, a line break, a character outside the code page) or that begins
// like a spreadsheet formula is refused.
// Shows nothing.
ExportResult ExportAll(Database& db, QIODevice& out, const ExportProgress& progress = {},
                       int chunkSize = kTestsPerChunk);

// ExportAll into the file at path, which is replaced only by a whole export, logged in the
// access log: anything but Written leaves an earlier file as it was and no other file behind.
// A log row that cannot be written is a ReadFailed with its message.
ExportResult WriteExportFile(Database& db, const QString& path, const ExportProgress& progress = {});

} // namespace tavlo
