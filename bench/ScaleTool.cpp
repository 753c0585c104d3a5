// bench-scale: the tool's text commands as a user runs them, whole processes: score ID and
// report ID, each beside the sqlite3 tool doing the same reads (the person, both score rows,
// one age group's norms, the age groups) and writing the same access-log row in a transaction
// of its own, on a copy of the same file. Taken in turns, the median of each kept.
#include "ScaleBench.h"

#include "store/connection/Workgroup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace tavlo::bench {

namespace {

constexpr int kRuns = 15;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

QString sameReads(int id)
{
    return QStringLiteral("SELECT * FROM TESTPERSON WHERE ID = %1; SELECT * FROM TESTDATA_TAVLO WHERE PERSONALDATA_ID = %1; "
                          "SELECT * FROM TESTDATA_TAVLO_MF WHERE MF_ID = %1; "
                          "SELECT * FROM NORMER_TAVLO WHERE NORMGRUPP = (SELECT MIN(NORMGRUPP) FROM NORMER_TAVLO) AND "
                          "DELGRUPP = (SELECT MIN(DELGRUPP) FROM NORMER_TAVLO); "
                          "SELECT * FROM NORMGRUPPER_TAVLO; BEGIN IMMEDIATE; "
                          "INSERT INTO LOGG (LOPENR, TIDSPUNKT, BRUKER, HENDELSE, ID, PROGRAM, MERKNAD, KJEDE) "
                          "SELECT MAX(LOPENR) + 1, '2026-12-11T10:00:00.000Z', 'bench', 'vist', %1, 'sqlite3', '', "
                          "'0000000000000000000000000000000000000000000000000000000000000000' FROM LOGG; "
                          "UPDATE LOGGHODE SET LOPENR = LOPENR + 1; COMMIT;")
        .arg(id);
}

} // namespace

std::vector<Figure> toolFigures(const BenchDatabase& bench)
{
    QTemporaryDir work;
    // Copies: each run adds a log row, and the bench database stays as it was.
    const QString folder = work.filePath(QStringLiteral("tool"));
    const QString reference = work.filePath(QStringLiteral("reference.mdb"));
    if (!QDir().mkpath(folder) || !QFile::copy(bench.databasePath, QDir(folder).filePath(kDatabaseFileName))
        || !QFile::copy(QDir(bench.folder).filePath(kWorkgroupFileName), QDir(folder).filePath(kWorkgroupFileName))
        || !QFile::copy(bench.databasePath, reference))
        return {};
    const int id = 5;
    const QString out = work.filePath(QStringLiteral("out"));
    std::vector<Figure> figures;
    for (const char* command : {"score", "report"}) {
        std::vector<double> program, sqlite;
        for (int run = 0; run < kRuns; ++run) {
            const ChildRun p = runChild({QStringLiteral(TAVLO_CLI_PATH), QLatin1String(command), folder, QString::number(id)}, out);
            const ChildRun s = runChild({QStringLiteral("sqlite3"), reference, sameReads(id)}, out);
            if (!p.ok || !s.ok)
                return figures;
            program.push_back(p.seconds);
            sqlite.push_back(s.seconds);
        }
        figures.push_back({QStringLiteral("tavlo-ii-cli %1 %2, whole process (%3 tests)").arg(QLatin1String(command)).arg(id).arg(bench.tests),
                           median(program), median(sqlite),
                           QStringLiteral("sqlite3 with the same reads and the log row"), QStringLiteral("s")});
    }
    return figures;
}

} // namespace tavlo::bench
