// TAVLO-II: one instance, one window.
#include "app/AppContext.h"
#include "app/GuiSink.h"
#include "app/Look.h"
#include "app/MainWindow.h"
#include "app/QtLanguage.h"
#include "app/StartUp.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TAVLO-II"));
    // Every window and dialog, Qt's own included, carries the program's icon and speaks Bokmål.
    QApplication::setWindowIcon(tavlo::ProgramIcon());
    tavlo::UseNorwegianQtDialogs();

    // A second start while one runs ends at once, silently; a lock left by a crash is taken over.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QDir().mkpath(runtime);
    QLockFile lock(runtime + QStringLiteral("/TAVLO-II.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return 0;

    tavlo::AppContext context;
    tavlo::MainWindow window(context);
    tavlo::GuiSink sink(&window);
    tavlo::setMessageSink(&sink);
    if (!tavlo::RunStartUp(&window, context)) {
        tavlo::setMessageSink(nullptr);
        return 1;
    }
    window.showStartScreen();
    window.show();
    const int status = app.exec();
    tavlo::setMessageSink(nullptr);
    return status;
}
