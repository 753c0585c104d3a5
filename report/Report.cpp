#include "report/Report.h"

#include "model/Dates.h"
#include "resources/StringTable.h"

#include <algorithm>

namespace tavlo {

namespace {

// The memory section is the one long enough to run over a page.
constexpr int kMemoryDomain = 3;

QStringList sectionNotes(const TestRecord& test, int domain, const std::vector<ReportRow>& rows)
{
    QStringList notes;
    if (std::any_of(rows.begin(), rows.end(), [](const ReportRow& row) { return row.Raw == COMPUTED_MARKER; }))
        notes << LoadString(kStrNoRawScoreNote);
    if (NeedsCumulativeFootnote(test, domain))
        notes << QStringLiteral("** Kumulativ prosent.");
    return notes;
}

PersonStrip personStrip(const TestRecord& test, const QString& ageGroupDescription)
{
    const PersonalData& person = test.person;
    return {LoadString(kStrReportFor) + person.NAMN,
            {LoadString(kStrName), person.NAMN},
            {{LoadString(kStrSex), person.SEX == 1 ? LoadString(kStrBoy) : LoadString(kStrGirl)},
             {LoadString(kStrTestAge), FormatTestAge(test.testAge())},
             {LoadString(kStrTestDate), FormatDate(person.TESTDATE)}},
            {LoadString(kStrOther), person.OTHER},
            {LoadString(kStrNormGroupHeading), ageGroupDescription}};
}

QStringList profileNotes(const Profile& profile, const TestRecord& test, const QString& ageGroupDescription)
{
    QStringList lines{QStringLiteral("Ikke skalert: ") +
                      (profile.unscaled.isEmpty() ? QStringLiteral("-") : profile.unscaled.join(QStringLiteral(", ")))};
    if (!ageGroupDescription.isEmpty())
        lines << ageGroupDescription;
    lines << LoadString(kStrTestAge) + QStringLiteral(": ") + FormatTestAge(test.testAge());
    return lines;
}

} // namespace

Report BuildReport(const TestRecord& test, const QString& ageGroupDescription)
{
    Report report;
    report.person = BuildPersonHeader(test, ageGroupDescription);
    report.strip = personStrip(test, ageGroupDescription);
    DomainTables tables = BuildReportRows(test);
    report.profile = BuildProfile(tables);
    report.profileNotes = profileNotes(report.profile, test, ageGroupDescription);
    for (int d = 1; d <= kDomainCount; ++d) {
        ReportSection& section = report.sections[size_t(d - 1)];
        section.domain = d;
        section.title = LoadString(kStrDomainNames + d);
        if (d == kMemoryDomain)
            section.continuationTitle = QStringLiteral("Hukommelses- og innlæringsfunksjoner, fortsettelse");
        section.rows = std::move(tables[size_t(d - 1)]);
        section.notes = sectionNotes(test, d, section.rows);
    }
    return report;
}

bool ReportChoice::anyDomain() const
{
    return std::find(domains.begin(), domains.end(), true) != domains.end();
}

} // namespace tavlo
