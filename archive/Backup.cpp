#include "archive/Backup.h"

#include "app/AppContext.h"
#include "archive/FileChoice.h"
#include "resources/StringTable.h"
#include "store/NewDatabase.h"
#include "vandrel/MessageSink.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

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

std::optional<QByteArray> hashOf(const QString& path, QString* why)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file) || file.error() != QFileDevice::NoError) {
        *why = file.errorString();
        return std::nullopt;
    }
    return hash.result();
}

// The copy goes to a file beside the target that is renamed over it only once every byte is
// written and the source read twice alike, so a failed copy never destroys an earlier backup.
// nullopt on success, else the reason.
std::optional<QString> copyDatabaseFile(const QString& sourcePath, const QString& targetPath)
{
    const QFileInfo target(targetPath);
    // Renaming over the database in use would leave the open connection writing to a
    // file that is no longer there.
    if (target.exists() && target.canonicalFilePath() == QFileInfo(sourcePath).canonicalFilePath())
        return QStringLiteral("Sikkerhetskopien kan ikke erstatte databasefilen som er i bruk. Velg et annet navn.");

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    QSaveFile copy(targetPath);
    // Unbuffered: a short write shows at once, not in a last flush.
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return copy.errorString();
    QCryptographicHash copied(QCryptographicHash::Sha256);
    for (;;) {
        const QByteArray chunk = source.read(1 << 16);
        if (source.error() != QFileDevice::NoError)
            return source.errorString();
        if (chunk.isEmpty())
            break;
        if (copy.write(chunk) != chunk.size())
            return copy.errorString();
        copied.addData(chunk);
    }
    QString why;
    const auto again = hashOf(sourcePath, &why);
    if (!again)
        return why;
    if (*again != copied.result())
        return QStringLiteral("Databasefilen ble endret under kopieringen. Prøv igjen.");
    // commit() alone ignores a failed last flush (QTBUG-75077) and would put a cut-off copy in place.
    if (!copy.flush() || !copy.commit())
        return copy.errorString();
    const auto written = hashOf(targetPath, &why);
    if (!written)
        return why;
    if (*written != copied.result())
        return QStringLiteral("Kopien er ikke lik databasefilen.");
    return std::nullopt;
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
    const auto& choose = backupChooser();
    const QString target = choose ? choose(owner) : chooseWithDialog(owner);
    if (target.isEmpty())
        return;
    std::optional<QString> failure;
    {
        // A read held open on the program's own connection keeps SQLite's shared lock, so
        // another program sharing the database cannot commit halfway through the copy.
        Transaction hold(context.db);
        if (hold.started()) {
            Statement probe(context.db);
            if (probe.execDirect(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")))
                probe.fetch();
        }
        failure = copyDatabaseFile(context.databaseFolder + kDatabaseFileName, target);
    }
    if (failure)
        messageSink().show(QStringLiteral("Error"), *failure, MessageIcon::Information);
    else
        tell(LoadString(10));
}

} // namespace tavlo
