#include "app/StartUp.h"

#include "app/AppContext.h"
#include "app/LoginDialog.h"
#include "app/NewDatabaseDialog.h"
#include "archive/FileChoice.h"
#include "resources/StringTable.h"
#include "store/creation/NewDatabase.h"
#include "store/connection/Workgroup.h"
#include "vandrel/MessageSink.h"
#include "vandrel/vandrel.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <cstring>

namespace tavlo {

namespace {

QString withSeparator(QString folder)
{
    if (!folder.endsWith(u'/') && !folder.endsWith(u'\\'))
        folder += u'/';
    return folder;
}

QString chooseWithDialog(QWidget* owner)
{
    return ChosenFile(*MakeDatabaseFileDialog(owner));
}

QString createWithDialog(QWidget* owner)
{
    NewDatabaseDialog dialog(owner);
    return dialog.exec() == QDialog::Accepted ? dialog.createdFolder() : QString();
}

int loginWithDialog(QWidget* owner, Database& db)
{
    LoginDialog dialog(db, owner);
    return dialog.exec();
}

void stop(const QString& text)
{
    tell(text, MessageIcon::Stop);
}

} // namespace

std::unique_ptr<QFileDialog> MakeDatabaseFileDialog(QWidget* owner)
{
    auto dialog = std::make_unique<QFileDialog>(owner, QString(), QDir::currentPath(),
                                                QStringLiteral("All (*.*);;Text (*.TXT)"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog;
}

QString FindDatabaseFolder()
{
    char user[128];
    std::memset(user, 0, sizeof user);
    cDoGetRegistryValue_Ex(kRegistryKey, "DatabaseFolder", user);
    if (std::strlen(user) > 1)
        return withSeparator(QString::fromUtf8(user));
    char machine[1024];
    std::memset(machine, 0, sizeof machine);
    if (cDoGetRegistryValueLocalMachine(kRegistryKey, "DatabaseFolder", machine) == 1 && std::strlen(machine) > 1)
        return withSeparator(QString::fromUtf8(machine));
    return withSeparator(QDir::currentPath());
}

QString FolderOfChosenFile(const QString& chosen)
{
    for (const QString& name : {QStringLiteral("tavlo-ii.mdb"), QStringLiteral("Tavlo-ii.mdb"), kDatabaseFileName}) {
        if (chosen.endsWith(name))
            return chosen.left(chosen.size() - name.size());
    }
    return chosen;
}

bool RunStartUp(QWidget* owner, AppContext& context, const StartUpSeams& seams)
{
    context.norms.CurrentNormGroup = QStringLiteral("Standardgrupp");
    QString folder = FindDatabaseFolder();
    // Appended to the folder as it stands: a chosen path that still holds a file name fails here.
    const auto database = [&] { return folder + kDatabaseFileName; };
    const auto workgroup = [&] { return folder + kWorkgroupFileName; };

    // A folder whose workgroup file names a server holds no database file.
    const auto missingDatabase = [&] { return !QFileInfo::exists(database()) && !WorkgroupNamesServer(workgroup()); };
    const auto missingWorkgroup = [&] { return !QFileInfo::exists(workgroup()); };

    if (missingDatabase() || missingWorkgroup()) {
        if (missingDatabase())
            tell(QDir::toNativeSeparators(database()));
        if (missingWorkgroup())
            tell(QDir::toNativeSeparators(workgroup()));
        stop(QStringLiteral("Det var ikke mulig å finne noen av de følgende databasefilene: TAVLO-II.mdb, Virod.mdw. Du kommer nå til å se et vindu der du kan velge den mappen hvor databasefilene finnes. Velg databasefilen TAVLO-II.mdb i mappen og trykk OK. Hvis du er usikker, kontakt din IT-support."));
        // A new clinic has no file to choose: it may have a database made here instead.
        QString created;
        if (askYesNo(kOfferNewDatabase, MessageIcon::Question, false))
            created = (seams.createDatabase ? seams.createDatabase : createWithDialog)(owner);
        const QString chosen = !created.isEmpty()
                                   ? created
                                   : (seams.chooseDatabaseFile ? seams.chooseDatabaseFile : chooseWithDialog)(owner);
        if (chosen.isEmpty()) {
            stop(QStringLiteral("Valget av mappe og databasefil ble avbrutt, alternativt oppsto det en feil. Programmet avsluttes."));
            return false;
        }
        folder = FolderOfChosenFile(chosen);
        if (cDoSetRegistryValue(kRegistryKey, "DatabaseFolder", folder.toUtf8().constData()) != 1) {
            stop(QStringLiteral("Det oppsto en feil ved registreringen av registerverdi. Programmet avsluttes (E0915)"));
            return false;
        }
        tell(QStringLiteral("Följande mapp för databasen är vald: %1").arg(QDir::toNativeSeparators(folder)),
             MessageIcon::Information);
        if (missingDatabase()) {
            stop(QStringLiteral("Filen TAVLO-II.mdb finnes ikke i valgt mappe. Programmet avsluttes. Rett opp feilen og start programmet på nytt."));
            return false;
        }
        if (missingWorkgroup()) {
            stop(QStringLiteral("Filen Virod.mdw finnes ikke i valgt mappe. Programmet avsluttes. Rett opp feilen og start programmet på nytt."));
            return false;
        }
    }
    NewTestRecord(context.test);
    context.startDirectory = QDir::currentPath();

    // On a server the examiner's own name and password open the connection, at the login.
    if (ShowIfFailed(OpenFolder(context, folder)))
        return false;
    if ((seams.login ? seams.login : loginWithDialog)(owner, context.db) != 1)
        return false;
    ShowIfFailed(NoteReadOnlyDatabase(context));
    return true;
}

} // namespace tavlo
