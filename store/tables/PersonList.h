#pragma once
// Every stored person as the archive lists them, held in memory: sorted by any column and
// searched as the examiner types, without asking the database again.

#include "model/Failure.h"
#include "store/tables/PersonTable.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace tavlo {

class PersonList {
public:
    PersonList() = default;
    // Takes rows in any order; keeps them in ID order.
    explicit PersonList(std::vector<PersonListRow> rows);

    int size() const { return int(m_rows.size()); }
    const PersonListRow& row(int index) const { return m_rows[size_t(index)]; }

    // Orders rows (indices into this list) by a sort key of ListPersons: texts in Norwegian
    // order with case ignored, dates and numbers by value; ties by ID, so the order is the
    // same every time, and descending is ascending exactly reversed.
    void sort(std::vector<int>& rows, int sortKey, bool descending) const;
    // Every row of the list (indices into it), in the order sort gives.
    std::vector<int> sorted(int sortKey, bool descending) const;

    // Whether the name, test leader, school or "Annet" of a row holds needle, a text
    // already in SearchFold's form.
    bool matches(int index, QStringView needle) const;

    // How many listed tests are of the child of a row (model/SameChild.h), itself included.
    int testsOfChild(int index) const { return childTests()[size_t(index)]; }
    // Whether two rows are tests of one child.
    bool sameChild(int index, int other) const;
    // A row's test was deleted: its child has one test fewer. The row itself stays.
    void forgetTest(int index);
    // Builds now what the archive shows at once, the children's tests and the order of
    // sortKey: the thread that read the list does it, so that the window does not wait.
    void prepareFor(int sortKey) const;

private:
    struct Searched {
        QString name, leader, school, other;
    };
    const std::vector<int>& ranks(int textColumn) const;
    const std::vector<int>& childTests() const;
    const std::vector<int>& childRank() const;

    std::vector<PersonListRow> m_rows;
    // The rest is built at its first use, since a job needs only some of it (the command
    // line's list none): the ranks of a text column when it is sorted (indexed as
    // textColumn in the .cpp), the searched texts when a search is typed, the children's
    // tests when they are shown. A list is used by one thread at a time.
    mutable std::array<std::vector<int>, 6> m_ranks;
    mutable std::vector<Searched> m_searched;
    mutable std::vector<int> m_childTests;
    mutable std::vector<QString> m_childKeys;
    mutable std::vector<int> m_childRank; // where the child's tests stand among the names
};

// Orders rows (indices) by value(row), ties by the index; descending is ascending exactly
// reversed. The order of PersonList::sort for a value per row.
void SortByValue(std::vector<int>& rows, const std::function<int(int)>& value, bool descending);

// A date as a number that orders as the ISO text the column holds does; no date (NULL)
// first, as SQL puts NULL.
inline int DateSortValue(const Date& date)
{
    return date.year * 10000 + date.month * 100 + date.day;
}

// The sort key of the archive's count of a child's tests: by that count, each child's tests
// together (by name and birth date), oldest test first.
inline constexpr int kChildTestsSortKey = kPersonSortKeys;

// The archive's columns: Navn, Testleder, Testdato, Annet, Kjønn, Fødselsdato, Skole,
// Nasjonalitet, Førstespråk (sort keys 0-8).
inline constexpr int kArchiveColumns = 9;

// What the archive shows in a column (0-8) of a row: the texts as stored, dates as
// day-month-year with hyphens (05-03-2014), sex "Gutt" or "Jente" (or nothing for any other
// value); empty for any other column.
QString ArchiveCellText(const PersonListRow& row, int column);

struct PersonListLoad {
    bool read = false;
    PersonList list;
    // Why the list could not be read, for the GUI thread to show.
    Outcome failure;
};

// Every person on the connection, in number order; nullopt after the connection's message.
std::optional<PersonList> ReadPersonList(Database& db);

// Reads every person on a connection of its own to the store of connectionString: safe to
// run off the GUI thread, which shows the messages afterwards.
PersonListLoad LoadPersonList(const QString& connectionString);

// A connection of its own that only reads the list.
bool ConnectToReadList(Database& db, const QString& connectionString);

} // namespace tavlo
