#pragma once
// The list of stored tests: sort, show, delete, export, back up.

#include "app/Screen.h"

#include <optional>

class QTreeWidget;
class QTreeWidgetItem;

namespace tavlo {

struct AppContext;

class ArchiveScreen : public Screen {
    Q_OBJECT
public:
    explicit ArchiveScreen(MainWindow& main);
    int state() const override { return 4; }
    bool command(int id) override;

    QTreeWidget* list() const { return m_list; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    AppContext& context() const;
    void layOut();
    bool fill(int sortKey, bool descending);
    void sortBy(int column);
    // The person number of the selected row, after text 11 when there is none.
    std::optional<int> selectedId();
    void showSelectedTest();
    void deleteSelectedTest();
    QTreeWidgetItem* rowOf(int id) const;

    QTreeWidget* m_list;
};

} // namespace tavlo
