#include "store/connection/Database.h"
#include "store/connection/RowBlocks.h"

#include <sqlite3.h>

#include <QDate>

#include <algorithm>
#include <cstring>

namespace tavlo {

bool UseSqliteWithoutCallLocks()
{
    // The SQLite driver opens its connections through the same library as this process.
    return sqlite3_config(SQLITE_CONFIG_MULTITHREAD) == SQLITE_OK;
}

Statement::Statement(Database& db)
    : m_db(&db)
{
    if (!db.handle() || !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, db.handle(), &m_stmt)))
        m_stmt = nullptr;
    db.m_statements.push_back(this);
}

Statement::~Statement()
{
    if (m_stmt)
        SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
    if (m_db)
        std::erase(m_db->m_statements, this);
}

int Statement::report()
{
    if (m_db)
        return m_db->DbReportError(m_stmt);
    tell(QStringLiteral("Forbindelsen til databasen er lukket."), MessageIcon::Stop);
    return 0;
}

QString Statement::errorText() const
{
    return m_db ? m_db->errorText(m_stmt) : QStringLiteral("Forbindelsen til databasen er lukket.");
}

bool Statement::prepare(const QString& sql)
{
    QByteArray text = sql.toUtf8();
    return m_stmt && succeeded(SQLPrepare(m_stmt, reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size())));
}

bool Statement::bindInt(int position, int value)
{
    if (m_gathered)
        return gathered(position, value);
    if (!m_stmt)
        return false;
    SQLINTEGER& slot = m_ints.emplace_back(value);
    return succeeded(SQLBindParameter(m_stmt, SQLUSMALLINT(position), SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                                      &slot, 0, nullptr));
}

bool Statement::bindText(int position, const QString& text)
{
    if (m_gathered)
        return gathered(position, text);
    if (!m_stmt)
        return false;
    QByteArray& bytes = m_texts.emplace_back(text.toUtf8());
    SQLLEN& length = m_indicators.emplace_back(SQLLEN(bytes.size()));
    // The column size is in characters; the bytes of UTF-8 may be more.
    const SQLULEN columnSize = SQLULEN(std::max<qsizetype>(text.size(), 1));
    return succeeded(SQLBindParameter(m_stmt, SQLUSMALLINT(position), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                      columnSize, 0, bytes.data(), SQLLEN(bytes.size()), &length));
}

bool Statement::bindNull(int position)
{
    if (m_gathered)
        return gathered(position, QVariant());
    if (!m_stmt)
        return false;
    SQLLEN& indicator = m_indicators.emplace_back(SQLLEN(SQL_NULL_DATA));
    return succeeded(SQLBindParameter(m_stmt, SQLUSMALLINT(position), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0,
                                      nullptr, 0, &indicator));
}

bool Statement::bindDate(int position, const Date& date)
{
    if (m_gathered)
        return gathered(position, date == Date{} ? QVariant() : QVariant(QDate(date.year, date.month, date.day)));
    if (!m_stmt)
        return false;
    SQL_DATE_STRUCT& slot = m_dates.emplace_back(SQL_DATE_STRUCT{date.year, SQLUSMALLINT(date.month),
                                                                 SQLUSMALLINT(date.day)});
    const bool none = date.year == 0 && date.month == 0 && date.day == 0;
    SQLLEN& indicator = m_indicators.emplace_back(none ? SQLLEN(SQL_NULL_DATA) : SQLLEN(sizeof(SQL_DATE_STRUCT)));
    return succeeded(SQLBindParameter(m_stmt, SQLUSMALLINT(position), SQL_PARAM_INPUT, SQL_C_TYPE_DATE,
                                      SQL_TYPE_DATE, 10, 0, &slot, sizeof slot, &indicator));
}

bool Statement::gathered(int position, QVariant value)
{
    if (position < 1)
        return false;
    if (size_t(position) > m_gathered->size())
        m_gathered->resize(size_t(position));
    (*m_gathered)[size_t(position - 1)] = std::move(value);
    return true;
}

bool Statement::clearParameters()
{
    if (!m_stmt)
        return false;
    const bool cleared = succeeded(SQLFreeStmt(m_stmt, SQL_RESET_PARAMS));
    startRow();
    return cleared;
}

