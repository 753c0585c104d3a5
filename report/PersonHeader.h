#pragma once
// The report's person header as data: what the screen, the paper and any later format show
// above the results, each value under its label.

#include "model/TestRecord.h"

#include <QString>

#include <vector>

namespace tavlo {

struct HeaderItem {
    int column; // 0, 200 or 400: where the label and its value start
    QString label;
    QString value;
};

struct PersonHeader {
    QString title;
    // One line of labelled values each; the norm group's line only when it has a description.
    std::vector<std::vector<HeaderItem>> lines;
};

PersonHeader BuildPersonHeader(const TestRecord& test, const QString& ageGroupDescription);

// What a printed or saved report calls itself in its file and in the print queue: the heading
// and the person's number; never the name, which lists of files and jobs show to anyone.
QString ReportDocumentTitle(const TestRecord& test);

} // namespace tavlo
