// compare: two tests of one child side by side, as the archive's comparison shows them.
#include "cli/Cli.h"

#include "paint/ComparisonPages.h"
#include "session/Session.h"

namespace tavlo::cli {

int compare(QStringList args)
{
    const bool pdfGiven = args.contains(QStringLiteral("--pdf"));
    const QString pdf = takeOption(args, QStringLiteral("--pdf"));
    bool first = false, second = false;
    const int a = args.value(1).toInt(&first);
    const int b = args.value(2).toInt(&second);
    if (args.size() != 3 || !first || !second || (pdfGiven && pdf.isEmpty()))
        return usageFor("compare");
    Session session;
    if (!connectFolder(session, args[0]))
        return kFailure;
    Comparison comparison;
    if (ShowIfFailed(CompareStoredTests(session, a, b, comparison)))
        return kFailure;
    // "--pdf -" gives standard output to the PDF file alone.
    if (!(pdfGiven && pdf == u"-")) {
        for (const QString& line : ComparisonLines(comparison))
            print(line);
    }
    if (pdfGiven && !PrintComparisonToPdf(session, comparison, ComparisonChoice{}, pdf))
        return kFailure;
    return kSuccess;
}

} // namespace tavlo::cli