void Statement::startRow()
{
    m_ints.clear();
    m_texts.clear();
    m_dates.clear();
    m_indicators.clear();
}

bool Statement::execute()
{
    if (!m_stmt)
        return false;
    const SQLRETURN rc = SQLExecute(m_stmt);
    return succeeded(rc) || rc == SQL_NO_DATA;
}

bool Statement::execDirect(const QString& sql)
{
    if (!m_stmt)
        return false;
    QByteArray text = sql.toUtf8();
    const SQLRETURN rc = SQLExecDirect(m_stmt, reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size()));
    return succeeded(rc) || rc == SQL_NO_DATA;
}

bool Statement::bindIntColumn(int column, SQLINTEGER* value, SQLLEN* indicator)
{
    return bindColumn(column, SQL_C_SLONG, value, 0, indicator);
}

bool Statement::bindColumn(int column, SQLSMALLINT type, void* values, SQLLEN width, SQLLEN* indicators)
{
    return m_stmt && succeeded(SQLBindCol(m_stmt, SQLUSMALLINT(column), type, values, width, indicators));
}

Fetch Statement::fetch()
{
    if (!m_stmt)
        return Fetch::Error;
    const SQLRETURN rc = SQLFetch(m_stmt);
    if (succeeded(rc))
        return Fetch::Row;
    return rc == SQL_NO_DATA ? Fetch::NoData : Fetch::Error;
}

bool Statement::closeCursor()
{
    return m_stmt && succeeded(SQLFreeStmt(m_stmt, SQL_CLOSE));
}

long Statement::rowCount() const
{
    SQLLEN rows = -1;
    if (!m_stmt || !succeeded(SQLRowCount(m_stmt, &rows)))
        return -1;
    return long(rows);
}

std::optional<int> Statement::getInt(int column, bool* ok)
{
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    const bool read = m_stmt && succeeded(SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_SLONG, &value, 0, &indicator));
    if (ok)
        *ok = read;
    if (!read || indicator == SQL_NULL_DATA)
        return std::nullopt;
    return int(value);
}

QString Statement::getText(int column, bool* ok)
{
    // The usual text, in one piece, goes straight from the driver's buffer into the QString.
    char buffer[256];
    SQLLEN indicator = 0;
    const SQLRETURN rc = m_stmt ? SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_CHAR, buffer, sizeof buffer, &indicator)
                                : SQL_ERROR;
    if (rc == SQL_SUCCESS) {
        if (ok)
            *ok = true;
        if (indicator == SQL_NULL_DATA || indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof buffer))
            return indicator == SQL_NULL_DATA ? QString() : QString::fromUtf8(buffer, qsizetype(std::strlen(buffer)));
        return QString::fromUtf8(buffer, qsizetype(indicator));
    }
    if (rc == SQL_NO_DATA || !succeeded(rc)) {
        if (ok)
            *ok = rc == SQL_NO_DATA;
        return {};
    }
    // Longer: the first piece is read already, the rest follows as getBytes reads it.
    QByteArray bytes(buffer, qsizetype(sizeof buffer - 1));
    bool restOk = true;
    bytes += getBytes(column, &restOk);
    if (ok)
        *ok = restOk;
    return QString::fromUtf8(bytes);
}

QByteArray Statement::getBytes(int column, bool* ok)
{
    // Read in pieces: a text never ends cut in the middle of a character.
    QByteArray bytes;
    char buffer[256];
    bool read = m_stmt != nullptr;
    while (read) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!succeeded(rc)) {
            read = false;
            break;
        }
        if (indicator == SQL_NULL_DATA)
            break;
        const qsizetype chunk = (indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof buffer))
                                    ? qsizetype(sizeof buffer - 1)
                                    : qsizetype(indicator);
        if (rc == SQL_SUCCESS && bytes.isEmpty()) {
            // Nearly every text comes in one piece: no growing buffer (a whole archive is
            // read this way).
            if (ok)
                *ok = true;
            return QByteArray(buffer, chunk);
        }
        bytes.append(buffer, chunk);
        if (rc == SQL_SUCCESS)
            break;
    }
    if (ok)
        *ok = read;
    return bytes;
}

