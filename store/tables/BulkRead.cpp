#include "store/tables/BulkRead.h"

#include <QStringList>

#include <array>
#include <climits>
#include <optional>
#include <vector>

namespace tavlo {

namespace {

// The SQLite driver spends most of a read on each column it hands over, so on SQLite the
// score values travel packed, one text per score table, written by SQLite's printf. A row
// with a value that is not a plain 32-bit integer (NULL, a real, a text or a blob another
// tool left) sends its chunk back to the general layout, one column per value, which reads
// every value as ReadTest does.
enum class Layout { Packed, General };

// Bound integer columns, in select order: the person's, then in the packed layout whether
// every value of each score row is a number, in the general one every value.
enum PersonInt { kId, kSex, kAge, kHandedness, kScoresKey, kGridKey, kPersonInts };
enum PackedInt { kScoresNumeric = kPersonInts, kGridNumeric, kPackedInts };
constexpr int kGeneralInts = kPersonInts + kMeasureCount + kGridCellCount;

// Read one by one after the bound columns, in ReadPerson's order.
constexpr const char* kTextColumns[] = {"NAMN",       "ADRESS",     "TELEFON",  "NATIONALITET",
                                        "HOMELANGUAGE", "SKOLA",    "TESTAD_VID", "TESTLEDARE",
                                        "TESTDATE",   "BORNDATE",   "KLASS",    "OTHER"};
constexpr int kTestDateText = 8;
constexpr int kBornDateText = 9;

QStringList valueColumns(bool grid)
{
    QStringList columns;
    if (grid) {
        for (int n = 1; n <= kGridCellCount; ++n)
            columns.append(QStringLiteral("M.MF%1").arg(n));
    } else {
        for (const MeasureInfo& m : measures())
            columns.append(QStringLiteral("D.") + QLatin1String(m.code));
    }
    return columns;
}

QString packed(const QStringList& columns)
{
    return QStringLiteral("printf('%1', %2)")
        .arg(QStringList(columns.size(), QStringLiteral("%s")).join(u','), columns.join(QStringLiteral(", ")));
}

// max() of many values is NULL when one is NULL, and a text or blob when one is, since those
// sort above every number; a number otherwise. It compares without making any text.
QString numeric(const QStringList& columns)
{
    return QStringLiteral("typeof(max(%1)) IN ('integer', 'real')").arg(columns.join(QStringLiteral(", ")));
}

// Chunks by key: each starts after the last number read, so neither a gap nor a person
// without score rows can move a chunk's edge. Both stores the program reaches (SQLite and
// PostgreSQL) know LIMIT.
QString chunkQuery(Layout layout, int chunkSize, bool first)
{
    QStringList columns = {QStringLiteral("P.ID"),         QStringLiteral("P.SEX"),
                           QStringLiteral("P.AGE"),        QStringLiteral("P.HANDEDNESS"),
                           QStringLiteral("D.PERSONALDATA_ID"), QStringLiteral("M.MF_ID")};
    if (layout == Layout::Packed)
        columns << numeric(valueColumns(false)) << numeric(valueColumns(true)) << packed(valueColumns(false))
                << packed(valueColumns(true));
    else
        columns << valueColumns(false) << valueColumns(true);
    for (const char* column : kTextColumns)
        columns.append(QStringLiteral("P.") + QLatin1String(column));
    return QStringLiteral("SELECT %1 FROM TESTPERSON P LEFT JOIN TESTDATA_TAVLO D ON D.PERSONALDATA_ID = P.ID "
                          "LEFT JOIN TESTDATA_TAVLO_MF M ON M.MF_ID = P.ID %2ORDER BY P.ID LIMIT %3")
        .arg(columns.join(QStringLiteral(", ")), first ? QString() : QStringLiteral("WHERE P.ID > ? "))
        .arg(chunkSize);
}

// The count comma-separated values of text into out, when each is written as SQLite writes
// a 32-bit integer; false for anything else.
bool unpack(const QByteArray& text, int* out, int count)
{
    const char* p = text.constData();
    const char* const end = p + text.size();
    for (int i = 0; i < count; ++i) {
        const bool negative = p < end && *p == '-';
        if (negative)
            ++p;
        const char* const digits = p;
        qint64 value = 0;
        while (p < end && *p >= '0' && *p <= '9' && p - digits < 11)
            value = value * 10 + (*p++ - '0');
        const qsizetype length = p - digits;
        if (length == 0 || (*digits == '0' && (length > 1 || negative)))
            return false;
        value = negative ? -value : value;
        if (value < INT_MIN || value > INT_MAX)
            return false;
        out[i] = int(value);
        const bool last = i + 1 == count;
        if (last ? p != end : (p == end || *p++ != ','))
            return false;
    }
    return true;
}

enum class ChunkRead { Read, NotPlain, Failed };

// One layout's statements, for the first chunk and for every later one, and the buffers
// their integer columns are bound to.
class ChunkReader {
public:
    ChunkReader(Database& db, Layout layout, int chunkSize)
        : m_layout(layout)
        , m_chunkSize(chunkSize)
        , m_first(db)
        , m_next(db)
        , m_ints(size_t(layout == Layout::Packed ? kPackedInts : kGeneralInts))
        , m_indicators(m_ints.size())
    {
    }

