#pragma once
// The rows of the result report, domain by domain: what each measure given shows in the
// raw, scaled and percentile columns, its kind and its qualitative description. Built from
// the current test's results every time the report is drawn.

#include "model/TestRecord.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace tavlo {

struct ReportRow {
    QString Label;
    int Raw = NOT_ENTERED;             // -99 drawn as "N/A*"; -9 only as a delay effect of -9
    int Scaled = NOT_ENTERED;          // -9 drawn as "-"
    int PercentileShown = NOT_ENTERED; // -9: the percentile column shows "-"
    QString PercentileText;
    QString MeasureType;               // "Primærmål", "Prosessmål" or "Kontrastmål"
    QString Description;
    friend bool operator==(const ReportRow&, const ReportRow&) = default;
};

inline constexpr int kDomainCount = 6;

// Rows of domains 1-6 (texts 1301-1306) at index 0-5, in report order.
using DomainTables = std::array<std::vector<ReportRow>, kDomainCount>;

enum class DescriptionScale { Scaled, SevenBand, FiveBand };

// Whether a key has something to report: a raw score entered or derived, a combined or
// contrast score computed. The delay effect counts once its percentage is computed, since
// its difference may itself be -9.
bool HasValue(const TestRecord& test, Key key);

// The qualitative description of a value on a scale; empty when the value is outside it.
QString QualitativeDescription(DescriptionScale scale, int value);

// The rows of every domain whose age condition holds and whose raw column is present.
DomainTables BuildReportRows(const TestRecord& test);

// Whether the section of domain (1-6) ends with the footnote "** Kumulativ prosent.": when a
// row it explains is reported at the test's age, the band percentages it shows are cumulative.
bool NeedsCumulativeFootnote(const TestRecord& test, int domain);

// What a row shows in its number columns, on screen, on paper and from the command line:
// the raw column "N/A*" for a computed score (-99), else the number; the scaled column "-"
// for no score (-9), else the number; the percentile column "-" when not shown, else its text.
QString RawColumnText(const ReportRow& row);
// The six column headings over the rows, left to right, and a row's cells under them.
QStringList ReportColumnHeadings();
QStringList ReportRowCells(const ReportRow& row);
QString ScaledColumnText(const ReportRow& row);
QString PercentileColumnText(const ReportRow& row);

} // namespace tavlo
