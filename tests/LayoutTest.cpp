// The screens on the screen size and scale the run is given (TAVLO_TEST_SCREEN and
// QT_SCALE_FACTOR; CTest runs every pair): whatever the window's size, the drop-down lists show
// their whole entries, the program's name stands inside the window, and every control can be
// brought into view.

#include "Accessibility.h"
#include "ArchiveFixture.h"
#include "Screenshots.h"
#include "Str.h"

#include "app/Look.h"
#include "results/ResultsWindow.h"
#include "session/Session.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <QTreeView>

#include <functional>

using namespace tavlo;
using namespace tavlo::test;

namespace {

class LayoutTest : public ArchiveFixture {
protected:
    // What of a control the window shows once the page is scrolled to it.
    // (A line edit's own scrolling brings only its caret into view.)
    QRect shownAfterScrolling(QWidget* control)
    {
        return shownAfterScrolling(control, control->rect());
    }

    QRect shownAfterScrolling(QWidget* in, const QRect& area)
    {
        const QRect onPage(in->mapTo(w.page(), area.topLeft()), area.size());
        w.pageArea()->ensureVisible(onPage.center().x(), onPage.center().y(), onPage.width() / 2 + 1,
                                    onPage.height() / 2 + 1);
        return QRect(in->mapTo(&w, area.topLeft()), area.size()).intersected(w.rect());
    }
};

QString sizeName()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return QStringLiteral("%1x%2@%3")
        .arg(screen->geometry().width() * screen->devicePixelRatio())
        .arg(screen->geometry().height() * screen->devicePixelRatio())
        .arg(screen->devicePixelRatio());
}

} // namespace

TEST_F(LayoutTest, EveryScreenShowsItsListsWholeItsNameInsideAndEveryControlWithinReach)
{
    TestRecord stored = childWithEveryMeasure(3, 1);
    stored.person.NAMN = u8("Ánde Čorgaš Siri-Marja Haldorsen Nordmann");
    ASSERT_TRUE(SaveTest(ctx.db, stored, true));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    const std::pair<const char*, std::function<void()>> screens[] = {
        {"start", [&] { w.showStartScreen(); }},
        {"person-form", [&] {
             ctx.test = stored;
             w.showPersonForm();
         }},
        {"results", [&] {
             ASSERT_FALSE(ReadStoredTest(ctx, stored.person.ID));
             w.showResults();
         }},
        {"archive", [&] {
             w.showArchive();
             waitForRows();
         }},
    };
    for (const auto& [name, open] : screens) {
        SCOPED_TRACE(name);
        open();
        QTest::qWait(50);
        ASSERT_TRUE(AvailableArea(&w).contains(w.frameGeometry()))
            << "window " << str(QString::number(w.frameGeometry().width())) << " on "
            << str(QString::number(AvailableArea(&w).width()));

        for (QComboBox* list : w.screen()->findChildren<QComboBox*>()) {
            SCOPED_TRACE(str(list->accessibleName()));
            const QFontMetrics metrics(list->font());
            for (int i = 0; i < list->count(); ++i)
                EXPECT_LE(metrics.horizontalAdvance(list->itemText(i)) + 8, std::max(list->width(), list->view()->minimumWidth())) << str(list->itemText(i));
            if (metrics.horizontalAdvance(list->currentText()) > ClosedTextWidth(list)) {
                EXPECT_EQ(list->toolTip(), list->currentText()) << "a cut entry is whole in the tool tip";
            }
        }

        // Every control can be scrolled into view whole, and nothing stands over another.
        QList<QWidget*> controls;
        for (QWidget* c : w.page()->findChildren<QWidget*>()) {
            if (c->isVisible() && (qobject_cast<QPushButton*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c)))
                controls << c;
        }
        ASSERT_FALSE(controls.isEmpty());
        for (QWidget* c : controls) {
            const QRect shown = shownAfterScrolling(c);
            const QSize whole = c->size().boundedTo(w.pageArea()->viewport()->size());
            EXPECT_GE(shown.width(), whole.width()) << c->metaObject()->className() << " " << str(accessibleName(c));
            EXPECT_GE(shown.height(), whole.height()) << c->metaObject()->className() << " " << str(accessibleName(c));
        }

        // The name: inside the screen's page, and inside the window once scrolled to; no
        // control hides it.
        const QRect logo = w.screen()->logoArea();
        EXPECT_TRUE(w.screen()->rect().contains(logo)) << logo.y() << " in " << w.screen()->height();
        EXPECT_EQ(shownAfterScrolling(w.screen(), logo).size(), logo.size());
        const QRect logoOnPage(w.screen()->mapTo(w.page(), logo.topLeft()), logo.size());
        for (QWidget* c : controls) {
            const QRect at(c->mapTo(w.page(), QPoint()), c->size());
            EXPECT_FALSE(at.intersects(logoOnPage)) << c->metaObject()->className() << " " << str(accessibleName(c));
        }
        if (auto* archive = qobject_cast<ArchiveScreen*>(w.screen())) {
            // A name cut by its column shows whole as the cell's tool tip; a short one has none.
            const auto tipAt = [&](int column) {
                QTreeView* view = archive->list();
                const QRect cell = view->visualRect(view->model()->index(0, column));
                QHelpEvent help(QEvent::ToolTip, cell.center(), view->viewport()->mapToGlobal(cell.center()));
                QCoreApplication::sendEvent(view->viewport(), &help);
            };
            tipAt(0);
            EXPECT_TRUE(QToolTip::isVisible());
            EXPECT_EQ(QToolTip::text(), stored.person.NAMN);
            tipAt(1);
            EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000)) << "Leder fits its column";
        }
        w.pageArea()->ensureVisible(0, 0);
        saveScreen(QStringLiteral("layout-%1-%2").arg(sizeName(), QString::fromLatin1(name)));
        saveScreenshot(w, QStringLiteral("layout-%1-%2-window").arg(sizeName(), QString::fromLatin1(name)));
    }
}
