#include "results/Printing.h"

#include "app/Look.h"
#include "report/PersonHeader.h"
#include "resources/StringTable.h"
#include "session/Session.h"
#include "session/SettingsKey.h"
#include "store/files/OutputFile.h"
#include "vandrel/MessageSink.h"
#include "vandrel/Registry.h"
#include "vandrel/vandrel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <cstring>
#include <optional>

namespace tavlo {

namespace {

const char* const kSelectedReportsValue = "SelectedReports";

bool choosePrinterWithDialog(QPrinter& printer, QWidget* owner)
{
    return MakePrintDialog(printer, owner)->exec() == QDialog::Accepted;
}

// The small box that lets the examiner stop a job. It is modal while it stands, so nothing
// else (another "&Skriv ut" above all) runs inside the job.
class PrintAbortBox : public QDialog {
public:
    PrintAbortBox(QWidget* owner, bool& aborted)
        : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    {
        setObjectName(QStringLiteral("PrintDlgBox"));
        setWindowTitle(kProgramCaption);
        setWindowModality(Qt::ApplicationModal);
        UseProgramLook(this);
        setFixedSize(220, 100);
        auto* name = new QLabel(kProgramCaption, this);
        name->setAlignment(Qt::AlignCenter);
        name->setGeometry(10, 12, 200, 24);
        auto* cancel = new QPushButton(QStringLiteral("&Avbryt"), this);
        cancel->setGeometry(60, 50, 100, 32);
        connect(cancel, &QPushButton::clicked, this, [this, &aborted] {
            aborted = true;
            hide();
        });
    }

protected:
    // Esc counts as the cancel button; closing by any other way is not offered.
    void reject() override { findChild<QPushButton*>()->click(); }
};

// The stored choice: a value that is missing, empty or longer than the 20 characters this
// program writes ticks nothing; one written before the profile was a choice leaves it out.
ReportChoice storedChoice()
{
    ReportChoice chosen;
    char value[128];
    std::memset(value, 0, sizeof value);
    cDoGetRegistryValue_Ex(kRegistryKey, kSelectedReportsValue, value);
    const qsizetype length = qsizetype(std::strlen(value));
    if (length > kSelectedReportsLength)
        return chosen;
    for (qsizetype i = 1; i < length && i <= 6; ++i)
        chosen.domains[size_t(i - 1)] = value[i] == '1';
    chosen.profile = length > kSelectedProfileIndex && value[kSelectedProfileIndex] == '1';
    return chosen;
}

// The printer as every job starts it, before the examiner (or the caller) chooses where.
void setUpPrinter(QPrinter& printer, const QString& title)
{
    // The printer's PDF takes no XMP metadata: title and creator only.
    printer.setDocName(title);
    printer.setCreator(kProgramCaption);
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
}

// The pages of the job on the chosen printer; the job stops when *aborted turns true
// between pages. See PrintReport.
bool printPages(QPrinter& printer, const QStringList& protectedFiles, const DrawPages& draw, const RecordPages& record,
                const bool* aborted)
{
    // A PDF file is written beside its target and put in place when whole, as every file a
    // job writes is; the printer itself writes only the hidden file.
    std::optional<OutputFile> file;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        file.emplace(printer.outputFileName(), protectedFiles);
        if (const auto failure = file->open()) {
            tell(*failure, MessageIcon::Exclamation);
            return false;
        }
        printer.setOutputFileName(file->writingPath());
    }
    const PageFlow flow{[&] { return !*aborted && printer.newPage(); },
                        [] { QCoreApplication::processEvents(); }};
    // The unfinished file goes with its writer.
    return PrintPages(printer, draw, record, flow,
                      {file ? &*file : nullptr, printer.printerName(), [&] { printer.abort(); }, aborted});
}

} // namespace

bool PrintPagesWithDialog(const QStringList& protectedFiles, const DrawPages& draw, const RecordPages& record,
                          const QString& title, QWidget* owner, const PrintSeams& seams)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, title);
    if (!(seams.choosePrinter ? seams.choosePrinter : choosePrinterWithDialog)(printer, owner))
        return true;

    bool aborted = false;
    PrintAbortBox box(owner, aborted);
    box.show();
    return printPages(printer, protectedFiles, draw, record, &aborted);
}

