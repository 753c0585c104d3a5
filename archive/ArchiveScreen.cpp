#include "archive/ArchiveScreen.h"

#include "app/MainWindow.h"

namespace tavlo {

ArchiveScreen::ArchiveScreen(MainWindow& main)
    : Screen(main)
{
}

bool ArchiveScreen::command(int)
{
    return false;
}

} // namespace tavlo
