#pragma once
// The person form: who was tested, by whom, when, born when, sex and handedness. Fifteen
// fields drawn into the main window; "&Fortsett" checks them in a fixed order, copies them
// into the current test and remembers them in kelmo.ini.

#include "app/Screen.h"

#include <array>

class QKeyEvent;
class QLabel;
class QLineEdit;

namespace tavlo {

struct AppContext;
struct PersonalData;
class TypingGuard;

class PersonForm : public Screen {
    Q_OBJECT
public:
    static constexpr int kFieldCount = 15;
    static constexpr int kNameField = 0;
    static constexpr int kTestLeaderField = 8;
    static constexpr int kTestDateField = 10;
    static constexpr int kBornDateField = 11;
    static constexpr int kTestAgeField = 12;
    static constexpr int kSexField = 13;
    static constexpr int kHandednessField = 14;

    explicit PersonForm(MainWindow& main);
    int state() const override { return kPersonForm; }
    QRect logoArea() const override;
    bool command(int id) override;

    // Field 0-14, or nullptr.
    QLineEdit* field(int id) const;
    // Under the fields: what a text field did not take of what was typed or pasted into it.
    QLabel* notice() const { return m_notice; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void describeFields();
    void fillFromRecord();
    void fillFromKelmo();
    // 1 to go on, 0 to stay with the focus where the user must look.
    int acceptPersonForm();
    void closePersonForm();
    void cancel();

    bool handleKey(int id, QKeyEvent* key);
    void moveFocus(int from, bool forward);
    void focusField(int id);
    void showLiveTestAge();
    void tellTextNotTaken(int id);

    PersonalData& person() const;

    // Held apart from the main window: a date field can lose the focus while the window is
    // already being torn down.
    AppContext& m_context;

    std::array<QLineEdit*, kFieldCount> m_fields{};
    TypingGuard* m_typing = nullptr;
    QLabel* m_notice = nullptr;
    int m_noticeField = -1;
    bool m_closed = false;
    int m_clickedInto = -1; // the field a mouse press is giving the focus to
    bool m_focusedOnce = false;
};

} // namespace tavlo