bool PrintReport(Session& context, const ReportChoice& chosen, QWidget* owner,
                 const PrintSeams& seams)
{
    return PrintPagesWithDialog(
        ProtectedFiles(context.db),
        [&](QPainter& painter, const PageFlow& flow) { return DrawReportPages(painter, context, chosen, flow); },
        [&](const QString& where) { return RecordPrint(context, where); }, ReportDocumentTitle(context.test), owner,
        seams);
}

std::unique_ptr<QPrintDialog> MakePrintDialog(QPrinter& printer, QWidget* owner)
{
    auto dialog = std::make_unique<QPrintDialog>(&printer, owner);
    dialog->setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog->setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog->setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog;
}

ReportSelection::ReportSelection(Session& context, QWidget* owner, PrintSeams seams)
    : QDialog(owner)
    , m_context(context)
    , m_seams(std::move(seams))
    , m_selected(kSelectedReportsLength, '0')
{
    setWindowTitle(QStringLiteral("%1  Rapporter").arg(kProgramCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    UseProgramLook(this);
    // The profile's box is a seventh row under the six: the group and what stands below it
    // move down by one row.
    constexpr int row = 22;
    setFixedSize(400, 330 + row);
    CentreOnScreen(this);

    auto* group = new QGroupBox(QStringLiteral("Velg ønskede rapporter"), this);
    group->setGeometry(10, 15, 370, 165 + row);
    const ReportChoice stored = storedChoice();
    for (int k = 1; k <= 6; ++k) {
        auto* box = new QCheckBox(LoadString(kStrDomainNames + k), this);
        box->setGeometry(20, 40 + row * (k - 1), 350, 20);
        box->setChecked(stored.domains[size_t(k - 1)]);
        m_boxes[size_t(k - 1)] = box;
    }
    m_profile = new QCheckBox(QStringLiteral("Profil"), this);
    m_profile->setGeometry(20, 40 + row * 6, 350, 20);
    m_profile->setChecked(stored.profile);
    m_markAll = new QPushButton(QStringLiteral("&Marker alle"), this);
    m_markAll->setGeometry(20, 195 + row, 140, 26);
    m_unmarkAll = new QPushButton(QStringLiteral("&Avmarker alle"), this);
    m_unmarkAll->setGeometry(170, 195 + row, 140, 26);
    m_print = new QPushButton(QStringLiteral("&Skriv ut"), this);
    m_print->setGeometry(10, 255 + row, 100, 40);
    m_print->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Avbryt"), this);
    m_cancel->setGeometry(130, 255 + row, 100, 40);

    const auto markAll = [this](bool ticked) {
        for (QCheckBox* box : m_boxes)
            box->setChecked(ticked);
        m_profile->setChecked(ticked);
    };
    connect(m_markAll, &QPushButton::clicked, this, [markAll] { markAll(true); });
    connect(m_unmarkAll, &QPushButton::clicked, this, [markAll] { markAll(false); });
    connect(m_print, &QPushButton::clicked, this, &ReportSelection::print);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFocus();
}

void ReportSelection::print()
{
    ReportChoice chosen;
    for (int k = 1; k <= 6; ++k) {
        chosen.domains[size_t(k - 1)] = m_boxes[size_t(k - 1)]->isChecked();
        m_selected[k] = chosen.domains[size_t(k - 1)] ? '1' : '0';
    }
    chosen.profile = m_profile->isChecked();
    m_selected[kSelectedProfileIndex] = chosen.profile ? '1' : '0';
    // The program's own messages, one for each failure: not the library's as well.
    switch (WriteUserRegistryValue(kRegistryKey, kSelectedReportsValue, m_selected.constData())) {
    case RegistryWrite::NotOpened:
        tell(QStringLiteral("Fel vid open (error R1343). Kontakta programleverantören."));
        break;
    case RegistryWrite::NotWritten:
        tell(QStringLiteral("Fel vid write (error R1344). Kontakta programleverantören."));
        break;
    case RegistryWrite::Written:
        break;
    }
    if (chosen.anyDomain() || chosen.profile)
        PrintReport(m_context, chosen, this, m_seams);
}

void ReportSelectionDialog(Session& context, QWidget* owner)
{
    ReportSelection dialog(context, owner);
    dialog.exec();
}

} // namespace tavlo
