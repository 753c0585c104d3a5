#pragma once
// The export file: the background data and raw scores of every stored test, tab-separated.

#include "store/tables/BulkRead.h"
#include "vandrel/MessageSink.h"

#include <QStringList>

#include <functional>
#include <vector>
#include <optional>

class QIODevice;

namespace tavlo {

// The tab-separated file of the design (the default everywhere) or the research file: CSV
// by RFC 4180 in UTF-8, with the age in numbers and the codes in words.
enum class ExportFormat { Text, Csv };

// What a column holds; the writers and the codebook walk the same list.
enum class ExportColumnKind {
    PersonNumber, Text, Date, Age, AgeYears, AgeMonths, AgeDays, AgeTotalMonths, Sex, Handedness, RawScore, GridCell
};

struct ExportColumn {
    QString name;
    ExportColumnKind kind;
    int labelId = 0;                            // the person form's label, where it has one
    QString PersonalData::*text = nullptr;      // Text
    Date PersonalData::*date = nullptr;         // Date
    Key measure = Key::AI;                      // RawScore
    int cell = 0;                               // GridCell: 1-112
};

// The columns of a format, in order.
std::vector<ExportColumn> ExportColumns(ExportFormat format);
// The 188 names of the header line of the tab-separated file, in column order.
QStringList ExportColumnNames(ExportFormat format = ExportFormat::Text);
// Index of the first raw score and of the first grid cell among those columns.
inline constexpr int kExportFirstScoreColumn = 16;
inline constexpr int kExportFirstCellColumn = kExportFirstScoreColumn + kMeasureCount;

// A date as its field holds it ("2014-03-05"; the year left-aligned in four places); nothing
// for a missing date.
void AppendExportDate(QByteArray& line, const Date& date);

// Windows-1252 is the file's own code page; UTF-8 (after a byte-order mark) holds what it cannot.
enum class ExportEncoding { Windows1252, Utf8 };

// NeedsUtf8: some stored texts have letters Windows-1252 lacks; nothing was written.
enum class ExportOutcome { Written, Cancelled, WriteFailed, Refused, ReadFailed, NeedsUtf8 };

// A test whose texts Windows-1252 cannot hold: its number and the labels of those fields.
struct ExportMisfit {
    int id = 0;
    QStringList fields;
};

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::Written;
    // For Refused, the refusal naming person and field; for ReadFailed, the driver's text;
    // for WriteFailed, the device's reason; for NeedsUtf8, the tests and fields (MisfitsText).
    QString message;
    int tests = 0; // the lines written after the header
    std::vector<ExportMisfit> misfits = {}; // NeedsUtf8: every such test, in number order
};

// The tests and fields Windows-1252 cannot hold, one test a line, at most limit tests named.
QString MisfitsText(const std::vector<ExportMisfit>& misfits, int limit = -1);

// What the program says of a written export: the file's full path, shown natively, and the
// number of tests in it.
QString ExportWrittenText(const QString& path, int tests);

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
// field followed by a tab, lines ending in CR LF, texts in the encoding. A stored text the
// file cannot carry in any encoding (a tab, a line break, a character a person's text may
// not hold) or that begins like a spreadsheet formula is refused. In Windows-1252, a test
// with letters outside the code page is never turned into '?': every such test is named
// (NeedsUtf8), and what was written then is no export.
// Shows nothing.
ExportResult ExportAll(Database& db, QIODevice& out, const ExportProgress& progress = {},
                       int chunkSize = kTestsPerChunk, ExportEncoding encoding = ExportEncoding::Windows1252);

// ExportAll into the file at path, which is replaced only by a whole export, logged in the
// access log: anything but Written leaves an earlier file as it was and no other file behind.
// A log row that cannot be written is a ReadFailed with its message.
// Every stored test to eachTest in number order, in chunks with progress between them: nullopt
// when all went, else what stopped the export (what eachTest returned, Cancelled, ReadFailed).
std::optional<ExportResult> ExportEveryTest(Database& db,
                                            const std::function<std::optional<ExportResult>(TestRecord&)>& eachTest,
                                            const ExportProgress& progress, int chunkSize);

// What a writer returns when out did not take a line: the device's reason.
ExportResult ExportWriteFailure(const QIODevice& out);

// The research file (Csv) is written by ExportAllCsv; encoding is then not asked.
ExportResult WriteExportFile(Database& db, const QString& path, const ExportProgress& progress = {},
                             ExportEncoding encoding = ExportEncoding::Windows1252,
                             ExportFormat format = ExportFormat::Text);

// The research file: a UTF-8 byte-order mark (spreadsheets take the file as UTF-8 only with it),
// a header row, then one row per test person in ascending number order; comma-separated, CR LF,
// a field holding a comma, a quote or a line break in double quotes (a quote doubled); dates
// as YYYY-MM-DD, the test age in years, months, days and months in all, sex and handedness in
// words, nothing where nothing was entered. A text a spreadsheet would run as a formula gets
// an apostrophe in front (older rows may hold one). Refuses nothing; shows nothing.
ExportResult ExportAllCsv(Database& db, QIODevice& out, const ExportProgress& progress = {},
                          int chunkSize = kTestsPerChunk);
// The text a research file's field holds for a stored text: quoted and guarded as above.
QString CsvTextField(const QString& text);

} // namespace tavlo
