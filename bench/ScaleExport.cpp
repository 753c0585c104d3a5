// bench-scale: the export figures. The program writes its export file; the sqlite3 tool
// writes the same three-table join as TSV; both from the same file in the same run.
#include "ScaleBench.h"

#include "archive/Export.h"
#include "store/Database.h"
#include "store/NewDatabase.h"
#include "store/Workgroup.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <sys/resource.h>

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

// The program's export as the dialog runs it: a QSaveFile committed at the end.
double programExport(const BenchDatabase& bench, const QString& target, QString* note)
{
    Database db;
    const Account account = DecipherAccount();
    if (!db.DbConnect(QStringLiteral("TAVLO-II"), account.name, account.password, bench.databasePath,
                      QDir(bench.folder).filePath(kWorkgroupFileName))) {
        *note = QStringLiteral("no connection");
        return 0;
    }
    const long rssBefore = peakRssKb();
    const qint64 start = nowNs();
    QSaveFile file(target);
    QString error;
    const bool written = file.open(QIODevice::WriteOnly) && ExportAll(db, file, &error) && file.commit();
    const double seconds = secondsSince(start);
    *note = written ? QStringLiteral("%1 lines, peak memory +%2 MB").arg(linesIn(target)).arg((peakRssKb() - rssBefore) / 1024)
                    : QStringLiteral("export failed: %1").arg(error);
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
    QTemporaryDir out;
    Figure figure;
    figure.name = QStringLiteral("export of %1 tests").arg(bench.tests);
    figure.referenceIs = QStringLiteral("sqlite3 writing the same join as TSV");
    QString ours;
    QString theirs;
    figure.program = programExport(bench, out.filePath(QStringLiteral("eksport.txt")), &ours);
    figure.reference = sqliteJoin(bench, out.filePath(QStringLiteral("join.tsv")), &theirs);
    figure.note = QStringLiteral("(program: %1; sqlite3: %2)").arg(ours, theirs);
    return {figure};
}

} // namespace tavlo::bench
