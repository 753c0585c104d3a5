// The library's small drawing, rounding and digit-letter routines. A drawing context is a
// QPainter; colours are Windows colour references 0x00BBGGRR.
#include "vandrel/vandrel.h"

#include <QPaintDevice>
#include <QPainter>

#include <cmath>
#include <cstring>

namespace {

QColor fromColorRef(uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

constexpr char kLetters[] = "ABCDEFGHKL"; // 0-9: I and J are skipped

} // namespace

extern "C" {

int32_t DoOneToA(char* text)
{
    for (char* c = text; c && *c; ++c) {
        if (*c >= '0' && *c <= '9')
            *c = kLetters[*c - '0'];
    }
    return 0;
}

int32_t DoAToOne(char* text)
{
    for (char* c = text; c && *c; ++c) {
        if (const char* at = std::strchr(kLetters, *c))
            *c = char('0' + (at - kLetters));
    }
    return 0;
}

int32_t cDoRound(double x)
{
    if (!std::isfinite(x) || x >= 2147483647.0 || x <= -2147483648.0)
        return 0;
    const double t = std::trunc(x);
    const double f = x - t;
    const auto whole = int32_t(t);
    // Odd numbers round up at a half, even ones a hair earlier.
    if (whole % 2 != 0)
        return f >= 0.5 ? whole + 1 : whole;
    return f > 0.4999 ? whole + 1 : whole;
}

int32_t DoPaintRectangle(QPainter* painter, int32_t left, int32_t top, int32_t width, int32_t height, uint32_t colour)
{
    if (!painter)
        return 0;
    painter->save();
    painter->setBrush(fromColorRef(colour));
    painter->drawRect(left, top, width, height);
    painter->restore();
    return 0;
}

int32_t DoPaintCircle(QPainter* painter, int32_t left, int32_t top, int32_t diameter, uint32_t colour)
{
    if (!painter)
        return 0;
    painter->save();
    painter->setBrush(fromColorRef(colour));
    painter->drawEllipse(left, top, diameter, diameter);
    painter->restore();
    return 0;
}

int32_t DoPaintFrame3D(QPainter* painter, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour,
                       int32_t depth)
{
    if (!painter)
        return 0;
    const int right = x + width, bottom = y + height;
    painter->save();
    painter->setPen(QPen(fromColorRef(colour), 0));
    painter->setBrush(fromColorRef(colour));
    painter->drawRect(QRect(QPoint(depth == 0 ? x - 2 : x, y), QPoint(right, bottom)));
    painter->setPen(QPen(QColor(255, 250, 240), 2));
    for (int level = 0; level < 3 && level < depth; ++level)
        painter->drawPolyline(QPolygon({QPoint(right + level, y - level), QPoint(x - level, y - level),
                                        QPoint(x - level, bottom + level)}));
    painter->setPen(QPen(Qt::black, 1));
    for (int level = 0; level < 3 && level < depth; ++level) {
        painter->drawLine(x - level, bottom + level, right + 1 + level, bottom + level);
        painter->drawLine(right + level, y - level, right + level, bottom + level);
    }
    painter->restore();
    return 0;
}

int32_t cDoBackgroundGrid(QPainter* painter, int32_t left, int32_t y, int32_t width, int32_t height, int32_t first,
                          int32_t last, int32_t step, int32_t dark)
{
    if (!painter || step <= 0)
        return width;
    int n = 0;
    for (long long v = first; v <= last; v += step)
        ++n;
    const int w = width / (n + 1);
    // The labels stand one text line above the grid, measured in the font in use on entry.
    const QFontMetrics entry = painter->fontMetrics();
    const int labelTop = y - (entry.height() + entry.leading());
    painter->save();
    painter->setBackgroundMode(Qt::TransparentMode);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(12);
    painter->setFont(font);
    painter->setPen(QPen(dark ? QColor(Qt::black) : QColor(164, 164, 164), 1));
    const QFontMetrics metrics = painter->fontMetrics();
    for (int k = 1; k <= n; ++k) {
        const int x = left + k * w;
        const QString label = QString::number(first + (k - 1) * step);
        painter->drawLine(x, y, x, y + height);
        painter->drawText(x - metrics.horizontalAdvance(label) / 2, labelTop + metrics.ascent(), label);
    }
    painter->restore();
    return w;
}

int32_t CDoCheckResolution(const QPaintDevice* window)
{
    return window ? window->depth() : 0;
}

}
