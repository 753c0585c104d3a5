#pragma once
// The archive list's rows: every stored person in memory, sorted and filtered there, each
// cell's text made only when the view asks for it.

#include "store/tables/PersonList.h"

#include <QAbstractTableModel>

#include <vector>

namespace tavlo {

class ArchiveModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The stored columns, then how many tests the row's child has.
    static constexpr int kChildTestsColumn = kArchiveColumns;
    static constexpr int kColumns = kArchiveColumns + 1;
    // The sort key a column's header sorts by.
    static int sortKeyOf(int column);

    using QAbstractTableModel::QAbstractTableModel;

    // Takes the read persons and shows them sorted by the key, through the current filter.
    void setList(PersonList list, int sortKey, bool descending);
    void sortBy(int sortKey, bool descending);
    // Shows the rows whose name, test leader, school or "Annet" hold the typed text.
    void setFilter(const QString& typed);
    // Shows the tests of the child of a shown row, and nothing else, until the filter changes.
    void showChildOf(int row);
    // The other listed tests of the child of a shown row, oldest first: number and test date.
    std::vector<std::pair<int, Date>> childsOtherTests(int row) const;
    Date testDateAt(int row) const;
    bool showsOneChild() const { return m_child >= 0; }
    // The person number of the test whose child's tests are shown, or 0.
    int childId() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Qt::UserRole gives the person number, as the old list's item data did.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    int idAt(int row) const;
    // The row showing the person, or -1.
    int rowOfId(int id) const;
    // Where a shown row stands in the whole sorted list, filter or not, and back (-1 when
    // that row is filtered away).
    int wholeIndexOf(int row) const;
    int rowOfWholeIndex(int index) const;
    int wholeCount() const { return int(m_order.size()); }
    void removeId(int id);

private:
    void refilter(bool narrowing);

    PersonList m_list;
    std::vector<int> m_order; // every listed row of m_list, sorted
    std::vector<int> m_shown; // those of m_order that the filter lets through
    QString m_needle;         // the filter, folded
    int m_child = -1;         // a row of m_list whose child's tests alone are shown
};

} // namespace tavlo
