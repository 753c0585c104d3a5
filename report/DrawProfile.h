#pragma once
// The score profile of a test: its scaled scores at a glance, drawn by the same code on the
// results view and on paper.

#include <QRectF>
#include <QString>

class QPainter;

namespace tavlo {

struct TestRecord;

// Draws the profile of the scored test into area; ageGroupDescription is the age group's
// text (it says whether the norms may be used clinically). printing: black and white, the
// printer's face. Returns the y below the last thing drawn.
qreal DrawProfile(QPainter* painter, const TestRecord& test, const QString& ageGroupDescription, const QRectF& area,
                  bool printing);

} // namespace tavlo
