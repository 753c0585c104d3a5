#include "paint/ReportPages.h"

#include "model/Dates.h"
#include "paint/DrawProfile.h"
#include "paint/DrawReport.h"
#include "report/PersonHeader.h"
#include "resources/StringTable.h"
#include "session/Session.h"
#include "store/files/OutputFile.h"
#include "vandrel/MessageSink.h"
#include "vandrel/TextOut.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <climits>

namespace tavlo {

namespace {

constexpr int kLeft = 50;
constexpr int kRight = 750;

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

} // namespace

void SetPageCoordinates(QPainter& p)
{
    const QPaintDevice* device = p.device();
    const double scale = std::min(device->width() / 800.0, device->height() / 600.0);
    p.setViewport(0, 0, qRound(800 * scale), qRound(600 * scale));
    p.setWindow(0, 0, 800, 600);
}

int PageBottom(const QPainter& p)
{
    return int(p.combinedTransform().inverted().map(QPointF(0, p.device()->height())).y());
}

QPen rulePen()
{
    return QPen(Qt::black, 1, Qt::SolidLine);
}

int DrawPageHeader(QPainter* p, int left, int right, int top)
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

namespace {

int drawContinuationHeader(QPainter* p, const PersonStrip& strip, int left, int right, int top)
{
    p->setFont(pageFont(16, true, false));
    const int y1 = DrawWrappedText(p, top + 30, strip.pageTitle, left, right, true, 0);
    const QFont label = pageFont(14, false, false);
    const QFont value = pageFont(14, true, false);
    const QFontMetrics labelMetrics(label);
    const int L = labelMetrics.height() + labelMetrics.leading() + 2;

    const auto items = [&](int y, const std::vector<LabelledValue>& list) {
        int x = left;
        for (const auto& [name, text] : list) {
            const QString caption = name + u':';
            p->setFont(label);
            drawLeft(p, x, y, caption);
            x += labelMetrics.horizontalAdvance(caption) + 5;
            p->setFont(value);
            drawLeft(p, x, y, text);
            x += QFontMetrics(value).horizontalAdvance(text) + 50;
        }
    };
    items(y1, strip.particulars);
    items(y1 + L, {strip.other});
    items(y1 + 2 * L, {strip.ageGroup});
    return y1 + 3 * L + 10;
}

} // namespace

void DrawPageFooter(QPainter* p, int left, int right, int page)
{
    const int B = PageBottom(*p);
    p->setFont(pageFont(14, false, false));
    drawRightAligned(p, right, B - 30, QStringLiteral("Side %1").arg(page));
    p->setFont(pageFont(9, false, false));
    DrawWrappedText(p, B - 40, LoadString(kStrTrademark), left, right - 370, true, 0);
    p->setPen(rulePen());
    p->drawLine(left, B - 50, right, B - 50);
}

bool DrawReportPages(QPainter& painter, const Report& report, const ReportChoice& chosen, const PageFlow& flow)
{
    QPainter* p = &painter;
    int pageCounter = 0;
    bool pageFailed = false;
    const auto footer = [&](QPainter* on, int left, int right, int page) {
        DrawPageFooter(on, left, right, page);
        if (flow.pageDone)
            flow.pageDone();
    };
    const auto startReportPage = [&](QPainter* on, int left, int right, int top) {
        if (!flow.startPage || !flow.startPage()) {
            pageFailed = true;
            return 0;
        }
        SetPageCoordinates(*on);
        DrawPageHeader(on, left, right, top);
        return drawContinuationHeader(on, report.strip, left, right, top + 20);
    };

    SetPageCoordinates(painter);
    const int personTop = DrawPageHeader(p, kLeft, kRight, 20) + 60;
    DrawPersonHeader(p, report.person, personTop, kLeft, kRight, true);
    footer(p, kLeft, kRight, ++pageCounter);

    if (chosen.profile) {
        const int top = startReportPage(p, kLeft, kRight, 20);
        if (pageFailed)
            return false;
        // The whole page down to a little above the footer rule, 50 units over the sheet's foot.
        const QRectF area(kLeft, top, kRight - kLeft, PageBottom(painter) - 60 - top);
        painter.save();
        DrawProfile(p, report, area, true);
        painter.restore();
        footer(p, kLeft, kRight, ++pageCounter);
    }
    if (!chosen.anyDomain())
        return true;

    const int y = startReportPage(p, kLeft, kRight, 20);
    if (pageFailed)
        return false;
    // Room for a wrapped row above the footer rule, which stands 50 units over the sheet's foot.
    const PageBreaks breaks{&pageCounter, footer, startReportPage, std::min(1000, PageBottom(painter) - 120)};
    DrawReport(p, report, y, kLeft, kRight, true, chosen.domains, &breaks);
    if (pageFailed)
        return false;
    footer(p, kLeft, kRight, ++pageCounter);
    return true;
}

bool DrawReportPages(QPainter& painter, const Session& context, const ReportChoice& chosen, const PageFlow& flow)
{
    return DrawReportPages(painter, BuildReport(context.test, context.norms.AgeGroupDescription), chosen, flow);
}

bool PrintPages(QPaintDevice& device, const DrawPages& draw, const RecordPages& record, const PageFlow& flow,
                const PrintTarget& target)
{
    const auto stopped = [&] { return target.stopped && *target.stopped; };
    const auto abandon = [&] {
        if (target.abandon)
            target.abandon();
    };
    QPainter painter;
    if (!painter.begin(&device)) {
        tell(QStringLiteral("Utskriften kunne ikke startes. Kontroller skriveren eller filnavnet."),
             MessageIcon::Exclamation);
        return false;
    }
    // On paper the pages leave the program as they are drawn: logged before the first.
    if (!target.file && !record(target.printerName)) {
        abandon();
        painter.end();
        return false;
    }
    const bool drawn = draw(painter, flow);
    if (drawn && !stopped()) {
        if (!painter.end())
            return false;
        if (!target.file)
            return true;
        // A file is logged once it is whole, just before it is put in place.
        if (!record(target.file->loggedName()))
            return false;
        if (const auto failure = target.file->commit()) {
            tell(*failure, MessageIcon::Exclamation);
            return false;
        }
        return true;
    }
    abandon();
    painter.end();
    if (!stopped())
        tell(QStringLiteral("Utskriften kunne ikke fullføres."), MessageIcon::Exclamation);
    return false;
}

bool PrintReportPages(QPaintDevice& device, Session& context, const ReportChoice& chosen, const PageFlow& flow,
                      const PrintTarget& target)
{
    return PrintPages(
        device, [&](QPainter& painter, const PageFlow& f) { return DrawReportPages(painter, context, chosen, f); },
        [&](const QString& where) { return RecordPrint(context, where); }, flow, target);
}

QByteArray DocumentXmp(const QString& title)
{
    const QByteArray escaped = title.toHtmlEscaped().toUtf8();
    const QByteArray creator = kProgramCaption.toHtmlEscaped().toUtf8();
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
           " xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
           "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" + escaped + "</rdf:li></rdf:Alt></dc:title>\n"
           "<dc:creator><rdf:Seq><rdf:li>" + creator + "</rdf:li></rdf:Seq></dc:creator>\n"
           "<dc:language><rdf:Bag><rdf:li>nb</rdf:li></rdf:Bag></dc:language>\n"
           "<dc:format>application/pdf</dc:format>\n"
           "<xmp:CreatorTool>" + creator + "</xmp:CreatorTool>\n"
           "</rdf:Description>\n"
           "</rdf:RDF>\n"
           "</x:xmpmeta>\n"
           "<?xpacket end=\"w\"?>";
}

void SetDocumentInfo(QPdfWriter& writer, const QString& title)
{
    writer.setTitle(title);
    writer.setCreator(kProgramCaption);
    // Qt's own packet has no language, and screen readers choose their voice by it.
    writer.setDocumentXmpMetadata(DocumentXmp(title));
}

bool PrintPagesToPdf(const QStringList& protectedFiles, const QString& path, const DrawPages& draw,
                     const RecordPages& record, const QString& title)
{
    OutputFile file(path, protectedFiles);
    if (const auto failure = file.open()) {
        tell(*failure, MessageIcon::Exclamation);
        return false;
    }
    // What a printer set to PDF gives: A4 upright with 10 points all round, 1200 dots per
    // inch; painted within the margins.
    QPdfWriter writer(file.writingPath());
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                     QPageLayout::Point));
    SetDocumentInfo(writer, title);
    PrintTarget target;
    target.file = &file;
    return PrintPages(writer, draw, record, {[&] { return writer.newPage(); }, {}}, target);
}

bool PrintReportToPdf(Session& context, const ReportChoice& chosen, const QString& path)
{
    return PrintPagesToPdf(
        ProtectedFiles(context.db), path,
        [&](QPainter& painter, const PageFlow& flow) { return DrawReportPages(painter, context, chosen, flow); },
        [&](const QString& where) { return RecordPrint(context, where); }, ReportDocumentTitle(context.test));
}

} // namespace tavlo
