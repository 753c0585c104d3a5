// What only a real window manager shows: where windows stand, with their frames, and which
// window is in front. tools/wm-tests.sh runs these on a private Xvfb with openbox; elsewhere
// they are skipped.
#include "Ages.h"
#include "MessageBoxes.h"
#include "Program.h"
#include "RecordingSink.h"
#include "Screenshots.h"
#include "TempDatabase.h"
#include "app/GuiSink.h"
#include "app/LoginDialog.h"
#include "app/MainWindow.h"
#include "archive/ExportDialog.h"
#include "app/NewDatabaseDialog.h"
#include "entry/CardGridDialog.h"
#include "entry/PersonForm.h"
#include "entry/RawScoreDialog.h"
#include "results/Printing.h"
#include "store/tables/TestStore.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::InstalledSink;
using tavlo::test::MessageBoxCatcher;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

constexpr int kWait = 10000; // ms: generous, for a loaded machine

// A window manager frames the windows it manages; without one a window has no frame.
QString missingWindowManager()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return QStringLiteral("needs an X display with a window manager (tools/wm-tests.sh starts Xvfb and openbox); "
                              "the platform here is ") + QGuiApplication::platformName();
    static const bool framed = [] {
        QWidget probe;
        probe.resize(120, 80);
        probe.show();
        return QTest::qWaitForWindowExposed(&probe, kWait)
            && QTest::qWaitFor([&] { return !probe.windowHandle()->frameMargins().isNull(); }, kWait);
    }();
    return framed ? QString() : QStringLiteral("the X display has no window manager that frames windows");
}

// An X client's answer (xdotool, xprop), its first line; empty when it failed.
QString askX(const QString& tool, const QStringList& arguments)
{
    QProcess p;
    p.start(tool, arguments);
    if (!p.waitForFinished(kWait) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " " << arguments.join(u' ').toStdString() << ": "
                      << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
}

// Real input through the X server, to whichever window has the keyboard focus.
void xdotool(const QStringList& arguments)
{
    askX(QStringLiteral("xdotool"), arguments);
}

// What the window manager says of a window: minimised (hidden) or not, and whether it is the
// one the keyboard goes to.
bool minimised(const QString& window)
{
    return askX(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE")})
        .contains(QStringLiteral("_NET_WM_STATE_HIDDEN"));
}

bool active(const QString& window)
{
    return askX(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}) == window;
}

// Whether the window manager stacks window over other ("_NET_CLIENT_LIST_STACKING(WINDOW):
// window id # 0x400007, 0x600009", bottom first).
bool stackedOver(const QString& window, WId other)
{
    const QString list = askX(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<WId> order;
    for (const QString& id : list.section(u'#', 1).split(u',', Qt::SkipEmptyParts))
        order << id.trimmed().toULongLong(nullptr, 16);
    const qsizetype at = order.indexOf(WId(window.toULongLong()));
    return at >= 0 && at > order.indexOf(other);
}

std::string str(const QRect& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

} // namespace

class UnderWindowManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString missing = missingWindowManager();
        if (missing.isEmpty())
            return;
        // Where the script has started one, a missing window manager is a fault, not a skip.
        if (qEnvironmentVariableIsSet("TAVLO_WINDOW_MANAGER"))
            FAIL() << missing.toStdString();
        GTEST_SKIP() << missing.toStdString();
    }
};

