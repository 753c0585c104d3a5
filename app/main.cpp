// TAVLO-II: one instance, one window.
#include "app/AppContext.h"
#include "app/GuiSink.h"
#include "app/Look.h"
#include "app/MainWindow.h"
#include "app/QtLanguage.h"
#include "app/SingleInstance.h"
#include "app/StartUp.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TAVLO-II"));
    // Every window and dialog, Qt's own included, carries the program's icon and speaks Bokmål.
    QApplication::setWindowIcon(tavlo::ProgramIcon());
    tavlo::UseNorwegianQtDialogs();

    // A second start while one runs ends at once, silently, after asking the running one to
    // come to the front; a lock left by a crash is taken over.
    tavlo::SingleInstance instance(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    if (!instance.claim()) {
        tavlo::AskToComeForward(instance.serverName());
        return 0;
    }

    tavlo::AppContext context;
    tavlo::MainWindow window(context);
    // Also while the login or a message of the start-up is open.
    QObject::connect(&instance, &tavlo::SingleInstance::comeForwardAsked, &window,
                     [&window] { tavlo::BringToFront(&window); });
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
