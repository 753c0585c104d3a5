#pragma once
// Two tests of one child on paper and on screen: the tables of the changes, page by page, and
// both profiles in one chart.

#include "paint/ReportPages.h"
#include "report/Comparison.h"

#include <QRectF>

class QPainter;

namespace tavlo {

struct Session;

// What a comparison job prints: the domains (index 0-5) and the two-test profile.
struct ComparisonChoice {
    std::array<bool, kDomainCount> domains{true, true, true, true, true, true};
    bool profile = true;
};

// Every page of the comparison: the title and the two tests, then each chosen domain's table
// (the marked changes explained under it), going on to a new page where one is full; then the
// profile on a page of its own. Each page has the report's page header and a numbered footer.
bool DrawComparisonPages(QPainter& painter, const Comparison& comparison, const ComparisonChoice& chosen,
                         const PageFlow& flow);

// The comparison into a PDF file at path ("-": standard output), as the report's PDF job writes
// it; logged as printed for each of the two tests.
bool PrintComparisonToPdf(Session& session, const Comparison& comparison, const ComparisonChoice& chosen,
                          const QString& path);

} // namespace tavlo
