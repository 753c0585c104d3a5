// bench-scale: the scoring figures (one scoring run, rescoring 10,000 stored tests) and the
// backup, each beside the same work done the best way on the same file in the same run.
#include "ScaleBench.h"

#include "scoring/Scoring.h"
#include "store/tables/BulkRead.h"
#include "store/files/DatabaseBackup.h"
#include "store/creation/NewDatabase.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"
#include "vandrel/MessageSink.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tavlo::bench {

namespace {

constexpr int kScoringRuns = 1000;
constexpr int kRescored = 10000;
constexpr int kBackups = 3;

// The notes and missing-row messages of a run are part of its work, not of the table.
class CountingSink : public MessageSink {
public:
    CountingSink() { setMessageSink(this); }
    ~CountingSink() override { setMessageSink(nullptr); }
    void show(const QString&, const QString&, MessageIcon) override { ++shown; }
    bool ask(const QString&, const QString&, MessageIcon, bool defaultYes) override { return defaultYes; }
    long shown = 0;
};

class Sqlite {
public:
    explicit Sqlite(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "%s\n", sqlite3_errmsg(m_db));
    }
    ~Sqlite() { sqlite3_close(m_db); }
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

QString columnText(sqlite3_stmt* s, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, column)),
                             sqlite3_column_bytes(s, column));
}

int columnInt(sqlite3_stmt* s, int column, int null)
{
    return sqlite3_column_type(s, column) == SQLITE_NULL ? null : sqlite3_column_int(s, column);
}

Date columnDate(sqlite3_stmt* s, int column)
{
    const QString text = columnText(s, column); // ISO, as the program stores dates
    if (text.size() != 10)
        return {};
    return Date{int16_t(text.mid(0, 4).toInt()), int16_t(text.mid(5, 2).toInt()), int16_t(text.mid(8, 2).toInt())};
}

// Every norm row and description of the file, read once through SQLite's C API.
NormTable normsOf(sqlite3* db)
{
    NormTable table;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT NORMGRUPP, DELSKALA, DELGRUPP, S1, S2, S3, S4, S5, S6, S7, S8, S9, S10, S11, S12, S13, "
                       "S14, S15, S16, S17, S18, S19 FROM NORMER_TAVLO",
                       -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
        NormRow row{columnText(s, 0), columnText(s, 1), columnText(s, 2), {}};
        for (int k = 0; k < 19; ++k)
            row.S[size_t(k)] = sqlite3_column_int(s, 3 + k);
        table.addRow(row);
    }
    sqlite3_finalize(s);
    sqlite3_prepare_v2(db, "SELECT NORMGRUPP, DELGRUPP, BESKRIVNING FROM NORMGRUPPER_TAVLO", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        table.addDescription(columnText(s, 0), columnText(s, 1), columnText(s, 2));
    sqlite3_finalize(s);
    return table;
}

std::vector<int> storedIds(sqlite3* db)
{
    std::vector<int> ids;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT ID FROM TESTPERSON ORDER BY ID", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int(s, 0));
    sqlite3_finalize(s);
    return ids;
}

