#include "paint/DrawProfile.h"

#include "model/TestRecord.h"
#include "paint/DrawReport.h"
#include "report/Comparison.h"
#include "report/Report.h"
#include "vandrel/TextOut.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tavlo {

namespace {

constexpr qreal kBandTextWidth = 112;
constexpr qreal kNumbersWidth = 22;
constexpr qreal kMark = 4.5;

struct Fonts {
    QFont text;
    QFont small;
    QFont name;
};

Fonts fontsFor(bool printing)
{
    const QString face = printing ? QStringLiteral("Times New Roman") : QStringLiteral("Arial");
    return {CreateFittedFont(11, false, false, false, face, 160), CreateFittedFont(10, false, false, false, face, 145),
            CreateFittedFont(11, true, false, false, face, 170)};
}

// The legend and the notes, wrapped over the width; draw false only measures.
qreal drawNotes(QPainter* p, const QStringList& lines, qreal top, const QRectF& area, bool draw)
{
    int y = int(top) + 4;
    for (const QString& line : lines)
        y = DrawWrappedText(p, y, line, int(area.left()), int(area.right()), draw, 0);
    return y - top;
}

ProfileMetrics measure(QPainter* p, const Fonts& fonts, const Profile& profile, const QStringList& notes,
                       const QRectF& area)
{
    ProfileMetrics m;
    m.scaleWidth = kBandTextWidth + kNumbersWidth;
    const QFontMetricsF name(fonts.name);
    m.namesHeight = 3 * name.height() + 6;
    for (const ProfileDomain& d : profile.domains) {
        qreal longest = 0;
        for (const QString& word : d.name.split(u' '))
            longest = std::max(longest, name.horizontalAdvance(word));
        m.minGroupWidth[size_t(d.domain - 1)] = longest + 8;
    }
    const QFontMetricsF small(fonts.small);
    qreal label = 0;
    for (const ProfileDomain& d : profile.domains) {
        for (const ProfilePoint& point : d.points)
            label = std::max(label, small.horizontalAdvance(point.label));
    }
    m.labelsHeight = label + 10;
    p->setFont(fonts.text);
    m.notesHeight = drawNotes(p, notes, 0, area, false) + QFontMetricsF(fonts.text).height() + 8;
    return m;
}

// Lighter away from the average, so the bands read as a scale on paper too.
QColor bandShade(size_t band)
{
    static const int shades[] = {246, 238, 228, 212};
    const int distance = std::abs(int(band) - 3);
    return QColor(shades[3 - distance], shades[3 - distance], shades[3 - distance]);
}

void drawScale(QPainter* p, const Fonts& fonts, const ProfileGeometry& g, const QRectF& area)
{
    p->setPen(Qt::NoPen);
    for (size_t i = 0; i < g.bands.size(); ++i)
        p->fillRect(g.bands[i].rect, bandShade(i));
    p->setFont(fonts.small);
    const QFontMetricsF small(fonts.small);
    for (const ProfileBand& band : g.bands) {
        p->setPen(QPen(Qt::black, band.average ? 1.5 : 0.5));
        p->drawLine(QLineF(band.rect.topLeft(), band.rect.topRight()));
        p->drawLine(QLineF(band.rect.bottomLeft(), band.rect.bottomRight()));
        p->setFont(band.average ? fonts.name : fonts.small);
        const int height = DrawWrappedText(p, 0, band.text, int(area.left()), int(area.left() + kBandTextWidth), false, 0);
        DrawWrappedText(p, int(band.rect.center().y() - height / 2.0), band.text, int(area.left()),
                        int(area.left() + kBandTextWidth), true, 0);
    }
    p->setFont(fonts.small);
    p->setPen(QPen(Qt::black, 0.5));
    for (int s = kLowestScaled; s <= kHighestScaled; ++s) {
        const QString number = QString::number(s);
        const qreal y = g.yOf(s);
        p->drawText(QPointF(g.plot.left() - 5 - small.horizontalAdvance(number), y + small.ascent() / 2 - 1), number);
        p->drawLine(QLineF(g.plot.left() - 3, y, g.plot.left(), y));
    }
    p->drawRect(g.plot);
}

void drawMark(QPainter* p, ProfileGroup group, const QPointF& at)
{
    p->setPen(QPen(Qt::black, 1.2));
    switch (group) {
    case ProfileGroup::Measure:
        p->setBrush(Qt::black);
        p->drawEllipse(at, kMark, kMark);
        break;
    case ProfileGroup::Combined:
        p->setBrush(Qt::white);
        p->drawRect(QRectF(at.x() - kMark, at.y() - kMark, 2 * kMark, 2 * kMark));
        break;
    case ProfileGroup::Contrast: {
        p->setBrush(Qt::white);
        const qreal r = kMark + 1;
        const QPointF tri[] = {{at.x(), at.y() - r}, {at.x() + r, at.y() + r * 0.8}, {at.x() - r, at.y() + r * 0.8}};
        p->drawPolygon(tri, 3);
        break;
    }
    }
    p->setBrush(Qt::NoBrush);
}

// The label reads upwards and ends just under the plot.
void drawLabel(QPainter* p, const QFontMetricsF& metrics, const QString& label, qreal x, qreal top)
{
    p->save();
    p->translate(x + (metrics.ascent() - metrics.descent()) / 2, top + 4);
    p->rotate(-90);
    p->drawText(QPointF(-metrics.horizontalAdvance(label), 0), label);
    p->restore();
}

// A domain's name over its columns; crowded domains read apart only with a divider between them.
void drawDomainHeading(QPainter* p, const Fonts& fonts, const ProfileGeometry& g, size_t d, const QString& name)
{
    const QRectF& group = g.groups[d];
    if (d > 0) {
        const qreal x = (g.groups[d - 1].right() + group.left()) / 2;
        p->setPen(QPen(QColor(150, 150, 150), 0.8, Qt::DashLine));
        p->drawLine(QLineF(x, group.top(), x, g.labelsTop));
    }
    p->setPen(Qt::black);
    p->setFont(fonts.name);
    DrawWrappedText(p, int(group.top()), name, int(group.left()), int(group.right()) + 1, true, 0);
}

void drawDomains(QPainter* p, const Fonts& fonts, const Profile& profile, const ProfileGeometry& g)
{
    const QFontMetricsF small(fonts.small);
    for (size_t d = 0; d < profile.domains.size(); ++d) {
        const ProfileDomain& domain = profile.domains[d];
        drawDomainHeading(p, fonts, g, d, domain.name);
        const auto& at = g.points[d];
        p->setPen(QPen(Qt::black, 1.2));
        for (size_t i = 1; i < at.size(); ++i) {
            if (domain.points[i].group == domain.points[i - 1].group)
                p->drawLine(QLineF(at[i - 1], at[i]));
        }
        p->setFont(fonts.small);
        for (size_t i = 0; i < at.size(); ++i) {
            drawMark(p, domain.points[i].group, at[i]);
            p->setPen(Qt::black);
            drawLabel(p, small, domain.points[i].label, at[i].x(), g.labelsTop);
        }
    }
}

// One line that says which mark is which.
void drawLegend(QPainter* p, const Fonts& fonts, qreal x, qreal y)
{
    const QFontMetricsF metrics(fonts.text);
    p->setFont(fonts.text);
    const std::pair<ProfileGroup, QString> items[] = {{ProfileGroup::Measure, QStringLiteral("Mål")},
                                                      {ProfileGroup::Combined, QStringLiteral("Kombinert skåre")},
                                                      {ProfileGroup::Contrast, QStringLiteral("Kontrastskåre")}};
    for (const auto& [group, text] : items) {
        drawMark(p, group, QPointF(x + kMark, y + metrics.height() / 2));
        p->setPen(Qt::black);
        p->drawText(QPointF(x + 3 * kMark, y + metrics.ascent()), text);
        x += 3 * kMark + metrics.horizontalAdvance(text) + 20;
    }
}

// Headed like a domain section, so the page and the view say what they show; the chart goes
// under the heading.
QRectF titledChart(QPainter* painter, const QRectF& area, bool printing)
{
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::black);
    painter->setFont(CreateFittedFont(18, true, false, false,
                                      printing ? QStringLiteral("Times New Roman") : QStringLiteral("Arial"), 300));
    const int titleBottom =
        DrawWrappedText(painter, int(area.top()) + 10, QStringLiteral("Profil"), int(area.left()), int(area.right()), true, 0) + 5;
    return QRectF(area.left(), titleBottom, area.width(), std::max<qreal>(area.bottom() - titleBottom, 0));
}

} // namespace

