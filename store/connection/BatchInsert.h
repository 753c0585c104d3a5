#pragma once
// Rows of one table written many to a statement: "INSERT ... VALUES (?, ...), (?, ...)".
// A server answers each execute in a round trip of its own; one statement for many rows pays
// it once. With one row per statement each add() writes at once.
// The SQLite driver compiles an INSERT again from its text at every execute, however often
// it was prepared; only a statement it takes for a query (one that begins with WITH, among
// others) keeps its compiled form and is bound again. So on SQLite the INSERT goes behind an
// unused common table expression, and the rows it wrote are asked of "changes()", since the
// driver counts a query's rows, not its changes.
// On a server the rows go as one parameter instead: an array of the table's row type in the
// server's text form, each value read by its column's own input as COPY reads a file. The
// driver then has one parameter to convert instead of thousands, and a statement may carry
// any number of rows.

#include "store/connection/Database.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QStringList>

#include <algorithm>
#include <charconv>
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

// Whether the store's driver compiles an INSERT again at every execute (see above).
inline bool RecompilesInserts(const Database& db)
{
    return db.isSqlite();
}

// The INSERT as the driver compiles only once: on SQLite behind the unused expression.
inline QString CompiledOnceInsertSql(bool recompiles, const QString& insert)
{
    return recompiles ? QStringLiteral("WITH kept AS (SELECT 1) ") + insert : insert;
}

// psqlODBC drops the connection when a statement has more than 8192 parameters (measured).
inline constexpr int kMostParametersPerStatement = 4000;

// "INSERT INTO T (a, b) VALUES (?, ?)" as one statement for any number of rows on a server:
// "INSERT INTO T (a, b) SELECT (r).a, (r).b FROM unnest(?::T[]) AS r".
inline QString RowArrayInsertSql(const QString& oneRow, QString* table, QStringList* columns)
{
    const qsizetype open = oneRow.indexOf(u'(');
    const qsizetype close = oneRow.indexOf(u')', open);
    *table = oneRow.left(open).section(u' ', 2, 2, QString::SectionSkipEmpty);
    columns->clear();
    QStringList picked;
    for (const QString& column : oneRow.mid(open + 1, close - open - 1).split(u',')) {
        columns->append(column.trimmed());
        picked.append(QStringLiteral("(r).") + columns->last());
    }
    return QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM unnest(?::%1[]) AS r")
        .arg(*table, columns->join(QStringLiteral(", ")), picked.join(QStringLiteral(", ")));
}

// One value as a field of a row literal inside an array literal: a row's text is itself one
// quoted element of the array, so a text's quotes and backslashes are escaped for the row
// and then again for the array. NULL is an empty field.
inline void AppendRowArrayField(QString& literal, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int: {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, value.toInt()).ptr;
        literal += QLatin1String(digits, end);
        break;
    }
    case QMetaType::QDate:
        literal += value.toDate().toString(Qt::ISODate);
        break;
    case QMetaType::QString: {
        const QString text = value.toString();
        literal += QLatin1String("\\\"");
        if (text.contains(u'\\') || text.contains(u'"')) {
            for (const QChar c : text) {
                if (c == u'\\')
                    literal += QLatin1String("\\\\\\\\");
                else if (c == u'"')
                    literal += QLatin1String("\\\\\\\"");
                else
                    literal += c;
            }
        } else {
            literal += text;
        }
        literal += QLatin1String("\\\"");
        break;
    }
    default:
        break;
    }
}

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
        , m_rowArray(rowsPerStatement > 1 && db.dbmsName() == u"PostgreSQL")
        , m_compiledOnce(RecompilesInserts(db))
        , m_rowsPerStatement(m_rowArray ? rowsPerStatement
                                        : std::clamp(rowsPerStatement, 1,
                                                     std::max(kMostParametersPerStatement / std::max(m_columns, 1), 1)))
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
        if (m_rowArray)
            return flushAsRowArray();
        const int rows = int(m_rows.size());
        std::unique_ptr<Statement>& statement = m_statements[rows];
        m_last = nullptr;
        if (!statement) {
            auto prepared = std::make_unique<Statement>(m_db);
            m_last = prepared.get();
            if (!prepared->prepare(CompiledOnceInsertSql(m_compiledOnce, MultiRowInsertSql(m_oneRow, rows)))) {
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
        if (m_written && m_compiledOnce)
            m_changes = changes();
        return m_written == rows;
    }

    // Rows the last write touched as the store counts them (a trigger may hold rows back).
    long rowCount() const
    {
        if (m_compiledOnce)
            return m_written ? m_changes : -1;
        return m_last ? m_last->rowCount() : -1;
    }
    int written() const { return m_written; }
    int waiting() const { return int(m_rows.size()); }

    QString errorText() const { return m_last ? m_last->errorText() : QString(); }
    int report() { return m_last ? m_last->report() : 0; }

private:
    bool flushAsRowArray()
    {
        const int rows = int(m_rows.size());
        std::unique_ptr<Statement>& statement = m_statements[0];
        if (!statement) {
            auto prepared = std::make_unique<Statement>(m_db);
            m_last = prepared.get();
            if (!prepareRowArray(*prepared)) {
                m_failed = std::move(prepared);
                m_rows.clear();
                return false;
            }
            statement = std::move(prepared);
        }
        Statement& s = *statement;
        m_last = &s;
        QString literal;
        literal.reserve(m_literalSize);
        literal += u'{';
        std::vector<QVariant> values;
        s.gatherInto(&values);
        bool ok = true;
        for (int r = 0; ok && r < rows; ++r) {
            values.assign(size_t(m_columns), QVariant());
            ok = m_bind(s, m_rows[size_t(r)], 1);
            literal += r ? QLatin1String(",\"(") : QLatin1String("\"(");
            for (size_t field = 0; field < m_fieldOf.size(); ++field) {
                if (field)
                    literal += u',';
                if (m_fieldOf[field] >= 0)
                    AppendRowArrayField(literal, values[size_t(m_fieldOf[field])]);
            }
            literal += QLatin1String(")\"");
        }
        s.gatherInto(nullptr);
        literal += u'}';
        m_literalSize = std::max(m_literalSize, literal.size());
        s.startRow();
        m_written = ok && s.bindText(1, literal) && s.execute() ? rows : 0;
        m_rows.clear();
        return m_written == rows;
    }

    // What SQLite's changes() says of the last statement; -1 when it cannot be read.
    long changes()
    {
        if (!m_changesQuery) {
            m_changesQuery = std::make_unique<Statement>(m_db);
            if (!m_changesQuery->prepare(QStringLiteral("SELECT changes()")))
                return -1;
        }
        Statement& q = *m_changesQuery;
        const bool read = q.execute() && q.fetch() == Fetch::Row;
        const std::optional<int> count = read ? q.getInt(1) : std::nullopt;
        q.closeCursor();
        return count.value_or(-1);
    }

    // The statement, once the table's columns are known in the order of its row type.
    bool prepareRowArray(Statement& s)
    {
        QString table;
        QStringList columns;
        const QString sql = RowArrayInsertSql(m_oneRow, &table, &columns);
        Statement describe(m_db);
        SQLSMALLINT count = 0;
        if (!describe.execDirect(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(table))
            || !SQL_SUCCEEDED(SQLNumResultCols(describe.handle(), &count)))
            return false;
        m_fieldOf.assign(size_t(count), -1);
        for (SQLSMALLINT c = 1; c <= count; ++c) {
            SQLCHAR name[256] = {};
            SQLSMALLINT length = 0;
            if (!SQL_SUCCEEDED(SQLColAttribute(describe.handle(), SQLUSMALLINT(c), SQL_DESC_NAME, name, sizeof name,
                                               &length, nullptr)))
                return false;
            const QString field = QString::fromUtf8(reinterpret_cast<const char*>(name));
            for (qsizetype i = 0; i < columns.size(); ++i) {
                if (columns[i].compare(field, Qt::CaseInsensitive) == 0)
                    m_fieldOf[size_t(c - 1)] = int(i);
            }
        }
        // Every value in a field of its own, or a value would be lost without a word.
        if (columns.size() != m_columns)
            return false;
        for (int i = 0; i < m_columns; ++i) {
            if (std::find(m_fieldOf.begin(), m_fieldOf.end(), i) == m_fieldOf.end())
                return false;
        }
        return s.prepare(sql);
    }

    Database& m_db;
    QString m_oneRow;
    int m_columns;
    bool m_rowArray;
    bool m_compiledOnce;
    std::unique_ptr<Statement> m_changesQuery;
    long m_changes = -1;
    // Field i of the table's row type takes the value bound at position m_fieldOf[i] + 1
    // (-1: none, the field stays NULL and the column is not written).
    std::vector<int> m_fieldOf;
    qsizetype m_literalSize = 0; // the longest so far: the next is made in one allocation
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
