#include "report/Profile.h"

#include "resources/StringTable.h"

#include <QSet>

#include <algorithm>
#include <numeric>

namespace tavlo {

namespace {

const QString kPrimary = QStringLiteral("Primærmål");
const QString kContrast = QStringLiteral("Kontrastmål");

// Words every label of a kind carries; they tell nothing apart under a point.
const QSet<QString>& fillerWords()
{
    static const QSet<QString> words = {
        QStringLiteral("Totalskåre"), QStringLiteral("Totalt"), QStringLiteral("Poeng"),
        QStringLiteral("Skalert"), QStringLiteral("skalert"), QStringLiteral("skåre"),
        QStringLiteral("kontrastskåre"), QStringLiteral("kontrast"), QStringLiteral("Del"),
        QStringLiteral("Kategori"), QStringLiteral("Tidsbruk"), QStringLiteral("Riktige"),
        QStringLiteral("sorteringer"), QStringLiteral("gjenfortelling"), QStringLiteral("av"),
        QStringLiteral("hånd"), QStringLiteral("fingerbevegelser"), QStringLiteral("Oppgave"),
    };
    return words;
}

QString shortWord(const QString& word)
{
    if (word == u"og")
        return QStringLiteral("+");
    QStringList parts = word.split(u'-');
    for (QString& part : parts) {
        if (part.size() > 4)
            part = part.left(3);
    }
    return parts.join(u'-');
}

QString shortWords(const QStringList& words, bool contrast)
{
    QString out;
    for (const QString& word : words) {
        // A contrast is known by its mark; "Kombinert" in its label says nothing more.
        if (fillerWords().contains(word) || (contrast && word == u"Kombinert"))
            continue;
        const QString piece = shortWord(word);
        const bool joined = piece == u"+" || out.endsWith(u'+');
        if (!out.isEmpty() && !joined)
            out += u' ';
        out += piece;
    }
    return out;
}

ProfileGroup groupOf(const ReportRow& row)
{
    if (row.MeasureType == kContrast)
        return ProfileGroup::Contrast;
    return row.Raw == COMPUTED_MARKER ? ProfileGroup::Combined : ProfileGroup::Measure;
}

bool hasScaled(const ReportRow& row)
{
    return row.Scaled >= kLowestScaled && row.Scaled <= kHighestScaled;
}

QString domainName(int domain)
{
    QString name = LoadString(kStrDomainNames + domain);
    const QString prefix = QStringLiteral("Domenet ");
    return name.startsWith(prefix) ? name.mid(prefix.size()) : name;
}

// The seven ranges of the scaled scale, read off its descriptions.
std::array<ProfileBand, 7> scaledBands()
{
    std::array<ProfileBand, 7> bands;
    size_t i = 0;
    for (int s = kLowestScaled; s <= kHighestScaled && i < bands.size(); ++s) {
        const QString text = QualitativeDescription(DescriptionScale::Scaled, s);
        if (s > kLowestScaled && text != bands[i].text)
            ++i;
        if (bands[i].text.isEmpty())
            bands[i] = {s, s, text, text == QStringLiteral("Gjennomsnittlig"), {}};
        bands[i].high = s;
    }
    return bands;
}

// The distance between two points: as wide as the plot allows once every domain whose name
// needs more room than its points has it.
qreal pitchFor(const Profile& profile, qreal width, const ProfileMetrics& m)
{
    const size_t n = profile.domains.size();
    std::vector<bool> fixed(n, false);
    qreal pitch = 0;
    for (size_t round = 0; round <= n; ++round) {
        qreal room = width - m.gap * qreal(n - 1);
        int flexible = 0;
        for (size_t d = 0; d < n; ++d) {
            if (fixed[d])
                room -= m.minGroupWidth[size_t(profile.domains[d].domain - 1)];
            else
                flexible += int(profile.domains[d].points.size());
        }
        pitch = flexible > 0 ? room / flexible : m.maxPitch;
        bool changed = false;
        for (size_t d = 0; d < n; ++d) {
            const qreal need = m.minGroupWidth[size_t(profile.domains[d].domain - 1)];
            if (!fixed[d] && qreal(profile.domains[d].points.size()) * pitch < need)
                fixed[d] = changed = true;
        }
        if (!changed)
            break;
    }
    if (pitch <= 0) {
        // Names too long for the width: the points keep their room, the names overlap.
        const int all = std::accumulate(profile.domains.begin(), profile.domains.end(), 0,
                                        [](int sum, const ProfileDomain& d) { return sum + int(d.points.size()); });
        pitch = all > 0 ? (width - m.gap * qreal(n - 1)) / all : m.maxPitch;
    }
    return std::min(pitch, m.maxPitch);
}

} // namespace

QString ShortLabel(const QString& label, bool contrast)
{
    const qsizetype open = label.indexOf(u'(');
    const qsizetype close = label.indexOf(u')', open);
    if (open < 0 || close < 0)
        return label;
    const QString code = label.mid(open + 1, close - open - 1);
    const QStringList words = label.mid(close + 1).split(u' ', Qt::SkipEmptyParts);
    QString rest;
    const qsizetype mot = words.indexOf(QStringLiteral("mot"));
    if (mot >= 0)
        rest = shortWords(words.mid(0, mot), contrast) + u'/' + shortWords(words.mid(mot + 1), contrast);
    else
        rest = shortWords(words, contrast);
    return rest.isEmpty() ? code : code + u' ' + rest;
}

Profile BuildProfile(const DomainTables& rows)
{
    Profile profile;
    for (size_t d = 0; d < rows.size(); ++d) {
        ProfileDomain domain{int(d) + 1, domainName(int(d) + 1), {}};
        for (ProfileGroup group : {ProfileGroup::Measure, ProfileGroup::Combined, ProfileGroup::Contrast}) {
            for (const ReportRow& row : rows[d]) {
                if ((row.MeasureType != kPrimary && row.MeasureType != kContrast) || groupOf(row) != group)
                    continue;
                const QString label = ShortLabel(row.Label, group == ProfileGroup::Contrast);
                if (hasScaled(row))
                    domain.points.push_back({label, row.Scaled, group});
                else
                    profile.unscaled << label;
            }
        }
        if (!domain.points.empty())
            profile.domains.push_back(std::move(domain));
    }
    return profile;
}

Profile BuildProfile(const TestRecord& test)
{
    return BuildProfile(BuildReportRows(test));
}

qreal ProfileGeometry::yOf(qreal scaled) const
{
    const qreal unit = plot.height() / (kHighestScaled - kLowestScaled + 1);
    return plot.bottom() - (scaled - kLowestScaled + 0.5) * unit;
}

ProfileGeometry LayOutProfile(const Profile& profile, const QRectF& area, const ProfileMetrics& m)
{
    ProfileGeometry g;
    const qreal plotTop = area.top() + m.namesHeight;
    const qreal plotHeight =
        std::max(m.minPlotHeight, area.height() - m.namesHeight - m.labelsHeight - m.notesHeight);
    g.plot = QRectF(area.left() + m.scaleWidth, plotTop, std::max<qreal>(0, area.width() - m.scaleWidth), plotHeight);
    g.labelsTop = g.plot.bottom();
    g.notesTop = g.labelsTop + m.labelsHeight;
    g.bottom = g.notesTop + m.notesHeight;

    g.bands = scaledBands();
    for (ProfileBand& band : g.bands) {
        const qreal top = g.yOf(band.high + 0.5);
        band.rect = QRectF(g.plot.left(), top, g.plot.width(), g.yOf(band.low - 0.5) - top);
    }

    const qreal pitch = pitchFor(profile, g.plot.width(), m);
    qreal x = g.plot.left();
    for (const ProfileDomain& domain : profile.domains) {
        const qreal used = pitch * qreal(domain.points.size());
        const qreal width = std::max(used, m.minGroupWidth[size_t(domain.domain - 1)]);
        g.groups.push_back(QRectF(x, area.top(), width, g.plot.bottom() - area.top()));
        std::vector<QPointF> points;
        const qreal first = x + (width - used) / 2 + pitch / 2;
        for (size_t i = 0; i < domain.points.size(); ++i)
            points.emplace_back(first + pitch * qreal(i), g.yOf(domain.points[i].scaled));
        g.points.push_back(std::move(points));
        x += width + m.gap;
    }
    return g;
}

} // namespace tavlo
