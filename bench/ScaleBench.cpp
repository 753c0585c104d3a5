// Makes (or reuses) a database of 50,000 tests and prints every figure beside its reference.
//   cmake --build build --target bench-scale && build/bench/bench-scale [FOLDER] [--only AREA] [--tests N]
//   [--postgres STATE_FILE of tools/test-postgres.sh: the import into the server as well]
#include "ScaleBench.h"

#include "model/TestRecord.h"
#include "store/creation/NewDatabase.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>

using namespace tavlo;
using namespace tavlo::bench;

namespace {

constexpr int kTests = 50000;

// Fictional children spread over every age and name shape the list sorts: Norwegian letters
// and mixed case among them. Written through SQLite's C API: making the file is not measured.
bool fill(const QString& path, int tests)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    const char* names[] = {"Åse", "ærlig", "Øyvind", "åsmund", "Ola", "kari", "Per", "Ærle", "Olsen", "Berit"};
    QString scores = QStringLiteral("INSERT INTO TESTDATA_TAVLO VALUES (?1");
    for (int i = 0; i < kMeasureCount; ++i)
        scores += QStringLiteral(", ?%1").arg(i + 2);
    scores += u')';
    QString grid = QStringLiteral("INSERT INTO TESTDATA_TAVLO_MF VALUES (?1");
    for (int i = 0; i < kGridCellCount; ++i)
        grid += QStringLiteral(", ?%1").arg(i + 2);
    grid += u')';
    sqlite3_stmt* person = nullptr;
    sqlite3_stmt* raw = nullptr;
    sqlite3_stmt* cells = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO TESTPERSON (ID, NAMN, ADRESS, TELEFON, NATIONALITET, HOMELANGUAGE, SKOLA, "
                       "TESTAD_VID, TESTLEDARE, SEX, AGE, TESTDATE, BORNDATE, HANDEDNESS, KLASS, OTHER) VALUES "
                       "(?1, ?2, 'Gate 1', '12345678', 'Norsk', 'Norsk', ?3, 'Klinikken', ?4, ?5, 0, ?6, ?7, 2, '3', ?8)",
                       -1, &person, nullptr);
    sqlite3_prepare_v2(db, scores.toUtf8().constData(), -1, &raw, nullptr);
    sqlite3_prepare_v2(db, grid.toUtf8().constData(), -1, &cells, nullptr);
    int id = 0;
    for (int i = 0; i < tests; ++i) {
        id += (i % 997 == 0) ? 2 : 1; // a few gaps, as deletions leave
        const QByteArray name = QStringLiteral("%1 %2").arg(QString::fromUtf8(names[i % 10])).arg(i).toUtf8();
        const QByteArray leader = QStringLiteral("Testleder %1").arg(i % 23).toUtf8();
        const QByteArray school = QStringLiteral("Skole %1").arg(i % 311).toUtf8();
        const QByteArray other = QStringLiteral("Notat %1").arg(i % 97).toUtf8();
        const QByteArray tested = QString::asprintf("%04d-%02d-%02d", 2000 + i % 25, 1 + i % 12, 1 + i % 28).toUtf8();
        const QByteArray born = QString::asprintf("%04d-%02d-%02d", 1986 + i % 25, 1 + (i / 7) % 12, 1 + i % 28).toUtf8();
        sqlite3_bind_int(person, 1, id);
        sqlite3_bind_text(person, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(person, 3, school.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(person, 4, leader.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(person, 5, 1 + i % 2);
        sqlite3_bind_text(person, 6, tested.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(person, 7, born.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(person, 8, other.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(person);
        sqlite3_reset(person);
        if (i % 1009 == 0)
            continue; // a person stored without score rows
        sqlite3_bind_int(raw, 1, id);
        for (int m = 0; m < kMeasureCount; ++m)
            sqlite3_bind_int(raw, m + 2, (i + m) % 7 == 0 ? NOT_ENTERED : (i * 7 + m * 3) % 30);
        sqlite3_step(raw);
        sqlite3_reset(raw);
        sqlite3_bind_int(cells, 1, id);
        for (int n = 0; n < kGridCellCount; ++n)
            sqlite3_bind_int(cells, n + 2, (i + n) % 5 == 0 ? 1 + (i + n) % 20 : NOT_ENTERED);
        sqlite3_step(cells);
        sqlite3_reset(cells);
    }
    sqlite3_finalize(person);
    sqlite3_finalize(raw);
    sqlite3_finalize(cells);
    const QByteArray counter = QStringLiteral("UPDATE TESTPERSON_COUNTER SET LAST_ID = %1").arg(id).toUtf8();
    sqlite3_exec(db, counter.constData(), nullptr, nullptr, nullptr);
    const bool done = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

void print(const std::vector<Figure>& figures)
{
    for (const Figure& f : figures) {
        const double ratio = f.reference > 0 ? f.program / f.reference : 0;
        std::printf("| %s | %.4g %s | %s: %.4g %s | %.2f |%s\n", qPrintable(f.name), f.program, qPrintable(f.unit),
                    qPrintable(f.referenceIs), f.reference, qPrintable(f.unit), ratio,
                    f.note.isEmpty() ? "" : qPrintable(QStringLiteral(" %1").arg(f.note)));
        std::fflush(stdout);
    }
}

} // namespace

namespace tavlo::bench {

qint64 nowNs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.nsecsElapsed();
}

double secondsSince(qint64 startNs)
{
    return double(nowNs() - startNs) / 1e9;
}

} // namespace tavlo::bench

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    // "--name VALUE" taken out of the arguments; fallback when absent.
    const auto take = [&args](const char* name, const QString& fallback = {}) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        if (at < 0 || at + 1 >= args.size())
            return fallback;
        const QString value = args.at(at + 1);
        args.remove(at, 2);
        return value;
    };
    const QString only = take("--only");
    const int tests = std::max(take("--tests", QString::number(kTests)).toInt(), 100);
    const QString postgres = take("--postgres");
    BenchDatabase db;
    db.folder = args.value(0, QDir::temp().filePath(tests % 1000 == 0 ? QStringLiteral("tavlo-bench-%1k").arg(tests / 1000)
                                                                       : QStringLiteral("tavlo-bench-%1").arg(tests)));
    db.databasePath = QDir(db.folder).filePath(kDatabaseFileName);
    db.tests = tests;
    db.postgresState = postgres;
    if (!QFileInfo::exists(db.databasePath)) {
        std::printf("Making %d tests in %s ...\n", tests, qPrintable(db.folder));
        QString message;
        if (CreateDatabase(db.folder, QStringLiteral("bench"), QStringLiteral("bench1"), &message) != CreateResult::Created
            || !fill(db.databasePath, tests)) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            return 1;
        }
    }
    std::printf("| figure | program | same file, best way | ratio |\n|---|---|---|---|\n");
    if (only.isEmpty() || only == u"scoring")
        print(scoringFigures(db));
    if (only.isEmpty() || only == u"export")
        print(exportFigures(db));
    if (only.isEmpty() || only == u"archive")
        print(archiveFigures(db));
    if (only.isEmpty() || only == u"import")
        print(importFigures(db));
    if (only.isEmpty() || only == u"list")
        print(listFigures(db));
    if (only.isEmpty() || only == u"tool")
        print(toolFigures(db));
    return 0;
}
