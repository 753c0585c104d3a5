// Saves 10,000 tests, lists them by name and by test date, reads them all back, and does
// the same with the sqlite3 command-line tool on a copy of the same file.
#include "model/TestRecord.h"
#include "store/tables/BulkRead.h"
#include "store/creation/NewDatabase.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>

using namespace tavlo;

namespace {

constexpr int kTests = 10000;

TestRecord makeTest(int i)
{
    TestRecord t;
    NewTestRecord(t, Date{int16_t(2010 + i % 10), int16_t(1 + i % 12), int16_t(1 + i % 28)});
    t.person.NAMN = QStringLiteral("Barn %1 Ødegård").arg((i * 7919) % kTests, 5, 10, QLatin1Char('0'));
    t.person.TESTLEDARE = QStringLiteral("Testleder %1").arg(i % 17);
    t.person.BORNDATE = {int16_t(2000 + i % 10), int16_t(1 + i % 12), int16_t(1 + i % 28)};
    t.person.SEX = 1 + i % 2;
    for (const MeasureInfo& m : measures())
        t.scores[m.key] = (i + m.column) % 40;
    for (int n = 1; n <= kGridCellCount; ++n)
        t.grid.cell(n) = (i + n) % 21;
    return t;
}

double seconds(QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

double runSqlite(const QString& db, const QByteArray& script)
{
    QProcess p;
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral("sqlite3"), {db});
    p.write(script);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    p.readAllStandardOutput();
    return seconds(timer);
}

QString insertsFor(const TestRecord& t, int id)
{
    const auto date = [](Date d) { return QString::asprintf("'%04d-%02d-%02d'", d.year, d.month, d.day); };
    QStringList scores, cells;
    for (const MeasureInfo& m : measures())
        scores.append(QString::number(t.scores[m.key]));
    for (int n = 1; n <= kGridCellCount; ++n)
        cells.append(QString::number(t.grid.cell(n)));
    return QStringLiteral("BEGIN;UPDATE TESTPERSON_COUNTER SET LAST_ID=LAST_ID+1;"
                          "INSERT INTO TESTPERSON (ID,NAMN,TESTLEDARE,SEX,AGE,TESTDATE,BORNDATE,HANDEDNESS) "
                          "VALUES (%1,'%2','%3',%4,0,%5,%6,0);"
                          "INSERT INTO TESTDATA_TAVLO VALUES (%1,%7);INSERT INTO TESTDATA_TAVLO_MF VALUES (%1,%8);COMMIT;\n")
        .arg(id)
        .arg(t.person.NAMN, t.person.TESTLEDARE)
        .arg(t.person.SEX)
        .arg(date(t.person.TESTDATE), date(t.person.BORNDATE), scores.join(u','), cells.join(u','));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString message;
    if (CreateDatabase(dir.filePath(QStringLiteral("odbc")), QStringLiteral("bench"), QStringLiteral("bench1"), &message)
            != CreateResult::Created
        || CreateDatabase(dir.filePath(QStringLiteral("cli")), QStringLiteral("bench"), QStringLiteral("bench1"), &message)
               != CreateResult::Created) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    const QString odbcFolder = dir.filePath(QStringLiteral("odbc"));
    const QString cliDb = dir.filePath(QStringLiteral("cli/TAVLO-II.mdb"));
    Database db;
    if (!db.DbConnect(QStringLiteral("TAVLO-II"), {}, {}, odbcFolder + "/TAVLO-II.mdb",
                      odbcFolder + "/Virod.mdw"))
        return 1;

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kTests; ++i) {
        TestRecord t = makeTest(i);
        if (!SaveTest(db, t, true))
            return 1;
    }
    const double save = seconds(timer);

    double list[2];
    for (int k = 0; k < 2; ++k) {
        timer.restart();
        int rows = 0;
        ListPersons(db, k == 0 ? 0 : 2, false, [&](const PersonListRow&) { ++rows; });
        list[k] = seconds(timer);
        if (rows != kTests)
            return 1;
    }
    timer.restart();
    int tests = 0;
    readEveryTest(db, [&tests](TestRecord&) { return ++tests, true; });
    const double read = seconds(timer);
    if (tests != kTests)
        return 1;

    QByteArray inserts;
    for (int i = 0; i < kTests; ++i)
        inserts += insertsFor(makeTest(i), i + 1).toUtf8();
    const QByteArray reads = "SELECT * FROM TESTPERSON P LEFT JOIN TESTDATA_TAVLO D ON D.PERSONALDATA_ID = P.ID "
                             "LEFT JOIN TESTDATA_TAVLO_MF M ON M.MF_ID = P.ID ORDER BY P.ID;\n";
    const QByteArray listSql = "SELECT ID, NAMN, TESTLEDARE, TESTDATE, OTHER, SEX, BORNDATE, SKOLA, NATIONALITET, "
                               "HOMELANGUAGE FROM TESTPERSON ORDER BY ";
    const double cliSave = runSqlite(cliDb, inserts);
    const double cliList[2] = {runSqlite(cliDb, listSql + "NAMN ASC;\n"), runSqlite(cliDb, listSql + "TESTDATE ASC;\n")};
    const double cliRead = runSqlite(cliDb, reads);

    std::printf("%-34s %10s %10s %7s\n", "operation (10,000 tests)", "ODBC s", "sqlite3 s", "ratio");
    const auto line = [](const char* what, double ours, double theirs) {
        std::printf("%-34s %10.3f %10.3f %7.2f\n", what, ours, theirs, ours / theirs);
    };
    line("save, one transaction per test", save, cliSave);
    line("list sorted by name", list[0], cliList[0]);
    line("list sorted by test date", list[1], cliList[1]);
    line("read every test back in bulk", read, cliRead);
    return 0;
}
