#include "vandrel/TextOut.h"

#include "vandrel/vandrel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

namespace tavlo {

int DrawWrappedText(QPainter* painter, int y, const QString& text, int left, int right, bool draw, int nextLeft)
{
    if (!painter)
        return y;
    const QFontMetrics metrics(painter->font(), painter->device());
    const int lineHeight = metrics.height() + metrics.leading();
    int lineLeft = left;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    do {
        while (pos < size && text[pos] == u' ')
            ++pos;
        const qsizetype start = pos;
        qsizetype end = pos;      // end of the last word that fits
        qsizetype measured = pos; // end of the last word measured
        int words = 0;
        int width = 0;
        const int available = right - lineLeft;
        while (measured < size) {
            qsizetype next = text.indexOf(u' ', measured);
            next = next < 0 ? size : next + 1;
            // The trailing blank (or the text's last character) is not measured.
            width = metrics.horizontalAdvance(text.mid(start, next - start - 1));
            ++words;
            end = measured;
            measured = next;
            if (width >= available)
                break;
        }
        // Break before the last word measured when it overran, unless it stands alone.
        const qsizetype lineEnd = width >= available && words > 1 ? end : measured;
        if (draw)
            painter->drawText(lineLeft, y + metrics.ascent(), text.mid(start, lineEnd - start).trimmed());
        pos = lineEnd;
        if (nextLeft != 0)
            lineLeft = nextLeft;
        y += lineHeight + 2;
    } while (pos < size && !text.mid(pos).trimmed().isEmpty());
    return y;
}

} // namespace tavlo

extern "C" int32_t cDoTextOut(QPainter* painter, int32_t y, const char* text, int32_t left, int32_t right,
                              int32_t draw, int32_t nextLeft)
{
    return tavlo::DrawWrappedText(painter, y, QString::fromUtf8(text ? text : ""), left, right, draw != 0, nextLeft);
}
