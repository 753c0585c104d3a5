#include "Ages.h"
#include "MessageBoxes.h"
#include "TempDatabase.h"
#include "app/GuiSink.h"
#include "app/LoginDialog.h"
#include "app/MainWindow.h"
#include "entry/CardGridDialog.h"
#include "entry/RawScoreDialog.h"
#include "results/Printing.h"

#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::InstalledSink;
using tavlo::test::MessageBoxCatcher;
using tavlo::test::TempDatabase;

namespace {

// Tells a message while `front` runs modally, as the program runs it, and gives the owner of
// the box that showed.
QWidget* ownerOfBoxOver(QDialog& front)
{
    QWidget* owner = nullptr;
    MessageBoxCatcher catcher([&](QMessageBox& box) {
        owner = box.parentWidget();
        EXPECT_EQ(box.windowHandle()->transientParent(), front.windowHandle());
        QTest::keyClick(&box, Qt::Key_Return);
    });
    QTimer::singleShot(0, &front, [&] {
        tell(QStringLiteral("Feil passord!"));
        front.done(0);
    });
    front.exec();
    EXPECT_EQ(catcher.caught(), 1);
    return owner;
}

} // namespace

TEST(MessageBoxes, OpenInFrontOfTheWindowInUse)
{
    TempDatabase db;
    AppContext context;
    ASSERT_TRUE(db.connect(context.db));
    context.test = tavlo::test::childAged(8, 0);
    // As in the program: the main window owns the sink and is hidden until the login is done.
    MainWindow w(context);
    GuiSink sink(&w);
    const InstalledSink installed(sink);

    LoginDialog login(context.db, &w);
    EXPECT_EQ(ownerOfBoxOver(login), &login);

    w.showPersonForm();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    RawScoreDialog raw(context, &w);
    EXPECT_EQ(ownerOfBoxOver(raw), &raw);

    // The card grid runs over the raw score dialog.
    bool gridOwnsIt = false;
    QTimer::singleShot(0, &raw, [&] {
        CardGridDialog grid(context.test, &raw);
        gridOwnsIt = ownerOfBoxOver(grid) == &grid;
        raw.done(0);
    });
    raw.exec();
    EXPECT_TRUE(gridOwnsIt);

    ReportSelection selection(context, &w);
    EXPECT_EQ(ownerOfBoxOver(selection), &selection);

    // With no dialog up, the main window with its screen.
    bool shown = false;
    MessageBoxCatcher catcher([&](QMessageBox& box) {
        shown = true;
        EXPECT_EQ(box.parentWidget(), &w);
        QTest::keyClick(&box, Qt::Key_Return);
    });
    tell(QStringLiteral("Feil passord!"));
    EXPECT_TRUE(shown);
}
