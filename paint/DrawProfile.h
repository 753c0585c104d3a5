#pragma once
// The score profile of a test: its scaled scores at a glance, drawn by the same code on the
// results view and on paper.

#include <QRectF>
#include <QString>

class QPainter;

namespace tavlo {

struct Comparison;
struct Report;
struct TestRecord;

// Draws the profile of the report into area, its notes under it. printing: black and white,
// the printer's face. Returns the y below the last thing drawn.
qreal DrawProfile(QPainter* painter, const Report& report, const QRectF& area, bool printing);
// The same for the report of the scored test; ageGroupDescription is the age group's text (it
// says whether the norms may be used clinically).
qreal DrawProfile(QPainter* painter, const TestRecord& test, const QString& ageGroupDescription, const QRectF& area,
                  bool printing);

// Both tests of a comparison in one profile in area: the later test's marks as the report draws
// them on a solid line, the earlier's hollow and grey on a dashed one, and a legend naming the
// two tests. Returns the y below the last thing drawn.
qreal DrawComparedProfile(QPainter* painter, const Comparison& comparison, const QRectF& area, bool printing);

} // namespace tavlo