// The person and both score rows of every test with an ID in [first, last], in ID order,
// with one query; a person without score rows reads as not entered, as ReadTest does.
template<typename Each>
void readTests(sqlite3* db, int first, int last, Each each)
{
    QString sql = QStringLiteral("SELECT p.ID, p.NAMN, p.ADRESS, p.TELEFON, p.NATIONALITET, p.HOMELANGUAGE, p.SKOLA, "
                                 "p.TESTAD_VID, p.TESTLEDARE, p.SEX, p.AGE, p.TESTDATE, p.BORNDATE, p.HANDEDNESS, "
                                 "p.KLASS, p.OTHER");
    for (const MeasureInfo& m : measures())
        sql += QStringLiteral(", d.") + QLatin1String(m.code);
    for (int n = 1; n <= kGridCellCount; ++n)
        sql += QStringLiteral(", m.MF%1").arg(n);
    sql += QStringLiteral(" FROM TESTPERSON p LEFT JOIN TESTDATA_TAVLO d ON d.PERSONALDATA_ID = p.ID "
                          "LEFT JOIN TESTDATA_TAVLO_MF m ON m.MF_ID = p.ID WHERE p.ID BETWEEN ?1 AND ?2 ORDER BY p.ID");
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr);
    sqlite3_bind_int(s, 1, first);
    sqlite3_bind_int(s, 2, last);
    while (sqlite3_step(s) == SQLITE_ROW) {
        TestRecord t;
        PersonalData& p = t.person;
        p.ID = sqlite3_column_int(s, 0);
        p.NAMN = columnText(s, 1);
        p.ADRESS = columnText(s, 2);
        p.TELEFON = columnText(s, 3);
        p.NATIONALITET = columnText(s, 4);
        p.HOMELANGUAGE = columnText(s, 5);
        p.SKOLA = columnText(s, 6);
        p.TESTAD_VID = columnText(s, 7);
        p.TESTLEDARE = columnText(s, 8);
        p.SEX = columnInt(s, 9, 0);
        p.AGE = columnInt(s, 10, 0);
        p.TESTDATE = columnDate(s, 11);
        p.BORNDATE = columnDate(s, 12);
        p.HANDEDNESS = columnInt(s, 13, 0);
        p.KLASS = columnText(s, 14);
        p.OTHER = columnText(s, 15);
        int c = 16;
        for (const MeasureInfo& m : measures())
            t.scores[m.key] = columnInt(s, c++, NOT_ENTERED);
        for (int n = 1; n <= kGridCellCount; ++n)
            t.grid.cell(n) = columnInt(s, c++, NOT_ENTERED);
        each(t);
    }
    sqlite3_finalize(s);
}

// What a run decided, folded into one number: the same results give the same sum.
qint64 fold(const TestRecord& t)
{
    qint64 sum = 0;
    for (int k = 0; k < kKeyCount; ++k) {
        const Result& r = t.result(Key(k));
        sum = sum * 31 + r.value * 7 + t.raw(Key(k)) + qHash(r.text);
    }
    return sum;
}

bool connectTo(Database& db, const BenchDatabase& bench)
{
    return db.DbConnect(QStringLiteral("TAVLO-II"), {}, {}, bench.databasePath,
                        QDir(bench.folder).filePath(kWorkgroupFileName))
           == 1;
}

// 1,000 stored tests of children from 3 to 16 years, ages spread over the archive.
std::vector<TestRecord> scoringSample(Database& db, const std::vector<int>& ids)
{
    std::vector<TestRecord> sample;
    for (size_t i = 0; i < ids.size() && sample.size() < size_t(kScoringRuns); i += 7) {
        TestRecord t;
        const int years = ReadTest(db, t, ids[i]) ? t.testAge().years : -1;
        if (years >= 3 && years <= 16)
            sample.push_back(t);
    }
    return sample;
}

Figure oneScoringRun(Database& db, NormTable& norms, const std::vector<TestRecord>& sample)
{
    Figure f;
    f.name = QStringLiteral("one scoring run");
    f.referenceIs = QStringLiteral("norm rows in memory");
    f.unit = QStringLiteral("ms");
    qint64 program = 0;
    qint64 start = nowNs();
    for (TestRecord t : sample) {
        NormState state;
        SelectAgeGroup(db, state, t);
        ScoreTest(db, state, t);
        program += fold(t);
    }
    f.program = secondsSince(start) * 1000 / double(sample.size());
    constexpr int kRounds = 20; // the reference is too quick to time once
    qint64 reference = 0;
    start = nowNs();
    for (int round = 0; round < kRounds; ++round) {
        reference = 0;
        for (TestRecord t : sample) {
            NormState state;
            SelectAgeGroup(norms, state, t);
            ScoreTest(norms, state, t);
            reference += fold(t);
        }
    }
    f.reference = secondsSince(start) * 1000 / double(sample.size()) / kRounds;
    f.note = QStringLiteral("mean of %1 stored tests aged 3-16%2")
                 .arg(sample.size())
                 .arg(program == reference ? QString() : QStringLiteral("; RESULTS DIFFER"));
    return f;
}

