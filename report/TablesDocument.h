#pragma once
// A document of plain tables, as the clipboard, the tool's lines and the OpenDocument file
// give it: a title, lines of labelled values, then sections, each a table with its headings and
// the lines under it, or a picture. It knows nothing of what it holds, so that any result (one
// test's report, or anything else put in rows) goes out through the same writers.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace tavlo {

// A label (without its colon) and its value.
struct LabelledValue {
    QString label;
    QString value;
    friend bool operator==(const LabelledValue&, const LabelledValue&) = default;
};

struct TablesSection {
    QString title;
    // The tab-separated lines start each row with this field, so that the rows of several
    // sections can be told apart there; empty: the row's cells alone.
    QString key;
    QStringList headings;          // the table's column headings; none: no table
    std::vector<QStringList> rows; // as many cells each as there are headings
    std::vector<int> numberColumns; // the columns (from 0) set to the right, as numbers are
    QByteArray png;                // a picture in PNG under the title (a chart); empty: none
    int pngWidth = 0;              // the width it is shown at, in CSS pixels; 0: its own
    QStringList notes;             // under the table or the picture, one paragraph each
};

struct TablesDocument {
    QString title;
    std::vector<std::vector<LabelledValue>> header; // one line of labelled values each
    std::vector<TablesSection> sections;
};

// The rows as tab-separated lines, section after section (key first when there is one); a tab
// or line break in a cell becomes a blank. Titles, headings, notes and pictures are not lines.
QStringList TabSeparatedLines(const TablesDocument& document);

// The whole document as HTML, tables as <table> across the page with <th> headings, a picture
// inline as a data: URL. What a word processor takes from the clipboard, and what the OpenDocument writer
// lays out.
QString TablesHtml(const TablesDocument& document);

// The data: URL TablesHtml gives a picture.
QString PngDataUrl(const QByteArray& png);

// A text as one field of a tab-separated line: a tab or line break in it becomes a blank.
QString TabSeparatedField(QString text);

} // namespace tavlo
