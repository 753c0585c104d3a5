#pragma once
// A screen hosted by the main window: it draws itself, owns its child controls, and handles
// the command ids the shared buttons and the accelerators send while it is in front.

#include <QWidget>

namespace tavlo {

class MainWindow;

class Screen : public QWidget {
    Q_OBJECT
public:
    explicit Screen(MainWindow& main);

    // 1 start screen, 2 person form, 4 archive list, 6 results window.
    virtual int state() const = 0;
    // true when the screen handles the id; an id it does not handle is ignored.
    virtual bool command(int id) = 0;

protected:
    MainWindow& main() const { return m_main; }

private:
    MainWindow& m_main;
};

} // namespace tavlo
