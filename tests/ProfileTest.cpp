// The score profile of really scored tests: which points, in which order, at which score,
// and where the layout puts them.
#include "Ages.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "report/Profile.h"
#include "resources/StringTable.h"
#include "scoring/NormGroups.h"
#include "scoring/Scoring.h"

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childWithEveryMeasure;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

TestRecord scored(int years, int months)
{
    RecordingSink sink;
    TempDatabase db;
    TestRecord t = childWithEveryMeasure(years, months);
    NormState norms;
    SelectAgeGroup(db.db, norms, t);
    ScoreTest(db.db, norms, t);
    return t;
}

// "label=score" per point, "|" between domains, groups marked m, c, k.
QString summary(const Profile& profile)
{
    QStringList domains;
    for (const ProfileDomain& d : profile.domains) {
        QStringList points;
        for (const ProfilePoint& p : d.points) {
            const char mark = p.group == ProfileGroup::Measure ? 'm' : p.group == ProfileGroup::Combined ? 'c' : 'k';
            points << QStringLiteral("%1%2=%3").arg(QChar(mark)).arg(p.label).arg(p.scaled);
        }
        domains << QString::number(d.domain) + u':' + points.join(u',');
    }
    return domains.join(u'|');
}

const QRectF kArea(10, 20, 700, 500);

// Every point inside the plot, at the height of its score, left of the next; each domain's
// points inside its own columns, the columns apart.
void expectLaidOut(const Profile& profile, const ProfileGeometry& g, const std::string& what)
{
    ASSERT_EQ(g.points.size(), profile.domains.size()) << what;
    qreal lastX = g.plot.left();
    qreal lastRight = g.plot.left() - 1;
    for (size_t d = 0; d < profile.domains.size(); ++d) {
        const QRectF& group = g.groups[d];
        EXPECT_GT(group.left(), lastRight) << what << " domain " << d;
        EXPECT_LE(group.right(), g.plot.right() + 0.01) << what << " domain " << d;
        lastRight = group.right();
        for (size_t i = 0; i < g.points[d].size(); ++i) {
            const QPointF at = g.points[d][i];
            const int score = profile.domains[d].points[i].scaled;
            EXPECT_GT(at.x(), lastX) << what << " " << profile.domains[d].points[i].label.toStdString();
            EXPECT_GE(at.x(), group.left());
            EXPECT_LE(at.x(), group.right());
            EXPECT_DOUBLE_EQ(at.y(), g.yOf(score));
            const ProfileBand& band = *std::find_if(g.bands.begin(), g.bands.end(),
                                                    [&](const ProfileBand& b) { return score >= b.low && score <= b.high; });
            EXPECT_TRUE(band.rect.contains(at)) << what << " score " << score << " outside " << band.text.toStdString();
            lastX = at.x();
        }
    }
}

} // namespace

TEST(Profile, PointsOfKnownTestsAtFourNineAndFourteen)
{
    const struct {
        int years;
        const char* points;
        const char* unscaled;
    } cases[] = {
        {4,
         "1:mST=6|2:mKD A=5,mKD B=13,mFO=11,mFI=5,mHB=19,mOF A=8,cHB Kom=17,kKD B/A=1|3:mHF A=12,mHH Fri+Sty=7,mRS=5,"
         "kHF A Inn/A Pla=11,kHH Gje/Fri+Sty=9|4:mIH=15,mVP=19,cVP Kom=19|5:mAG=8,mME=11|6:mBK=7,mFK Pro=7,kFK Glo/Lok=7",
         "HB Rik,OS,MM,VP Feil,FK Sam,GP"},
        {9,
         "1:mBF=10,mDS=13,mIN Feil=3,mIN Ben=19,mIN Inh=19,mIN Vek=19,mKL=1,cDS Kom=11,cIN Ben Kom=8,cIN Inh Kom=9,"
         "cIN Vek Kom=10,kIN Ben/Inh=10,kIN Inh/Vek=11|2:mFO=3,mFI=1,mHB=19,mOF A=4,mOF B=8,cHB Kom=17,kOF A/B=11|"
         "3:mHA A=8,mHA B=9,mHF A=5,mHF B=5,mHH Fri+Sty=3,mHN A=5,mHN B=16,mHN A+B=8,mHO A+B Rik=3,mOI Rep=6,mOI Gje=6,"
         "kHA A/B=10,kHF A Inn/A Pla=6,kHF B Inn/B Pla=7,kHF A/B=8,kHH Gje/Fri+Sty=7,kOI Rep/Gje=7|4:mIH=8,mVP=19,"
         "cVP Kom=19|5:mAG=2|6:mBP=12,mBK=4,mFK Pro=2,mGP=2,mPI=4,kFK Glo/Lok=5",
         "DS Feil,IN Ben Feil,IN Inh Feil,IN Vek Feil,HB Rik,OS,FB A Rep Dom,FB A Rep Ikke-dom,FB B Sek Dom,"
         "FB B Sek Ikke-dom,MM,VP Feil,ME,FK Sam,KA"},
        // No sensorimotor point: IH and VP end at 12, FB has bands only.
        {14,
         "1:mDS=10,mIN Feil=1,mIN Ben=16,mIN Inh=19,mIN Vek=19,mKL=1,cDS Kom=8,cIN Ben Kom=7,cIN Inh Kom=8,cIN Vek Kom=8,"
         "kIN Ben/Inh=9,kIN Inh/Vek=9|2:mFO=1,mFI=1,mHB=17,mOF A=1,mOF B=3,cHB Kom=15,kOF A/B=5|3:mHA A=6,mHA B=7,"
         "mHF A=2,mHF B=2,mHH Fri+Sty=1,mHN A=2,mHN B=13,mHN A+B=4,mOI Rep=4,mOI Gje=3,kHA A/B=8,kHF A Inn/A Pla=5,"
         "kHF B Inn/B Pla=7,kHF A/B=3,kOI Rep/Gje=4|5:mAG=1|6:mBP=8,mBK=1,mFK Pro=1,mGP=1,mPI=1,kFK Glo/Lok=5",
         "DS Feil,IN Ben Feil,IN Inh Feil,IN Vek Feil,HB Rik,FB A Rep Dom,FB A Rep Ikke-dom,FB B Sek Dom,FB B Sek Ikke-dom,"
         "ME,FK Sam"},
    };
    for (const auto& c : cases) {
        const TestRecord t = scored(c.years, 3);
        const Profile profile = BuildProfile(t);
        EXPECT_EQ(summary(profile).toStdString(), c.points) << c.years;
        EXPECT_EQ(profile.unscaled.join(u',').toStdString(), c.unscaled) << c.years;
        for (const ProfileDomain& d : profile.domains)
            EXPECT_EQ(d.name, LoadString(1300 + d.domain).mid(8)) << "without \"Domenet \"";
        ProfileMetrics m;
        m.minGroupWidth.fill(60);
        expectLaidOut(profile, LayOutProfile(profile, kArea, m), std::to_string(c.years));
    }
}

