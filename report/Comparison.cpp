#include "report/Comparison.h"

#include "resources/StringTable.h"

#include <algorithm>
#include <cstdlib>

namespace tavlo {

namespace {

// What a row shows of a test: its scaled score, else its band; nothing when neither.
std::optional<QString> shownValue(const ReportRow& row)
{
    if (row.Scaled != NOT_ENTERED && row.Scaled >= kLowestScaled)
        return QString::number(row.Scaled);
    if (row.PercentileShown != NOT_ENTERED && !row.PercentileText.isEmpty())
        return row.PercentileText;
    return std::nullopt;
}

const ReportRow* rowLabelled(const std::vector<ReportRow>& rows, const QString& label)
{
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const ReportRow& r) { return r.Label == label; });
    return found == rows.end() ? nullptr : &*found;
}

ComparedTest describe(const TestRecord& test, const NormState& norms)
{
    return {test.person.ID, test.person.TESTDATE, test.testAge(), norms.CurrentAgeGroup, norms.AgeGroupDescription};
}

bool testedFirst(const TestRecord& a, const TestRecord& b)
{
    const auto key = [](const TestRecord& t) {
        const Date& d = t.person.TESTDATE;
        return std::tuple(int(d.year), int(d.month), int(d.day), t.person.ID);
    };
    return key(a) <= key(b);
}

// Both tests' points of a domain in one order: each test's own order kept, a point only one
// of them has standing where it stands in that one.
std::vector<ComparedPoint> mergePoints(const std::vector<ProfilePoint>& earlier, const std::vector<ProfilePoint>& later)
{
    std::vector<ComparedPoint> merged;
    const auto find = [](const std::vector<ProfilePoint>& in, const ProfilePoint& p) {
        return std::find_if(in.begin(), in.end(), [&](const ProfilePoint& q) { return q.label == p.label && q.group == p.group; });
    };
    size_t e = 0;
    for (const ProfilePoint& point : later) {
        const auto match = find(earlier, point);
        // The earlier test's own points that come before this one in its order.
        const size_t upTo = match == earlier.end() ? e : size_t(match - earlier.begin());
        for (; e < upTo; ++e) {
            if (find(later, earlier[e]) == later.end())
                merged.push_back({earlier[e].label, earlier[e].group, earlier[e].scaled, std::nullopt});
        }
        ComparedPoint both{point.label, point.group, std::nullopt, point.scaled};
        if (match != earlier.end()) {
            both.earlier = match->scaled;
            e = std::max(e, size_t(match - earlier.begin()) + 1);
        }
        merged.push_back(both);
    }
    for (; e < earlier.size(); ++e) {
        if (find(later, earlier[e]) == later.end())
            merged.push_back({earlier[e].label, earlier[e].group, earlier[e].scaled, std::nullopt});
    }
    return merged;
}

} // namespace

bool ComparisonSection::anyMarked() const
{
    return std::any_of(rows.begin(), rows.end(), [](const ComparisonRow& r) { return r.marked; });
}

QString MarkedChangeNote()
{
    return QStringLiteral("* Endringen er %1 skalerte skårepoeng eller mer, det vil si minst ett standardavvik på "
                          "skalaen for skalerte skårer.")
        .arg(kMarkedChange);
}

