// Renders the program's icon set from its SVGs into the hicolor tree, or with --check tells
// whether the committed PNGs are still what the SVGs draw.
//   tavlo-render-icons <resources/icons> [--check]
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

namespace {

// Below 48 pixels the tilted grid blurs into a grey square: the small sizes have drawings
// of their own on whole pixels.
QString sourceFor(const QDir& icons, int size)
{
    if (size < 32)
        return icons.filePath(QStringLiteral("tavlo-ii-16.svg"));
    if (size < 48)
        return icons.filePath(QStringLiteral("tavlo-ii-32.svg"));
    return icons.filePath(QStringLiteral("hicolor/scalable/apps/tavlo-ii.svg"));
}

QImage render(const QString& svg, int size)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The same picture, give or take the rounding of another build of the renderer.
bool alike(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            if (std::abs(qRed(p) - qRed(q)) > 3 || std::abs(qGreen(p) - qGreen(q)) > 3
                || std::abs(qBlue(p) - qBlue(q)) > 3 || std::abs(qAlpha(p) - qAlpha(q)) > 3)
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <resources/icons> [--check]\n", argv[0]);
        return 2;
    }
    const QDir icons(QString::fromLocal8Bit(argv[1]));
    const bool check = argc > 2 && qstrcmp(argv[2], "--check") == 0;
    int failures = 0;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString png = icons.filePath(QStringLiteral("hicolor/%1x%1/apps/tavlo-ii.png").arg(size));
        const QImage image = render(sourceFor(icons, size), size);
        if (image.isNull()) {
            std::fprintf(stderr, "%s cannot be rendered\n", qPrintable(sourceFor(icons, size)));
            return 1;
        }
        if (check) {
            if (!alike(image, QImage(png))) {
                std::fprintf(stderr, "%s is not what the SVG draws: run tools/render-icons.sh\n", qPrintable(png));
                ++failures;
            }
        } else if (!QDir().mkpath(QFileInfo(png).path()) || !image.save(png)) {
            std::fprintf(stderr, "%s cannot be written\n", qPrintable(png));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
