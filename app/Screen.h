#pragma once
// A screen hosted by the main window: it draws itself, owns its child controls, and handles
// the command ids the shared buttons and the accelerators send while it is in front.

#include <QWidget>

class QPushButton;

namespace tavlo {

struct AppContext;
class MainWindow;

// What a screen asks of the window hosting it: the session, the shared buttons (command ids
// 90-94) and the way to the other screens. A screen that needs no more than this does not
// depend on the main window.
class ScreenHost {
public:
    virtual AppContext& context() = 0;
    virtual QPushButton* button(int id) const = 0;
    // Labels, places and shows a shared button.
    virtual void placeButton(int id, const QString& text, const QRect& geometry) = 0;
    virtual void hideButtons() = 0;
    virtual void showPersonForm() = 0;
    virtual void showArchive() = 0;
    virtual void runReportSelection() = 0;

protected:
    ~ScreenHost() = default;
};

// Which screen stands in front, numbered as the program's state always was.
enum ScreenState : int { kStartScreen = 1, kPersonForm = 2, kArchiveList = 4, kResultsWindow = 6 };

class Screen : public QWidget {
    Q_OBJECT
public:
    explicit Screen(MainWindow& main);

    virtual int state() const = 0; // a ScreenState
    // true when the screen handles the id; an id it does not handle is ignored.
    virtual bool command(int id) = 0;
    // Where the screen shows the program's name, in its own coordinates.
    virtual QRect logoArea() const = 0;

protected:
    MainWindow& main() const { return m_main; }
    // Tab goes through the controls in the order given, then through the shown buttons, the
    // window's and the screen's own, as they are read: row by row, left to right.
    void orderTabs(const QList<QWidget*>& controls);
    // The same window, as far as a screen needs it; parentWidget() is it as a widget.
    ScreenHost& host() const { return m_host; }

private:
    MainWindow& m_main;
    ScreenHost& m_host;
};

} // namespace tavlo
