#include "store/tables/PersonList.h"

#include "model/NorwegianText.h"
#include "model/PersonText.h"
#include "model/SameChild.h"
#include "resources/StringTable.h"
#include "store/connection/ConnectionString.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace tavlo {

namespace {

// The text columns among the sort keys, in the order of PersonList::m_ranks.
constexpr int kTextKeys[] = {0, 1, 3, 6, 7, 8};
QString PersonListRow::* const kTextFields[] = {&PersonListRow::NAMN,  &PersonListRow::TESTLEDARE,
                                                &PersonListRow::OTHER, &PersonListRow::SKOLA,
                                                &PersonListRow::NATIONALITET, &PersonListRow::HOMELANGUAGE};

// Their places in kTextFields.
constexpr size_t kLeader = 1, kOther = 2, kSchool = 3;

int textColumn(int sortKey)
{
    const auto at = std::find(std::begin(kTextKeys), std::end(kTextKeys), sortKey);
    return at == std::end(kTextKeys) ? -1 : int(at - std::begin(kTextKeys));
}

// The distinct texts of a column and each row's place among them. The rows of a repeating
// column share one string per text when read (ReadPersonList): keyed by where its characters lie,
// a text is found without hashing it. Two copies of one text are merely counted twice.
struct Distinct {
    std::vector<QString> texts;
    std::vector<int> of;
};

Distinct distinctTexts(const std::vector<PersonListRow>& rows, QString PersonListRow::* field)
{
    Distinct d;
    d.of.resize(rows.size());
    QHash<const QChar*, int> index;
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString& text = rows[i].*field;
        auto it = index.constFind(text.constData());
        if (it == index.cend()) {
            it = index.insert(text.constData(), int(d.texts.size()));
            d.texts.push_back(text);
        }
        d.of[i] = *it;
    }
    return d;
}

} // namespace

PersonList::PersonList(std::vector<PersonListRow> rows)
    : m_rows(std::move(rows))
{
    // Row order is ID order: sort() breaks ties by row index.
    if (!std::is_sorted(m_rows.begin(), m_rows.end(), [](auto& a, auto& b) { return a.ID < b.ID; }))
        std::sort(m_rows.begin(), m_rows.end(), [](auto& a, auto& b) { return a.ID < b.ID; });
}

const std::vector<int>& PersonList::ranks(int textColumn) const
{
    std::vector<int>& ranks = m_ranks[size_t(textColumn)];
    if (ranks.size() == m_rows.size())
        return ranks;
    const size_t n = m_rows.size();
    if (textColumn == 0) {
        std::vector<QString> names(n);
        for (size_t i = 0; i < n; ++i)
            names[i] = m_rows[i].NAMN;
        ranks = NorwegianRanks(names);
        return ranks;
    }
    const Distinct d = distinctTexts(m_rows, kTextFields[textColumn]);
    const std::vector<int> distinctRanks = NorwegianRanks(d.texts);
    ranks.resize(n);
    for (size_t i = 0; i < n; ++i)
        ranks[i] = distinctRanks[size_t(d.of[i])];
    return ranks;
}

const std::vector<int>& PersonList::childTests() const
{
    if (m_childTests.size() == m_rows.size())
        return m_childTests;
    const size_t n = m_rows.size();
    m_childKeys.resize(n);
    QHash<QString, int> tests;
    for (size_t i = 0; i < n; ++i) {
        m_childKeys[i] = ChildKey(m_rows[i].NAMN, m_rows[i].BORNDATE);
        if (!m_childKeys[i].isEmpty())
            ++tests[m_childKeys[i]];
    }
    m_childTests.resize(n);
    for (size_t i = 0; i < n; ++i)
        m_childTests[i] = m_childKeys[i].isEmpty() ? 1 : tests.value(m_childKeys[i]);
    return m_childTests;
}

