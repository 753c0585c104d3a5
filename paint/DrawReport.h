#pragma once
// Drawing the result report, on the results view and on paper: the domain sections with
// their rows, and the person block of the first printed page. What they say comes from the
// report's data; only where it stands is decided here.

#include <QFont>
#include <QString>

#include <array>
#include <functional>

class QPainter;

namespace tavlo {

struct PersonHeader;
struct Report;
struct TestRecord;

// A font of the face, shrunk from height until the sample "ABCdefGHIjklMNOpqrSTUvxyZÅÄÖ" is
// no wider than maxWidth (the report keeps its proportions on wide-font devices).
QFont CreateFittedFont(int height, bool bold, bool italic, bool underline, const QString& face, int maxWidth);

// What printing adds to the report: page breaks with their footer and header.
struct PageBreaks {
    int* pageCounter = nullptr;
    // Draws the footer of the page and ends it.
    std::function<void(QPainter*, int left, int right, int page)> printPageFooter;
    // Starts a new page with its header; returns the y at which content continues, or 0 when
    // the page could not be started (the report then stops: the job is abandoned).
    std::function<int(QPainter*, int left, int right, int top)> startReportPage;
    // The memory section goes on to a new page once a row would start below this; a sheet
    // shorter than A4 (US Letter) needs it higher.
    int breakBelow = 1000;
};

// Draws the chosen domain sections (index 0-5 for domains 1-6) of the report from top within
// [left, right]; returns the y below the last thing drawn. printing switches the face, the
// margins and the page breaks (which then must be given).
int DrawReport(QPainter* painter, const Report& report, int top, int left, int right, bool printing,
               const std::array<bool, 6>& chosen, const PageBreaks* breaks = nullptr);
// The same for the report of test.
int DrawReport(QPainter* painter, const TestRecord& test, int top, int left, int right, bool printing,
               const std::array<bool, 6>& chosen, const PageBreaks* breaks = nullptr);

// The heading line of a section at (x, y).
void DrawColumnHeadings(QPainter* painter, int x, int y);

// The person block of the first printed page from top within [left, right]: name, address,
// school, test dates and age, sex and handedness, then the age group description (when given:
// it says whether the norms may be used clinically). Returns the y where the page goes on.
int DrawPersonHeader(QPainter* painter, const PersonHeader& header, int top, int left, int right, bool printing);
int DrawPersonHeader(QPainter* painter, const TestRecord& test, const QString& ageGroupDescription, int top, int left,
                     int right, bool printing);

} // namespace tavlo
