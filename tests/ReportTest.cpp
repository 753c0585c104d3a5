// The report as data: the six sections in domain order, each with the rows the report lists and
// the notes every writer puts under them, in the order they stand.
#include "Ages.h"
#include "report/Report.h"
#include "resources/StringTable.h"
#include "scoring/Scoring.h"

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childAged;

namespace {

const QString kFootnote = QStringLiteral("** Kumulativ prosent.");

bool anyRow(const std::vector<ReportRow>& rows, const std::function<bool(const ReportRow&)>& is)
{
    return std::any_of(rows.begin(), rows.end(), is);
}

// Every raw score or computed marker present, every result banded; at the ages and with the
// scores that leave some notes out as well.
TestRecord scoredAt(int years, bool computed)
{
    TestRecord t = childAged(years, 3);
    for (int k = 0; k < kKeyCount; ++k) {
        const Key key = Key(k);
        if (isComputedKey(key) && !computed)
            continue;
        t.setRaw(key, isComputedKey(key) ? COMPUTED_MARKER : 7);
        t.result(key) = {10, QStringLiteral("26-75%")};
    }
    return t;
}

} // namespace

TEST(Report, EachSectionHasItsRowsAndTheNotesThatExplainThem)
{
    for (const bool computed : {true, false}) {
        for (int years = 3; years <= 16; ++years) {
            SCOPED_TRACE(testing::Message() << years << " years, computed " << computed);
            const TestRecord t = scoredAt(years, computed);
            const Report report = BuildReport(t, QString());
            const DomainTables rows = BuildReportRows(t);
            for (int d = 1; d <= kDomainCount; ++d) {
                const ReportSection& section = report.sections[size_t(d - 1)];
                SCOPED_TRACE(testing::Message() << "domain " << d);
                EXPECT_EQ(section.domain, d);
                EXPECT_EQ(section.title, LoadString(kStrDomainNames + d));
                EXPECT_EQ(section.rows, rows[size_t(d - 1)]);
                // Only the memory section is long enough to go on over a page.
                EXPECT_EQ(section.continuationTitle.isEmpty(), d != 3);

                // "N/A*" is explained first, then the starred percentages.
                QStringList expected;
                if (anyRow(section.rows, [](const ReportRow& r) { return RawColumnText(r) == u"N/A*"; }))
                    expected << LoadString(kStrNoRawScoreNote);
                if (anyRow(section.rows, [](const ReportRow& r) { return PercentileColumnText(r).endsWith(u"**"); }))
                    expected << kFootnote;
                EXPECT_EQ(section.notes, expected);
            }
        }
    }
}