const std::vector<int>& PersonList::childRank() const
{
    if (m_childRank.size() == m_rows.size())
        return m_childRank;
    childTests();
    const std::vector<int>& names = ranks(0);
    const size_t n = m_rows.size();
    // A child's tests stand together under the first place its name takes: "Åse" and "åse "
    // are one child, whose two spellings may rank apart.
    QHash<QString, int> firstRank;
    for (size_t i = 0; i < n; ++i) {
        if (m_childKeys[i].isEmpty())
            continue;
        auto it = firstRank.find(m_childKeys[i]);
        if (it == firstRank.end())
            firstRank.insert(m_childKeys[i], names[i]);
        else
            *it = std::min(*it, names[i]);
    }
    m_childRank.resize(n);
    for (size_t i = 0; i < n; ++i)
        m_childRank[i] = m_childKeys[i].isEmpty() ? names[i] : firstRank.value(m_childKeys[i]);
    return m_childRank;
}

void PersonList::forgetTest(int index)
{
    childTests();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (int(i) != index && sameChild(index, int(i)))
            --m_childTests[i];
    }
}

bool PersonList::sameChild(int index, int other) const
{
    childTests();
    const QString& key = m_childKeys[size_t(index)];
    return !key.isEmpty() && key == m_childKeys[size_t(other)];
}

void PersonList::sort(std::vector<int>& rows, int sortKey, bool descending) const
{
    if (sortKey == kChildTestsSortKey) {
        const std::vector<int>& tests = childTests();
        const std::vector<int>& rank = childRank();
        const auto order = [&](int i) {
            const PersonListRow& row = m_rows[size_t(i)];
            return std::tuple(tests[size_t(i)], rank[size_t(i)], DateSortValue(row.BORNDATE),
                              DateSortValue(row.TESTDATE), i);
        };
        std::sort(rows.begin(), rows.end(), [&](int a, int b) { return order(a) < order(b); });
        if (descending)
            std::reverse(rows.begin(), rows.end());
        return;
    }
    const int key = sortKey >= 0 && sortKey < kPersonSortKeys ? sortKey : 0;
    const int text = textColumn(key);
    const std::vector<int>* textRanks = text >= 0 ? &ranks(text) : nullptr;
    const auto value = [&](int i) {
        const PersonListRow& row = m_rows[size_t(i)];
        if (textRanks)
            return (*textRanks)[size_t(i)];
        switch (key) {
        case 2:
            return DateSortValue(row.TESTDATE);
        case 4:
            return row.SEX;
        case 5:
            return DateSortValue(row.BORNDATE);
        default:
            return row.ID;
        }
    };
    SortByValue(rows, value, descending);
}

void SortByValue(std::vector<int>& rows, const std::function<int(int)>& value, bool descending)
{
    // One number per row, the value above the row index: a plain integer sort.
    std::vector<uint64_t> keyed(rows.size());
    for (size_t n = 0; n < rows.size(); ++n)
        keyed[n] = (uint64_t(uint32_t(value(rows[n])) ^ 0x80000000u) << 32) | uint32_t(rows[n]);
    std::sort(keyed.begin(), keyed.end());
    for (size_t n = 0; n < rows.size(); ++n)
        rows[descending ? rows.size() - 1 - n : n] = int(uint32_t(keyed[n]));
}

