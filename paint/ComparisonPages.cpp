#include "paint/ComparisonPages.h"

#include "paint/DrawProfile.h"
#include "paint/DrawReport.h"
#include "session/Session.h"
#include "store/files/OutputFile.h"
#include "vandrel/TextOut.h"

#include <QFontMetrics>
#include <QPainter>

namespace tavlo {

namespace {

constexpr int kLeft = 50;
constexpr int kRight = 750;
// Where each column of a comparison table ends (the label's column starts at the left).
constexpr int kLabelEnd = 420;
constexpr int kBeforeEnd = 520;
constexpr int kAfterEnd = 620;
constexpr int kChangeEnd = 700;

QFont face(int height, bool bold = false, bool italic = false)
{
    return CreateFittedFont(height, bold, italic, false, QStringLiteral("Times New Roman"), 220);
}

void drawRightAligned(QPainter* p, int x, int y, const QString& text)
{
    const QFontMetrics m(p->font());
    p->drawText(x - m.horizontalAdvance(text), y + m.ascent(), text);
}

} // namespace

bool DrawComparisonPages(QPainter& painter, const Comparison& c, const ComparisonChoice& chosen, const PageFlow& flow)
{
    QPainter* p = &painter;
    int page = 0;
    const auto title = [&](int top) {
        p->setPen(Qt::black);
        p->setFont(face(20, true));
        int y = DrawWrappedText(p, top, ComparisonTitle(c), kLeft, kRight, true, 0) + 6;
        p->setFont(face(14));
        y = DrawWrappedText(p, y, QStringLiteral("Født %1").arg(FormatDate(c.born)), kLeft, kRight, true, 0);
        for (const auto& [which, test] : {std::pair(QStringLiteral("Før"), &c.earlier), std::pair(QStringLiteral("Etter"), &c.later)}) {
            y = DrawWrappedText(p, y, ComparedTestLine(which, *test), kLeft, kRight, true, 0);
            if (!test->ageGroupDescription.isEmpty())
                y = DrawWrappedText(p, y, test->ageGroupDescription, kLeft + 20, kRight, true, 0);
        }
        return y + 10;
    };
    const auto endPage = [&] {
        DrawPageFooter(p, kLeft, kRight, ++page);
        if (flow.pageDone)
            flow.pageDone();
    };
    bool failed = false;
    const auto newPage = [&] {
        if (!flow.startPage || !flow.startPage()) {
            failed = true;
            return 0;
        }
        SetPageCoordinates(painter);
        return title(DrawPageHeader(p, kLeft, kRight, 20) + 20);
    };

    SetPageCoordinates(painter);
    int y = title(DrawPageHeader(p, kLeft, kRight, 20) + 20);
    const int bottom = PageBottom(painter) - 70;
    const QFont body = face(14);
    const QFont heading = face(14, false, true);
    const int line = QFontMetrics(body).height() + 4;
    const auto headings = [&](int at) {
        p->setFont(heading);
        p->drawText(kLeft, at + QFontMetrics(heading).ascent(), QStringLiteral("Deltest"));
        drawRightAligned(p, kBeforeEnd, at, QStringLiteral("Før"));
        drawRightAligned(p, kAfterEnd, at, QStringLiteral("Etter"));
        drawRightAligned(p, kChangeEnd, at, QStringLiteral("Endring"));
        p->drawLine(kLeft, at + line, kRight, at + line);
        return at + line + 4;
    };

    bool any = false;
    for (const ComparisonSection& section : c.sections) {
        if (!chosen.domains[size_t(section.domain - 1)])
            continue;
        any = true;
        // A section starts where its title, headings and a row still fit.
        if (y + 4 * line > bottom) {
            endPage();
            if ((y = newPage()) == 0 || failed)
                return false;
        }
        p->setFont(face(16, true));
        y = DrawWrappedText(p, y + 8, section.title, kLeft, kRight, true, 0) + 2;
        y = headings(y);
        if (section.rows.empty()) {
            p->setFont(body);
            y = DrawWrappedText(p, y, QStringLiteral("Ingen deltester har skårer i begge testene."), kLeft, kRight, true, 0);
        }
        for (const ComparisonRow& row : section.rows) {
            if (y + line > bottom) {
                endPage();
                if ((y = newPage()) == 0 || failed)
                    return false;
                y = headings(y);
            }
            p->setFont(row.marked ? face(14, true) : body);
            // Left to right, as the report's rows: the text is extracted in the order drawn.
            const int labelBottom = DrawWrappedText(p, y, row.label, kLeft, kLabelEnd, true, 0);
            drawRightAligned(p, kBeforeEnd, y, row.earlier);
            drawRightAligned(p, kAfterEnd, y, row.later);
            drawRightAligned(p, kChangeEnd, y, ChangeText(row));
            if (row.marked)
                p->drawText(kChangeEnd + 6, y + QFontMetrics(p->font()).ascent(), QStringLiteral("*"));
            y = std::max(y + line, labelBottom + 4);
        }
        p->drawLine(kLeft, y, kRight, y);
        y += 4;
        if (section.anyMarked()) {
            p->setFont(face(12));
            y = DrawWrappedText(p, y, MarkedChangeNote(), kLeft, kRight, true, 0) + 4;
        }
    }
    if (any || !chosen.profile)
        endPage();
    if (chosen.profile) {
        if (any && ((y = newPage()) == 0 || failed))
            return false;
        const QRectF area(kLeft, y, kRight - kLeft, PageBottom(painter) - 60 - y);
        painter.save();
        DrawComparedProfile(p, c, area, true);
        painter.restore();
        endPage();
    }
    return true;
}

bool PrintComparisonToPdf(Session& session, const Comparison& comparison, const ComparisonChoice& chosen,
                          const QString& path)
{
    return PrintPagesToPdf(
        ProtectedFiles(session.db), path,
        [&](QPainter& painter, const PageFlow& flow) { return DrawComparisonPages(painter, comparison, chosen, flow); },
        [&](const QString& where) { return RecordComparisonPrint(session, comparison, where); },
        ComparisonDocumentTitle(comparison));
}

} // namespace tavlo
