#pragma once
// The printed pages of the result report on any paged device: page 1 with the person, then
// the profile and the chosen sections, every page with its header and numbered footer. The
// program's printer and the tool's PDF file draw the same pages through here, and the job
// around them (the file beside its target, the log, the messages) is one.

#include "report/Report.h"

#include <QString>
#include <QStringList>

#include <functional>

class QPaintDevice;
class QPdfWriter;
class QPainter;

namespace tavlo {

class OutputFile;
struct Session;

// How the pages of a job move on: the device's, or a test's recording device.
struct PageFlow {
    std::function<bool()> startPage; // the next page; false abandons the job
    std::function<void()> pageDone;  // after each footer (the job keeps its cancel box alive here)
};

// Every page of the report on an open painter, in the 800-unit page coordinates: page 1 with
// the page header, the person and the footer; then the profile and the chosen sections, with
// the continuation header and a numbered footer on every page. False when a page could not be
// started.
bool DrawReportPages(QPainter& painter, const Report& report, const ReportChoice& chosen, const PageFlow& flow);
// The same for the session's scored test.
bool DrawReportPages(QPainter& painter, const Session& context, const ReportChoice& chosen, const PageFlow& flow);

// Where a job's pages go besides its device.
struct PrintTarget {
    OutputFile* file = nullptr; // the opened file the device writes; none: paper
    QString printerName;        // paper: where the log says the pages went
    std::function<void()> abandon; // drops what the device has not finished
    const bool* stopped = nullptr; // the examiner's cancel, looked at between pages
};

// The whole job on a device ready for it: the pages, then for a file the log and the file put
// in place; on paper the log comes before the first page, as the pages leave as they are
// drawn. True when the document was completed; false after the message when it could not
// start or a page failed, and without one when the examiner stopped it (an unfinished file
// goes with its OutputFile).
bool PrintReportPages(QPaintDevice& device, Session& context, const ReportChoice& chosen, const PageFlow& flow,
                      const PrintTarget& target);

// The same job for any pages: draw puts them on the painter, record logs where they went (the
// printer, or the file as the log names it) and stops the job when it cannot.
using DrawPages = std::function<bool(QPainter&, const PageFlow&)>;
using RecordPages = std::function<bool(const QString& where)>;
bool PrintPages(QPaintDevice& device, const DrawPages& draw, const RecordPages& record, const PageFlow& flow,
                const PrintTarget& target);
// Any pages into a PDF file at path as PrintReportToPdf writes the report's, titled title.
bool PrintPagesToPdf(const QStringList& protectedFiles, const QString& path, const DrawPages& draw,
                     const RecordPages& record, const QString& title);

// What a PDF file says of itself: the title (ReportDocumentTitle, never the child's name), the
// program as its creator and, in the document's XMP metadata, Norwegian Bokmål as its language.
void SetDocumentInfo(QPdfWriter& writer, const QString& title);
// The document's XMP metadata as SetDocumentInfo gives it.
QByteArray DocumentXmp(const QString& title);

// The frame every printed page shares, in the 800-unit page coordinates (an isotropic 800 x 600
// window on the printable area, origin top left, as many units down as the sheet gives): the
// program's name, a rule and today's date at the top; the page number and the trademark line
// over a rule at the foot.
void SetPageCoordinates(QPainter& painter);
int PageBottom(const QPainter& painter);
int DrawPageHeader(QPainter* painter, int left, int right, int top); // the y under its rule
void DrawPageFooter(QPainter* painter, int left, int right, int page);

// The job "&Skriv ut" runs when the examiner chooses a PDF file, into a PDF file at path ("-":
// standard output), without the printer choice or the cancel box: the same sheet, resolution
// and title as the printer gives it. Needs a QGuiApplication (a display is not needed: Qt's
// offscreen platform will do). The file is written beside path and put in place when whole,
// never over the database's files or a file that is not a regular one; false after a message
// when it was not (nothing is left behind).
bool PrintReportToPdf(Session& context, const ReportChoice& chosen, const QString& path);

} // namespace tavlo
