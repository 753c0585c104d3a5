#include "paint/DrawReport.h"

#include "model/TestRecord.h"
#include "paint/Fonts.h"
#include "report/Report.h"
#include "vandrel/TextOut.h"

#include <QFontMetrics>
#include <QPainter>

#include <climits>
#include <vector>

namespace tavlo {

namespace {

void drawRightAligned(QPainter* p, int x, int y, const QString& text)
{
    const QFontMetrics m(p->font());
    p->drawText(x - m.horizontalAdvance(text), y + m.ascent(), text);
}

void drawLeft(QPainter* p, int x, int y, const QString& text)
{
    p->drawText(x, y + QFontMetrics(p->font()).ascent(), text);
}

int lineHeight(const QFont& font)
{
    const QFontMetrics m(font);
    return m.height() + m.leading();
}

void rule(QPainter* p, int x1, int x2, int y)
{
    p->drawLine(x1, y, x2, y);
}

} // namespace

QFont CreateFittedFont(int height, bool bold, bool italic, bool underline, const QString& face, int maxWidth)
{
    const QString sample = QStringLiteral("ABCdefGHIjklMNOpqrSTUvxyZÅÄÖ");
    QFont font = FaceWithStandIn(face);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setPixelSize(std::max(height, 1));
    while (QFontMetrics(font).horizontalAdvance(sample) > maxWidth && height >= 2)
        font.setPixelSize(--height);
    return font;
}

void DrawColumnHeadings(QPainter* p, int x, int y)
{
    const QStringList headings = ReportColumnHeadings();
    drawLeft(p, x, y, headings[0]);
    drawRightAligned(p, x + 250, y, headings[1]);
    drawRightAligned(p, x + 350, y, headings[2]);
    drawRightAligned(p, x + 412, y, headings[3]);
    drawLeft(p, x + 425, y, headings[4]);
    drawRightAligned(p, x + 625, y, headings[5]);
}

int DrawReport(QPainter* p, const Report& report, int top, int left, int right, bool printing,
               const std::array<bool, 6>& chosen, const PageBreaks* breaks)
{
    const QFont entryFont = p->font();
    const QString face = printing ? QStringLiteral("Times New Roman") : QStringLiteral("Arial");
    const int x = printing ? left : left - 30;
    int y = printing ? top : top + 20;

    const QFont body = CreateFittedFont(16, false, false, false, face, 220);
    const QFont heading = CreateFittedFont(16, false, true, false, face, 220);
    const QFont title = CreateFittedFont(18, true, false, false, face, 300);
    const QFont note = CreateFittedFont(12, false, false, false, face, 220);
    const int W = QFontMetrics(heading).horizontalAdvance(QStringLiteral("Kvalitativ beskrivning"));
    const bool paging = printing && breaks && breaks->printPageFooter && breaks->startReportPage;

    const auto newPage = [&](int pageLeft) {
        const int page = breaks->pageCounter ? ++*breaks->pageCounter : 0;
        breaks->printPageFooter(p, pageLeft, right, page);
        return breaks->startReportPage(p, pageLeft, right, 20);
    };
    const auto headings = [&](int at) {
        p->setFont(heading);
        DrawColumnHeadings(p, x, at + 5);
        const int h = lineHeight(heading);
        rule(p, x, x + 665, at + 5 + h + 5);
        p->setFont(body);
        return at + 5 + h + 8;
    };

    bool first = true;
    bool abandoned = false;
    for (int d = 1; d <= kDomainCount && !abandoned; ++d) {
        if (!chosen[size_t(d - 1)])
            continue;
        const ReportSection& section = report.sections[size_t(d - 1)];
        if (paging && !first && (y = newPage(left)) == 0)
            break;
        first = false;

        p->setFont(title);
        y = DrawWrappedText(p, y + 10, section.title, x, right, true, 0) + 5;
        rule(p, x, x + 665, y);
        int rowY = headings(y);

        // Every row of a table has a value; a raw column of -9 is a delay effect of -9.
        for (const ReportRow& row : section.rows) {
            if (paging && !section.continuationTitle.isEmpty() && rowY > breaks->breakBelow) {
                if ((y = newPage(x)) == 0) {
                    abandoned = true;
                    break;
                }
                p->setFont(title);
                const int bottom = DrawWrappedText(p, y + 10, section.continuationTitle, x, right, true, 0);
                rule(p, x, x + 665, bottom + 5);
                rowY = headings(bottom + 5);
                p->setFont(body);
            }
            rowY += 3;
            // The label column ends at a fixed 240, wherever the section starts.
            const auto label = [&] { return DrawWrappedText(p, rowY, row.Label, x, 240, true, 0); };
            // A PDF's text is extracted (and read aloud) in the order it is drawn: on paper a row
            // goes from its label left to right. The screen draws its label last, as it always has.
            const int labelBottom = printing ? label() : 0;
            drawRightAligned(p, x + 250, rowY, RawColumnText(row));
            drawRightAligned(p, x + 350, rowY, ScaledColumnText(row));
            drawRightAligned(p, x + 412, rowY, PercentileColumnText(row));
            drawLeft(p, x + 425, rowY, row.MeasureType);
            DrawWrappedText(p, rowY, row.Description, x + 625 - W, x + 805 - W, true, 0);
            rowY = std::max(rowY, printing ? labelBottom : label());
        }
        if (abandoned)
            break;
        rule(p, x, x + 665, rowY + 3);
        y = rowY + 6;
        for (const QString& text : section.notes) {
            p->setFont(note);
            y = DrawWrappedText(p, y, text, x, x + 665, true, 0);
        }
    }
    p->setFont(entryFont);
    return y;
}

int DrawReport(QPainter* p, const TestRecord& test, int top, int left, int right, bool printing,
               const std::array<bool, 6>& chosen, const PageBreaks* breaks)
{
    return DrawReport(p, BuildReport(test, QString()), top, left, right, printing, chosen, breaks);
}

int DrawPersonHeader(QPainter* p, const PersonHeader& header, int top, int left, int right, bool printing)
{
    const QFont entryFont = p->font();
    const QString face = printing ? QStringLiteral("Times New Roman") : QStringLiteral("Arial");
    const QFont title = CreateFittedFont(26, true, false, false, face, INT_MAX);
    const QFont label = CreateFittedFont(12, false, false, false, face, INT_MAX);
    const QFont value = CreateFittedFont(16, false, false, false, face, INT_MAX);

    // A label line, its value line under it.
    const auto line = [&](int y, const std::vector<HeaderItem>& items) {
        const auto texts = [&](int at, bool labels) {
            int bottom = at;
            for (size_t i = 0; i < items.size(); ++i) {
                const int from = left + items[i].column;
                // A long text wraps before the next column instead of running into it.
                const int to = i + 1 < items.size() ? left + items[i + 1].column - 10 : right;
                bottom = std::max(bottom, DrawWrappedText(p, at, labels ? items[i].label : items[i].value, from, to,
                                                          true, 0));
            }
            return bottom;
        };
        p->setFont(label);
        const int labelBottom = texts(y, true);
        p->setFont(value);
        return texts(labelBottom, false);
    };

    p->setFont(title);
    int bottom = DrawWrappedText(p, top, header.title, left, right, true, 0) + 20;
    // The next line starts 4 below the lower value.
    for (size_t i = 0; i < header.lines.size(); ++i)
        bottom = line(bottom + (i > 0 ? 4 : 0), header.lines[i]);
    p->setFont(entryFont);
    return bottom + (printing ? 40 : 20);
}

int DrawPersonHeader(QPainter* p, const TestRecord& test, const QString& ageGroupDescription, int top, int left,
                     int right, bool printing)
{
    return DrawPersonHeader(p, BuildPersonHeader(test, ageGroupDescription), top, left, right, printing);
}

} // namespace tavlo