TEST(Profile, ScaleOfAnEmptyTest)
{
    const Profile profile = BuildProfile(tavlo::test::childAged(9, 0));
    EXPECT_TRUE(profile.domains.empty());
    EXPECT_TRUE(profile.unscaled.isEmpty());
    ProfileMetrics m;
    const ProfileGeometry g = LayOutProfile(profile, kArea, m);
    EXPECT_TRUE(g.points.empty());
    EXPECT_EQ(g.plot.left(), kArea.left() + m.scaleWidth);
    EXPECT_EQ(g.plot.top(), kArea.top() + m.namesHeight);
    EXPECT_DOUBLE_EQ(g.bottom, kArea.bottom()) << "the chart fills the area";
    const int ranges[7][2] = {{1, 3}, {4, 6}, {7, 8}, {9, 11}, {12, 13}, {14, 16}, {17, 19}};
    qreal below = g.plot.bottom();
    for (size_t i = 0; i < g.bands.size(); ++i) {
        const ProfileBand& b = g.bands[i];
        EXPECT_EQ(b.low, ranges[i][0]);
        EXPECT_EQ(b.high, ranges[i][1]);
        EXPECT_EQ(b.text, QualitativeDescription(DescriptionScale::Scaled, b.low));
        EXPECT_EQ(b.average, b.text == QStringLiteral("Gjennomsnittlig"));
        EXPECT_DOUBLE_EQ(b.rect.bottom(), below) << "the bands follow each other upwards";
        EXPECT_NEAR(b.rect.height(), g.plot.height() * (b.high - b.low + 1) / 19, 1e-9);
        below = b.rect.top();
    }
    EXPECT_DOUBLE_EQ(below, g.plot.top());
    EXPECT_EQ(std::count_if(g.bands.begin(), g.bands.end(), [](const ProfileBand& b) { return b.average; }), 1);

    // A short area keeps a readable plot; the chart then reaches below it.
    const ProfileGeometry low = LayOutProfile(profile, QRectF(0, 0, 700, 100), m);
    EXPECT_EQ(low.plot.height(), m.minPlotHeight);
    EXPECT_GT(low.bottom, 100);
}

TEST(Profile, LongDomainNamesGetTheirRoom)
{
    Profile profile;
    profile.domains.push_back({1, QStringLiteral("a"), std::vector<ProfilePoint>(20, {QStringLiteral("x"), 10})});
    profile.domains.push_back({5, QStringLiteral("b"), {{QStringLiteral("y"), 4}}});
    ProfileMetrics m;
    m.minGroupWidth[4] = 90;
    const ProfileGeometry g = LayOutProfile(profile, kArea, m);
    EXPECT_DOUBLE_EQ(g.groups[1].width(), 90);
    EXPECT_NEAR(g.groups[1].right(), g.plot.right(), 1e-9) << "the rest goes to the points";
    EXPECT_DOUBLE_EQ(g.points[1][0].x(), g.groups[1].center().x());
    expectLaidOut(profile, g, "names");
}
