#pragma once
// The person form: who was tested, by whom, when, born when, sex and handedness.

#include "app/Screen.h"

namespace tavlo {

class PersonForm : public Screen {
    Q_OBJECT
public:
    explicit PersonForm(MainWindow& main);
    int state() const override { return 2; }
    bool command(int id) override;
};

} // namespace tavlo
