#include "archive/Backup.h"

#include "app/AppContext.h"
#include "archive/FileChoice.h"
#include "resources/StringTable.h"
#include "vandrel/MessageSink.h"

#include <QDir>
#include <QFileDialog>

#include <optional>
#include <utility>

namespace tavlo {

namespace {

std::function<QString(QWidget*)>& backupChooser()
{
    static std::function<QString(QWidget*)> chooser;
    return chooser;
}

QString chooseWithDialog(QWidget* owner)
{
    return ChosenFile(*MakeBackupFileDialog(owner));
}

} // namespace

std::unique_ptr<QFileDialog> MakeBackupFileDialog(QWidget* owner)
{
    auto dialog = MakeSaveFileDialog(owner, QStringLiteral("TAVLO-II  Välj mapp att spara databasfilen i"),
                                     QStringLiteral("Alla filer (*.*)"), QStringLiteral("mdb"));
    dialog->selectFile(QStringLiteral("TAVLO-II_backup.mdb"));
    return dialog;
}

void SetBackupFileChooser(std::function<QString(QWidget*)> chooser)
{
    backupChooser() = std::move(chooser);
}

void BackupDatabase(AppContext& context, QWidget* owner)
{
    // A server's database is said before a file is chosen.
    if (BackupIsTheServers(context)) {
        ShowIfFailed(BackUp(context, {}));
        return;
    }
    const auto& choose = backupChooser();
    const QString target = choose ? choose(owner) : chooseWithDialog(owner);
    if (target.isEmpty())
        return;
    if (!ShowIfFailed(BackUp(context, target)))
        tell(LoadString(kStrBackupDone));
}

} // namespace tavlo
