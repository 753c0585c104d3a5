#pragma once
// bench-scale: the program against the best the same SQLite file allows, on a clinic's
// whole archive. Each area adds its figures in a file of its own.

#include <QString>
#include <QStringList>

#include <vector>

namespace tavlo::bench {

struct BenchDatabase {
    QString folder;       // holds TAVLO-II.mdb and Virod.mdw
    QString databasePath; // the SQLite file itself
    int tests = 0;        // persons stored, IDs 1..tests with a few gaps
    QString postgresState; // tools/test-postgres.sh's state file, or empty: no server figures
};

// One line of the table: the program's time, the reference's on the same file in the same
// run, and what the reference is.
struct Figure {
    QString name;
    double program = 0;   // seconds (or MB for a memory figure)
    double reference = 0; // the same unit
    QString referenceIs;
    QString unit = QStringLiteral("s");
    QString note;
};

struct ChildRun {
    bool ok = false;
    double seconds = 0;
    double peakMb = 0; // the child's maximum resident set
};

// Runs a program with its standard output into a file, as a shell would: its time from start
// to exit, and its peak memory as GNU time reads it from wait4. A child forked from this
// process would count this process's own peak as its start, so time forks it.
ChildRun runChild(const QStringList& command, const QString& output);

double secondsSince(qint64 startNs);
qint64 nowNs();

std::vector<Figure> scoringFigures(const BenchDatabase& db); // scoring run, rescoring, backup
std::vector<Figure> exportFigures(const BenchDatabase& db);  // export
std::vector<Figure> archiveFigures(const BenchDatabase& db); // archive open, sorts, memory
std::vector<Figure> importFigures(const BenchDatabase& db);  // import into an empty database
std::vector<Figure> listFigures(const BenchDatabase& db);    // list at 10k, 50k, 200k tests
std::vector<Figure> toolFigures(const BenchDatabase& db);    // score and report, whole process

} // namespace tavlo::bench