Comparison CompareTests(const TestRecord& first, const NormState& firstNorms, const TestRecord& second,
                        const NormState& secondNorms)
{
    const bool inOrder = testedFirst(first, second);
    const TestRecord& earlier = inOrder ? first : second;
    const TestRecord& later = inOrder ? second : first;
    Comparison c;
    c.name = later.person.NAMN.trimmed();
    c.born = later.person.BORNDATE;
    c.earlier = describe(earlier, inOrder ? firstNorms : secondNorms);
    c.later = describe(later, inOrder ? secondNorms : firstNorms);

    const DomainTables before = BuildReportRows(earlier);
    const DomainTables after = BuildReportRows(later);
    for (int d = 1; d <= kDomainCount; ++d) {
        ComparisonSection& section = c.sections[size_t(d - 1)];
        section.domain = d;
        section.title = LoadString(kStrDomainNames + d);
        for (const ReportRow& row : after[size_t(d - 1)]) {
            const ReportRow* old = rowLabelled(before[size_t(d - 1)], row.Label);
            const auto now = shownValue(row);
            const auto then = old ? shownValue(*old) : std::nullopt;
            if (!now || !then)
                continue;
            ComparisonRow compared{row.Label, *then, *now, std::nullopt, false};
            if (row.Scaled >= kLowestScaled && old->Scaled >= kLowestScaled) {
                compared.change = row.Scaled - old->Scaled;
                compared.marked = std::abs(*compared.change) >= kMarkedChange;
            }
            section.rows.push_back(compared);
        }
    }

    const Profile a = BuildProfile(before);
    const Profile b = BuildProfile(after);
    for (int d = 1; d <= kDomainCount; ++d) {
        const auto of = [d](const Profile& p) -> const ProfileDomain* {
            const auto found = std::find_if(p.domains.begin(), p.domains.end(), [d](const ProfileDomain& x) { return x.domain == d; });
            return found == p.domains.end() ? nullptr : &*found;
        };
        const ProfileDomain* x = of(a);
        const ProfileDomain* y = of(b);
        if (!x && !y)
            continue;
        static const std::vector<ProfilePoint> none;
        c.profile.push_back({d, (y ? y : x)->name, mergePoints(x ? x->points : none, y ? y->points : none)});
    }
    return c;
}

QString ComparisonTitle(const Comparison& comparison)
{
    return QStringLiteral("Sammenligning av to tester for ") + comparison.name;
}

QString ComparisonDocumentTitle(const Comparison& comparison)
{
    return QStringLiteral("Sammenligning av to tester, testperson nummer %1 og %2")
        .arg(comparison.earlier.id)
        .arg(comparison.later.id);
}

QString ComparedTestLine(const QString& which, const ComparedTest& test)
{
    return QStringLiteral("%1: %2, testalder %3, normgruppe %4")
        .arg(which, FormatDate(test.testDate), FormatTestAge(test.testAge), test.ageGroup);
}

QString ChangeText(const ComparisonRow& row)
{
    if (!row.change)
        return {};
    return *row.change > 0 ? QStringLiteral("+%1").arg(*row.change) : QString::number(*row.change);
}

QStringList ComparisonLines(const Comparison& comparison)
{
    const auto field = [](QString text) {
        return text.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    };
    QStringList lines;
    const std::pair<const char*, const ComparedTest*> tests[] = {{"FØR", &comparison.earlier}, {"ETTER", &comparison.later}};
    for (const auto& [name, test] : tests) {
        lines << QStringList{QString::fromUtf8(name), QString::number(test->id), FormatDate(test->testDate),
                             FormatTestAge(test->testAge), field(test->ageGroup)}
                     .join(u'\t');
    }
    for (const ComparisonSection& section : comparison.sections) {
        for (const ComparisonRow& row : section.rows) {
            lines << QStringList{QString::number(section.domain), field(row.label), field(row.earlier), field(row.later),
                                 ChangeText(row), row.marked ? QStringLiteral("*") : QString()}
                         .join(u'\t');
        }
    }
    return lines;
}

Profile LayoutOf(const std::vector<ComparedDomain>& domains)
{
    Profile profile;
    for (const ComparedDomain& d : domains) {
        ProfileDomain domain{d.domain, d.name, {}};
        for (const ComparedPoint& p : d.points)
            domain.points.push_back({p.label, p.later.value_or(p.earlier.value_or(kLowestScaled)), p.group});
        profile.domains.push_back(std::move(domain));
    }
    return profile;
}

} // namespace tavlo
