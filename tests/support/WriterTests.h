#pragma once
// What the writer processes, the tests that start them and bench-concurrency share: the tests
// a writer saves (every row carries the writer's number and the test's, so that whoever reads
// them back can tell a whole test from a mixed or partial one) and the way to the store.

#include "model/TestRecord.h"
#include "store/connection/Database.h"
#include "store/creation/NewDatabase.h"
#include "store/connection/Workgroup.h"

#include <QDir>
#include <QString>

namespace tavlo::test {

inline QString WriterTestName(int writer, int n)
{
    return QStringLiteral("Skriver %1 test %2").arg(writer).arg(n);
}

inline TestRecord WriterTest(int writer, int n)
{
    TestRecord test;
    NewTestRecord(test, Date{2012, 3, 24});
    test.person.NAMN = WriterTestName(writer, n);
    test.person.TESTLEDARE = QStringLiteral("Åsmund");
    test.person.BORNDATE = {2005, 8, 15};
    test.person.SEX = 1 + writer % 2;
    test.person.OTHER = QString::number(n);
    for (const MeasureInfo& m : measures())
        test.scores[m.key] = (n + m.column) % 30;
    for (int cell = 1; cell <= kGridCellCount; ++cell)
        test.grid.cell(cell) = (n + writer + cell) % 17;
    return test;
}

// Connects as the program does to the database of a folder (Virod.mdw, and TAVLO-II.mdb when
// the template names a file).
inline bool ConnectFolder(Database& db, const QString& folder)
{
    const QDir dir(folder);
    // On a server as the test server's administrator, whose role the test run hands down.
    const Credentials admin{qEnvironmentVariable("TAVLO_TEST_POSTGRES_USER"),
                            qEnvironmentVariable("TAVLO_TEST_POSTGRES_PASSWORD")};
    return OpenDatabase(db, dir.filePath(kDatabaseFileName), dir.filePath(kWorkgroupFileName), admin) == 1;
}

// Empties a shared server's tests and sets its counter back; false with the driver's text.
inline bool EmptyTestTables(Database& db, QString* error)
{
    for (const char* sql : {"DELETE FROM TESTPERSON", "DELETE FROM TESTDATA_TAVLO", "DELETE FROM TESTDATA_TAVLO_MF",
                            "UPDATE TESTPERSON_COUNTER SET LAST_ID = 0"}) {
        Statement s(db);
        if (!s.execDirect(QLatin1String(sql))) {
            *error = s.diagnostic();
            return false;
        }
    }
    return true;
}

} // namespace tavlo::test
