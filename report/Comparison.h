#pragma once
// Two tests of one child side by side: each measure both scored, the change between them, and
// both profiles in one chart. Plain data, for the window, the printed pages, the clipboard, the
// document and tavlo-ii-cli alike.

#include "model/TestRecord.h"
#include "report/Profile.h"
#include "report/ReportRows.h"
#include "scoring/NormGroups.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace tavlo {

// A change of this many scaled points or more (one standard deviation of the scaled scale)
// is marked.
inline constexpr int kMarkedChange = 3;

// One of the two tests as the comparison names it.
struct ComparedTest {
    int id = 0;
    Date testDate;
    TestAge testAge;
    QString ageGroup;            // the norms' age group the test was scored by
    QString ageGroupDescription; // says whether those norms may be used clinically
};

struct ComparisonRow {
    QString label;
    // The scaled score, or for a measure reported by its band the band as the report shows it.
    QString earlier;
    QString later;
    // later - earlier, when both are scaled scores.
    std::optional<int> change;
    bool marked = false; // |change| >= kMarkedChange
    friend bool operator==(const ComparisonRow&, const ComparisonRow&) = default;
};

struct ComparisonSection {
    int domain = 0; // 1-6
    QString title;
    std::vector<ComparisonRow> rows; // in report order
    bool anyMarked() const;
};

// One point of the two-test profile: where it stands and what each test scored there.
struct ComparedPoint {
    QString label;
    ProfileGroup group = ProfileGroup::Measure;
    std::optional<int> earlier;
    std::optional<int> later;
};

struct ComparedDomain {
    int domain = 0;
    QString name;
    std::vector<ComparedPoint> points;
};

struct Comparison {
    QString name; // the child's, as the later test spells it
    Date born;
    ComparedTest earlier;
    ComparedTest later;
    std::array<ComparisonSection, kDomainCount> sections; // domains 1-6, rows only where both scored
    std::vector<ComparedDomain> profile;                   // domains where either test has a point
};

// The line under a table with a marked change.
QString MarkedChangeNote();
// The title over a comparison: "Sammenligning av to tester for " and the name.
QString ComparisonTitle(const Comparison& comparison);
// The same in the document's file and the print queue: the numbers of the two tests, no name.
QString ComparisonDocumentTitle(const Comparison& comparison);
// A test as the comparison's heading names it: "Før: 15.06.2011, testalder 7:3:3, normgruppe Ålder 7:0-7:5".
QString ComparedTestLine(const QString& which, const ComparedTest& test);

// The scores of two scored tests of one child, each with the norms' age group it was scored by;
// the earlier is the one tested first (by test date, then number), whichever comes first here.
Comparison CompareTests(const TestRecord& first, const NormState& firstNorms, const TestRecord& second,
                        const NormState& secondNorms);

// The comparison as tab-separated lines (texts with tabs or line breaks made blanks): one line
// for each test, "FØR" and "ETTER", with its number, test date, test age and age group; then
// one line for each row: domain (1-6), deltest, earlier, later, change (signed; empty for a
// band), "*" when marked.
QStringList ComparisonLines(const Comparison& comparison);
// The change as the comparison writes it: "+2", "0", "-4"; empty when there is none.
QString ChangeText(const ComparisonRow& row);

// The profile's points with a single test's values, for laying them out (LayOutProfile); every
// point at the later score where there is one.
Profile LayoutOf(const std::vector<ComparedDomain>& domains);

} // namespace tavlo
