#include "archive/ArchiveModel.h"

#include "model/NorwegianText.h"
#include "resources/StringTable.h"

#include <algorithm>
#include <tuple>

namespace tavlo {

namespace {

// String-table texts of the stored columns' headers: Navn, Testleder, Testdato, Annet, Kjønn,
// Fødselsdato, Skole, Nasjonalitet, Førstespråk.
constexpr int kHeaderTexts[kArchiveColumns] = {17, 24, 25, 30, 28, 26, 22, 20, 21};

int positionOf(const std::vector<int>& rows, int value)
{
    const auto at = std::find(rows.begin(), rows.end(), value);
    return at == rows.end() ? -1 : int(at - rows.begin());
}

} // namespace

int ArchiveModel::sortKeyOf(int column)
{
    return column == kChildTestsColumn ? kChildTestsSortKey : column;
}

void ArchiveModel::setList(PersonList list, int sortKey, bool descending)
{
    beginResetModel();
    m_list = std::move(list);
    m_order = m_list.sorted(sortKey, descending);
    refilter(false);
    endResetModel();
}

void ArchiveModel::sortBy(int sortKey, bool descending)
{
    beginResetModel();
    m_list.sort(m_order, sortKey, descending);
    if (m_needle.isEmpty() && m_child < 0)
        m_shown = m_order;
    else
        m_list.sort(m_shown, sortKey, descending);
    endResetModel();
}

void ArchiveModel::setFilter(const QString& typed)
{
    const QString needle = SearchFold(typed);
    if (needle == m_needle && m_child < 0)
        return;
    // More typed onto the same text can only find fewer: look among those found.
    const bool narrowing = !m_needle.isEmpty() && needle.contains(m_needle);
    m_needle = needle;
    m_child = -1;
    beginResetModel();
    refilter(narrowing);
    endResetModel();
}

void ArchiveModel::showChildOf(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginResetModel();
    m_child = m_shown[size_t(row)];
    m_needle = SearchFold(m_list.row(m_child).NAMN);
    refilter(false);
    endResetModel();
}

int ArchiveModel::childId() const
{
    return m_child >= 0 ? m_list.row(m_child).ID : 0;
}

Date ArchiveModel::testDateAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_list.row(m_shown[size_t(row)]).TESTDATE : Date{};
}

std::vector<std::pair<int, Date>> ArchiveModel::childsOtherTests(int row) const
{
    std::vector<std::pair<int, Date>> others;
    if (row < 0 || row >= rowCount())
        return others;
    const int listed = m_shown[size_t(row)];
    for (const int i : m_order) {
        if (i != listed && m_list.sameChild(i, listed))
            others.push_back({m_list.row(i).ID, m_list.row(i).TESTDATE});
    }
    const auto key = [](const std::pair<int, Date>& t) {
        return std::tuple(int(t.second.year), int(t.second.month), int(t.second.day), t.first);
    };
    std::sort(others.begin(), others.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    return others;
}

void ArchiveModel::refilter(bool narrowing)
{
    if (m_child >= 0) {
        m_shown.clear();
        for (const int i : m_order) {
            if (i == m_child || m_list.sameChild(i, m_child))
                m_shown.push_back(i);
        }
        return;
    }
    if (m_needle.isEmpty()) {
        m_shown = m_order;
        return;
    }
    const std::vector<int>& from = narrowing ? m_shown : m_order;
    std::vector<int> shown;
    for (const int i : from) {
        if (m_list.matches(i, m_needle))
            shown.push_back(i);
    }
    m_shown = std::move(shown);
}

int ArchiveModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int ArchiveModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant ArchiveModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int listed = m_shown[size_t(index.row())];
    const PersonListRow& row = m_list.row(listed);
    if (index.column() == kChildTestsColumn) {
        if (role == Qt::DisplayRole)
            return m_list.testsOfChild(listed);
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::DisplayRole)
        return ArchiveCellText(row, index.column());
    if (role == Qt::UserRole)
        return row.ID;
    return {};
}

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == kChildTestsColumn)
        return QStringLiteral("Tester");
    if (section >= 0 && section < kArchiveColumns)
        return LoadString(kHeaderTexts[section]);
    return {};
}

int ArchiveModel::idAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_list.row(m_shown[size_t(row)]).ID : 0;
}

int ArchiveModel::rowOfId(int id) const
{
    for (size_t row = 0; row < m_shown.size(); ++row) {
        if (m_list.row(m_shown[row]).ID == id)
            return int(row);
    }
    return -1;
}

int ArchiveModel::wholeIndexOf(int row) const
{
    return row >= 0 && row < rowCount() ? positionOf(m_order, m_shown[size_t(row)]) : -1;
}

int ArchiveModel::rowOfWholeIndex(int index) const
{
    return index >= 0 && index < wholeCount() ? positionOf(m_shown, m_order[size_t(index)]) : -1;
}

void ArchiveModel::removeId(int id)
{
    const int row = rowOfId(id);
    if (row < 0)
        return;
    const int listed = m_shown[size_t(row)];
    beginRemoveRows({}, row, row);
    m_shown.erase(m_shown.begin() + row);
    endRemoveRows();
    std::erase(m_order, listed);
    m_list.forgetTest(listed);
    // The child's other tests now count one fewer.
    if (!m_shown.empty())
        emit dataChanged(index(0, kChildTestsColumn), index(rowCount() - 1, kChildTestsColumn));
}

} // namespace tavlo
