// One running program per user: the lock, the socket beside it, and what the running program
// does when a later start asks it to come to the front.
#include "app/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstring>
#include <future>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tavlo;

namespace {

constexpr int kWait = 10000; // ms: generous, for a loaded machine

// What a killed process leaves: a socket file nobody listens at.
bool leaveDeadSocket(const QString& path)
{
    const QByteArray name = path.toLocal8Bit();
    sockaddr_un address{};
    if (size_t(name.size()) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

// A later start's question, asked from another thread while this one answers.
bool askFromLaterStart(const QString& serverName, int wait = SingleInstance::kAnswerWait)
{
    auto asked = std::async(std::launch::async, [=] { return AskToComeForward(serverName, wait); });
    (void)QTest::qWaitFor([&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, kWait);
    return asked.get();
}

} // namespace

TEST(SingleInstance, ALaterStartIsRefusedAndTheRunningOneHearsItsRequest)
{
    struct Case {
        const char* name;
        bool deadSocketLeft; // by a killed process
    };
    for (const Case& c : {Case{"a first start", false}, Case{"after a killed process", true}}) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        SingleInstance running(folder.path());
        if (c.deadSocketLeft) {
            ASSERT_TRUE(leaveDeadSocket(running.serverName()));
            EXPECT_FALSE(AskToComeForward(running.serverName())) << "nobody answers at a dead socket";
        }
        int asked = 0;
        QObject::connect(&running, &SingleInstance::comeForwardAsked, [&] { ++asked; });
        ASSERT_TRUE(running.claim());
        EXPECT_TRUE(running.isListening());

        SingleInstance later(folder.path());
        EXPECT_EQ(later.serverName(), running.serverName());
        EXPECT_FALSE(later.claim()) << "the lock keeps a second one out";
        EXPECT_TRUE(running.isListening()) << "and a later start leaves the running one's socket alone";
        EXPECT_TRUE(askFromLaterStart(later.serverName()));
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(askFromLaterStart(later.serverName())) << "every later start is answered";
        EXPECT_EQ(asked, 2);
    }
}

// A program that hangs, or answers something else, never keeps the later start waiting.
TEST(SingleInstance, ALaterStartEndsWhenTheRunningOneGivesNoAnswer)
{
    struct Case {
        const char* name;
        std::function<void(QLocalSocket*)> onRequest;
    };
    const Case cases[] = {
        {"it hangs", [](QLocalSocket*) {}},
        {"it closes the connection", [](QLocalSocket* s) { s->disconnectFromServer(); }},
        {"it answers something else", [](QLocalSocket* s) { s->write("no\n"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString name = SingleInstance(folder.path()).serverName();
        QLocalServer server;
        ASSERT_TRUE(server.listen(name));
        QObject::connect(&server, &QLocalServer::newConnection, [&] {
            while (QLocalSocket* s = server.nextPendingConnection())
                c.onRequest(s);
        });
        EXPECT_FALSE(askFromLaterStart(name, 500));
    }
}

// The window the user works in comes back from the taskbar and gets the keyboard: the login
// before the main window is shown, the main window, or the dialog open over it.
TEST(SingleInstance, BringToFrontRestoresAndActivatesTheWindowInFront)
{
    struct Case {
        const char* name;
        bool mainShown;
        bool dialogOpen;
    };
    for (const Case& c : {Case{"the login", false, true}, Case{"the main window", true, false},
                          Case{"a dialog over the main window", true, true}}) {
        SCOPED_TRACE(c.name);
        QWidget mainWindow;
        mainWindow.resize(400, 300);
        QDialog dialog(&mainWindow);
        // Modal to its window only, so that the window standing for another program's stays free.
        dialog.setWindowModality(Qt::WindowModal);
        QWidget other; // another program's window, in front
        other.resize(200, 100);
        if (c.mainShown)
            mainWindow.show();
        if (c.dialogOpen)
            dialog.show();
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other, kWait));
        for (QWidget* w : {&mainWindow, static_cast<QWidget*>(&dialog)}) {
            if (w->isVisible())
                w->showMinimized();
        }

        BringToFront(&mainWindow);
        QWidget& front = c.dialogOpen ? static_cast<QWidget&>(dialog) : mainWindow;
        EXPECT_TRUE(QTest::qWaitForWindowActive(&front, kWait));
        for (QWidget* w : {&mainWindow, static_cast<QWidget*>(&dialog)})
            EXPECT_FALSE(w->isMinimized());
        EXPECT_EQ(mainWindow.isVisible(), c.mainShown) << "a main window not yet shown stays hidden";
    }
}
