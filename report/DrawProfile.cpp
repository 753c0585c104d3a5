#include "report/DrawProfile.h"

#include "model/TestRecord.h"

#include <QPainter>

namespace tavlo {

qreal DrawProfile(QPainter* painter, const TestRecord&, const QString&, const QRectF& area, bool)
{
    painter->drawText(area.topLeft() + QPointF(0, painter->fontMetrics().ascent()), QStringLiteral("Profil"));
    return area.top() + painter->fontMetrics().height();
}

} // namespace tavlo
