// One full scoring run per age band, and 10,000 stored tests read and scored one after
// another, against the bare norm-row lookups of the same runs (answered from the
// connection's norms in memory).
#include "model/TestRecord.h"
#include "scoring/NormTables.h"
#include "scoring/Scoring.h"
#include "store/tables/BulkRead.h"
#include "store/creation/NewDatabase.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace tavlo;

namespace {

constexpr int kTests = 10000;
constexpr int kRepeats = 200;

TestRecord makeTest(int i)
{
    TestRecord t;
    NewTestRecord(t, Date{2012, 6, 15});
    const int years = 3 + i % 14;
    t.person.BORNDATE = {int16_t(2012 - years), int16_t(1 + i % 5), int16_t(1 + i % 28)};
    t.person.NAMN = QStringLiteral("Barn %1").arg(i);
    t.person.TESTLEDARE = QStringLiteral("Leder");
    t.person.SEX = 1 + i % 2;
    for (const MeasureInfo& m : measures())
        t.scores[m.key] = (i + m.column) % 20;
    for (int n = 1; n <= kGridCellCount; ++n)
        t.grid.cell(n) = (n % 3 == 0) ? 1 + (i + n) % 10 : NOT_ENTERED;
    return t;
}

double perRunMs(QElapsedTimer& timer, int runs)
{
    return double(timer.nsecsElapsed()) / 1e6 / runs;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    {
        // What every process that scores pays once: the compiled-in tables read from their files.
        QElapsedTimer timer;
        timer.start();
        constexpr int reads = 50;
        for (int i = 0; i < reads; ++i)
            if (!ReadNormTables(QStringLiteral(":/data")).ok())
                return 1;
        std::printf("the program's tables read from their files: %.2f ms\n\n", double(timer.nsecsElapsed()) / 1e6 / reads);
    }
    QTemporaryDir dir;
    QString message;
    const QString folder = dir.filePath(QStringLiteral("db"));
    if (CreateDatabase(folder, QStringLiteral("bench"), QStringLiteral("bench1"), &message) != CreateResult::Created)
        return 1;
    Database db;
    if (!db.DbConnect(QStringLiteral("TAVLO-II"), {}, {}, folder + "/TAVLO-II.mdb",
                      folder + "/Virod.mdw"))
        return 1;

    std::printf("%-12s %8s %14s %14s %7s\n", "age band", "lookups", "full run ms", "lookups ms", "ratio");
    for (const int years : {4, 6, 10, 15}) {
        TestRecord t = makeTest(years - 3);
        NormState norms;
        SelectAgeGroup(db, norms, t);
        const AgeBand band = *AgeBandOfYears(years);
        QElapsedTimer timer;
        timer.start();
        for (int r = 0; r < kRepeats; ++r)
            ScoreTest(db, norms, t);
        const double full = perRunMs(timer, kRepeats);
        timer.restart();
        for (int r = 0; r < kRepeats; ++r) {
            NormRow row{norms.CurrentNormGroup, {}, norms.CurrentAgeGroup, {}};
            for (const ScaleEntry& e : normTables().list(band)) {
                row.DELSKALA = e.literal;
                FetchNormRow(db, row);
            }
        }
        const double queries = perRunMs(timer, kRepeats);
        std::printf("%-12s %8zu %14.3f %14.3f %7.2f\n",
                    qPrintable(QStringLiteral("%1 years").arg(years)), normTables().list(band).size(), full, queries,
                    full / queries);
    }

    {
        Transaction transaction(db);
        for (int i = 0; i < kTests; ++i) {
            TestRecord t = makeTest(i);
            if (!SaveTest(db, t, true))
                return 1;
        }
        transaction.commit();
    }
    QElapsedTimer timer;
    timer.start();
    readEveryTest(db, [&db](TestRecord& t) {
        NormState norms;
        SelectAgeGroup(db, norms, t);
        ScoreTest(db, norms, t);
        return true;
    });
    const double all = double(timer.nsecsElapsed()) / 1e9;
    std::printf("\n%d stored tests read in bulk and scored one after another: %.2f s (%.3f ms per test)\n", kTests,
                all, all * 1000 / kTests);
    return 0;
}
