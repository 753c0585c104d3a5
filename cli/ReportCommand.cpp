// report: the result report of one test, as the results window shows it, and on request the
// pages "&Skriv ut" prints, as a PDF file.
#include "cli/Cli.h"

#include "paint/ReportPages.h"
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
    return (args.value(0) == u"report" || args.value(0) == u"compare") && args.contains(kPdfOption);
}

int report(QStringList args)
{
    // The profile is a drawing: it has no lines of its own, only a page of the PDF file. Taken
    // first, so that "--pdf --profile" lacks a file name instead of naming one "--profile".
    const bool profile = takeFlag(args, kProfileOption);
    const bool domainsGiven = args.contains(kDomainsOption);
    const QString domains = takeOption(args, kDomainsOption);
    const bool pdfGiven = args.contains(kPdfOption);
    const QString pdf = takeOption(args, kPdfOption);
    bool numeric = false;
    const int id = args.value(1).toInt(&numeric);
    if (args.size() != 2 || !numeric || (pdfGiven && pdf.isEmpty()))
        return usageFor("report");
    if (profile && !pdfGiven) {
        print(QStringLiteral("--profile gjelder PDF-filen: oppgi også --pdf OUT.pdf."), stderr);
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
    if (const auto refusal = pdfGiven ? RefuseOutputTarget(pdf, ProtectedFiles(context.db)) : std::nullopt) {
        tell(*refusal, MessageIcon::Exclamation);
        return kFailure;
    }
    if (ShowIfFailed(OpenAndScore(context, id)))
        return kFailure;

    // "--pdf -" gives standard output to the PDF file alone.
    const bool rows = !(pdfGiven && pdf == u"-");
    const Report report = BuildReport(context.test, context.norms.AgeGroupDescription);
    for (const ReportSection& section : report.sections) {
        if (!rows || !chosen[size_t(section.domain - 1)])
            continue;
        for (const ReportRow& row : section.rows) {
            print(QStringList{QString::number(section.domain), tsvField(row.Label), RawColumnText(row), ScaledColumnText(row),
                              tsvField(PercentileColumnText(row)), tsvField(row.MeasureType), tsvField(row.Description)}
                      .join(u'\t'));
        }
    }
    std::fflush(stdout);
    if (pdfGiven && !PrintReportToPdf(context, ReportChoice(chosen, profile), pdf))
        return kFailure;
    return kSuccess;
}

} // namespace tavlo::cli
