#pragma once
// The list of stored tests: sort, search, show, delete, export, back up.

#include "app/AppContext.h"
#include "app/Screen.h"
#include "store/tables/PersonList.h"

#include <QFutureWatcher>

#include <functional>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace tavlo {

class ArchiveModel;

class ArchiveScreen : public Screen {
    Q_OBJECT
public:
    explicit ArchiveScreen(MainWindow& main);
    int state() const override { return kArchiveList; }
    QRect logoArea() const override;
    bool command(int id) override;

    QTreeView* list() const { return m_list; }
    // "Vis &barnets tester" (Ctrl+B, and the list's context menu): the chosen test's child's
    // tests alone.
    QAction* childAction() const { return m_childAction; }
    // "Sa&mmenlign": the chosen test beside another test of the same child.
    QPushButton* compareButton() const { return m_compare; }

    // Tests take over the question which test to compare with: the choices (oldest first) and
    // the one offered; the index chosen, or nullopt when cancelled. Empty: the real question.
    using ComparisonChooser = std::function<std::optional<int>(QWidget* owner, const QStringList& tests, int offered)>;
    static void SetComparisonChooser(ComparisonChooser chooser);
    QLineEdit* searchField() const { return m_search; }
    // Over the list: "Henter tester …" while the rows are read, then what an empty search says.
    QLabel* listNotice() const { return m_reading; }
    // Whether the reading of the rows has ended, in rows or in a message.
    bool rowsArrived() const { return m_arrived; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppContext& context() const;
    void setUpList();
    void layOut();
    void startReading();
    void takeRows(PersonListLoad load);
    void sortBy(int column);
    void filter(const QString& typed);
    // Chooses the person's row and scrolls it into view; without it, the first row when
    // firstOtherwise.
    void choose(std::optional<int> id, bool firstOtherwise);
    std::optional<int> chosenId() const;
    // The person number of the selected row, after text 11 when there is none.
    std::optional<int> selectedId();
    void showSelectedTest();
    void deleteSelectedTest();
    void showChildsTests();
    void showNothingFound();
    void showSortIndicator();
    void compareSelectedTest();
    // Search, child, chosen test and scroll as they were when a test was shown from here.
    void rememberPlace();
    bool returnToPlace();

    QTreeView* m_list;
    ArchiveModel* m_model;
    QLabel* m_searchLabel;
    QLineEdit* m_search;
    QLabel* m_reading;
    QAction* m_childAction = nullptr;
    QPushButton* m_compare = nullptr;
    QFutureWatcher<PersonListLoad> m_watcher;
    bool m_arrived = false;
    // The place to go back to once the rows have arrived (taken from the session at once, so
    // that it serves one return only).
    std::optional<AppContext::ArchivePlace> m_place;
};

} // namespace tavlo
