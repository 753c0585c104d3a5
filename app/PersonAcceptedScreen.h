#pragma once
// After an accepted person form, until the raw score entry is built: what was accepted and
// what comes next.

#include "app/Screen.h"

namespace tavlo {

class PersonAcceptedScreen : public Screen {
    Q_OBJECT
public:
    explicit PersonAcceptedScreen(MainWindow& main);
    int state() const override { return 2; }
    bool command(int id) override;

    // The accepted person, one "label: value" line each, as the screen shows it.
    QStringList summary() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavlo
