#include "app/Screen.h"

#include "app/Commands.h"
#include "app/MainWindow.h"

#include <QPushButton>

#include <algorithm>

namespace tavlo {

Screen::Screen(MainWindow& main)
    : QWidget(main.page())
    , m_main(main)
    , m_host(main)
{
    // The layout's design size; screens that follow the window's size need less.
    setMinimumSize(800, 600);
    setGeometry(main.page()->rect());
}

void Screen::orderTabs(const QList<QWidget*>& controls)
{
    QList<QWidget*> buttons;
    for (int id = kButton1; id <= kButton5; ++id) {
        if (QPushButton* b = m_host.button(id); b && !b->isHidden())
            buttons << b;
    }
    for (QPushButton* b : findChildren<QPushButton*>()) {
        if (!b->isHidden() && !controls.contains(b))
            buttons << b;
    }
    const auto place = [this](const QWidget* w) {
        const QPoint at = w->mapTo(&m_main, QPoint());
        return std::pair(at.y(), at.x());
    };
    std::stable_sort(buttons.begin(), buttons.end(), [&](QWidget* a, QWidget* b) { return place(a) < place(b); });
    QWidget* previous = nullptr;
    for (QWidget* w : controls + buttons) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
}

} // namespace tavlo
