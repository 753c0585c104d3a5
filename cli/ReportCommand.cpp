// report: the result report of one test, as the results window shows it, and on request the
// pages "&Skriv ut" prints, as a PDF file, or the report as a document file.
#include "cli/Cli.h"
#include "cli/Painting.h"

#include "report/ReportDocument.h"
#include "report/Report.h"
#include "session/Session.h"
#include "store/files/OutputFile.h"

#include <array>
#include <cstdio>
#include <optional>

namespace tavlo::cli {

namespace {

const QString kDomainsOption = QStringLiteral("--domains");
const QString kPdfOption = QStringLiteral("--pdf");
const QString kOdtOption = QStringLiteral("--odt");
const QString kProfileOption = QStringLiteral("--profile");

// "135": domains 1, 3 and 5. Each digit 1-6 at most once, in any order; nothing else.
std::optional<std::array<bool, kDomainCount>> parseDomains(const QString& value)
{
    std::array<bool, kDomainCount> chosen{};
    if (value.isEmpty())
        return std::nullopt;
    for (const QChar c : value) {
        const int domain = c.unicode() - u'0';
        if (domain < 1 || domain > kDomainCount || chosen[size_t(domain - 1)])
            return std::nullopt;
        chosen[size_t(domain - 1)] = true;
    }
    return chosen;
}

} // namespace

bool needsGuiApplication(const QStringList& args)
{
    const bool document = args.contains(kPdfOption) || args.contains(kOdtOption);
    return (args.value(0) == u"report" || args.value(0) == u"compare") && document;
}

int report(QStringList args)
{
    // The profile is a drawing: it has no lines of its own, only a page of the PDF file or a
    // picture in the document. Taken first, so that "--pdf --profile" lacks a file name instead
    // of naming one "--profile".
    const bool profile = takeFlag(args, kProfileOption);
    const bool header = takeFlag(args, kHeaderOption);
    const bool domainsGiven = args.contains(kDomainsOption);
    const QString domains = takeOption(args, kDomainsOption);
    const bool pdfGiven = args.contains(kPdfOption);
    const QString pdf = takeOption(args, kPdfOption);
    const bool odtGiven = args.contains(kOdtOption);
    const QString odt = takeOption(args, kOdtOption);
    bool numeric = false;
    const int id = args.value(1).toInt(&numeric);
    if (args.size() != 2 || !numeric || (pdfGiven && pdf.isEmpty()) || (odtGiven && odt.isEmpty()))
        return usageFor("report");
    if (profile && !pdfGiven && !odtGiven) {
        print(QStringLiteral("--profile gjelder PDF-filen: oppgi også --pdf OUT.pdf."), stderr);
        return usageFor("report");
    }
    if (pdfGiven && odtGiven && pdf == u"-" && odt == u"-") {
        print(QStringLiteral("Bare én av --pdf og --odt kan skrive til standard ut (-)."), stderr);
        return usageFor("report");
    }
    std::array<bool, kDomainCount> chosen;
    chosen.fill(true);
    if (domainsGiven) {
        const auto parsed = parseDomains(domains);
        if (!parsed) {
            print(QStringLiteral("Ugyldige domener «%1»: oppgi domenene som sifre fra 1 til 6, hvert høyst én gang "
                                 "(for eksempel 135).")
                      .arg(domains),
                  stderr);
            return usageFor("report");
        }
        chosen = *parsed;
    }

    LineSink sink;
    setMessageSink(&sink);
    Session context;
    if (!connectFolder(context, args[0]))
        return kFailure;
    // A file that may not be written is refused before the test is read or anything shown.
    for (const auto& [given, target] : {std::pair{pdfGiven, pdf}, std::pair{odtGiven, odt}}) {
        if (const auto refusal = given ? RefuseOutputTarget(target, ProtectedFiles(context.db)) : std::nullopt) {
            tell(*refusal, MessageIcon::Exclamation);
            return kFailure;
        }
    }
    if (ShowIfFailed(OpenAndScore(context, id)))
        return kFailure;

    // "--pdf -" or "--odt -" gives standard output to that file alone.
    if (!(pdfGiven && pdf == u"-") && !(odtGiven && odt == u"-")) {
        const Report report = BuildReport(context.test, context.norms.AgeGroupDescription);
        if (header)
            printHeader("report");
        for (const QString& line : TabSeparatedLines(ReportTables(report, ReportChoice(chosen), ReportPerson::Strip)))
            print(line);
    }
    std::fflush(stdout);
    if (pdfGiven && !painting()->printReportToPdf(context, ReportChoice(chosen, profile), pdf))
        return kFailure;
    if (odtGiven && !painting()->writeReportDocument(context, ReportChoice(chosen, profile), odt))
        return kFailure;
    return kSuccess;
}

} // namespace tavlo::cli
