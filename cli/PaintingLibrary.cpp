// libtavlo-cli-paint.so: the tool's painting (cli/Painting.h), the one part of it on QtGui.
#include "cli/Painting.h"

#include "paint/ComparisonPages.h"
#include "paint/DocumentFile.h"
#include "paint/ReportPages.h"

#include <QGuiApplication>

namespace {

using namespace tavlo;

QCoreApplication* makeApplication(int& argc, char** argv)
{
    return new QGuiApplication(argc, argv);
}

bool printComparisonToPdf(Session& session, const Comparison& comparison, const QString& path)
{
    return PrintComparisonToPdf(session, comparison, ComparisonChoice{}, path);
}

const cli::Painting kPainting{makeApplication,      PrintReportToPdf,        WriteReportDocument,
                              printComparisonToPdf, WriteComparisonDocument, setMessageSink};

} // namespace

extern "C" Q_DECL_EXPORT const tavlo::cli::Painting* tavloCliPainting()
{
    return &kPainting;
}
