#include "Ages.h"
#include "Program.h"
#include "RecordingSink.h"
#include "Screenshots.h"
#include "TempDatabase.h"
#include "app/Look.h"
#include "app/MainWindow.h"
#include "entry/PersonForm.h"
#include "entry/RawScoreDialog.h"
#include "store/tables/TestStore.h"
#include "app/StartScreen.h"
#include "resources/StringTable.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTableWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <signal.h>

using namespace tavlo;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

TEST(MainWindow, StartScreenLooksAsItShould)
{
    AppContext context;
    MainWindow w(context);
    w.showStartScreen();
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("TAVLO-II"));
    EXPECT_EQ(w.size(), QSize(800, 600));
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(191, 175, 208));
    EXPECT_EQ(w.screenState(), 1);
    EXPECT_EQ(w.button(91)->text(), QStringLiteral("&Ny test"));
    EXPECT_EQ(w.button(91)->geometry(), QRect(17, 380, 100, 40));
    EXPECT_EQ(w.button(92)->text(), QStringLiteral("&Tidligere test(er)"));
    EXPECT_EQ(w.button(92)->geometry(), QRect(17, 430, 100, 40));
    EXPECT_EQ(w.button(90)->text(), QStringLiteral("&Avslutt"));
    EXPECT_EQ(w.button(90)->geometry(), QRect(17, 480, 100, 40));
    EXPECT_FALSE(w.button(93)->isVisible());
    EXPECT_FALSE(w.button(94)->isVisible());
    EXPECT_TRUE(StartScreen::NoticeText().endsWith(QStringLiteral("Dataversjon 1.0/May 13 2014/120124.")));
    tavlo::test::saveScreenshot(w, QStringLiteral("start-screen"));
}

TEST(MainWindow, EnterStartsANewTestAndUnknownIdsAreIgnored)
{
    TempDatabase db;
    AppContext context;
    ASSERT_TRUE(db.connect(context.db));
    context.test = tavlo::test::childAged(7, 0);
    context.test.scores.AI = 12;
    context.testIsNew = false;
    MainWindow w(context);
    w.showStartScreen();
    w.show();
    RecordingSink sink;
    for (int id : {112, 118, 109, 66, 93, 94})
        w.sendCommand(id);
    EXPECT_EQ(w.screenState(), 1);
    EXPECT_TRUE(sink.messages.isEmpty());
    QTest::keyClick(&w, Qt::Key_Return);
    EXPECT_EQ(w.screenState(), 2);
    EXPECT_TRUE(context.testIsNew);
    EXPECT_EQ(context.test.scores.AI, NOT_ENTERED) << "a new test starts empty";
    EXPECT_TRUE(context.test.person.NAMN.isEmpty());
    EXPECT_FALSE(w.button(92)->isVisible());
}

TEST(MainWindow, EscapeOnTheStartScreenEndsTheProgram)
{
    AppContext context;
    MainWindow w(context);
    w.showStartScreen();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.showStartScreen();
    QTest::keyClick(&w, Qt::Key_A, Qt::AltModifier); // Alt+A is 102: quit here too
    EXPECT_FALSE(w.isVisible());
}

namespace {

const QString kDiscardQuestion = QStringLiteral("Det du har skrevet inn, er ikke lagret. Vil du forkaste det?");

} // namespace

TEST(MainWindow, ClosingAsksBeforeTypingInThePersonFormIsLost)
{
    AppContext context;
    context.test = tavlo::test::childAged(9, 1);
    MainWindow w(context);
    RecordingSink sink;
    const auto openForm = [&] {
        w.showPersonForm();
        w.show();
        return qobject_cast<PersonForm*>(w.screen())->field(0);
    };

    // Typed and taken back again: the window closes without a word.
    QLineEdit* name = openForm();
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, QStringLiteral("x"));
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(sink.messages.isEmpty());

    name = openForm();
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, QStringLiteral("x"));
    EXPECT_FALSE(w.close()) << "Nei is the default";
    ASSERT_EQ(sink.texts(), QStringList{kDiscardQuestion});
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(name->text(), QStringLiteral("Barnx"));
    sink.answers = {true};
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
}

TEST(MainWindow, ClosingWithTheRawScoresOpenAsksForWhatWasTypedThere)
{
    AppContext context;
    context.test = tavlo::test::childAged(9, 1); // a valid person: "&Fortsett" opens the raw scores
    MainWindow w(context);
    RecordingSink sink;
    w.showPersonForm();
    w.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<RawScoreDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        QTest::keyClicks(dialog->field(1), QStringLiteral("7"));
        EXPECT_FALSE(w.close()) << "the form is unchanged, the dialog is not";
        EXPECT_EQ(sink.texts(), QStringList{kDiscardQuestion});
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->field(1)->text(), QStringLiteral("7"));
        sink.answers = {true};
        EXPECT_TRUE(w.close());
        EXPECT_FALSE(dialog->isVisible()) << "it closes with the window";
        if (dialog->isVisible())
            dialog->done(0);
    });
    w.sendCommand(91);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(w.isVisible());
}

TEST(MainWindow, AWindowLargerThanTheScreenIsShrunkToStandOnItWhole)
{
    QWidget window;
    const QRect area = AvailableArea(&window);
    PlaceOnScreen(&window, area.size() + QSize(300, 200), Spot::Top);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_NE(window.frameGeometry(), window.geometry()) << "the platform gives windows a frame";
    EXPECT_TRUE(area.contains(window.frameGeometry()));
    EXPECT_EQ(window.frameGeometry().top(), area.top());
    EXPECT_EQ(window.frameGeometry().height(), area.height());
}

TEST(Program, ASecondInstanceEndsAtOnceAndAStaleLockIsTakenOver)
{
    TempDatabase db;
    db.db.DbDisconnect();
    ASSERT_TRUE(tavlo::test::pointProgramAt(db.folder()));
    // The first instance waits at its login dialog.
    QProcess first;
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(QStringLiteral(TAVLO_PROGRAM_PATH), {});
    ASSERT_TRUE(first.waitForStarted());
    QTest::qWait(1500);
    ASSERT_EQ(first.state(), QProcess::Running) << first.readAll().toStdString();

    QProcess second;
    second.start(QStringLiteral(TAVLO_PROGRAM_PATH), {});
    ASSERT_TRUE(second.waitForFinished(5000)) << "the second instance did not end";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAll().isEmpty()) << "it ends silently";

    // Killed without cleaning up: the next start takes the lock over.
    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished(5000);
    QProcess third;
    third.start(QStringLiteral(TAVLO_PROGRAM_PATH), {});
    ASSERT_TRUE(third.waitForStarted());
    EXPECT_FALSE(third.waitForFinished(1500)) << "a stale lock must not keep the program out";
    third.kill();
    third.waitForFinished(5000);
}
