// import: an export file read back into a database folder, all or nothing.
#include "cli/Cli.h"


namespace tavlo::cli {

int importTests(QStringList args)
{
    const bool utf8 = takeFlag(args, QStringLiteral("--utf8"));
    const bool header = takeFlag(args, kHeaderOption);
    if (args.size() != 2)
        return usageFor("import");
    Session session;
    if (!connectFolder(session, args[0]))
        return kFailure;
    const ImportResult result = ImportTestsFrom(session, args[1], utf8 ? ImportEncoding::Utf8 : ImportEncoding::ByMark);
    if (result.outcome != ImportOutcome::Stored) {
        print(result.message, stderr);
        return kFailure;
    }
    if (result.numbers.empty())
        print(QStringLiteral("Filen har ingen tester; ingenting er lagret."));
    else if (result.numbersKept)
        print(QStringLiteral("%1 tester er lagret med numrene fra filen.").arg(result.numbers.size()));
    else {
        // Each test under its new number, for whoever holds papers with the old one.
        if (header)
            printHeader("import");
        for (const auto& [old, now] : result.numbers)
            print(QStringLiteral("%1\t%2").arg(old).arg(now));
    }
    return kSuccess;
}

} // namespace tavlo::cli
