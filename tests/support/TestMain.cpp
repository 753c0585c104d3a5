// Every test program starts here: settings, profile files and runtime files go to a fresh
// temporary folder, never the user's own.
#include <QDir>
#ifdef TAVLO_GUI_TESTS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif
#include <QTemporaryDir>
#include <QTemporaryFile>

#include "PasswordRounds.h"
#include "TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifdef TAVLO_GUI_TESTS
// Qt's offscreen screen is 800 x 800: too narrow for an 800-wide window with its frame, which
// would be shrunk to fit. This one is wider and as tall, unless TAVLO_TEST_SCREEN gives the
// size (WIDTHxHEIGHT) of a screen to try the windows on. The file is readable by all: a test
// that re-runs itself as another user hands the platform down.
void useWiderOffscreenScreen(QTemporaryFile& config)
{
    const QList<QByteArray> size = qgetenv("TAVLO_TEST_SCREEN").split('x');
    const QByteArray width = size.size() == 2 ? size[0] : "1024", height = size.size() == 2 ? size[1] : "800";
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && config.open()
        && config.write(R"({"screens": [{"name": "offscreen", "width": )" + width + R"(, "height": )" + height + "}]}") > 0
        && config.flush()
        && config.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toUtf8());
}
#endif

int main(int argc, char** argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tavlo-test-XXXXXX"));
    // A test that re-runs itself as another user hands its own folders down.
    if (!qEnvironmentVariableIsSet("TAVLO_TEST_KEEP_ENV")) {
        const QByteArray root = home.path().toUtf8();
        for (const char* sub : {"config", "config-system", "runtime", "data"})
            QDir().mkpath(home.path() + u'/' + QLatin1String(sub));
        qputenv("XDG_CONFIG_HOME", root + "/config");
        qputenv("XDG_CONFIG_DIRS", root + "/config-system");
        qputenv("XDG_RUNTIME_DIR", root + "/runtime");
        qputenv("XDG_DATA_HOME", root + "/data");
        QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    tavlo::test::exportTestServerTemplate();
    // Nearly every test makes a database and logs in: at the program's count the digests alone
    // took a quarter of the suite. The tests of the digests hold the real count (UsersTest.cpp).
    tavlo::SetPasswordIterationsForTests(tavlo::test::kTestPasswordIterations);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef TAVLO_GUI_TESTS
    QTemporaryFile screen(QDir::tempPath() + QStringLiteral("/tavlo-screen-XXXXXX.json"));
    useWiderOffscreenScreen(screen);
#endif

    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
