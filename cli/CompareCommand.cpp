// compare: two tests of one child side by side, as the archive's comparison shows them.
#include "cli/Cli.h"
#include "cli/Painting.h"

#include "report/Comparison.h"
#include "session/Session.h"

namespace tavlo::cli {

int compare(QStringList args)
{
    const bool header = takeFlag(args, kHeaderOption);
    const bool pdfGiven = args.contains(QStringLiteral("--pdf"));
    const QString pdf = takeOption(args, QStringLiteral("--pdf"));
    const bool odtGiven = args.contains(QStringLiteral("--odt"));
    const QString odt = takeOption(args, QStringLiteral("--odt"));
    bool first = false, second = false;
    const int a = args.value(1).toInt(&first);
    const int b = args.value(2).toInt(&second);
    if (args.size() != 3 || !first || !second || (pdfGiven && pdf.isEmpty()) || (odtGiven && odt.isEmpty()))
        return usageFor("compare");
    if (pdf == u"-" && odt == u"-") {
        print(QStringLiteral("Bare én av --pdf og --odt kan skrive til standard ut (-)."), stderr);
        return usageFor("compare");
    }
    Session session;
    if (!connectFolder(session, args[0]))
        return kFailure;
    Comparison comparison;
    if (ShowIfFailed(CompareStoredTests(session, a, b, comparison)))
        return kFailure;
    // "-" gives standard output to the file alone.
    if (pdf != u"-" && odt != u"-") {
        if (header)
            printHeader("compare");
        for (const QString& line : ComparisonLines(comparison))
            print(line);
    }
    if (pdfGiven && !painting()->printComparisonToPdf(session, comparison, pdf))
        return kFailure;
    if (odtGiven && !painting()->writeComparisonDocument(session, comparison, odt))
        return kFailure;
    return kSuccess;
}

} // namespace tavlo::cli
