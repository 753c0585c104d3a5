#include "store/tables/ScoreTables.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace tavlo {

namespace {

// One of the two score tables: its name, key column, value columns in column order, and
// where the i-th value lives in the record.
struct ScoreTable {
    QString table;
    QString key;
    QStringList columns;
    std::function<int(const TestRecord&, int)> get;
    std::function<void(TestRecord&, int, int)> set;
};

const ScoreTable& measuresTable()
{
    static const ScoreTable table = [] {
        ScoreTable t{QStringLiteral("TESTDATA_TAVLO"), QStringLiteral("PERSONALDATA_ID"), {},
                     [](const TestRecord& r, int i) { return r.scores[measures()[size_t(i)].key]; },
                     [](TestRecord& r, int i, int v) { r.scores[measures()[size_t(i)].key] = v; }};
        for (const MeasureInfo& m : measures())
            t.columns.append(QLatin1String(m.code));
        return t;
    }();
    return table;
}

const ScoreTable& gridTable()
{
    static const ScoreTable table = [] {
        ScoreTable t{QStringLiteral("TESTDATA_TAVLO_MF"), QStringLiteral("MF_ID"), {},
                     [](const TestRecord& r, int i) { return r.grid.MF[size_t(i)]; },
                     [](TestRecord& r, int i, int v) { r.grid.MF[size_t(i)] = v; }};
        for (int n = 1; n <= kGridCellCount; ++n)
            t.columns.append(QStringLiteral("MF%1").arg(n));
        return t;
    }();
    return table;
}

int readRow(Database& db, const ScoreTable& t, TestRecord& test)
{
    Statement s(db);
    if (!s.execDirect(QStringLiteral("SELECT %1 FROM %2 WHERE %3 =%4")
                          .arg(t.columns.join(QStringLiteral(", ")), t.table, t.key)
                          .arg(test.person.ID)))
        return s.report();
    const Fetch fetched = s.fetch();
    if (fetched == Fetch::NoData)
        return 9;
    if (fetched == Fetch::Error)
        return s.report();
    // Read everything first: a failed read leaves the record as it was.
    std::vector<int> values(size_t(t.columns.size()));
    for (int i = 0; i < t.columns.size(); ++i) {
        bool ok = false;
        values[size_t(i)] = s.getInt(i + 1, &ok).value_or(NOT_ENTERED);
        if (!ok)
            return s.report();
    }
    for (int i = 0; i < t.columns.size(); ++i)
        t.set(test, i, values[size_t(i)]);
    return 1;
}

QString insertSql(const ScoreTable& t)
{
    QStringList markers;
    for (qsizetype i = 0; i <= t.columns.size(); ++i)
        markers.append(QStringLiteral("?"));
    return QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (%4)")
        .arg(t.table, t.key, t.columns.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
}

BatchInsert<TestRecord> batchInsert(Database& db, const ScoreTable& t, int rowsPerStatement)
{
    return BatchInsert<TestRecord>(db, insertSql(t), rowsPerStatement,
                                   [&t](Statement& s, const TestRecord& test, int first) {
                                       bool ok = s.bindInt(first, test.person.ID);
                                       for (int i = 0; ok && i < t.columns.size(); ++i)
                                           ok = s.bindInt(first + 1 + i, t.get(test, i));
                                       return ok;
                                   });
}

int insertRow(Database& db, const ScoreTable& t, const TestRecord& test)
{
    BatchInsert<TestRecord> row = batchInsert(db, t, 1);
    return row.add(test) ? 1 : row.report();
}

int updateRow(Database& db, const ScoreTable& t, const TestRecord& test, long* rowsTouched)
{
    Statement s(db);
    QStringList assignments;
    for (const QString& column : t.columns)
        assignments.append(column + QStringLiteral("=?"));
    bool ok = s.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3=%4")
                            .arg(t.table, assignments.join(QStringLiteral(", ")), t.key)
                            .arg(test.person.ID));
    for (int i = 0; ok && i < t.columns.size(); ++i)
        ok = s.bindInt(i + 1, t.get(test, i));
    if (!ok || !s.execute())
        return s.report();
    if (rowsTouched)
        *rowsTouched = s.rowCount();
    return 1;
}

int deleteRow(Database& db, const QString& statement, int id)
{
    Statement s(db);
    if (!s.execDirect(statement.arg(id)))
        return s.report();
    return 1;
}

} // namespace

int ReadTestData(Database& db, TestRecord& test)
{
    return readRow(db, measuresTable(), test);
}

int ReadTestDataMF(Database& db, TestRecord& test)
{
    return readRow(db, gridTable(), test);
}

int InsertTestData(Database& db, const TestRecord& test)
{
    return insertRow(db, measuresTable(), test);
}

int InsertTestDataMF(Database& db, const TestRecord& test)
{
    return insertRow(db, gridTable(), test);
}

ScoreInserter::ScoreInserter(Database& db, int rowsPerStatement)
    : m_measures(batchInsert(db, measuresTable(), rowsPerStatement))
    , m_grid(batchInsert(db, gridTable(), rowsPerStatement))
{
}

int ScoreInserter::insert(const TestRecord& test)
{
    if (!m_measures.add(test))
        return m_measures.report();
    return m_grid.add(test) ? 1 : m_grid.report();
}

int ScoreInserter::flush()
{
    if (!m_measures.flush())
        return m_measures.report();
    return m_grid.flush() ? 1 : m_grid.report();
}

int UpdateTestData(Database& db, const TestRecord& test, long* rowsTouched)
{
    return updateRow(db, measuresTable(), test, rowsTouched);
}

int UpdateTestDataMF(Database& db, const TestRecord& test, long* rowsTouched)
{
    return updateRow(db, gridTable(), test, rowsTouched);
}

int DeleteTestData(Database& db, int id)
{
    return deleteRow(db, QStringLiteral("DELETE FROM TESTDATA_TAVLO WHERE PERSONALDATA_ID = %1"), id);
}

int DeleteTestDataMF(Database& db, int id)
{
    return deleteRow(db, QStringLiteral("DELETE FROM TESTDATA_TAVLO_MF WHERE MF_ID = %1"), id);
}

} // namespace tavlo
