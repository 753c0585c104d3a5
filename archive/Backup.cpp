#include "archive/Backup.h"

#include "app/AppContext.h"
#include "archive/FileChoice.h"
#include "resources/StringTable.h"
#include "store/accounts/AccessLog.h"
#include "store/connection/ConnectionString.h"
#include "store/files/DatabaseBackup.h"
#include "store/creation/NewDatabase.h"
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
    auto dialog = std::make_unique<QFileDialog>(owner, QStringLiteral("TAVLO-II  Välj mapp att spara databasfilen i"),
                                                QDir::currentPath(), QStringLiteral("Alla filer (*.*)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("mdb"));
    dialog->selectFile(QStringLiteral("TAVLO-II_backup.mdb"));
    return dialog;
}

void SetBackupFileChooser(std::function<QString(QWidget*)> chooser)
{
    backupChooser() = std::move(chooser);
}

void BackupDatabase(AppContext& context, QWidget* owner)
{
    if (NamesServer(context.db.connectionString())) {
        tell(ServerBackupNotice(), MessageIcon::Information);
        return;
    }
    const auto& choose = backupChooser();
    const QString target = choose ? choose(owner) : chooseWithDialog(owner);
    if (target.isEmpty())
        return;
    const std::optional<QString> failure = BackUpDatabaseFile(context.db, target);
    if (failure)
        messageSink().show(QStringLiteral("Error"), *failure, MessageIcon::Information);
    else
        tell(LoadString(kStrBackupDone));
}

} // namespace tavlo
