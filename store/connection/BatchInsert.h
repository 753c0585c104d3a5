#pragma once
// Rows of one table written many to a statement: "INSERT ... VALUES (?, ...), (?, ...)".
// The SQLite driver compiles a statement again at every execute, however often it was
// prepared, and a server answers each execute in a round trip of its own; one statement for
// many rows pays both once. With one row per statement each add() writes at once.

#include "store/connection/Database.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace tavlo {

// The statement for one row, "INSERT INTO T (a, b) VALUES (?, ?)", made to take rows rows:
// its parenthesised markers repeated. One row gives the statement itself.
inline QString MultiRowInsertSql(const QString& oneRow, int rows)
{
    const qsizetype values = oneRow.lastIndexOf(QStringLiteral("VALUES ")) + 7;
    const QString group = oneRow.mid(values);
    QStringList groups;
    for (int r = 0; r < rows; ++r)
        groups.append(group);
    return oneRow.left(values) + groups.join(QStringLiteral(", "));
}

// psqlODBC drops the connection when a statement has more than 8192 parameters (measured).
inline constexpr int kMostParametersPerStatement = 4000;

template <typename Row>
class BatchInsert {
public:
    // Binds row's columns from parameter position first on.
    using Bind = std::function<bool(Statement&, const Row&, int first)>;

    // oneRow: the statement for one row, as MultiRowInsertSql takes it.
    BatchInsert(Database& db, QString oneRow, int rowsPerStatement, Bind bind)
        : m_db(db)
        , m_oneRow(std::move(oneRow))
        , m_columns(int(m_oneRow.mid(m_oneRow.lastIndexOf(QStringLiteral("VALUES "))).count(u'?')))
        , m_rowsPerStatement(std::clamp(rowsPerStatement, 1, std::max(kMostParametersPerStatement / std::max(m_columns, 1), 1)))
        , m_bind(std::move(bind))
    {
    }

    // false when a write failed; errorText() and report() then say why.
    bool add(Row row)
    {
        m_rows.push_back(std::move(row));
        return int(m_rows.size()) < m_rowsPerStatement || flush();
    }

    // Writes the rows still waiting.
    bool flush()
    {
        if (m_rows.empty())
            return true;
        const int rows = int(m_rows.size());
        std::unique_ptr<Statement>& statement = m_statements[rows];
        m_last = nullptr;
        if (!statement) {
            auto prepared = std::make_unique<Statement>(m_db);
            m_last = prepared.get();
            if (!prepared->prepare(MultiRowInsertSql(m_oneRow, rows))) {
                m_failed = std::move(prepared);
                return false;
            }
            statement = std::move(prepared);
        }
        Statement& s = *statement;
        m_last = &s;
        s.startRow();
        bool ok = true;
        for (int r = 0; ok && r < rows; ++r)
            ok = m_bind(s, m_rows[size_t(r)], r * m_columns + 1);
        m_written = ok && s.execute() ? rows : 0;
        m_rows.clear();
        return m_written == rows;
    }

    // Rows the last write touched as the store counts them (a trigger may hold rows back).
    long rowCount() const { return m_last ? m_last->rowCount() : -1; }
    int written() const { return m_written; }
    int waiting() const { return int(m_rows.size()); }

    QString errorText() const { return m_last ? m_last->errorText() : QString(); }
    int report() { return m_last ? m_last->report() : 0; }

private:
    Database& m_db;
    QString m_oneRow;
    int m_columns;
    int m_rowsPerStatement;
    Bind m_bind;
    std::vector<Row> m_rows;
    // One statement per number of rows: in practice the full one and the last, shorter one.
    std::map<int, std::unique_ptr<Statement>> m_statements;
    std::unique_ptr<Statement> m_failed;
    Statement* m_last = nullptr;
    int m_written = 0;
};

} // namespace tavlo
