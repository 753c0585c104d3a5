#include "app/Screen.h"

#include "app/MainWindow.h"

namespace tavlo {

Screen::Screen(MainWindow& main)
    : QWidget(&main)
    , m_main(main)
    , m_host(main)
{
    setGeometry(main.rect());
}

} // namespace tavlo
