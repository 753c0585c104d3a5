#include "entry/PersonForm.h"

#include "app/MainWindow.h"

namespace tavlo {

PersonForm::PersonForm(MainWindow& main)
    : Screen(main)
{
}

bool PersonForm::command(int id)
{
    if (id == 90) {
        main().showStartScreen();
        return true;
    }
    return false;
}

} // namespace tavlo
