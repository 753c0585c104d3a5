#pragma once
// The scores of the current test, scored on opening, as a plain table: what the program can
// show until the domain report is built.

#include "app/Screen.h"

class QTableWidget;

namespace tavlo {

class ResultsPreviewScreen : public Screen {
    Q_OBJECT
public:
    explicit ResultsPreviewScreen(MainWindow& main);
    int state() const override { return 6; }
    bool command(int id) override;

    // The person strip, one "label: value" line each.
    QStringList summary() const;
    QTableWidget* table() const { return m_table; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fillTable();

    QTableWidget* m_table = nullptr;
};

} // namespace tavlo