    // false with the failed statement's text in error.
    bool prepare(QString* error);
    // Up to chunkSize tests after the number after (from the first without one) into
    // tests, which holds the tests read before a failure.
    ChunkRead read(std::optional<int> after, std::vector<TestRecord>& tests, QString* error);

private:
    int value(int column, int ifNull) const
    {
        return m_indicators[size_t(column)] == SQL_NULL_DATA ? ifNull : int(m_ints[size_t(column)]);
    }
    ChunkRead readRow(Statement& s, TestRecord& test);
    bool readScores(Statement& s, TestRecord& test, int& column);

    Layout m_layout;
    int m_chunkSize;
    Statement m_first;
    Statement m_next;
    std::vector<SQLINTEGER> m_ints;
    std::vector<SQLLEN> m_indicators;
};

bool ChunkReader::prepare(QString* error)
{
    for (Statement* s : {&m_first, &m_next}) {
        bool ok = s->prepare(chunkQuery(m_layout, m_chunkSize, s == &m_first));
        for (size_t i = 0; ok && i < m_ints.size(); ++i)
            ok = s->bindIntColumn(int(i) + 1, &m_ints[i], &m_indicators[i]);
        if (!ok) {
            *error = s->errorText();
            return false;
        }
    }
    return true;
}

ChunkRead ChunkReader::read(std::optional<int> after, std::vector<TestRecord>& tests, QString* error)
{
    tests.clear();
    Statement& s = after ? m_next : m_first;
    ChunkRead result = ChunkRead::Read;
    if ((after && !s.bindInt(1, *after)) || !s.execute())
        result = ChunkRead::Failed;
    for (Fetch fetched; result == ChunkRead::Read && (fetched = s.fetch()) != Fetch::NoData;) {
        TestRecord& test = tests.emplace_back();
        result = fetched == Fetch::Row ? readRow(s, test) : ChunkRead::Failed;
        if (result != ChunkRead::Read)
            tests.pop_back();
    }
    if (result == ChunkRead::Failed)
        *error = s.errorText();
    s.closeCursor();
    return result;
}

bool ChunkReader::readScores(Statement& s, TestRecord& test, int& column)
{
    const bool hasScores = m_indicators[kScoresKey] != SQL_NULL_DATA;
    const bool hasGrid = m_indicators[kGridKey] != SQL_NULL_DATA;
    if (m_layout == Layout::General) {
        // A missing row reads as a NULL key: its values stay -9, as ReadTest leaves them.
        for (const MeasureInfo& m : measures()) {
            if (hasScores)
                test.scores[m.key] = value(kPersonInts + m.column - 1, NOT_ENTERED);
        }
        for (int n = 0; n < kGridCellCount; ++n) {
            if (hasGrid)
                test.grid.MF[size_t(n)] = value(kPersonInts + kMeasureCount + n, NOT_ENTERED);
        }
        return true;
    }
    bool ok = true;
    const QByteArray scores = s.getBytes(++column, &ok);
    const QByteArray cells = ok ? s.getBytes(++column, &ok) : QByteArray();
    std::array<int, kMeasureCount> values;
    if (!ok || (hasScores && (!value(kScoresNumeric, 0) || !unpack(scores, values.data(), kMeasureCount)))
        || (hasGrid && (!value(kGridNumeric, 0) || !unpack(cells, test.grid.MF.data(), kGridCellCount))))
        return false;
    if (hasScores) {
        for (const MeasureInfo& m : measures())
            test.scores[m.key] = values[size_t(m.column - 1)];
    }
    return true;
}

ChunkRead ChunkReader::readRow(Statement& s, TestRecord& test)
{
    PersonalData& p = test.person;
    p.ID = value(kId, 0);
    p.SEX = value(kSex, 0);
    p.AGE = value(kAge, 0);
    p.HANDEDNESS = value(kHandedness, 0);
    int column = int(m_ints.size());
    if (!readScores(s, test, column))
        return m_layout == Layout::Packed ? ChunkRead::NotPlain : ChunkRead::Failed;
    bool ok = true;
    std::array<QString, std::size(kTextColumns)> texts;
    for (size_t i = 0; ok && i < texts.size(); ++i) {
        ++column;
        if (i == kTestDateText)
            p.TESTDATE = s.getDate(column, &ok);
        else if (i == kBornDateText)
            p.BORNDATE = s.getDate(column, &ok);
        else
            texts[i] = s.getText(column, &ok);
    }
    if (!ok)
        return ChunkRead::Failed;
    QString* const fields[] = {&p.NAMN,  &p.ADRESS,     &p.TELEFON, &p.NATIONALITET, &p.HOMELANGUAGE, &p.SKOLA,
                               &p.TESTAD_VID, &p.TESTLEDARE, nullptr,   nullptr,         &p.KLASS,        &p.OTHER};
    for (size_t i = 0; i < texts.size(); ++i) {
        if (fields[i])
            *fields[i] = std::move(texts[i]);
    }
    return ChunkRead::Read;
}

std::optional<int> countPersons(Database& db, QString* error)
{
    Statement s(db);
    bool ok = s.execDirect(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")) && s.fetch() == Fetch::Row;
    const auto count = ok ? s.getInt(1, &ok) : std::nullopt;
    if (!ok || !count) {
        *error = s.errorText();
        return std::nullopt;
    }
    return count;
}

} // namespace

BulkReadResult readEveryTest(Database& db, const std::function<bool(TestRecord&)>& onTest,
                             const std::function<bool(int, int)>& afterChunk, int chunkSize)
{
    chunkSize = std::max(chunkSize, 1);
    Transaction snapshot(db, Transaction::Kind::Snapshot);
    BulkReadResult result;
    const std::optional<int> total = countPersons(db, &result.error);
    ChunkReader general(db, Layout::General, chunkSize);
    std::optional<ChunkReader> packed;
    if (total && db.dbmsName() == u"SQLite") {
        // An SQLite without printf (before 3.8.3) reads in the general layout only.
        QString ignored;
        if (!packed.emplace(db, Layout::Packed, chunkSize).prepare(&ignored))
            packed.reset();
    }
    if (!total || !general.prepare(&result.error)) {
        snapshot.rollback();
        return {BulkRead::Failed, result.error};
    }
    std::vector<TestRecord> tests;
    std::optional<int> after;
    int read = 0;
    while (result.outcome == BulkRead::Done) {
        ChunkRead chunk = packed ? packed->read(after, tests, &result.error) : ChunkRead::NotPlain;
        if (chunk == ChunkRead::NotPlain)
            chunk = general.read(after, tests, &result.error);
        if (!tests.empty())
            after = tests.back().person.ID; // before onTest may change the record
        // The tests read before a failure are handed over first, as one by one they would be.
        for (TestRecord& test : tests) {
            if (!onTest(test)) {
                result.outcome = BulkRead::Stopped;
                break;
            }
            ++read;
        }
        if (result.outcome == BulkRead::Done && chunk == ChunkRead::Failed)
            result.outcome = BulkRead::Failed;
        else if (result.outcome == BulkRead::Done && afterChunk && !afterChunk(read, *total))
            result.outcome = BulkRead::Stopped;
        else if (result.outcome == BulkRead::Done && int(tests.size()) < chunkSize)
            break;
    }
    if (result.outcome != BulkRead::Failed)
        result.error.clear();
    // Nothing was written: ending it without a commit cannot fail and keeps nothing.
    snapshot.rollback();
    return result;
}

} // namespace tavlo
