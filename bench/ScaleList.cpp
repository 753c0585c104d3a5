// bench-scale: the list figures. tavlo-ii-cli list runs as a user runs it, a process of its
// own; beside it the sqlite3 tool printing the same columns in the same order, and for the
// name order SQLite's C API with the program's own Norwegian ranks. Both outputs are compared
// byte for byte. Databases of 10,000 and 200,000 tests are made from the bench's own.
#include "ScaleBench.h"

#include "model/NorwegianText.h"
#include "store/connection/Workgroup.h"
#include "store/creation/NewDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>

extern char** environ;

namespace tavlo::bench {

namespace {

// The listed columns as the list prints them, from SQLite itself.
const char* const kListedColumns =
    "SELECT ID, NAMN, TESTLEDARE, strftime('%d-%m-%Y', TESTDATE), OTHER, "
    "CASE SEX WHEN 1 THEN 'Gutt' WHEN 2 THEN 'Jente' ELSE '' END, strftime('%d-%m-%Y', BORNDATE), SKOLA, "
    "NATIONALITET, HOMELANGUAGE FROM TESTPERSON";

bool exec(sqlite3* db, const QString& sql)
{
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A copy of the bench database cut to its first tests, or its tests repeated under new
// numbers and names; made once.
bool makeSized(const BenchDatabase& base, int tests, BenchDatabase& sized)
{
    sized.folder = base.folder + QStringLiteral("-%1").arg(tests);
    sized.databasePath = QDir(sized.folder).filePath(kDatabaseFileName);
    sized.tests = tests;
    if (tests == base.tests) {
        sized = base;
        return true;
    }
    if (QFileInfo::exists(sized.databasePath))
        return true;
    QDir().mkpath(sized.folder);
    const QString making = sized.databasePath + QStringLiteral(".making");
    QFile::remove(making);
    QFile::remove(QDir(sized.folder).filePath(kWorkgroupFileName));
    if (!QFile::copy(base.databasePath, making)
        || !QFile::copy(QDir(base.folder).filePath(kWorkgroupFileName), QDir(sized.folder).filePath(kWorkgroupFileName)))
        return false;
    std::printf("Making %d tests in %s ...\n", tests, qPrintable(sized.folder));
    std::fflush(stdout);
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(making), &db) == SQLITE_OK && exec(db, QStringLiteral("BEGIN"));
    if (tests < base.tests) {
        const QString last = QStringLiteral("(SELECT ID FROM TESTPERSON ORDER BY ID LIMIT 1 OFFSET %1)").arg(tests - 1);
        ok = ok && exec(db, QStringLiteral("DELETE FROM TESTDATA_TAVLO WHERE PERSONALDATA_ID > %1").arg(last))
             && exec(db, QStringLiteral("DELETE FROM TESTDATA_TAVLO_MF WHERE MF_ID > %1").arg(last))
             && exec(db, QStringLiteral("DELETE FROM TESTPERSON WHERE ID > %1").arg(last));
    } else {
        ok = ok && exec(db, QStringLiteral("CREATE TEMP TABLE P AS SELECT * FROM TESTPERSON"))
             && exec(db, QStringLiteral("CREATE TEMP TABLE D AS SELECT * FROM TESTDATA_TAVLO"))
             && exec(db, QStringLiteral("CREATE TEMP TABLE M AS SELECT * FROM TESTDATA_TAVLO_MF"));
        const int copies = (tests + base.tests - 1) / base.tests;
        const int step = 2 * base.tests; // above every number of the base (it has gaps)
        for (int copy = 1; copy < copies && ok; ++copy) {
            const int count = std::min(base.tests, tests - copy * base.tests);
            ok = exec(db, QStringLiteral("UPDATE P SET ID = ID + %1, NAMN = NAMN || ' %2'").arg(step).arg(copy))
                 && exec(db, QStringLiteral("UPDATE D SET PERSONALDATA_ID = PERSONALDATA_ID + %1").arg(step))
                 && exec(db, QStringLiteral("UPDATE M SET MF_ID = MF_ID + %1").arg(step))
                 && exec(db, QStringLiteral("INSERT INTO TESTPERSON SELECT * FROM P WHERE ID - %1 IN "
                                            "(SELECT ID FROM TESTPERSON WHERE ID < %2 ORDER BY ID LIMIT %3)")
                                 .arg(step * copy)
                                 .arg(step)
                                 .arg(count))
                 && exec(db, QStringLiteral("INSERT INTO TESTDATA_TAVLO SELECT * FROM D WHERE PERSONALDATA_ID IN "
                                            "(SELECT ID FROM TESTPERSON)"))
                 && exec(db, QStringLiteral("INSERT INTO TESTDATA_TAVLO_MF SELECT * FROM M WHERE MF_ID IN "
                                            "(SELECT ID FROM TESTPERSON)"));
        }
    }
    ok = ok && exec(db, QStringLiteral("UPDATE TESTPERSON_COUNTER SET LAST_ID = (SELECT MAX(ID) FROM TESTPERSON)"))
         && exec(db, QStringLiteral("COMMIT"));
    sqlite3_close(db);
    return ok && QFile::rename(making, sized.databasePath);
}

// Best of three, taken in turns with the reference by the caller.
void keepBest(ChildRun& best, const ChildRun& run)
{
    if (!best.ok || (run.ok && run.seconds < best.seconds))
        best = run;
}

QByteArray digest(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (file.open(QIODevice::ReadOnly))
        hash.addData(&file);
    return hash.result();
}

double fileMb(const QString& path)
{
    return double(QFileInfo(path).size()) / 1e6;
}

// The name order without the program: SQLite's C API reads the rows, the program's own
// Norwegian ranks order the names, ties by number, and the lines go to output.
double cApiNameOrder(const QString& databasePath, const QString& output)
{
    const qint64 start = nowNs();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(databasePath), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, kListedColumns, -1, &s, nullptr);
    std::vector<std::string> lines;
    std::vector<QString> names;
    std::vector<int> ids;
    while (sqlite3_step(s) == SQLITE_ROW) {
        std::string line;
        for (int c = 0; c < 10; ++c) {
            if (c)
                line += '\t';
            if (const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c)))
                line.append(text, size_t(sqlite3_column_bytes(s, c)));
        }
        line += '\n';
        lines.push_back(std::move(line));
        names.push_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)),
                                          sqlite3_column_bytes(s, 1)));
        ids.push_back(sqlite3_column_int(s, 0));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    const std::vector<int> ranks = NorwegianRanks(names);
    std::vector<int> order(lines.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return std::pair(ranks[size_t(a)], ids[size_t(a)]) < std::pair(ranks[size_t(b)], ids[size_t(b)]);
    });
    FILE* out = std::fopen(QFile::encodeName(output).constData(), "wb");
    for (const int i : order)
        std::fwrite(lines[size_t(i)].data(), 1, lines[size_t(i)].size(), out);
    std::fclose(out);
    return secondsSince(start);
}

struct Compared {
    ChildRun program;
    ChildRun reference;
    bool same = false;
    double printedMb = 0;
};

Compared compareList(const BenchDatabase& db, const QStringList& options, const QTemporaryDir& out)
{
    const QString ours = out.filePath(QStringLiteral("list.txt"));
    const QString theirs = out.filePath(QStringLiteral("reference.txt"));
    const bool byName = !options.isEmpty();
    Compared c;
    for (int run = 0; run < 3; ++run) {
        keepBest(c.program, runChild(QStringList{QStringLiteral(TAVLO_CLI_PATH), QStringLiteral("list"), db.folder} + options,
                                     ours));
        if (byName) {
            // The C API in this process, and what starting the sqlite3 tool costs beside it.
            const ChildRun started =
                runChild({QStringLiteral("sqlite3"), QStringLiteral("-readonly"), db.databasePath, QStringLiteral("SELECT 1")},
                         QStringLiteral("/dev/null"));
            ChildRun reference = started;
            reference.seconds += cApiNameOrder(db.databasePath, theirs);
            keepBest(c.reference, reference);
        } else {
            keepBest(c.reference, runChild({QStringLiteral("sqlite3"), QStringLiteral("-readonly"), QStringLiteral("-separator"),
                                            QStringLiteral("\t"), db.databasePath,
                                            QString::fromLatin1(kListedColumns) + QStringLiteral(" ORDER BY ID DESC")},
                                           theirs));
        }
    }
    c.same = c.program.ok && c.reference.ok && digest(ours) == digest(theirs);
    c.printedMb = fileMb(ours);
    return c;
}

// The program's own peak on a database without tests: what any job of it takes.
double emptyPeakMb(const QTemporaryDir& out)
{
    const QString folder = out.filePath(QStringLiteral("tom"));
    QString message;
    if (CreateDatabase(folder, QStringLiteral("bench"), QStringLiteral("bench1"), &message) != CreateResult::Created)
        return 0;
    return runChild({QStringLiteral(TAVLO_CLI_PATH), QStringLiteral("list"), folder}, QStringLiteral("/dev/null")).peakMb;
}

// The same on a database of one test listed by name: the Norwegian collation's own fixed
// cost (ICU's tables) with it, which no number of tests changes.
double oneNamePeakMb(const QTemporaryDir& out)
{
    const QString folder = out.filePath(QStringLiteral("en"));
    QString message;
    if (CreateDatabase(folder, QStringLiteral("bench"), QStringLiteral("bench1"), &message) != CreateResult::Created)
        return 0;
    sqlite3* db = nullptr;
    const bool made = sqlite3_open(QFile::encodeName(QDir(folder).filePath(kDatabaseFileName)), &db) == SQLITE_OK
                      && exec(db, QStringLiteral("INSERT INTO TESTPERSON (ID, NAMN) VALUES (1, 'Åse')"));
    sqlite3_close(db);
    if (!made)
        return 0;
    return runChild({QStringLiteral(TAVLO_CLI_PATH), QStringLiteral("list"), folder, QStringLiteral("--sort"),
                     QStringLiteral("NAMN")},
                    QStringLiteral("/dev/null"))
        .peakMb;
}

QString same(const Compared& c)
{
    return c.same ? QStringLiteral("same output") : QStringLiteral("OUTPUT DIFFERS");
}

} // namespace

ChildRun runChild(const QStringList& command, const QString& output)
{
    QTemporaryDir dir;
    const QString peakFile = dir.filePath(QStringLiteral("peak"));
    QStringList timed{QStringLiteral("/usr/bin/time"), QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"),
                      peakFile};
    timed += command;
    std::vector<QByteArray> bytes;
    for (const QString& part : timed)
        bytes.push_back(part.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& part : bytes)
        argv.push_back(part.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray path = QFile::encodeName(output);
    posix_spawn_file_actions_addopen(&actions, 1, path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ChildRun run;
    const qint64 start = nowNs();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid) {
            run.seconds = secondsSince(start);
            run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            QFile peak(peakFile);
            if (peak.open(QIODevice::ReadOnly))
                run.peakMb = QString::fromUtf8(peak.readAll()).trimmed().section(u'\n', -1).toDouble() / 1024.0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

std::vector<Figure> listFigures(const BenchDatabase& base)
{
    std::vector<Figure> figures;
    QTemporaryDir out;
    const double emptyPeak = emptyPeakMb(out);
    const double oneNamePeak = oneNamePeakMb(out);
    for (const int tests : {10000, base.tests, 200000}) {
        BenchDatabase db;
        if (!makeSized(base, tests, db)) {
            figures.push_back({QStringLiteral("list, %1 tests").arg(tests), 0, 0, QStringLiteral("database not made"), {}, {}});
            continue;
        }
        const Compared plain = compareList(db, {}, out);
        figures.push_back({QStringLiteral("list, %1 tests (ID DESC), best of 3").arg(tests), plain.program.seconds,
                           plain.reference.seconds, QStringLiteral("sqlite3 tool, same columns and order"),
                           QStringLiteral("s"), same(plain)});
        figures.push_back({QStringLiteral("list, %1 tests, peak memory").arg(tests), plain.program.peakMb,
                           plain.reference.peakMb, QStringLiteral("sqlite3 tool"), QStringLiteral("MB"),
                           QStringLiteral("(printed %1 MB; above the program's %2 MB on no tests: %3 MB = %4 x printed)")
                               .arg(plain.printedMb, 0, 'f', 1)
                               .arg(emptyPeak, 0, 'f', 1)
                               .arg(plain.program.peakMb - emptyPeak, 0, 'f', 1)
                               .arg((plain.program.peakMb - emptyPeak) / plain.printedMb, 0, 'f', 2)});
        const Compared named = compareList(db, {QStringLiteral("--sort"), QStringLiteral("NAMN")}, out);
        figures.push_back({QStringLiteral("list --sort NAMN, %1 tests, best of 3").arg(tests), named.program.seconds,
                           named.reference.seconds,
                           QStringLiteral("C API + Norwegian ranks, plus sqlite3 tool start"), QStringLiteral("s"),
                           same(named)});
        figures.push_back({QStringLiteral("list --sort NAMN, %1 tests, peak memory").arg(tests), named.program.peakMb,
                           plain.reference.peakMb, QStringLiteral("sqlite3 tool, unsorted"), QStringLiteral("MB"),
                           QStringLiteral("(above the program's on no tests: %1 MB = %2 x printed; above its %3 MB "
                                          "on one test by name, the collation's tables loaded: %4 x printed)")
                               .arg(named.program.peakMb - emptyPeak, 0, 'f', 1)
                               .arg((named.program.peakMb - emptyPeak) / named.printedMb, 0, 'f', 2)
                               .arg(oneNamePeak, 0, 'f', 1)
                               .arg((named.program.peakMb - oneNamePeak) / named.printedMb, 0, 'f', 2)});
        // The archive window reads the same list: its open time beside the C API.
        if (tests != 10000) {
            for (Figure& f : archiveFigures(db)) {
                if (f.name.startsWith(QLatin1String("archive open")) || f.name.startsWith(QLatin1String("memory"))
                    || f.name.startsWith(QLatin1String("archive, GUI thread"))
                    || f.name.startsWith(QLatin1String("the list query"))) {
                    f.name += QStringLiteral(", %1 tests").arg(tests);
                    figures.push_back(f);
                }
            }
        }
    }
    return figures;
}

} // namespace tavlo::bench