Figure rescoring(const BenchDatabase& bench, sqlite3* file, NormTable& norms, const std::vector<int>& ids)
{
    Figure f;
    f.name = QStringLiteral("rescoring 10,000 stored tests");
    f.referenceIs = QStringLiteral("C API reading the same rows, scoring in memory");
    const std::vector<int> chosen(ids.begin(), ids.begin() + std::min<size_t>(ids.size(), kRescored));
    Database db; // a fresh connection: its first run reads the norms
    if (!connectTo(db, bench) || chosen.empty())
        return f;
    qint64 program = 0;
    qint64 scoring = 0;
    size_t scored = 0;
    qint64 start = nowNs();
    // Read in bulk, as the export reads; stopped after the chosen tests.
    readEveryTest(db, [&](TestRecord& t) {
        const qint64 scoreStart = nowNs();
        NormState state;
        SelectAgeGroup(db, state, t);
        ScoreTest(db, state, t);
        program += fold(t);
        scoring += nowNs() - scoreStart;
        return ++scored < chosen.size();
    });
    f.program = secondsSince(start);
    qint64 reference = 0;
    start = nowNs();
    readTests(file, chosen.front(), chosen.back(), [&](TestRecord& t) {
        NormState state;
        SelectAgeGroup(norms, state, t);
        ScoreTest(norms, state, t);
        reference += fold(t);
    });
    f.reference = secondsSince(start);
    f.note = QStringLiteral("read in bulk %1 s, scoring %2 s%3")
                 .arg(f.program - double(scoring) / 1e9, 0, 'f', 2)
                 .arg(double(scoring) / 1e9, 0, 'f', 2)
                 .arg(program == reference ? QString() : QStringLiteral("; RESULTS DIFFER"));
    return f;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The program's connection stays open meanwhile, as in the archive window.
Figure backup(sqlite3* file, const BenchDatabase& bench)
{
    Figure f;
    f.name = QStringLiteral("backup");
    f.referenceIs = QStringLiteral("VACUUM INTO");
    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("TAVLO-II_backup.mdb"));
    const QString vacuumed = out.filePath(QStringLiteral("vacuumed.mdb"));
    std::vector<double> program, reference, check;
    QString failure;
    for (int i = 0; i < kBackups; ++i) {
        qint64 start = nowNs();
        if (const auto failed = WriteDatabaseBackup(bench.databasePath, target, {bench.databasePath}))
            failure = *failed;
        program.push_back(secondsSince(start));
        // How much of it the check of the copy takes.
        Sqlite copy(target);
        start = nowNs();
        sqlite3_exec(copy.handle(), "PRAGMA integrity_check", nullptr, nullptr, nullptr);
        check.push_back(secondsSince(start));
        QFile::remove(vacuumed);
        const QByteArray sql = "VACUUM INTO '" + QFile::encodeName(vacuumed) + "'";
        start = nowNs();
        sqlite3_exec(file, sql.constData(), nullptr, nullptr, nullptr);
        reference.push_back(secondsSince(start));
    }
    f.program = median(program);
    f.reference = median(reference);
    f.note = QStringLiteral("median of %1, %2 MB; integrity_check alone %3 s%4")
                 .arg(kBackups)
                 .arg(double(QFile(bench.databasePath).size()) / 1e6, 0, 'f', 1)
                 .arg(median(check), 0, 'f', 3)
                 .arg(failure.isEmpty() ? QString() : QStringLiteral("; FAILED: ") + failure);
    return f;
}

} // namespace

std::vector<Figure> scoringFigures(const BenchDatabase& bench)
{
    CountingSink sink;
    Sqlite file(bench.databasePath);
    NormTable norms = normsOf(file.handle());
    const std::vector<int> ids = storedIds(file.handle());
    std::vector<Figure> figures;
    {
        Database db;
        if (!connectTo(db, bench))
            return figures;
        const std::vector<TestRecord> sample = scoringSample(db, ids);
        Database fresh; // its first run reads the norms
        if (!connectTo(fresh, bench))
            return figures;
        figures.push_back(oneScoringRun(fresh, norms, sample));
    }
    figures.push_back(rescoring(bench, file.handle(), norms, ids));
    Database db;
    if (connectTo(db, bench))
        figures.push_back(backup(file.handle(), bench));
    return figures;
}

} // namespace tavlo::bench
