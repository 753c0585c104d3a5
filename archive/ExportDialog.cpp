#include "archive/ExportDialog.h"

#include "app/AppContext.h"
#include "archive/FileChoice.h"
#include "app/Look.h"
#include "resources/StringTable.h"
#include "vandrel/MessageSink.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <utility>

namespace tavlo {

namespace {

std::function<QString(QWidget*)>& exportChooser()
{
    static std::function<QString(QWidget*)> chooser;
    return chooser;
}

std::function<void(const QString&)>& exportOpener()
{
    static std::function<void(const QString&)> opener;
    return opener;
}

std::function<void(ExportDataDialog&)>& exportRunner()
{
    static std::function<void(ExportDataDialog&)> runner;
    return runner;
}

std::function<void(QProgressDialog&)>& progressWatcher()
{
    static std::function<void(QProgressDialog&)> watcher;
    return watcher;
}

// A box shows this many of the tests Windows-1252 cannot hold; the tool names them all.
constexpr int kMisfitsShown = 10;

void openInEditor(const QString& path)
{
    // An editor that cannot be started is not reported: the file is written.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace

std::unique_ptr<QFileDialog> MakeExportFileDialog(QWidget* owner, ExportFormat format)
{
    return MakeSaveFileDialog(owner, QStringLiteral("TAVLO-II  ") + LoadString(kStrSaveTextFile),
                              QStringLiteral("Alla filer (*.*)"),
                              format == ExportFormat::Csv ? QStringLiteral("csv") : QStringLiteral("txt"));
}

void SetExportFileChooser(std::function<QString(QWidget*)> chooser)
{
    exportChooser() = std::move(chooser);
}

void SetExportFileOpener(std::function<void(const QString&)> opener)
{
    exportOpener() = std::move(opener);
}

void SetExportDialogRunner(std::function<void(ExportDataDialog&)> runner)
{
    exportRunner() = std::move(runner);
}

void SetExportProgressWatcher(std::function<void(QProgressDialog&)> watcher)
{
    progressWatcher() = std::move(watcher);
}

ExportDataDialog::ExportDataDialog(AppContext& context, QWidget* owner)
    : QDialog(owner)
    , m_context(context)
{
    setWindowTitle(QStringLiteral("TAVLO-II") + LoadString(kStrExportTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    UseProgramLook(this);
    setFixedSize(360, 200);
    CentreOnScreen(this);

    auto* text = new QLabel(LoadString(kStrExportExplained), this);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setGeometry(20, 10, 320, 100);

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setGeometry(20, 120, 100, 40);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Avbryt"), this);
    m_cancel->setGeometry(140, 120, 100, 40);
    // Below the buttons, so that everything the dialog always had stays where it was.
    auto* formatLabel = new QLabel(QStringLiteral("&Format:"), this);
    formatLabel->setGeometry(20, 166, 55, 24);
    m_format = new QComboBox(this);
    m_format->addItem(QStringLiteral("Tabulatordelt tekst (.txt)"), int(ExportFormat::Text));
    m_format->addItem(QStringLiteral("CSV for statistikk og regneark (.csv, UTF-8)"), int(ExportFormat::Csv));
    m_format->setGeometry(80, 166, 260, 24);
    formatLabel->setBuddy(m_format);
    connect(m_ok, &QPushButton::clicked, this, &ExportDataDialog::exportToChosenFile);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ExportFormat ExportDataDialog::format() const
{
    return ExportFormat(m_format->currentData().toInt());
}

ExportDone ExportDataDialog::exportWithProgress(const QString& path, ExportEncoding encoding, ExportFormat format)
{
    QProgressDialog progress(QStringLiteral("Eksporterer tester …"), QStringLiteral("&Avbryt"), 0, 0, this);
    progress.setWindowTitle(QStringLiteral("TAVLO-II"));
    // Modal, so that the events it lets through between chunks cannot start a second export.
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setValue(0);
    return ExportTests(m_context, path, [&progress](int written, int total) {
        progress.setMaximum(total);
        progress.setValue(written);
        if (const auto& watch = progressWatcher())
            watch(progress);
        return !progress.wasCanceled();
    }, encoding, format);
}

void ExportDataDialog::exportToChosenFile()
{
    const auto& choose = exportChooser();
    const QString path = choose ? choose(this) : ChosenFile(*MakeExportFileDialog(this, format()));
    if (path.isEmpty()) {
        reject();
        return;
    }
    ExportDone done = exportWithProgress(path, ExportEncoding::Windows1252, format());
    if (done.result.outcome == ExportOutcome::NeedsUtf8) {
        // No means nothing written, as if the save dialog had been cancelled.
        const QString offer = MisfitsText(done.result.misfits, kMisfitsShown)
                              + QStringLiteral("\n\nVil du lagre eksportfilen i UTF-8 i stedet? Da beholdes alle tegn, "
                                               "men et program som bare leser Windows-1252, viser dem feil. "
                                               "Velger du Nei, lagres ingenting.");
        if (!askYesNo(offer)) {
            reject();
            return;
        }
        done = exportWithProgress(path, ExportEncoding::Utf8, ExportFormat::Text);
    }
    if (done.result.outcome == ExportOutcome::Cancelled) {
        reject();
        return;
    }
    if (ShowIfFailed(done.failure))
        return; // OK may be pressed again
    m_written = WrittenExport{path, done.result.tests};
    const auto& open = exportOpener();
    if (open)
        open(path);
    else
        openInEditor(path);
    accept();
}

std::optional<WrittenExport> ExportDialog(AppContext& context, QWidget* owner)
{
    ExportDataDialog dialog(context, owner);
    if (const auto& run = exportRunner())
        run(dialog);
    else
        dialog.exec();
    return dialog.written();
}

} // namespace tavlo
