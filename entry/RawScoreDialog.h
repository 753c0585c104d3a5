#pragma once
// The raw scores of a test: one small field per measure under its subtest's heading, the
// fields that do not apply at the child's age disabled, every value checked against the
// age's maximum, and then the whole test stored.

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;
class QScrollArea;

namespace tavlo {

struct AppContext;
class TypingGuard;

class RawScoreDialog : public QDialog {
    Q_OBJECT
public:
    explicit RawScoreDialog(AppContext& context, QWidget* parent = nullptr);

    // The field of the measure typed in row 1-60 of the dialog.
    QLineEdit* field(int entryRow) const;
    QPushButton* continueButton() const { return m_continue; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* cardGridButton() const { return m_cardGrid; }
    QScrollArea* scrollArea() const { return m_scroll; }

    // Reads, checks and copies the 60 fields; 1, or 0 after its message.
    int CheckRawScores();
    // Checks, stores the test and closes with 1; stays open when either fails.
    void acceptScores();

    // Whether a measure's field is enabled for a child of these years.
    static bool FieldEnabled(int entryRow, int years);

    // "&Avbryt", Escape and closing: asks first when anything was typed since the dialog opened.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillFromRecord();
    void focusRefused(QLineEdit* edit);

    AppContext& m_context;
    std::array<QLineEdit*, 60> m_fields{};
    QScrollArea* m_scroll = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_cardGrid = nullptr;
    TypingGuard* m_typing = nullptr;
};

} // namespace tavlo
