#pragma once
// The score profile of a test: which scaled scores it shows, under which short labels, and
// where everything stands in a given area. The drawing code measures its texts and paints;
// every position comes from here, so it can be checked without pixels.

#include "model/TestRecord.h"
#include "report/ReportRows.h"

#include <QRectF>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace tavlo {

// Drawn with a mark of its own, so the three read apart in black and white.
enum class ProfileGroup { Measure, Combined, Contrast };

struct ProfilePoint {
    QString label; // "BF", "IN Ben", "OI Rep/Gje"
    int scaled = 0; // 1-19
    ProfileGroup group = ProfileGroup::Measure;
    friend bool operator==(const ProfilePoint&, const ProfilePoint&) = default;
};

// One domain with at least one point: measures, then combined, then contrast scores, each
// in report order.
struct ProfileDomain {
    int domain = 0; // 1-6
    QString name;   // the domain's name without "Domenet"
    std::vector<ProfilePoint> points;
};

struct Profile {
    std::vector<ProfileDomain> domains;
    QStringList unscaled; // short labels of the primary and contrast rows without a scaled score
};

Profile BuildProfile(const TestRecord& test);
Profile BuildProfile(const DomainTables& rows);

// The report label's abbreviation with the words that tell it from its neighbours:
// "Inhibisjon (IN) Benevning Tidsbruk Totalt" -> "IN Ben".
QString ShortLabel(const QString& label, bool contrast = false);

inline constexpr int kLowestScaled = 1;
inline constexpr int kHighestScaled = 19;

struct ProfileBand {
    int low = 0;
    int high = 0;
    QString text;     // the description of the scaled scale for low-high
    bool average = false;
    QRectF rect;
};

// What the drawing code measured in its fonts.
struct ProfileMetrics {
    qreal scaleWidth = 120;   // band texts and score numbers left of the plot
    qreal namesHeight = 30;   // domain names above the plot
    qreal labelsHeight = 60;  // labels under the plot
    qreal notesHeight = 60;   // "Ikke skalert", the age group and the test age
    qreal minPlotHeight = 190;
    qreal maxPitch = 40;      // a few points are not spread over the whole width
    qreal gap = 14;           // between two domains
    std::array<qreal, kDomainCount> minGroupWidth{}; // so a domain's name fits above it
};

struct ProfileGeometry {
    QRectF plot;               // score 19 at the top, 1 at the bottom
    std::array<ProfileBand, 7> bands;
    std::vector<QRectF> groups;             // per domain of the profile: its columns, names strip included
    std::vector<std::vector<QPointF>> points; // per domain, per point
    qreal labelsTop = 0;
    qreal notesTop = 0;
    qreal bottom = 0;

    qreal yOf(qreal scaled) const;
};

ProfileGeometry LayOutProfile(const Profile& profile, const QRectF& area, const ProfileMetrics& metrics);

} // namespace tavlo