std::vector<int> PersonList::sorted(int sortKey, bool descending) const
{
    std::vector<int> rows(m_rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = int(i);
    sort(rows, sortKey, descending);
    return rows;
}

bool PersonList::matches(int index, QStringView needle) const
{
    if (m_searched.size() != m_rows.size()) {
        const size_t n = m_rows.size();
        // The repeating columns are folded once per distinct text.
        std::array<std::vector<QString>, std::size(kTextFields)> folded;
        for (const size_t c : {kLeader, kOther, kSchool}) {
            Distinct d = distinctTexts(m_rows, kTextFields[c]);
            for (QString& text : d.texts)
                text = SearchFold(text);
            folded[c].resize(n);
            for (size_t i = 0; i < n; ++i)
                folded[c][i] = d.texts[size_t(d.of[i])];
        }
        m_searched.reserve(n);
        for (size_t i = 0; i < n; ++i)
            m_searched.push_back({SearchFold(m_rows[i].NAMN), folded[kLeader][i], folded[kSchool][i], folded[kOther][i]});
    }
    const Searched& s = m_searched[size_t(index)];
    return s.name.contains(needle) || s.leader.contains(needle) || s.school.contains(needle)
           || s.other.contains(needle);
}

QString ArchiveCellText(const PersonListRow& row, int column)
{
    const auto listDate = [](const Date& date) { return FormatDate(date, u'-'); };
    switch (column) {
    case 0:
        return row.NAMN;
    case 1:
        return row.TESTLEDARE;
    case 2:
        return listDate(row.TESTDATE);
    case 3:
        return row.OTHER;
    case 4:
        return SexWord(row.SEX);
    case 5:
        return listDate(row.BORNDATE);
    case 6:
        return row.SKOLA;
    case 7:
        return row.NATIONALITET;
    case 8:
        return row.HOMELANGUAGE;
    default:
        return {};
    }
}

std::optional<PersonList> ReadPersonList(Database& db)
{
    std::vector<PersonListRow> rows;
    // Room for every row at once: grown row by row, the list would stand in memory twice
    // while it moves. Only a guess: others may store tests meanwhile.
    {
        Statement count(db);
        if (count.execDirect(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")) && count.fetch() == Fetch::Row)
            rows.reserve(size_t(std::max(count.getInt(1).value_or(0), 0)));
    }
    // Names are nearly all different; the other columns repeat a few schools, test leaders
    // and the like thousands of times: those are kept once each, as each row comes.
    std::array<QSet<QString>, std::size(kTextFields)> kept;
    const auto keep = [&](const PersonListRow& read) {
        PersonListRow& row = rows.emplace_back(read);
        for (size_t c = 1; c < std::size(kTextFields); ++c) {
            QString& text = row.*kTextFields[c];
            const auto it = kept[c].constFind(text);
            if (it == kept[c].cend())
                kept[c].insert(text);
            else
                text = *it;
        }
    };
    if (!ListPersons(db, kPersonSortKeys - 1, false, keep))
        return std::nullopt;
    return PersonList(std::move(rows));
}

void PersonList::prepareFor(int sortKey) const
{
    childTests();
    if (sortKey == kChildTestsSortKey)
        childRank();
    else if (const int text = textColumn(sortKey); text >= 0)
        ranks(text);
}

// The SQLite driver copies a whole result into strings of its own before the first row
// unless told to step through it: the list's rows would be held twice.
bool ConnectToReadList(Database& db, const QString& connectionString)
{
    QString reading = connectionString;
    const bool file = !SqliteDatabaseFile(connectionString).isEmpty();
    if (file)
        reading += reading.endsWith(u';') ? QStringLiteral("StepAPI=1") : QStringLiteral(";StepAPI=1");
    // The program's connection has probed the tables already.
    if (!db.connectWith(reading, /*probe*/ false))
        return false;
    // The list reads each page once, in order: SQLite's cache of 2 MB would only hold pages
    // that are not read again (64 KB, as the SQLite driver asks nothing of its own).
    if (file)
        Statement(db).execDirect(QStringLiteral("PRAGMA cache_size = -64"));
    return true;
}

PersonListLoad LoadPersonList(const QString& connectionString)
{
    PersonListLoad load;
    Database db;
    const KeptFailures kept(db);
    if (ConnectToReadList(db, connectionString)) {
        if (auto list = ReadPersonList(db)) {
            load.list = std::move(*list);
            load.read = true;
        }
    }
    load.failure = kept.failure();
    return load;
}

} // namespace tavlo
