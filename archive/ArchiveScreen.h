#pragma once
// The list of stored tests: sort, show, delete, export, back up.

#include "app/Screen.h"

class QTreeWidget;

namespace tavlo {

class ArchiveScreen : public Screen {
    Q_OBJECT
public:
    explicit ArchiveScreen(MainWindow& main);
    int state() const override { return 4; }
    bool command(int id) override;
};

} // namespace tavlo
