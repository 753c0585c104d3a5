#include "app/Commands.h"
#include "app/StartScreen.h"

#include "app/Look.h"
#include "app/MainWindow.h"
#include "resources/StringTable.h"
#include "store/tables/PersonTable.h"
#include "vandrel/MessageSink.h"
#include "vandrel/TextOut.h"
#include "vandrel/vandrel.h"

#include <QPainter>
#include <QPushButton>

namespace tavlo {

StartScreen::StartScreen(MainWindow& main)
    : Screen(main)
{
    main.hideButtons();
    main.placeButton(kButton2, LoadString(kStrNewTestButton), QRect(17, 380, 100, 40));
    main.placeButton(kButton3, LoadString(kStrEarlierTestsButton), QRect(17, 430, 100, 40));
    main.placeButton(kButton1, LoadString(kStrQuitButton), QRect(17, 480, 100, 40));
    // Labelled like the other screens' fourth button, but not offered here.
    main.button(93)->setText(QStringLiteral("&Inställningar"));
    main.button(94)->setText(QStringLiteral(" "));
    orderTabs({});
}

QRect StartScreen::logoArea() const
{
    return StartLogoRect();
}

QString StartScreen::NoticeText()
{
    return LoadString(kStrTrademark) + u' ' + LoadString(kStrCopyright) + QString::asprintf("%s/%d", "May 13 2014", int(cDoDllVersion()))
           + u'.';
}

bool StartScreen::command(int id)
{
    switch (id) {
    case kAltN:
    case kButton2: {
        AppContext& c = main().context();
        // Read for its own sake: a database that cannot give out numbers is told now.
        NextPersonId(c.db);
        NewTestRecord(c.test);
        c.testIsNew = true;
        main().hideButtons();
        main().showPersonForm();
        return true;
    }
    case kAltT:
    case kButton3:
        main().hideButtons();
        main().showArchive();
        return true;
    case kButton1:
    case kAltA:
    case kEscape:
        main().close();
        return true;
    default:
        return false;
    }
}

void StartScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, -30, StartPicture());
    p.setFont(WindowsFont(QStringLiteral("Arial"), 10));
    p.setPen(Qt::black);
    DrawWrappedText(&p, 414, NoticeText(), 500, 780, true, 0);
}

} // namespace tavlo
