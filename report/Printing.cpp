#include "report/Printing.h"

#include "session/Session.h"
#include "app/Look.h"
#include "session/SettingsKey.h"
#include "report/DrawProfile.h"
#include "report/DrawReport.h"
#include "resources/StringTable.h"
#include "store/files/OutputFile.h"
#include "vandrel/MessageSink.h"
#include "vandrel/Registry.h"
#include "vandrel/TextOut.h"
#include "vandrel/vandrel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <climits>
#include <optional>
#include <cstring>

namespace tavlo {

namespace {

constexpr int kLeft = 50;
constexpr int kRight = 750;
const char* const kSelectedReportsValue = "SelectedReports";

// The page faces as the printed report names them; CreateFittedFont gives the missing ones a
// serif stand-in. Only the program name is fitted.
QFont pageFont(int height, bool bold, bool italic)
{
    return CreateFittedFont(height, bold, italic, false, QStringLiteral("New Times Roman"), INT_MAX);
}

void drawLeft(QPainter* p, int x, int y, const QString& text)
{
    p->drawText(x, y + QFontMetrics(p->font()).ascent(), text);
}

void drawRightAligned(QPainter* p, int x, int y, const QString& text)
{
    const QFontMetrics m(p->font());
    p->drawText(x - m.horizontalAdvance(text), y + m.ascent(), text);
}

// An isotropic 800 x 600 window on the printable area, origin top left: 800 units across a
// portrait sheet, as many down as its proportions give.
void setPageCoordinates(QPainter& p)
{
    const QPaintDevice* device = p.device();
    const double scale = std::min(device->width() / 800.0, device->height() / 600.0);
    p.setViewport(0, 0, qRound(800 * scale), qRound(600 * scale));
    p.setWindow(0, 0, 800, 600);
}

int pageBottom(const QPainter& p)
{
    return int(p.combinedTransform().inverted().map(QPointF(0, p.device()->height())).y());
}

QPen rulePen()
{
    return QPen(Qt::black, 1, Qt::SolidLine);
}

int drawPageHeader(QPainter* p, int left, int right, int top)
{
    p->setFont(CreateFittedFont(14, false, true, false, QStringLiteral("New Times Roman"), 220));
    DrawWrappedText(p, top, kProgramCaption, left, right + 100, true, 0);
    // The logo area (106 x 19 at left, 20) stays empty: the program has no logo picture.
    p->setPen(rulePen());
    p->drawLine(left, 60, right, 60);
    p->setFont(pageFont(12, false, true));
    drawRightAligned(p, right, top, FormatDate(Today()));
    return 60;
}

int drawContinuationHeader(QPainter* p, const Session& context, int left, int right, int top)
{
    const PersonalData& person = context.test.person;
    p->setFont(pageFont(16, true, false));
    const int y1 = DrawWrappedText(p, top + 30, LoadString(kStrReportFor) + person.NAMN, left, right, true, 0);
    const QFont label = pageFont(14, false, false);
    const QFont value = pageFont(14, true, false);
    const QFontMetrics labelMetrics(label);
    const int L = labelMetrics.height() + labelMetrics.leading() + 2;

    const auto items = [&](int y, std::initializer_list<std::pair<int, QString>> list) {
        int x = left;
        for (const auto& [id, text] : list) {
            const QString caption = LoadString(id) + u':';
            p->setFont(label);
            drawLeft(p, x, y, caption);
            x += labelMetrics.horizontalAdvance(caption) + 5;
            p->setFont(value);
            drawLeft(p, x, y, text);
            x += QFontMetrics(value).horizontalAdvance(text) + 50;
        }
    };
    items(y1, {{28, person.SEX == 1 ? LoadString(kStrBoy) : LoadString(kStrGirl)},
               {27, FormatTestAge(context.test.testAge())},
               {25, FormatDate(person.TESTDATE)}});
    items(y1 + L, {{30, person.OTHER}});
    items(y1 + 2 * L, {{200, context.norms.AgeGroupDescription}});
    return y1 + 3 * L + 10;
}

void drawPageFooter(QPainter* p, int left, int right, int page)
{
    const int B = pageBottom(*p);
    p->setFont(pageFont(14, false, false));
    drawRightAligned(p, right, B - 30, QStringLiteral("Side %1").arg(page));
    p->setFont(pageFont(9, false, false));
    DrawWrappedText(p, B - 40, LoadString(kStrTrademark), left, right - 370, true, 0);
    p->setPen(rulePen());
    p->drawLine(left, B - 50, right, B - 50);
}

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

} // namespace

bool ReportChoice::anyDomain() const
{
    return std::find(domains.begin(), domains.end(), true) != domains.end();
}

bool DrawReportPages(QPainter& painter, const Session& context, const ReportChoice& chosen,
                     const PageFlow& flow)
{
    QPainter* p = &painter;
    int pageCounter = 0;
    bool pageFailed = false;
    const auto footer = [&](QPainter* on, int left, int right, int page) {
        drawPageFooter(on, left, right, page);
        if (flow.pageDone)
            flow.pageDone();
    };
    const auto startReportPage = [&](QPainter* on, int left, int right, int top) {
        if (!flow.startPage || !flow.startPage()) {
            pageFailed = true;
            return 0;
        }
        setPageCoordinates(*on);
        drawPageHeader(on, left, right, top);
        return drawContinuationHeader(on, context, left, right, top + 20);
    };

    setPageCoordinates(painter);
    const int personTop = drawPageHeader(p, kLeft, kRight, 20) + 60;
    DrawPersonHeader(p, context.test, context.norms.AgeGroupDescription, personTop, kLeft, kRight, true);
    footer(p, kLeft, kRight, ++pageCounter);

    if (chosen.profile) {
        const int top = startReportPage(p, kLeft, kRight, 20);
        if (pageFailed)
            return false;
        // The whole page down to a little above the footer rule, 50 units over the sheet's foot.
        const QRectF area(kLeft, top, kRight - kLeft, pageBottom(painter) - 60 - top);
        painter.save();
        DrawProfile(p, context.test, context.norms.AgeGroupDescription, area, true);
        painter.restore();
        footer(p, kLeft, kRight, ++pageCounter);
    }
    if (!chosen.anyDomain())
        return true;

    const int y = startReportPage(p, kLeft, kRight, 20);
    if (pageFailed)
        return false;
    // Room for a wrapped row above the footer rule, which stands 50 units over the sheet's foot.
    const PageBreaks breaks{&pageCounter, footer, startReportPage, std::min(1000, pageBottom(painter) - 120)};
    DrawReport(p, context.test, y, kLeft, kRight, true, chosen.domains, &breaks);
    if (pageFailed)
        return false;
    footer(p, kLeft, kRight, ++pageCounter);
    return true;
}

namespace {

// The printer as every job starts it, before the examiner (or the caller) chooses where.
void setUpPrinter(QPrinter& printer)
{
    printer.setDocName(kProgramCaption);
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
}

// The pages of the job on the chosen printer; the job stops when *aborted turns true
// between pages. See PrintReport.
bool printPages(QPrinter& printer, Session& context, const ReportChoice& chosen, const bool* aborted)
{
    // A PDF file is written beside its target and put in place when whole, as every file a
    // job writes is; the printer itself writes only the hidden file.
    std::optional<OutputFile> file;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        file.emplace(printer.outputFileName(), ProtectedFiles(context.db));
        if (const auto failure = file->open()) {
            tell(*failure, MessageIcon::Exclamation);
            return false;
        }
        printer.setOutputFileName(file->writingPath());
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        tell(QStringLiteral("Utskriften kunne ikke startes. Kontroller skriveren eller filnavnet."),
             MessageIcon::Exclamation);
        return false;
    }
    // On paper the pages leave the program as they are drawn: logged before the first.
    if (!file && !RecordPrint(context, printer.printerName())) {
        printer.abort();
        painter.end();
        return false;
    }
    const PageFlow flow{[&] { return !*aborted && printer.newPage(); },
                        [] { QCoreApplication::processEvents(); }};
    const bool drawn = DrawReportPages(painter, context, chosen, flow);
    if (drawn && !*aborted) {
        if (!painter.end())
            return false;
        if (!file)
            return true;
        // A file is logged once it is whole, just before it is put in place.
        if (!RecordPrint(context, file->loggedName()))
            return false;
        if (const auto failure = file->commit()) {
            tell(*failure, MessageIcon::Exclamation);
            return false;
        }
        return true;
    }
    // The unfinished file goes with its writer.
    printer.abort();
    painter.end();
    if (!*aborted)
        tell(QStringLiteral("Utskriften kunne ikke fullføres."), MessageIcon::Exclamation);
    return false;
}

} // namespace

bool PrintReport(Session& context, const ReportChoice& chosen, QWidget* owner,
                 const PrintSeams& seams)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    if (!(seams.choosePrinter ? seams.choosePrinter : choosePrinterWithDialog)(printer, owner))
        return true;

    bool aborted = false;
    PrintAbortBox box(owner, aborted);
    box.show();
    return printPages(printer, context, chosen, &aborted);
}

bool PrintReportToPdf(Session& context, const ReportChoice& chosen, const QString& path)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer);
    // What the print dialog's "print to file" sets, and nothing else.
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    const bool aborted = false;
    return printPages(printer, context, chosen, &aborted);
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
