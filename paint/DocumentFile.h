#pragma once
// The report as an OpenDocument text file (.odt): the person header, the chosen domains as
// tables with their notes, the profile as a picture. Written by Qt's own ODF writer, so that
// the tool writes it without the windows' libraries.

#include "report/Comparison.h"
#include "report/Report.h"
#include "report/TablesDocument.h"

#include <QImage>
#include <QSize>

#include <functional>

class QIODevice;
class QTextDocument;

namespace tavlo {

struct Session;

// The profile as the results view paints it, on white; size in the painting's pixels, each
// drawn as pixelRatio pixels of the image, for a picture that is shown smaller than it is.
QImage ProfileImage(const Report& report, const QSize& size = QSize(1000, 700), qreal pixelRatio = 1);

// The report as the document file holds it: the whole person header, the chosen domains, the
// profile's picture when chosen.
TablesDocument ReportDocument(const Report& report, const ReportChoice& chosen);

// Any tables document laid out as Qt's text document, which WriteOdt writes.
void LayOutTables(const TablesDocument& document, QTextDocument& text);

// Any tables document as OpenDocument text on device. False when Qt's writer failed.
bool WriteOdt(const TablesDocument& document, QIODevice& device);

// The session's scored test as a document at path ("-": standard output): the whole person
// header, the chosen domains, the profile when chosen. Written beside path, logged as
// "dokument skrevet" once whole, then put in place; never over the database's files or what is
// not a regular file. False after a message when it was not written (nothing is left behind).
// Needs a QGuiApplication (the offscreen platform will do).
bool WriteReportDocument(Session& context, const ReportChoice& chosen, const QString& path);

// Two tests of one child in one chart, as ProfileImage paints one test's.
QImage ComparedProfileImage(const Comparison& comparison, const QSize& size = QSize(1000, 760), qreal pixelRatio = 1);
// The comparison as its document holds it: the two tests, every domain's table, the profile.
TablesDocument ComparisonDocument(const Comparison& comparison, bool profile);
// The comparison as a document at path, as WriteReportDocument writes the report's; logged for
// each of its two tests.
bool WriteComparisonDocument(Session& session, const Comparison& comparison, const QString& path);

// The job under both: build the document, write it beside path, record it (false stops the
// job), put it in place; false after a message, nothing left behind.
bool WriteDocumentFile(const QStringList& protectedFiles, const QString& path,
                       const std::function<TablesDocument()>& build, const std::function<bool(const QString&)>& record);

} // namespace tavlo
