#include "app/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tavlo {

void UseNorwegianQtDialogs()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->findChild<QTranslator*>(QLatin1String(kQtNynorskName)))
        return;
    // A desktop's own file dialog would speak the desktop's language, not this file's.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);

    // Qt asks the translator installed last first: Bokmål goes in after Nynorsk, so Nynorsk
    // answers only what the Bokmål file lacks.
    auto* nynorsk = new QTranslator(app);
    nynorsk->setObjectName(QLatin1String(kQtNynorskName));
    if (nynorsk->load(QLatin1String(kQtNynorskName), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(nynorsk);
    auto* bokmal = new QTranslator(app);
    if (bokmal->load(QLatin1String(kQtBokmalFile)))
        QCoreApplication::installTranslator(bokmal);
    else
        qWarning("The Bokmål translation of Qt's dialogs is missing from the program's resources");
}

} // namespace tavlo