Date Statement::getDate(int column, bool* ok)
{
    SQL_DATE_STRUCT value{};
    SQLLEN indicator = 0;
    const bool read = m_stmt
                      && succeeded(SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_TYPE_DATE, &value, sizeof value, &indicator));
    if (ok)
        *ok = read;
    if (!read || indicator == SQL_NULL_DATA)
        return Date{};
    return Date{int16_t(value.year), int16_t(value.month), int16_t(value.day)};
}

RowBlocks::RowBlocks(Statement& statement, int rowsPerBlock)
    : m_statement(statement)
{
    const SQLHSTMT s = statement.handle();
    if (s && rowsPerBlock > 1
        && SQL_SUCCEEDED(SQLSetStmtAttr(s, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(rowsPerBlock)), 0))) {
        // A driver may have settled on another size (01S02).
        SQLULEN size = 1;
        if (SQL_SUCCEEDED(SQLGetStmtAttr(s, SQL_ATTR_ROW_ARRAY_SIZE, &size, 0, nullptr)) && size >= 1)
            m_rowsPerBlock = size;
    }
    m_status.resize(m_rowsPerBlock);
    if (s) {
        SQLSetStmtAttr(s, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0);
        SQLSetStmtAttr(s, SQL_ATTR_ROW_STATUS_PTR, m_status.data(), 0);
    }
}

int RowBlocks::bind(int column, SQLSMALLINT type, int width)
{
    Bound bound;
    bound.width = width;
    bound.values = std::make_unique<char[]>(size_t(width) * m_rowsPerBlock);
    bound.indicators = std::make_unique<SQLLEN[]>(m_rowsPerBlock);
    if (!m_statement.bindColumn(column, type, bound.values.get(), width, bound.indicators.get()))
        return -1;
    m_bound.push_back(std::move(bound));
    return int(m_bound.size()) - 1;
}

int RowBlocks::bindInt(int column)
{
    return bind(column, SQL_C_SLONG, int(sizeof(SQLINTEGER)));
}

int RowBlocks::bindDate(int column)
{
    return bind(column, SQL_C_TYPE_DATE, int(sizeof(SQL_DATE_STRUCT)));
}

int RowBlocks::bindText(int column, int maxBytes)
{
    return bind(column, SQL_C_CHAR, maxBytes + 1);
}

Fetch RowBlocks::fetch()
{
    m_fetched = 0;
    const Fetch fetched = m_statement.fetch();
    if (fetched != Fetch::Row)
        return fetched;
    for (SQLULEN row = 0; row < m_fetched; ++row) {
        if (m_status[row] == SQL_ROW_ERROR)
            return Fetch::Error;
    }
    return m_fetched > 0 ? Fetch::Row : Fetch::NoData;
}

int RowBlocks::intAt(int place, int row) const
{
    const Bound& b = m_bound[size_t(place)];
    if (b.indicators[row] == SQL_NULL_DATA)
        return 0;
    SQLINTEGER value;
    std::memcpy(&value, b.values.get() + size_t(row) * size_t(b.width), sizeof value);
    return int(value);
}

Date RowBlocks::dateAt(int place, int row) const
{
    const Bound& b = m_bound[size_t(place)];
    if (b.indicators[row] == SQL_NULL_DATA)
        return Date{};
    SQL_DATE_STRUCT value;
    std::memcpy(&value, b.values.get() + size_t(row) * size_t(b.width), sizeof value);
    return Date{int16_t(value.year), int16_t(value.month), int16_t(value.day)};
}

QByteArrayView RowBlocks::textAt(int place, int row, bool* cut) const
{
    const Bound& b = m_bound[size_t(place)];
    const SQLLEN length = b.indicators[row];
    const bool longer = length == SQL_NO_TOTAL || length >= SQLLEN(b.width);
    if (cut)
        *cut = longer;
    if (length == SQL_NULL_DATA)
        return {};
    return QByteArrayView(b.values.get() + size_t(row) * size_t(b.width), longer ? b.width - 1 : qsizetype(length));
}

} // namespace tavlo