TEST_F(UnderWindowManager, LoginMessagesOpenInFrontAndEnterGoesBackToTheLogin)
{
    TempDatabase db; // user "demo", password "demo123"
    AppContext context;
    ASSERT_TRUE(db.connect(context.db));
    // As in the program: the hidden main window owns the sink while the login runs.
    MainWindow w(context);
    GuiSink sink(&w);
    const InstalledSink installed(sink);
    LoginDialog login(context.db, &w);

    bool inFront = false;
    MessageBoxCatcher catcher([&](QMessageBox& box) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box, kWait));
        EXPECT_EQ(box.text(), QStringLiteral("Feil passord!"));
        // The X server's own answer to which window shows at a point of the box over the login.
        const QRect over = box.geometry() & login.geometry();
        ASSERT_FALSE(over.isEmpty()) << str(box.geometry()) << " " << str(login.geometry());
        inFront = QTest::qWaitFor([&] { return QApplication::topLevelAt(over.center()) == &box; }, kWait);
        tavlo::test::saveScreen(QStringLiteral("wm-login-wrong-password"));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&box, kWait));
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    });

    QTimer::singleShot(0, &login, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&login, kWait));
        // Alt+F4 in change mode is Cancel there: back to the login, still open.
        QTest::mouseClick(login.changeButton(), Qt::LeftButton);
        ASSERT_EQ(login.mode(), 2);
        xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
        EXPECT_TRUE(QTest::qWaitFor([&] { return login.mode() == 1; }, kWait));
        EXPECT_TRUE(login.isVisible());

        QTest::keyClicks(login.userField(), QStringLiteral("demo"));
        QTest::keyClicks(login.passwordField(), QStringLiteral("wrong1"));
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return catcher.caught() == 1 && !qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }, kWait));
        EXPECT_TRUE(inFront) << "the message box is behind the login";
        // Enter closed the box; the login has the keyboard again, in the password field.
        ASSERT_TRUE(QTest::qWaitForWindowActive(&login, kWait));
        EXPECT_EQ(login.focusWidget(), login.passwordField());
        xdotool({QStringLiteral("type"), QStringLiteral("demo123")});
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    });
    // Nothing above may leave the test hanging in the dialog.
    QTimer::singleShot(4 * kWait, &login, [&] { login.done(-1); });
    EXPECT_EQ(login.exec(), 1) << "logged in with the right password typed after the message";
}

TEST_F(UnderWindowManager, EveryWindowStandsWhollyOnTheScreen)
{
    TempDatabase db;
    RecordingSink messages;
    AppContext context;
    ASSERT_TRUE(db.connect(context.db));
    context.test = tavlo::test::childWithEveryMeasure(8, 2);
    ASSERT_TRUE(SaveTest(context.db, context.test, true));
    context.testIsNew = false;
    MainWindow w(context);

    const auto onScreen = [](QWidget& window, const std::string& name) {
        SCOPED_TRACE(name);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, kWait));
        const QRect area = window.screen()->availableGeometry();
        // The window manager frames and moves a window in its own time.
        (void)QTest::qWaitFor([&] { return area.contains(window.frameGeometry()) && window.frameGeometry() != window.geometry(); },
                        kWait);
        const QRect frame = window.frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << "frame " << str(frame) << " outside " << str(area);
        EXPECT_GE(frame.top(), area.top()) << "title bar above the screen";
        EXPECT_LT(frame.top(), window.geometry().top()) << "framed, with a title bar";
        window.repaint();
        tavlo::test::saveScreen(QString::fromStdString("wm-" + name));
    };

    w.showStartScreen();
    onScreen(w, "start-screen");
    w.showResults();
    onScreen(w, "results");
    w.showArchive();
    onScreen(w, "archive");
    w.showPersonForm();
    onScreen(w, "person-form");

    LoginDialog login(context.db, &w);
    onScreen(login, "login");
    login.setMode(2);
    onScreen(login, "login-change");
    login.hide();

    RawScoreDialog raw(context, &w);
    onScreen(raw, "raw-scores");
    {
        CardGridDialog grid(context.test, &raw);
        onScreen(grid, "card-grid");
    }
    raw.hide();
    ReportSelection selection(context, &w);
    onScreen(selection, "report-selection");
    selection.hide();
    ExportDataDialog exportDialog(context, &w);
    onScreen(exportDialog, "export");
    exportDialog.hide();
    NewDatabaseDialog newDatabase(&w);
    onScreen(newDatabase, "new-database");
}

