#pragma once
// The one top-level window: 800 x 600, lilac, the five shared buttons (command ids 90-94),
// the accelerators, and the screen in front, to which every command goes.

#include "app/AppContext.h"
#include "app/Screen.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class QPushButton;

namespace tavlo {

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    AppContext& context() { return m_context; }

    // Shared button 90-94.
    QPushButton* button(int id) const;
    // Labels, places and shows a shared button.
    void placeButton(int id, const QString& text, const QRect& geometry);
    void hideButtons();

    // Sends a command id to the screen in front (buttons and accelerators do this).
    void sendCommand(int id);
    int screenState() const;
    Screen* screen() const { return m_screen; }

    // Puts a screen in front; the one before is destroyed with its controls.
    void setScreen(Screen* screen);
    void showStartScreen();
    void showPersonForm();
    // What follows an accepted person form until the raw score entry exists.
    void showPersonAccepted();

    // 800 x 600, centred on the screen.
    void placeCentred();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createShortcuts();

    AppContext& m_context;
    std::array<QPushButton*, 5> m_buttons{};
    QPointer<Screen> m_screen;
};

} // namespace tavlo
