#pragma once
// What the commands that paint (report and compare with --pdf or --odt) need of Qt's GUI
// library. It lives in a private library of its own, libtavlo-cli-paint.so, that the tool loads
// only for such a command, so that the tool itself does not link QtGui.

#include "report/Report.h"
#include "vandrel/MessageSink.h"

#include <QString>

class QCoreApplication;

namespace tavlo {
struct Comparison;
struct Session;
} // namespace tavlo

namespace tavlo::cli {

struct Painting {
    // A QGuiApplication, for drawing on the offscreen platform.
    QCoreApplication* (*makeApplication)(int& argc, char** argv);
    bool (*printReportToPdf)(Session& session, const ReportChoice& chosen, const QString& path);
    bool (*writeReportDocument)(Session& session, const ReportChoice& chosen, const QString& path);
    // Every domain and the profile of both tests.
    bool (*printComparisonToPdf)(Session& session, const Comparison& comparison, const QString& path);
    bool (*writeComparisonDocument)(Session& session, const Comparison& comparison, const QString& path);
    // The library has vandrel's functions of its own, the message sink's place among them.
    void (*setMessageSink)(MessageSink* sink);
};

// The library's functions, loaded on the first call, its messages going where the tool's go
// at the time of the call; nullptr, after saying why on stderr, when the library cannot be
// loaded.
const Painting* painting();

} // namespace tavlo::cli

// The one name the library exports.
inline constexpr char kPaintingEntry[] = "tavloCliPainting";
