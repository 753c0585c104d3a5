#include "vandrel/TextOut.h"
#include "vandrel/vandrel.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace tavlo;

namespace {

// Records what a wrap draws, line by line.
struct Page {
    QImage image{800, 600, QImage::Format_RGB32};
    QPainter painter{&image};
    Page()
    {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(14);
        painter.setFont(font);
    }
    int lineStep() const
    {
        const QFontMetrics m(painter.font(), painter.device());
        return m.height() + m.leading() + 2;
    }
    int width(const QString& text) const { return QFontMetrics(painter.font(), painter.device()).horizontalAdvance(text); }
};

} // namespace

TEST(DrawWrappedText, WrapsAtBlanksAndKeepsALongWordWhole)
{
    Page page;
    const int step = page.lineStep();
    // Room for "alpha beta" but not for "alpha beta gamma".
    const int right = 10 + page.width(QStringLiteral("alpha beta")) + 2;
    EXPECT_EQ(DrawWrappedText(&page.painter, 100, QStringLiteral("alpha beta gamma"), 10, right, false, 0), 100 + 2 * step);
    EXPECT_EQ(DrawWrappedText(&page.painter, 100, QStringLiteral("alpha beta"), 10, right, false, 0), 100 + step);
    // One word wider than the room stays on its line, unbroken.
    EXPECT_EQ(DrawWrappedText(&page.painter, 0, QStringLiteral("Hukommelsesfunksjoner"), 10, 30, false, 0), step);
    EXPECT_EQ(DrawWrappedText(&page.painter, 0, QStringLiteral("a Hukommelsesfunksjoner b"), 10, 30, false, 0),
              3 * step);
    // Nothing to draw is still one line.
    EXPECT_EQ(DrawWrappedText(&page.painter, 7, QString(), 10, 300, true, 0), 7 + step);
    EXPECT_EQ(DrawWrappedText(&page.painter, 7, QStringLiteral("   "), 10, 300, true, 0), 7 + step);
}

TEST(DrawWrappedText, LaterLinesMayStartElsewhereAndTheExportIsTheSameRoutine)
{
    Page page;
    const QString text = QStringLiteral("en to tre fire fem seks sju åtte ni ti elleve tolv");
    const int narrow = DrawWrappedText(&page.painter, 0, text, 100, 200, false, 0);
    // Later lines from x 0 have twice the room: fewer lines.
    const int wide = DrawWrappedText(&page.painter, 0, text, 100, 200, false, 1);
    EXPECT_LT(wide, narrow);
    EXPECT_EQ(cDoTextOut(&page.painter, 0, text.toUtf8().constData(), 100, 200, 0, 0), narrow);
    EXPECT_EQ(cDoTextOut(nullptr, 5, "x", 0, 10, 1, 0), 5);
    EXPECT_EQ(cDoTextOut(&page.painter, 0, nullptr, 0, 100, 1, 0), page.lineStep());

    // Drawing puts ink where the measuring said the lines are.
    page.image.fill(Qt::white);
    page.painter.setPen(Qt::black);
    const int bottom = DrawWrappedText(&page.painter, 0, text, 100, 200, true, 0);
    int lowest = -1;
    for (int y = 0; y < page.image.height(); ++y)
        for (int x = 0; x < page.image.width(); ++x)
            if (page.image.pixel(x, y) != qRgb(255, 255, 255))
                lowest = y;
    EXPECT_GT(lowest, bottom - 2 * page.lineStep());
    EXPECT_LT(lowest, bottom);
}
