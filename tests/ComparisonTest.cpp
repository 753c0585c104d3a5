// Two tests of one child side by side: which rows are compared, the change and its mark, and
// the two-test profile, on hand-made scores.
#include "Ages.h"
#include "report/Comparison.h"

#include <gtest/gtest.h>

#include <map>

using namespace tavlo;
using tavlo::test::childAged;

namespace {

// Every raw score present, every result 10 (bands "26-75%"); then the chosen scaled scores.
TestRecord scoredAt(int years, Date tested, const std::map<Key, int>& scaled, const std::vector<Key>& notGiven = {})
{
    TestRecord t = childAged(years, 3);
    t.person.TESTDATE = tested;
    // The same child: born 2004-03-12 whatever the test date.
    t.person.BORNDATE = {2004, 3, 12};
    for (int k = 0; k < kKeyCount; ++k) {
        const Key key = Key(k);
        t.setRaw(key, isComputedKey(key) ? COMPUTED_MARKER : 7);
        t.result(key) = {10, QStringLiteral("26-75%")};
    }
    for (const auto& [key, value] : scaled)
        t.result(key).value = value;
    for (const Key key : notGiven) {
        t.setRaw(key, NOT_ENTERED);
        t.result(key) = {};
    }
    return t;
}

NormState normsOf(const char* group)
{
    NormState n;
    n.CurrentAgeGroup = QString::fromUtf8(group);
    n.AgeGroupDescription = QStringLiteral("Normene for %1").arg(n.CurrentAgeGroup);
    return n;
}

const ComparisonRow* rowOf(const Comparison& c, const char* label)
{
    for (const ComparisonSection& s : c.sections) {
        for (const ComparisonRow& r : s.rows) {
            if (r.label == QString::fromUtf8(label))
                return &r;
        }
    }
    return nullptr;
}

} // namespace

TEST(Comparison, EachRowBothTestsScoredWithItsChangeMarkedFromThreePoints)
{
    // Tested at 7 and again at 11; the later test is given first.
    const TestRecord earlier = scoredAt(7, {2011, 6, 15}, {{Key::BF_SUM, 8}, {Key::FI, 10}, {Key::FB_RAW, 12}, {Key::PB_T, 9}},
                                        {Key::OF_A});
    const TestRecord later =
        scoredAt(11, {2015, 6, 15}, {{Key::BF_SUM, 10}, {Key::FI, 13}, {Key::FB_RAW, 8}, {Key::PB_T, 11}, {Key::OF_A, 14}});
    const Comparison c = CompareTests(later, normsOf("11:0-11:5"), earlier, normsOf("7:0-7:5"));

    EXPECT_EQ(c.earlier.testDate, (Date{2011, 6, 15}));
    EXPECT_EQ(c.later.testDate, (Date{2015, 6, 15}));
    EXPECT_EQ(c.earlier.ageGroup, QStringLiteral("7:0-7:5")) << "each test keeps the norm group it was scored by";
    EXPECT_EQ(c.later.ageGroup, QStringLiteral("11:0-11:5"));
    EXPECT_EQ(c.earlier.testAge.years, 7);
    EXPECT_EQ(c.later.testAge.years, 11);

    struct Expected {
        const char* label;
        const char* before;
        const char* after;
        const char* change;
        bool marked;
    };
    const Expected rows[] = {
        {"Bildeflyt (BF) Totalskåre", "8", "10", "+2", false},
        {"Forståelse av instruksjoner (FI) Totalskåre", "10", "13", "+3", true},
        {"Fonologisk bearbeiding (FO) Totalskåre", "12", "8", "-4", true},
        {"Hurtig benevning (HB) Tidsbruk Totalt", "9", "11", "+2", false},
        {"Dyresorteringer (DS) Feil Totalt", "26-75%", "26-75%", "", false}, // a band: no change
    };
    for (const Expected& e : rows) {
        SCOPED_TRACE(e.label);
        const ComparisonRow* row = rowOf(c, e.label);
        ASSERT_TRUE(row);
        EXPECT_EQ(row->earlier, QString::fromUtf8(e.before));
        EXPECT_EQ(row->later, QString::fromUtf8(e.after));
        EXPECT_EQ(ChangeText(*row), QString::fromUtf8(e.change));
        EXPECT_EQ(row->marked, e.marked);
    }
    // Scored only at 11: no row, but a point of the later test alone.
    EXPECT_FALSE(rowOf(c, "Ordflyt (OF) Kategori A Totalskåre"));
    EXPECT_TRUE(c.sections[1].anyMarked());
    EXPECT_FALSE(c.sections[0].anyMarked());

    // The lines of the tool: the two tests, then every row in report order.
    const QStringList lines = ComparisonLines(c);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("FØR\t%1\t15.06.2011\t7:3:3\t7:0-7:5").arg(earlier.person.ID));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("ETTER\t"))) << lines[1].toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("2\tFonologisk bearbeiding (FO) Totalskåre\t12\t8\t-4\t*")));
    EXPECT_TRUE(lines.contains(QStringLiteral("1\tBildeflyt (BF) Totalskåre\t8\t10\t+2\t")));

    // The two-test profile: a point where either test has one, each test's score at it.
    std::map<QString, std::pair<std::optional<int>, std::optional<int>>> points;
    for (const ComparedDomain& d : c.profile) {
        for (const ComparedPoint& p : d.points)
            points[p.label] = {p.earlier, p.later};
    }
    const auto at = [&](const char* label) { return points.at(ShortLabel(QString::fromUtf8(label))); };
    EXPECT_EQ(at("Bildeflyt (BF) Totalskåre"), std::pair(std::optional(8), std::optional(10)));
    EXPECT_EQ(at("Fonologisk bearbeiding (FO) Totalskåre"), std::pair(std::optional(12), std::optional(8)));
    EXPECT_EQ(at("Ordflyt (OF) Kategori A Totalskåre"), std::pair(std::optional<int>(), std::optional(14)));
    // Laid out as one profile, in the report's order.
    const Profile layout = LayoutOf(c.profile);
    ASSERT_EQ(layout.domains.size(), c.profile.size());
    for (size_t d = 0; d < layout.domains.size(); ++d)
        EXPECT_EQ(layout.domains[d].points.size(), c.profile[d].points.size());
}
