#include "paint/Fonts.h"

#include <QFontMetrics>
#include <QStringList>

namespace tavlo {

QFont FaceWithStandIn(const QString& face)
{
    QFont font(face);
    // Where the face itself is missing, take its metric-compatible stand-in before the
    // system's wide default.
    const bool serif = face.contains(u"Times");
    font.setFamilies({face, serif ? QStringLiteral("Liberation Serif") : QStringLiteral("Liberation Sans")});
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    return font;
}

QFont WindowsFont(const QString& face, int height, bool bold, bool italic)
{
    QFont font = FaceWithStandIn(face);
    font.setBold(bold);
    font.setItalic(italic);
    int pixels = height;
    font.setPixelSize(pixels);
    while (pixels > 6 && QFontMetrics(font).height() > height)
        font.setPixelSize(--pixels);
    return font;
}

} // namespace tavlo
