// The library's drawing, rounding and digit-letter exports.
#include "RecordingPaintDevice.h"
#include "vandrel/vandrel.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using tavlo::test::RecordingPaintDevice;

TEST(Exports82, RoundingWithItsTolerance)
{
    const std::pair<double, int> cases[] = {
        {2.4999, 2}, {2.49995, 3}, {3.4999, 3}, {3.49995, 3}, {2.5, 3}, {3.5, 4}, {-1.7, -1},
        {-2.5, -2},  {0.0, 0},     {0.49995, 1}, {1.5, 2},     {7.0, 7},
    };
    for (const auto& [x, expected] : cases)
        EXPECT_EQ(cDoRound(x), expected) << x;
    // Values no integer can hold give 0, never undefined behaviour.
    EXPECT_EQ(cDoRound(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(cDoRound(1e12), 0);
}

TEST(Exports82, DigitsAndLettersRoundTrip)
{
    char text[] = "2014-05";
    EXPECT_EQ(DoOneToA(text), 0);
    EXPECT_STREQ(text, "CABE-AF");
    EXPECT_EQ(DoAToOne(text), 0);
    EXPECT_STREQ(text, "2014-05");
    char all[] = "0123456789 IJ ab";
    DoOneToA(all);
    EXPECT_STREQ(all, "ABCDEFGHKL IJ ab");
    DoAToOne(all);
    EXPECT_STREQ(all, "0123456789 IJ ab") << "I, J and lower case stay";
    EXPECT_EQ(DoOneToA(nullptr), 0);
    EXPECT_EQ(DoAToOne(nullptr), 0);
}

TEST(Exports82, BackgroundGridLinesAndLabels)
{
    RecordingPaintDevice device;
    QPainter p(&device);
    QFont entry(QStringLiteral("Liberation Sans"));
    entry.setPixelSize(20);
    p.setFont(entry);
    EXPECT_EQ(cDoBackgroundGrid(&p, 10, 100, 400, 50, 0, 10, 5, 1), 100);
    EXPECT_EQ(p.font(), entry) << "the font in use comes back";
    p.end();
    ASSERT_EQ(device.rules().size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(device.rules()[size_t(k)], QLineF(10 + 100 * (k + 1), 100, 10 + 100 * (k + 1), 150));
    }
    EXPECT_EQ(device.textList(), (QStringList{QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("10")}));
    // One line of the entry font above the grid.
    const QFontMetrics m(entry);
    EXPECT_LT(device.texts()[0].at.y(), 100);
    EXPECT_GT(device.texts()[0].at.y(), 100 - (m.height() + m.leading()));

    RecordingPaintDevice none;
    QPainter q(&none);
    EXPECT_EQ(cDoBackgroundGrid(&q, 10, 100, 400, 50, 11, 10, 5, 0), 400);
    EXPECT_EQ(cDoBackgroundGrid(&q, 10, 100, 400, 50, 0, 10, 0, 0), 400) << "a step of 0 draws nothing";
    q.end();
    EXPECT_TRUE(none.rules().empty());
}

TEST(Exports82, ShapesInWindowsColours)
{
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    EXPECT_EQ(DoPaintRectangle(&p, 10, 10, 20, 20, 0x000000FFu), 0); // red
    EXPECT_EQ(DoPaintCircle(&p, 50, 50, 40, 0x00FF0000u), 0);         // blue
    EXPECT_EQ(DoPaintFrame3D(&p, 40, 10, 30, 20, 0x0000FF00u, 3), 0); // green, three levels
    p.end();
    EXPECT_EQ(image.pixelColor(20, 20), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(70, 70), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(52, 52), QColor(Qt::white)) << "a circle, not a square";
    EXPECT_EQ(image.pixelColor(55, 20), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(38, 20), QColor(255, 250, 240)) << "the light left edge";
    EXPECT_EQ(image.pixelColor(72, 20), QColor(0, 0, 0)) << "the dark right edge";
    EXPECT_EQ(DoPaintFrame3D(nullptr, 0, 0, 1, 1, 0, 1), 0);
    EXPECT_EQ(CDoCheckResolution(&image), 32);
    EXPECT_EQ(CDoCheckResolution(nullptr), 0);
}
