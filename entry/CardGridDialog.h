#pragma once
// Hukommelse for figurer: which card the child placed in which position of a 4 x 4 grid, one
// grid per trial, checked and copied into the test record's cells MF1-MF112.

#include "scoring/EntryRules.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavlo {

class TypingGuard;

class CardGridDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBlockCount = kCardBlockCount;
    static constexpr int kCellsPerBlock = kCardBlockCells;

    explicit CardGridDialog(TestRecord& test, QWidget* parent = nullptr);

    // n is 1-112, as in the record; nullptr outside.
    QLineEdit* cell(int n) const;
    // block is 1-7; nullptr outside.
    QLabel* blockLabel(int block) const;
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // The OK steps: checks the trials shown at the child's age, copying every cell that
    // passes into the record; closes with 1 when all pass.
    bool checkCardGrid();

    // "&Avbryt", Escape and closing: asks first when a cell was changed since the dialog opened.
    void reject() override;

private:
    bool checkBlock(int block);

    TestRecord& m_test;
    int m_years;
    std::array<QLineEdit*, kBlockCount * kCellsPerBlock> m_cells{};
    std::array<QLabel*, kBlockCount> m_labels{};
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    TypingGuard* m_typing = nullptr;
};

} // namespace tavlo
