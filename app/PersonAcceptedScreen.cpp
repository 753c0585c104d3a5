#include "app/PersonAcceptedScreen.h"

#include "app/Look.h"
#include "app/MainWindow.h"
#include "resources/StringTable.h"
#include "vandrel/TextOut.h"

#include <QPainter>

namespace tavlo {

PersonAcceptedScreen::PersonAcceptedScreen(MainWindow& main)
    : Screen(main)
{
    main.hideButtons();
    main.placeButton(90, LoadString(95), QRect(20, 520, 120, 40));
}

bool PersonAcceptedScreen::command(int id)
{
    if (id != 90 && id != 102 && id != 103)
        return false;
    NewTestRecord(main().context().test);
    main().showStartScreen();
    return true;
}

QStringList PersonAcceptedScreen::summary() const
{
    const PersonalData& p = main().context().test.person;
    const QString sex = p.SEX == 1 ? LoadString(42) : p.SEX == 2 ? LoadString(41) : QString();
    const int handIds[] = {0, 43, 44, 341, 342};
    const QString hand = p.HANDEDNESS >= 1 && p.HANDEDNESS <= 4 ? LoadString(handIds[p.HANDEDNESS]) : QString();
    const auto line = [](int labelId, const QString& value) { return LoadString(labelId) + QStringLiteral(": ") + value; };
    return {line(17, p.NAMN),
            line(24, p.TESTLEDARE),
            line(25, FormatDate(p.TESTDATE)),
            line(26, FormatDate(p.BORNDATE)),
            line(27, FormatTestAge(ComputeTestAge(p.TESTDATE, p.BORNDATE))),
            line(28, sex),
            line(29, hand)};
}

void PersonAcceptedScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);
    p.setFont(WindowsFont(QStringLiteral("Arial"), 20, true));
    p.drawText(105, 95, LoadString(220));
    p.setFont(WindowsFont(QStringLiteral("Arial"), 15));
    int y = 130;
    for (const QString& line : summary())
        y = DrawWrappedText(&p, y, line, 105, 700, true, 0);
    y = DrawWrappedText(&p, y + 20,
                        QStringLiteral("Personopplysningene er godtatt. Neste steg er registrering av råskårene; "
                                       "den kommer i en senere versjon av programmet. Ingenting er lagret ennå."),
                        105, 700, true, 0);
    p.drawPixmap(0, 533, BannerPicture());
}

} // namespace tavlo
