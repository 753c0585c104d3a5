// bench-scale: the import figures. The program reads the bench database's own export file
// into an empty database; beside it, on the same rows in the same run:
// - the sqlite3 tool's .import of the three tables' rows as TSV, in one transaction;
// - the same per-test work through SQLite's C API: the line split, the three rows inserted
//   and the access log's chained row, statements prepared once, one transaction;
// - the same work again as a Python 3 script through its sqlite3 module (skipped, with a
//   note, where there is no python3).
#include "ScaleBench.h"
#include "ServerState.h"

#include "store/accounts/AccessLog.h"
#include "store/accounts/LogChain.h"
#include "store/connection/Database.h"
#include "store/connection/Workgroup.h"
#include "store/creation/NewDatabase.h"
#include "store/files/ExportFile.h"
#include "store/files/ImportFile.h"
#include "scoring/EntryRules.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <map>

#include <sqlite3.h>

namespace tavlo::bench {

namespace {

// The bench database's scores stand for every shape the list and the export meet, not for
// what an examiner could type: each is cut to what the child's age allows, the sorting sum
// kept within 20 and the grid left empty, so that the import's checks pass (not measured).
bool makeImportable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    for (qsizetype l = 1; l < lines.size(); ++l) {
        QByteArray& line = lines[l];
        if (line.trimmed().isEmpty())
            continue;
        QList<QByteArray> f = line.split('\t');
        const int years = f.value(12).split('.').value(0).toInt();
        for (size_t i = 0; i < measures().size(); ++i) {
            QByteArray& value = f[qsizetype(16 + i)];
            const Key key = measures()[i].key;
            int limit = RawScoreLimit(key, years);
            if (key == Key::DS_N || key == Key::DS_REP || key == Key::DS_R)
                limit = std::min(limit, 6);
            if (!value.isEmpty())
                value = QByteArray::number(std::min(value.toInt(), limit));
        }
        for (int n = 0; n < kGridCellCount; ++n)
            f[qsizetype(16 + measures().size() + size_t(n))].clear();
        line = f.join('\t');
    }
    return file.open(QIODevice::WriteOnly) && file.write(lines.join('\n')) > 0;
}

bool emptyDatabase(const QString& folder)
{
    QString message;
    return CreateDatabase(folder, QStringLiteral("bench"), QStringLiteral("bench1"), &message) == CreateResult::Created;
}

bool connect(Database& db, const QString& folder)
{
    return db.DbConnect(QStringLiteral("TAVLO-II"), {}, {}, QDir(folder).filePath(kDatabaseFileName),
                        QDir(folder).filePath(kWorkgroupFileName));
}

double programImport(const QString& file, const QString& folder, QString* note)
{
    Database db;
    if (!emptyDatabase(folder) || !connect(db, folder)) {
        *note = QStringLiteral("no database");
        return 0;
    }
    const qint64 start = nowNs();
    const ImportResult result = ImportExportFile(db, file);
    const double seconds = secondsSince(start);
    *note = result.outcome == ImportOutcome::Stored ? QStringLiteral("%1 tests").arg(result.numbers.size())
                                                      : QStringLiteral("import failed: %1").arg(result.message);
    return seconds;
}

// The three tables of the bench database as TSV files (not measured): as .import reads them,
// or with NULL as \\N, as psql's \\copy reads it.
bool writeTables(const BenchDatabase& bench, const QString& dir, const QString& nullValue = {})
{
    for (const char* table : {"TESTPERSON", "TESTDATA_TAVLO", "TESTDATA_TAVLO_MF"}) {
        QProcess dump;
        dump.setStandardOutputFile(QDir(dir).filePath(QString::fromLatin1(table) + QStringLiteral(".tsv")));
        dump.start(QStringLiteral("sqlite3"), {QStringLiteral("-nullvalue"), nullValue, QStringLiteral("-separator"), QStringLiteral("\t"), bench.databasePath,
                                               QStringLiteral("SELECT * FROM %1").arg(QString::fromLatin1(table))});
        if (!dump.waitForFinished(-1) || dump.exitCode() != 0)
            return false;
    }
    return true;
}

double sqliteToolImport(const QString& dir, const QString& folder)
{
    if (!emptyDatabase(folder))
        return 0;
    QString script = QStringLiteral(".mode tabs\nBEGIN;\n");
    for (const char* table : {"TESTPERSON", "TESTDATA_TAVLO", "TESTDATA_TAVLO_MF"})
        script += QStringLiteral(".import '%1' %2\n")
                      .arg(QDir(dir).filePath(QString::fromLatin1(table) + QStringLiteral(".tsv")), QString::fromLatin1(table));
    script += QStringLiteral("COMMIT;\n");
    QProcess tool;
    const qint64 start = nowNs();
    tool.start(QStringLiteral("sqlite3"), {QDir(folder).filePath(kDatabaseFileName)});
    tool.write(script.toUtf8());
    tool.closeWriteChannel();
    tool.waitForFinished(-1);
    return tool.exitCode() == 0 ? secondsSince(start) : 0;
}

// The same work as the program's import, written straight against SQLite: each line split
// at its tabs, its texts decoded, the person, score and grid rows and a chained log row
// inserted through statements prepared once, the log's head written at the end.
double sqliteSameWork(const QString& file, const QString& folder, QString* note)
{
    if (!emptyDatabase(folder))
        return 0;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = in.readAll();
    sqlite3* db = nullptr;
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(kDatabaseFileName));
    const qint64 start = nowNs();
    if (sqlite3_open(path.constData(), &db) != SQLITE_OK)
        return 0;
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    const auto markers = [](int count) {
        QByteArray m = "?";
        for (int i = 1; i < count; ++i)
            m += ",?";
        return m;
    };
    sqlite3_stmt* person = nullptr;
    sqlite3_stmt* scores = nullptr;
    sqlite3_stmt* grid = nullptr;
    sqlite3_stmt* log = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO TESTPERSON (ID, NAMN, ADRESS, TELEFON, NATIONALITET, HOMELANGUAGE, SKOLA, KLASS, "
                       "TESTAD_VID, TESTLEDARE, TESTDATE, BORNDATE, SEX, HANDEDNESS, OTHER) VALUES (" + markers(15) + ")",
                       -1, &person, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO TESTDATA_TAVLO VALUES (" + markers(1 + kMeasureCount) + ")", -1, &scores, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO TESTDATA_TAVLO_MF VALUES (" + markers(1 + kGridCellCount) + ")", -1, &grid, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO LOGG (LOPENR, TIDSPUNKT, BRUKER, HENDELSE, ID, PROGRAM, MERKNAD, KJEDE) VALUES "
                       "(?,?,?,?,?,?,?,?)",
                       -1, &log, nullptr);
    // The chain goes on from the head, as the program's does: a new database has a row already.
    QByteArray digest;
    qint64 number = 0;
    sqlite3_stmt* head = nullptr;
    sqlite3_prepare_v2(db, "SELECT LOPENR, KJEDE FROM LOGGHODE", -1, &head, nullptr);
    if (sqlite3_step(head) == SQLITE_ROW) {
        number = sqlite3_column_int64(head, 0);
        digest = reinterpret_cast<const char*>(sqlite3_column_text(head, 1));
    }
    sqlite3_finalize(head);
    int tests = 0;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype l = 1; l < lines.size(); ++l) {
        const QByteArray line = lines[l].endsWith('\r') ? lines[l].chopped(1) : lines[l];
        if (line.isEmpty())
            continue;
        const QList<QByteArray> f = line.split('\t');
        const int id = f.value(0).toInt();
        sqlite3_bind_int(person, 1, id);
        // Name to "Annet": the texts, decoded from the file's code page as the program does.
        for (int c = 1; c <= 9; ++c)
            sqlite3_bind_text(person, c + 1, QString::fromLatin1(f.value(c)).toUtf8().constData(), -1, SQLITE_TRANSIENT);
        // The dates are ISO already, as the table keeps them.
        for (int c = 10; c <= 11; ++c)
            sqlite3_bind_text(person, c + 1, f.value(c).constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(person, 13, f.value(13).toInt());
        sqlite3_bind_int(person, 14, f.value(14).toInt());
        sqlite3_bind_text(person, 15, QString::fromLatin1(f.value(15)).toUtf8().constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(person);
        sqlite3_reset(person);
        sqlite3_bind_int(scores, 1, id);
        for (int m = 0; m < kMeasureCount; ++m) {
            const QByteArray v = f.value(16 + m);
            sqlite3_bind_int(scores, m + 2, v.isEmpty() ? NOT_ENTERED : v.toInt());
        }
        sqlite3_step(scores);
        sqlite3_reset(scores);
        sqlite3_bind_int(grid, 1, id);
        for (int n = 0; n < kGridCellCount; ++n) {
            const QByteArray v = f.value(16 + kMeasureCount + n);
            sqlite3_bind_int(grid, n + 2, v.isEmpty() ? NOT_ENTERED : v.toInt());
        }
        sqlite3_step(grid);
        sqlite3_reset(grid);
        ChainedRow row;
        row.number = ++number;
        row.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
        row.user = QStringLiteral("bench");
        row.event = AccessEventText(AccessEvent::Imported);
        row.person = QString::number(id);
        row.program = QStringLiteral("bench-scale");
        row.note = QStringLiteral("nummer %1 i filen").arg(id);
        digest = LogRowDigest(digest, row);
        sqlite3_bind_int64(log, 1, row.number);
        sqlite3_bind_text(log, 2, row.time.toUtf8().constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(log, 3, "bench", -1, SQLITE_STATIC);
        sqlite3_bind_text(log, 4, row.event.toUtf8().constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(log, 5, id);
        sqlite3_bind_text(log, 6, "bench-scale", -1, SQLITE_STATIC);
        sqlite3_bind_text(log, 7, row.note.toUtf8().constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(log, 8, digest.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(log);
        sqlite3_reset(log);
        ++tests;
    }
    const QByteArray newHead = "UPDATE LOGGHODE SET LOPENR = " + QByteArray::number(number) + ", KJEDE = '" + digest + "'";
    sqlite3_exec(db, newHead.constData(), nullptr, nullptr, nullptr);
    for (sqlite3_stmt* s : {person, scores, grid, log})
        sqlite3_finalize(s);
    const bool done = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    const double seconds = secondsSince(start);
    *note = QStringLiteral("%1 tests").arg(tests);
    return done ? seconds : 0;
}

// sqliteSameWork in Python: one cursor whose few statements the module prepares once and
// reuses, one transaction. It times itself from the open to the commit, as sqliteSameWork does.
constexpr const char* kPythonSameWork = R"(import datetime, hashlib, sqlite3, sys, time
path, database, measures, cells = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
data = open(path, 'rb').read()
start = time.perf_counter()
db = sqlite3.connect(database, isolation_level=None)
cur = db.cursor()
cur.execute('BEGIN IMMEDIATE')
person = ('INSERT INTO TESTPERSON (ID, NAMN, ADRESS, TELEFON, NATIONALITET, HOMELANGUAGE, SKOLA, KLASS, '
          'TESTAD_VID, TESTLEDARE, TESTDATE, BORNDATE, SEX, HANDEDNESS, OTHER) VALUES (' + ','.join('?' * 15) + ')')
scores = 'INSERT INTO TESTDATA_TAVLO VALUES (' + ','.join('?' * (1 + measures)) + ')'
grid = 'INSERT INTO TESTDATA_TAVLO_MF VALUES (' + ','.join('?' * (1 + cells)) + ')'
log = 'INSERT INTO LOGG (LOPENR, TIDSPUNKT, BRUKER, HENDELSE, ID, PROGRAM, MERKNAD, KJEDE) VALUES (?,?,?,?,?,?,?,?)'
number, digest = cur.execute('SELECT LOPENR, KJEDE FROM LOGGHODE').fetchone()
digest = (digest or '').encode('ascii')
tests = 0
for line in data.split(b'\n')[1:]:
    if line.endswith(b'\r'):
        line = line[:-1]
    if not line:
        continue
    f = line.split(b'\t')
    test = int(f[0])
    texts = [f[c].decode('cp1252') for c in range(1, 10)]
    cur.execute(person, [test] + texts + [f[10].decode('ascii'), f[11].decode('ascii'), int(f[13]), int(f[14]),
                                          f[15].decode('cp1252')])
    values = [int(v) if v else -9 for v in f[16:16 + measures + cells]]
    cur.execute(scores, [test] + values[:measures])
    cur.execute(grid, [test] + values[measures:])
    number += 1
    tests += 1
    now = datetime.datetime.now(datetime.timezone.utc)
    row = [str(number), now.strftime('%Y-%m-%dT%H:%M:%S.') + '%03dZ' % (now.microsecond // 1000), 'bench',
           'test lest inn', str(test), 'bench-scale', 'nummer %d i filen' % test]
    h = hashlib.sha256(digest)
    for column in row:
        b = column.encode('utf-8')
        h.update(str(len(b)).encode('ascii') + b':')
        h.update(b)
    digest = h.hexdigest().encode('ascii')
    cur.execute(log, [number, row[1], 'bench', row[3], test, 'bench-scale', row[6], digest.decode('ascii')])
cur.execute('UPDATE LOGGHODE SET LOPENR = ?, KJEDE = ?', (number, digest.decode('ascii')))
cur.execute('COMMIT')
db.close()
print(time.perf_counter() - start, tests)
)";

// kPythonSameWork on file into an empty database: its time, 0 when it failed (note says why),
// -1 when there is no python3 to run it.
double pythonSameWork(const QString& file, const QString& folder, QString* note)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        *note = QStringLiteral("no python3 here: skipped");
        return -1;
    }
    if (!emptyDatabase(folder))
        return 0;
    const QString script = QDir(folder).filePath(QStringLiteral("same-work.py"));
    QFile out(script);
    if (!out.open(QIODevice::WriteOnly) || out.write(kPythonSameWork) < 0)
        return 0;
    out.close();
    QProcess run;
    run.start(python, {script, file, QDir(folder).filePath(kDatabaseFileName), QString::number(kMeasureCount),
                       QString::number(kGridCellCount)});
    run.waitForFinished(-1);
    const QStringList said = QString::fromUtf8(run.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
    if (run.exitCode() != 0 || said.size() != 2) {
        *note = QStringLiteral("python3 failed: %1").arg(QString::fromUtf8(run.readAllStandardError()).trimmed());
        return 0;
    }
    *note = QStringLiteral("%1 tests").arg(said[1].trimmed());
    return said[0].toDouble();
}

// The server's database as init-db left it, as its administrator: no tests, the counter at 0.
bool emptyServer(Database& db)
{
    for (const char* sql : {"DELETE FROM TESTPERSON", "DELETE FROM TESTDATA_TAVLO", "DELETE FROM TESTDATA_TAVLO_MF",
                            "UPDATE TESTPERSON_COUNTER SET LAST_ID = 0"}) {
        Statement s(db);
        if (!s.execDirect(QLatin1String(sql))) {
            std::fprintf(stderr, "%s: %s\n", sql, qPrintable(s.diagnostic()));
            return false;
        }
    }
    return true;
}

// psql's \copy of the three tables' rows in one transaction: the fastest a client loads them.
double serverCopy(const std::map<QString, QString>& state, const QString& dir, Database& db)
{
    if (!emptyServer(db))
        return 0;
    const QString server = state.at(QStringLiteral("SERVER"));
    QString script = QStringLiteral("BEGIN;\n");
    for (const char* table : {"TESTPERSON", "TESTDATA_TAVLO", "TESTDATA_TAVLO_MF"})
        script += QStringLiteral("\\copy %1 FROM '%2'\n")
                      .arg(QString::fromLatin1(table), QDir(dir).filePath(QString::fromLatin1(table) + QStringLiteral(".tsv")));
    script += QStringLiteral("COMMIT;\n");
    QProcess psql;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSFILE"), state.at(QStringLiteral("PGPASSFILE")));
    psql.setProcessEnvironment(env);
    const qint64 start = nowNs();
    psql.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                        QStringLiteral("-h"), server.section(u';', 0, 0).section(u'=', 1),
                                        QStringLiteral("-p"), server.section(u';', 1, 1).section(u'=', 1),
                                        QStringLiteral("-U"), state.at(QStringLiteral("ADMIN")), QStringLiteral("-d"), QStringLiteral("tavlo")});
    psql.write(script.toUtf8());
    psql.closeWriteChannel();
    psql.waitForFinished(-1);
    if (psql.exitCode() != 0)
        std::fprintf(stderr, "%s\n", psql.readAllStandardError().constData());
    return psql.exitCode() == 0 ? secondsSince(start) : 0;
}

// The program's import and psql's \copy into the server of tools/test-postgres.sh.
std::vector<Figure> serverFigures(const BenchDatabase& bench, const QString& file, const QString& dir)
{
    const auto state = readServerState(bench.postgresState);
    if (!state.count(QStringLiteral("FOLDER")))
        return {{QStringLiteral("import into PostgreSQL: no state file %1").arg(bench.postgresState), 0, 0, {}, QStringLiteral("s"), {}}};
    const QString folder = state.at(QStringLiteral("FOLDER"));
    Database db;
    if (db.DbConnect(QStringLiteral("TAVLO-II"), state.at(QStringLiteral("ADMIN")), state.at(QStringLiteral("ADMIN_PASSWORD")),
                     QDir(folder).filePath(kDatabaseFileName), QDir(folder).filePath(kWorkgroupFileName))
        != 1)
        return {};
    double program = 1e9, copy = 1e9;
    QString note;
    for (int round = 0; round < 2; ++round) {
        if (!emptyServer(db))
            return {};
        const qint64 start = nowNs();
        const ImportResult result = ImportExportFile(db, file);
        program = std::min(program, secondsSince(start));
        note = result.outcome == ImportOutcome::Stored ? QStringLiteral("%1 tests").arg(result.numbers.size())
                                                         : QStringLiteral("import failed: %1").arg(result.message);
        copy = std::min(copy, serverCopy(state, dir, db));
    }
    emptyServer(db);
    return {{QStringLiteral("import %1 tests into PostgreSQL").arg(bench.tests), program, copy,
             QStringLiteral("psql \\copy of the three tables in one transaction"), QStringLiteral("s"), note}};
}

} // namespace

std::vector<Figure> importFigures(const BenchDatabase& bench)
{
    std::vector<Figure> figures;
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("eksport.txt"));
    {
        Database db;
        if (!connect(db, bench.folder) || WriteExportFile(db, file).outcome != ExportOutcome::Written
            || !makeImportable(file))
            return figures;
    }
    if (!writeTables(bench, work.path()))
        return figures;
    // Alternating, twice each, the best of each kept: the machine's noise falls on both.
    double program = 1e9, tool = 1e9, same = 1e9, python = 1e9;
    QString programNote, sameNote, pythonNote;
    for (int round = 0; round < 2; ++round) {
        const QString tag = QString::number(round);
        program = std::min(program, programImport(file, work.filePath(QStringLiteral("program") + tag), &programNote));
        tool = std::min(tool, sqliteToolImport(work.path(), work.filePath(QStringLiteral("tool") + tag)));
        same = std::min(same, sqliteSameWork(file, work.filePath(QStringLiteral("same") + tag), &sameNote));
        python = std::min(python, pythonSameWork(file, work.filePath(QStringLiteral("python") + tag), &pythonNote));
    }
    const QString tests = QString::number(bench.tests);
    figures.push_back({QStringLiteral("import %1 tests into an empty database").arg(tests), program, same,
                       QStringLiteral("C API, the same per-test work, prepared once"), QStringLiteral("s"),
                       programNote + QStringLiteral(" / ") + sameNote});
    figures.push_back({QStringLiteral("import %1 tests into an empty database").arg(tests), program, std::max(python, 0.0),
                       QStringLiteral("Python 3 sqlite3 module, the same per-test work, prepared once"),
                       QStringLiteral("s"), programNote + QStringLiteral(" / ") + pythonNote});
    figures.push_back({QStringLiteral("import %1 tests into an empty database").arg(tests), program, tool,
                       QStringLiteral("sqlite3 .import of the three tables in one transaction"), QStringLiteral("s"), {}});
    if (!bench.postgresState.isEmpty()) {
        const QString copies = work.filePath(QStringLiteral("copy"));
        if (!QDir().mkpath(copies) || !writeTables(bench, copies, QStringLiteral("\\N")))
            return figures;
        const std::vector<Figure> server = serverFigures(bench, file, copies);
        figures.insert(figures.end(), server.begin(), server.end());
    }
    return figures;
}

} // namespace tavlo::bench
