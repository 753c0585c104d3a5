#include "Ages.h"
#include "ToolRun.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "scoring/Scoring.h"
#include "store/tables/TestStore.h"


#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::TempDatabase;

namespace {

struct ScoreRun {
    int status;
    QStringList out;
    QStringList err;
};

ScoreRun score(const QString& folder, const QString& id)
{
    const auto run = tavlo::test::runCli({QStringLiteral("score"), folder, id});
    return {run.status, tavlo::test::lines(run.out), tavlo::test::lines(run.err)};
}

} // namespace

TEST(CliScore, PrintsEveryKeyInOrderAsTheProgramScoresIt)
{
    TempDatabase t;
    TestRecord test = childAged(8, 4, 3);
    test.scores.AI = 20;
    test.scores.BF_S = 0;
    test.scores.MO_A5 = 12;
    test.scores.MO_B = 12;
    test.scores.KR_A = 5;
    test.grid.cell(32 + 2) = 9;
    ASSERT_TRUE(SaveTest(t.db, test, true));

    // The same run inside this process, for the expected values.
    TestRecord expected = test;
    ClearScores(expected);
    expected.scores = test.scores;
    expected.grid = test.grid;
    NormState norms;
    SelectAgeGroup(t.db, norms, expected);
    ScoreTest(t.db, norms, expected);

    const ScoreRun run = score(t.folder(), QString::number(test.person.ID));
    ASSERT_EQ(run.status, 0) << run.err.join(u'\n').toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.join(u'\n').toStdString();
    ASSERT_EQ(run.out.size(), 3 + kKeyCount);
    EXPECT_EQ(run.out[0], QStringLiteral("AGEGROUP\tÅlder 8:0-8:5"));
    EXPECT_EQ(run.out[1], QStringLiteral("DESCRIPTION\tAlder 8:0-8:5, provisoriske normer, ikke for klinisk bruk"));
    EXPECT_EQ(run.out[2], QStringLiteral("TESTAGE\t8:4:3"));
    EXPECT_EQ(run.out[3].section(u'\t', 0, 0), QStringLiteral("AI"));
    EXPECT_EQ(run.out[3 + 59].section(u'\t', 0, 0), QStringLiteral("VP_F"));
    EXPECT_EQ(run.out[3 + 60].section(u'\t', 0, 0), QStringLiteral("BF_SUM"));
    EXPECT_EQ(run.out.last().section(u'\t', 0, 0), QStringLiteral("OI_CONTRAST"));
    for (int k = 0; k < kKeyCount; ++k) {
        const Key key = Key(k);
        EXPECT_EQ(run.out[3 + k], QStringLiteral("%1\t%2\t%3\t%4")
                                      .arg(QLatin1String(keyName(key)))
                                      .arg(expected.raw(key))
                                      .arg(expected.result(key).value)
                                      .arg(expected.result(key).text));
    }
    EXPECT_TRUE(run.out.contains(QStringLiteral("BF_S\t0\t0\t<=2%")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("MO_DELAY\t0\t77\t77")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("KR_A\t5\t0\t"))) << "not in the 7-12 list";
    EXPECT_TRUE(run.out.contains(QStringLiteral("DS_COMB\t-9\t0\t")));
}

TEST(CliScore, MessagesGoToStandardErrorInOrder)
{
    TempDatabase t;
    TestRecord test = childAged(17, 2);
    test.scores.AI = 20;
    ASSERT_TRUE(SaveTest(t.db, test, true));
    t.exec(QStringLiteral("DELETE FROM NORMER_TAVLO WHERE DELSKALA = 'FI' AND DELGRUPP = 'Ålder 16:0-16:11'"));
    const ScoreRun run = score(t.folder(), QString::number(test.person.ID));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, (QStringList{QStringLiteral("MESSAGE\tNotera att barnet är äldre än den normgrupp som barnet jämförs med."),
                                    QStringLiteral("MESSAGE\tStandardgrupp FI Ålder 16:0-16:11 finns inte.")}));
    EXPECT_EQ(run.out.value(0), QStringLiteral("AGEGROUP\tÅlder 16:0-16:11"));
}

TEST(CliScore, UnknownPersonOrFolderFailsClearly)
{
    TempDatabase t;
    ScoreRun run = score(t.folder(), QStringLiteral("12"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err, QStringList{QStringLiteral("MESSAGE\tTestperson nummer 12 finnes ikke i databasen.")});
    run = score(t.folder() + QStringLiteral("/none"), QStringLiteral("1"));
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.isEmpty());
    run = score(t.folder(), QStringLiteral("x"));
    EXPECT_EQ(run.status, 2);
}
