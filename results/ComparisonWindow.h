#pragma once
// Two tests of one child side by side, domain by domain or as one profile: shown, printed,
// copied and saved as a document.

#include "report/Comparison.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableWidget;

namespace tavlo {

struct Session;

class ComparisonWindow : public QDialog {
    Q_OBJECT
public:
    ComparisonWindow(Session& session, Comparison comparison, QWidget* owner);

    QComboBox* domains() const { return m_domains; }
    QTableWidget* table() const { return m_table; }
    QLabel* note() const { return m_note; }
    QPushButton* printButton() const { return m_print; }
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* documentButton() const { return m_document; }
    const Comparison& comparison() const { return m_comparison; }

    // Item 6 of the domain list.
    static constexpr int kProfileItem = kDomainCount;

private:
    void showItem(int item);
    void copyShown();

    Session& m_session;
    Comparison m_comparison;
    QComboBox* m_domains;
    QStackedWidget* m_pages;
    QTableWidget* m_table;
    QLabel* m_note;
    QPushButton* m_print;
    QPushButton* m_copy;
    QPushButton* m_document;
};

} // namespace tavlo