qreal DrawProfile(QPainter* painter, const Report& report, const QRectF& area, bool printing)
{
    painter->save();
    const QRectF chart = titledChart(painter, area, printing);

    const Fonts fonts = fontsFor(printing);
    const Profile& profile = report.profile;
    const QStringList& notes = report.profileNotes;
    const ProfileGeometry g = LayOutProfile(profile, chart, measure(painter, fonts, profile, notes, chart));

    drawScale(painter, fonts, g, chart);
    drawDomains(painter, fonts, profile, g);
    drawLegend(painter, fonts, g.plot.left(), g.notesTop);
    painter->setPen(Qt::black);
    painter->setFont(fonts.text);
    drawNotes(painter, notes, g.notesTop + QFontMetricsF(fonts.text).height() + 4, chart, true);
    painter->restore();
    return g.bottom;
}

qreal DrawComparedProfile(QPainter* painter, const Comparison& comparison, const QRectF& area, bool printing)
{
    painter->save();
    const QRectF chart = titledChart(painter, area, printing);

    const Fonts fonts = fontsFor(printing);
    const Profile layout = LayoutOf(comparison.profile);
    const QString before = ComparedTestLine(QStringLiteral("Før"), comparison.earlier);
    const QString after = ComparedTestLine(QStringLiteral("Etter"), comparison.later);
    // Two legend lines: which mark is which test, and which shape which kind of score.
    const ProfileGeometry g = LayOutProfile(layout, chart, measure(painter, fonts, layout, {before, after, {}}, chart));
    drawScale(painter, fonts, g, chart);

    const QFontMetricsF small(fonts.small);
    const auto markAt = [&](ProfileGroup group, const QPointF& at, bool earlier) {
        if (!earlier) {
            drawMark(painter, group, at);
            return;
        }
        // Hollow and grey: the earlier test reads apart in black and white too.
        painter->save();
        painter->setOpacity(0.8);
        painter->setPen(QPen(QColor(90, 90, 90), 1.2));
        painter->setBrush(Qt::white);
        painter->drawEllipse(at, kMark + 1, kMark + 1);
        painter->restore();
    };
    for (size_t d = 0; d < comparison.profile.size(); ++d) {
        const ComparedDomain& domain = comparison.profile[d];
        drawDomainHeading(painter, fonts, g, d, domain.name);
        const auto& at = g.points[d];
        for (const bool earlier : {true, false}) {
            painter->setPen(earlier ? QPen(QColor(90, 90, 90), 1.2, Qt::DashLine) : QPen(Qt::black, 1.2));
            for (size_t i = 1; i < at.size(); ++i) {
                const ComparedPoint& a = domain.points[i - 1];
                const ComparedPoint& b = domain.points[i];
                const auto& va = earlier ? a.earlier : a.later;
                const auto& vb = earlier ? b.earlier : b.later;
                if (va && vb && a.group == b.group)
                    painter->drawLine(QLineF(at[i - 1].x(), g.yOf(*va), at[i].x(), g.yOf(*vb)));
            }
            for (size_t i = 0; i < at.size(); ++i) {
                const auto& v = earlier ? domain.points[i].earlier : domain.points[i].later;
                if (v)
                    markAt(domain.points[i].group, QPointF(at[i].x(), g.yOf(*v)), earlier);
            }
        }
        painter->setPen(Qt::black);
        painter->setFont(fonts.small);
        for (size_t i = 0; i < at.size(); ++i)
            drawLabel(painter, small, domain.points[i].label, at[i].x(), g.labelsTop);
    }
    // The legend: the two tests, then the shapes.
    const QFontMetricsF metrics(fonts.text);
    painter->setFont(fonts.text);
    qreal y = g.notesTop;
    const qreal x = g.plot.left();
    markAt(ProfileGroup::Measure, QPointF(x + kMark, y + metrics.height() / 2), true);
    painter->setPen(Qt::black);
    painter->drawText(QPointF(x + 3 * kMark, y + metrics.ascent()), before);
    y += metrics.height() + 2;
    markAt(ProfileGroup::Measure, QPointF(x + kMark, y + metrics.height() / 2), false);
    painter->setPen(Qt::black);
    painter->drawText(QPointF(x + 3 * kMark, y + metrics.ascent()), after);
    y += metrics.height() + 2;
    drawLegend(painter, fonts, x, y);
    painter->restore();
    return y + metrics.height();
}

qreal DrawProfile(QPainter* painter, const TestRecord& test, const QString& ageGroupDescription, const QRectF& area,
                  bool printing)
{
    return DrawProfile(painter, BuildReport(test, ageGroupDescription), area, printing);
}

} // namespace tavlo
