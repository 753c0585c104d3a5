#include "store/tables/PersonList.h"

#include "model/NorwegianText.h"
#include "model/SameChild.h"
#include "resources/StringTable.h"

#include <QHash>

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

// Orders as the ISO text the column holds does; no date (NULL) first, as SQL puts NULL.
int dateValue(const Date& date)
{
    return date.year * 10000 + date.month * 100 + date.day;
}

} // namespace

PersonList::PersonList(std::vector<PersonListRow> rows)
    : m_rows(std::move(rows))
{
    // Row order is ID order: sort() breaks ties by row index.
    if (!std::is_sorted(m_rows.begin(), m_rows.end(), [](auto& a, auto& b) { return a.ID < b.ID; }))
        std::sort(m_rows.begin(), m_rows.end(), [](auto& a, auto& b) { return a.ID < b.ID; });
    m_rows.shrink_to_fit();
    const size_t n = m_rows.size();

    // Names are nearly all different; the other columns repeat a few schools, test leaders
    // and the like thousands of times: those are keyed, folded and kept once each.
    std::vector<QString> names(n);
    for (size_t i = 0; i < n; ++i)
        names[i] = m_rows[i].NAMN;
    m_ranks[0] = NorwegianRanks(names);
    std::array<std::vector<QString>, std::size(kTextFields)> folded;
    for (size_t c = 1; c < std::size(kTextFields); ++c) {
        QHash<QString, int> index;
        std::vector<QString> distinct;
        std::vector<int> of(n);
        for (size_t i = 0; i < n; ++i) {
            QString& text = m_rows[i].*kTextFields[c];
            auto it = index.constFind(text);
            if (it == index.cend()) {
                it = index.insert(text, int(distinct.size()));
                distinct.push_back(text);
            } else {
                text = it.key();
            }
            of[i] = *it;
        }
        const std::vector<int> ranks = NorwegianRanks(distinct);
        m_ranks[c].resize(n);
        for (size_t i = 0; i < n; ++i)
            m_ranks[c][i] = ranks[size_t(of[i])];
        if (c == kLeader || c == kOther || c == kSchool) {
            folded[c].resize(n);
            for (QString& text : distinct)
                text = SearchFold(text);
            for (size_t i = 0; i < n; ++i)
                folded[c][i] = distinct[size_t(of[i])];
        }
    }
    m_searched.reserve(n);
    for (size_t i = 0; i < n; ++i)
        m_searched.push_back({SearchFold(m_rows[i].NAMN), folded[kLeader][i], folded[kSchool][i], folded[kOther][i]});

    m_childKeys.resize(n);
    QHash<QString, int> tests;
    for (size_t i = 0; i < n; ++i) {
        m_childKeys[i] = ChildKey(m_rows[i].NAMN, m_rows[i].BORNDATE);
        if (!m_childKeys[i].isEmpty())
            ++tests[m_childKeys[i]];
    }
    // A child's tests stand together under the first place its name takes: "Åse" and "åse "
    // are one child, whose two spellings may rank apart.
    QHash<QString, int> firstRank;
    for (size_t i = 0; i < n; ++i) {
        if (m_childKeys[i].isEmpty())
            continue;
        auto it = firstRank.find(m_childKeys[i]);
        if (it == firstRank.end())
            firstRank.insert(m_childKeys[i], m_ranks[0][i]);
        else
            *it = std::min(*it, m_ranks[0][i]);
    }
    m_childTests.resize(n);
    m_childRank.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const bool known = !m_childKeys[i].isEmpty();
        m_childTests[i] = known ? tests.value(m_childKeys[i]) : 1;
        m_childRank[i] = known ? firstRank.value(m_childKeys[i]) : m_ranks[0][i];
    }
}

void PersonList::forgetTest(int index)
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (int(i) != index && sameChild(index, int(i)))
            --m_childTests[i];
    }
}

bool PersonList::sameChild(int index, int other) const
{
    const QString& key = m_childKeys[size_t(index)];
    return !key.isEmpty() && key == m_childKeys[size_t(other)];
}

void PersonList::sort(std::vector<int>& rows, int sortKey, bool descending) const
{
    if (sortKey == kChildTestsSortKey) {
        const auto order = [this](int i) {
            const PersonListRow& row = m_rows[size_t(i)];
            return std::tuple(m_childTests[size_t(i)], m_childRank[size_t(i)], dateValue(row.BORNDATE),
                              dateValue(row.TESTDATE), i);
        };
        std::sort(rows.begin(), rows.end(), [&](int a, int b) { return order(a) < order(b); });
        if (descending)
            std::reverse(rows.begin(), rows.end());
        return;
    }
    const int key = sortKey >= 0 && sortKey < kPersonSortKeys ? sortKey : 0;
    const int text = textColumn(key);
    const auto value = [&](int i) {
        const PersonListRow& row = m_rows[size_t(i)];
        if (text >= 0)
            return m_ranks[size_t(text)][size_t(i)];
        switch (key) {
        case 2:
            return dateValue(row.TESTDATE);
        case 4:
            return row.SEX;
        case 5:
            return dateValue(row.BORNDATE);
        default:
            return row.ID;
        }
    };
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
    const Searched& s = m_searched[size_t(index)];
    return s.name.contains(needle) || s.leader.contains(needle) || s.school.contains(needle)
           || s.other.contains(needle);
}

QString ArchiveCellText(const PersonListRow& row, int column)
{
    const auto listDate = [](const Date& date) {
        return QString::asprintf("%02d-%02d-%04d", int(date.day), int(date.month), int(date.year));
    };
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
        return row.SEX == 1 ? LoadString(kStrBoy) : row.SEX == 2 ? LoadString(kStrGirl) : QString();
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
    if (!ListPersons(db, kPersonSortKeys - 1, false, [&rows](const PersonListRow& row) { rows.push_back(row); }))
        return std::nullopt;
    return PersonList(std::move(rows));
}

PersonListLoad LoadPersonList(const QString& connectionString)
{
    PersonListLoad load;
    Database db;
    const KeptFailures kept(db);
    // The program's connection has probed the tables already.
    if (db.connectWith(connectionString, /*probe*/ false)) {
        if (auto list = ReadPersonList(db)) {
            load.list = std::move(*list);
            load.read = true;
        }
    }
    load.failure = kept.failure();
    return load;
}

} // namespace tavlo
