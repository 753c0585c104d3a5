#pragma once
// The one top-level window: 800 x 600, lilac, the five shared buttons (command ids 90-94),
// the accelerators, and the screen in front, to which every command goes.

#include "app/AppContext.h"
#include "app/Screen.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QPushButton;
class QScrollArea;

namespace tavlo {

class MainWindow : public QWidget, public ScreenHost {
    Q_OBJECT
public:
    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    AppContext& context() override { return m_context; }

    // Shared button 90-94.
    QPushButton* button(int id) const override;
    void placeButton(int id, const QString& text, const QRect& geometry) override;
    void hideButtons() override;

    // Sends a command id to the screen in front (buttons and accelerators do this).
    void sendCommand(int id);
    int screenState() const;
    Screen* screen() const { return m_screen; }

    // Puts a screen in front; the one before is destroyed with its controls.
    void setScreen(Screen* screen);
    void showStartScreen();
    void showPersonForm() override;
    // The results window on the current test, scored as it opens.
    void showResults();
    // The list of stored tests.
    void showArchive() override;

    // The raw score entry after an accepted person form: 1 when the test was stored. Tests
    // put their own in place of the modal dialog.
    int runRawScoreEntry();
    void setRawScoreEntry(std::function<int()> entry) { m_rawScoreEntry = std::move(entry); }
    // The report selection and printing, from the results window; tests replace it likewise.
    void runReportSelection() override;
    void setReportSelection(std::function<void()> selection) { m_reportSelection = std::move(selection); }

    // 800 x 600, centred on the screen.
    void placeCentred();

    // What the screens and the shared buttons stand on: the window's inside, or more where
    // the window is smaller than the screen in front needs, which then scrolls.
    QWidget* page() const { return m_page; }
    QScrollArea* pageArea() const { return m_pageArea; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createShortcuts();

    AppContext& m_context;
    QScrollArea* m_pageArea;
    QWidget* m_page;
    std::array<QPushButton*, 5> m_buttons{};
    QPointer<Screen> m_screen;
    std::function<int()> m_rawScoreEntry;
    std::function<void()> m_reportSelection;
};

} // namespace tavlo