TEST_F(UnderWindowManager, ClosingTheWindowOverTypedWorkAsksInFrontAndNeiKeepsIt)
{
    AppContext context;
    context.test = tavlo::test::childAged(9, 1);
    MainWindow w(context);
    GuiSink sink(&w);
    const InstalledSink installed(sink);
    w.showPersonForm();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w, kWait));
    QLineEdit* name = qobject_cast<PersonForm*>(w.screen())->field(0);
    name->setFocus();
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, QStringLiteral(" Olsen"));

    bool inFront = false;
    QString question;
    QString defaultButton;
    MessageBoxCatcher catcher([&](QMessageBox& box) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box, kWait));
        question = box.text();
        defaultButton = box.defaultButton() ? box.defaultButton()->text() : QString();
        const QRect over = box.geometry() & w.geometry();
        inFront = QTest::qWaitFor([&] { return QApplication::topLevelAt(over.center()) == &box; }, kWait);
        tavlo::test::saveScreen(QStringLiteral("wm-close-with-typing"));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&box, kWait));
        xdotool({QStringLiteral("key"), QStringLiteral("Return")}); // the default answer
    });
    // The window manager's close, as Alt+F4 or the title bar's button sends it.
    xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return catcher.caught() == 1 && !QApplication::activeModalWidget(); }, kWait));
    EXPECT_EQ(question, QStringLiteral("Det du har skrevet inn, er ikke lagret. Vil du forkaste det?"));
    EXPECT_EQ(defaultButton, QStringLiteral("&Nei"));
    EXPECT_TRUE(inFront) << "the question is behind the window";
    EXPECT_TRUE(w.isVisible()) << "Nei keeps the program open";
    EXPECT_EQ(name->text(), QStringLiteral("Barn Olsen")) << "and what was typed";
}

// The program minimised or behind another window, at its login or logged in: a second start
// ends at once, as it always did, and the program's window is back in front with the keyboard.
TEST_F(UnderWindowManager, ASecondStartBringsTheMinimisedProgramBackToTheFront)
{
    const auto xdo = [](std::initializer_list<const char*> arguments) {
        QStringList list;
        for (const char* a : arguments)
            list << QString::fromUtf8(a);
        return list;
    };
    struct Case {
        const char* name;
        bool loggedIn;
        bool minimise; // else only behind the other window
    };
    for (const Case& c : {Case{"minimised at the login", false, true}, Case{"minimised, logged in", true, true},
                          Case{"behind another window, logged in", true, false}}) {
        SCOPED_TRACE(c.name);
        TempDatabase db; // user "demo", password "demo123"
        db.db.DbDisconnect();
        ASSERT_TRUE(tavlo::test::pointProgramAt(db.folder()));
        tavlo::test::ProgramProcess first;
        ASSERT_TRUE(first->waitForStarted());
        QString window = askX(QStringLiteral("xdotool"), xdo({"search", "--sync", "--onlyvisible", "--pid"}) << first.pid());
        ASSERT_FALSE(window.isEmpty()) << first->readAll().toStdString();
        if (c.loggedIn) {
            xdotool(xdo({"windowactivate", "--sync"}) << window);
            xdotool(xdo({"type", "--delay", "0", "demo"}));
            xdotool(xdo({"key", "Tab"}));
            xdotool(xdo({"type", "--delay", "0", "demo123"}));
            xdotool(xdo({"key", "Return"}));
            window = askX(QStringLiteral("xdotool"),
                          xdo({"search", "--sync", "--all", "--onlyvisible", "--pid"}) << first.pid()
                              << QStringLiteral("--name") << QStringLiteral("^TAVLO-II$"));
            ASSERT_FALSE(window.isEmpty()) << first->readAll().toStdString();
        }
        QWidget other; // another program's window, over the program's and with the keyboard
        other.resize(300, 200);
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other, kWait));
        if (c.minimise) {
            xdotool(xdo({"windowminimize", "--sync"}) << window);
            ASSERT_TRUE(QTest::qWaitFor([&] { return minimised(window); }, kWait));
        } else {
            other.raise();
            ASSERT_TRUE(QTest::qWaitFor([&] { return stackedOver(QString::number(other.winId()), window.toULongLong()); }, kWait));
        }
        ASSERT_FALSE(active(window));

        tavlo::test::ProgramProcess second;
        ASSERT_TRUE(second->waitForFinished(kWait)) << "the second start did not end";
        EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second->exitCode(), 0);
        EXPECT_TRUE(second->readAll().isEmpty()) << "it ends silently";
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !minimised(window) && active(window) && stackedOver(window, other.winId()); }, kWait))
            << "minimised: " << minimised(window) << ", active: " << active(window)
            << ", in front: " << stackedOver(window, other.winId());
        EXPECT_EQ(first->state(), QProcess::Running) << "the first one runs on";
    }
}
