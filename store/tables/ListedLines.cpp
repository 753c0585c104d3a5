#include "store/tables/ListedLines.h"

#include "model/NorwegianText.h"
#include "model/PersonText.h"
#include "store/tables/PersonList.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tavlo {

namespace {

// Blocks small enough to come from the heap, where the collation keys of a name order stood
// before the lines are read.
constexpr size_t kBlockBytes = 64 * 1024;

bool continues(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Whether QString would give the bytes back unchanged: UTF-8 without overlong forms,
// surrogates or code points past U+10FFFF, not led by a byte order mark.
bool unchangedByQString(QByteArrayView text)
{
    const auto* b = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = size_t(text.size());
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return false;
    for (size_t i = 0; i < n;) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF; // the second byte's range
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > n || b[i + 1] < low || b[i + 1] > high)
            return false;
        for (size_t k = 2; k < length; ++k) {
            if (!continues(b[i + k]))
                return false;
        }
        i += length;
    }
    return true;
}

void appendDate(std::string& line, const Date& date)
{
    char text[kDateBytes];
    line.append(text, size_t(FormatDateBytes(date, '-', text)));
}

} // namespace

void AppendListField(std::string& line, QByteArrayView text)
{
    if (!unchangedByQString(text)) {
        const QByteArray read = QString::fromUtf8(text).toUtf8();
        AppendListField(line, QByteArrayView(read));
        return;
    }
    const size_t at = line.size();
    line.append(text.data(), size_t(text.size()));
    for (size_t i = at; i < line.size(); ++i) {
        if (line[i] == '\t' || line[i] == '\n' || line[i] == '\r')
            line[i] = ' ';
    }
}

void ListedLines::append(const PersonListBytes& row)
{
    static const QByteArray boy = SexWord(1).toUtf8();
    static const QByteArray girl = SexWord(2).toUtf8();
    std::string& line = m_line;
    line.clear();
    char id[16];
    line.append(id, size_t(std::to_chars(id, id + sizeof id, row.ID).ptr - id));
    const auto field = [&](QByteArrayView text) {
        line += '\t';
        AppendListField(line, text);
    };
    field(row.NAMN);
    field(row.TESTLEDARE);
    line += '\t';
    appendDate(line, row.TESTDATE);
    field(row.OTHER);
    field(row.SEX == 1 ? QByteArrayView(boy) : row.SEX == 2 ? QByteArrayView(girl) : QByteArrayView());
    line += '\t';
    appendDate(line, row.BORNDATE);
    field(row.SKOLA);
    field(row.NATIONALITET);
    field(row.HOMELANGUAGE);
    line += '\n';

    // A line stays in one block, so that it can be printed from where it stands.
    if (m_blocks.empty() || m_blocks.back().size - m_blocks.back().used < line.size()) {
        Block block;
        block.size = std::max(kBlockBytes, line.size());
        block.bytes = std::make_unique_for_overwrite<char[]>(block.size);
        m_blocks.push_back(std::move(block));
    }
    Block& block = m_blocks.back();
    if (m_placed)
        m_places.push_back({uint32_t(m_blocks.size() - 1), uint32_t(block.used)});
    std::memcpy(block.bytes.get() + block.used, line.data(), line.size());
    block.used += line.size();
    ++m_lines;
}

void ListedLines::placeLines(size_t expected)
{
    m_placed = true;
    m_places.reserve(expected);
}

size_t ListedLines::lineSize(size_t line) const
{
    const Place& at = m_places[line];
    if (line + 1 < m_places.size() && m_places[line + 1].block == at.block)
        return m_places[line + 1].offset - at.offset;
    return m_blocks[at.block].used - at.offset;
}

void ListedLines::write(const std::function<void(const char* bytes, size_t size)>& out) const
{
    if (!m_placed) {
        for (const Block& block : m_blocks)
            out(block.bytes.get(), block.used);
        return;
    }
    for (const int line : m_order) {
        const Place& at = m_places[size_t(line)];
        out(m_blocks[at.block].bytes.get() + at.offset, lineSize(size_t(line)));
    }
}

namespace {

// The values the archive sorts a key's column by (PersonList::sort), each row's in number
// order, when the column holds text: its Norwegian rank. Only the collation keys are held
// while the texts are read, before any line.
std::optional<std::vector<int>> textRanks(Database& db, int sortKey, std::vector<int>& ids)
{
    NorwegianRanking ranking;
    if (!ListPersonTexts(db, sortKey, [&](int id, QByteArrayView text) {
            ids.push_back(id);
            ranking.add(QString::fromUtf8(text));
        }))
        return std::nullopt;
    return ranking.ranks();
}

// A read-only transaction. On a SQLite file begun by a statement, as the driver is not told:
// in a transaction of the driver's own, it reads each result whole before the first row.
class OneMoment {
public:
    explicit OneMoment(Database& db)
        : m_db(db)
    {
        if (!db.databaseFile().isEmpty())
            m_begun = Statement(db).execDirect(QStringLiteral("BEGIN"));
        else
            m_snapshot.emplace(db, Transaction::Kind::Snapshot);
    }
    ~OneMoment() { end(); }
    void end()
    {
        if (m_begun)
            Statement(m_db).execDirect(QStringLiteral("ROLLBACK"));
        m_begun = false;
        m_snapshot.reset();
    }

private:
    Database& m_db;
    bool m_begun = false;
    std::optional<Transaction> m_snapshot;
};

int valueOf(const PersonListBytes& row, int sortKey)
{
    return sortKey == 2 ? DateSortValue(row.TESTDATE) : sortKey == 4 ? row.SEX : DateSortValue(row.BORNDATE);
}

} // namespace

std::variant<ListedLines, Failure> ReadListedLines(const QString& connectionString, int sortKey, bool descending)
{
    Database db;
    const KeptFailures kept(db);
    const auto failure = [&] { return kept.failureOr(QStringLiteral("Testene kunne ikke leses.")); };
    if (!ConnectToReadList(db, connectionString))
        return failure();
    ListedLines lines;
    // Number order is the database's own: each line as it comes.
    if (sortKey == kPersonSortKeys - 1) {
        if (!ListPersonBytes(db, descending, [&](const PersonListBytes& row) { lines.append(row); }))
            return failure();
        return lines;
    }
    // The texts are ranked before the lines are read: both reads see one moment.
    OneMoment moment(db);
    std::vector<int> ids;
    std::vector<int> values;
    const bool text = IsTextSortKey(sortKey);
    if (text) {
        auto ranks = textRanks(db, sortKey, ids);
        if (!ranks)
            return failure();
        values = std::move(*ranks);
    }
    lines.placeLines(ids.size());
    bool same = true;
    if (!ListPersonBytes(db, false, [&](const PersonListBytes& row) {
            if (!text)
                values.push_back(valueOf(row, sortKey));
            else
                same = same && size_t(lines.size()) < ids.size() && ids[size_t(lines.size())] == row.ID;
            lines.append(row);
        }))
        return failure();
    moment.end();
    if (!same || values.size() != size_t(lines.size()))
        return failure();
    std::vector<int> order(values.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    SortByValue(order, [&](int i) { return values[size_t(i)]; }, descending);
    lines.setOrder(std::move(order));
    return lines;
}

} // namespace tavlo
