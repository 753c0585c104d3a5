#pragma once
// The start screen: the picture, the notices and three buttons.

#include "app/Screen.h"

namespace tavlo {

class StartScreen : public Screen {
    Q_OBJECT
public:
    explicit StartScreen(MainWindow& main);
    int state() const override { return kStartScreen; }
    QRect logoArea() const override;
    bool command(int id) override;

    // The notice under the buttons, ending with the version tail.
    static QString NoticeText();

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavlo
