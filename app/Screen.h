#pragma once
// A screen hosted by the main window: it draws itself, owns its child controls, and handles
// the command ids the shared buttons and the accelerators send while it is in front.

#include <QWidget>

namespace tavlo {

class MainWindow;

// Which screen stands in front, numbered as the program's state always was.
enum ScreenState : int { kStartScreen = 1, kPersonForm = 2, kArchiveList = 4, kResultsWindow = 6 };

class Screen : public QWidget {
    Q_OBJECT
public:
    explicit Screen(MainWindow& main);

    virtual int state() const = 0; // a ScreenState
    // true when the screen handles the id; an id it does not handle is ignored.
    virtual bool command(int id) = 0;

protected:
    MainWindow& main() const { return m_main; }

private:
    MainWindow& m_main;
};

} // namespace tavlo
