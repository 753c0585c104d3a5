// bench-scale: the export figures. The program writes its export file; the sqlite3 tool
// writes the same three-table join as TSV; both from the same file in the same run.
#include "ScaleBench.h"

#include "store/connection/Database.h"
#include "store/files/ExportFile.h"
#include "store/creation/NewDatabase.h"
#include "store/connection/Workgroup.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>

namespace tavlo::bench {

namespace {

long peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

qint64 linesIn(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    while (!file.atEnd())
        lines += file.read(1 << 20).count('\n');
    return lines;
}

// The program's export as the dialog runs it, into a file replaced only when it is whole.
double programExport(const BenchDatabase& bench, const QString& target, QString* note)
{
    Database db;
    if (!db.DbConnect(QStringLiteral("TAVLO-II"), {}, {}, bench.databasePath,
                      QDir(bench.folder).filePath(kWorkgroupFileName))) {
        *note = QStringLiteral("no connection");
        return 0;
    }
    const qint64 start = nowNs();
    const ExportResult result = WriteExportFile(db, target);
    const double seconds = secondsSince(start);
    *note = result.outcome == ExportOutcome::Written
                ? QStringLiteral("%1 lines").arg(linesIn(target))
                : QStringLiteral("export failed: %1").arg(result.message);
    return seconds;
}

double sqliteJoin(const BenchDatabase& bench, const QString& target, QString* note)
{
    QProcess sqlite;
    sqlite.setStandardOutputFile(target);
    const qint64 start = nowNs();
    sqlite.start(QStringLiteral("sqlite3"),
                 {QStringLiteral("-readonly"), QStringLiteral("-separator"), QStringLiteral("\t"), bench.databasePath,
                  QStringLiteral("SELECT * FROM TESTPERSON P LEFT JOIN TESTDATA_TAVLO D ON D.PERSONALDATA_ID = P.ID "
                                 "LEFT JOIN TESTDATA_TAVLO_MF M ON M.MF_ID = P.ID ORDER BY P.ID")});
    const bool ran = sqlite.waitForFinished(-1) && sqlite.exitCode() == 0;
    const double seconds = secondsSince(start);
    *note = ran ? QStringLiteral("%1 lines").arg(linesIn(target)) : QStringLiteral("sqlite3 failed");
    return seconds;
}

} // namespace

std::vector<Figure> exportFigures(const BenchDatabase& bench)
{
    // Best of three each, taken in turns: other work on the machine slows a single run.
    constexpr int kRuns = 3;
    QTemporaryDir out;
    Figure figure;
    figure.name = QStringLiteral("export of %1 tests").arg(bench.tests);
    figure.referenceIs = QStringLiteral("sqlite3 writing the same join as TSV");
    QString ours;
    QString theirs;
    const long rssBefore = peakRssKb();
    for (int run = 0; run < kRuns; ++run) {
        const double program = programExport(bench, out.filePath(QStringLiteral("eksport.txt")), &ours);
        const double reference = sqliteJoin(bench, out.filePath(QStringLiteral("join.tsv")), &theirs);
        figure.program = run == 0 ? program : std::min(figure.program, program);
        figure.reference = run == 0 ? reference : std::min(figure.reference, reference);
    }
    // The export's own memory: the reference runs in another process.
    figure.note = QStringLiteral("(best of %1; program: %2, peak memory +%3 MB; sqlite3: %4)")
                      .arg(kRuns)
                      .arg(ours)
                      .arg((peakRssKb() - rssBefore) / 1024)
                      .arg(theirs);
    return {figure};
}

} // namespace tavlo::bench
