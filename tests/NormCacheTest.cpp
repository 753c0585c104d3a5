// The connection's norm tables in memory: every lookup answered as the keyed query of Part
// 3.2 answers it, and a change of the norms by this program seen by the next scoring run.
#include "Ages.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "scoring/NormImport.h"
#include "scoring/Scoring.h"
#include "store/tables/NormLoading.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

const QString kSevenYears = QStringLiteral("Ålder 7:0-7:5");
const QString kSevenAndAHalf = QStringLiteral("Ålder 7:6-7:11");

// The keyed norm query, one per lookup: what FetchNormRow did before the cache.
bool keyedQuery(Database& db, NormRow& row)
{
    Statement s(db);
    if (!s.prepare(QStringLiteral("SELECT S1, S2, S3, S4, S5, S6, S7, S8, S9, S10, S11, S12, S13, S14, S15, S16, S17, "
                                  "S18, S19 FROM NORMER_TAVLO WHERE NORMGRUPP =? AND DELSKALA=? AND DELGRUPP=?"))
        || !s.bindText(1, row.NORMGRUPP) || !s.bindText(2, row.DELSKALA) || !s.bindText(3, row.DELGRUPP)
        || !s.execute())
        return s.report();
    const Fetch fetched = s.fetch();
    if (fetched != Fetch::Row)
        return fetched == Fetch::NoData ? false : s.report();
    std::array<int, 19> bounds{};
    for (int k = 0; k < 19; ++k) {
        bool ok = false;
        const auto value = s.getInt(k + 1, &ok);
        if (!ok)
            return s.report();
        if (!value)
            return false;
        bounds[size_t(k)] = *value;
    }
    row.S = bounds;
    return true;
}

struct Answer {
    bool found;
    std::array<int, 19> S;
    QStringList messages;
    friend bool operator==(const Answer&, const Answer&) = default;
};

template<typename Lookup>
Answer ask(const QString& group, const QString& measure, const QString& ageGroup, Lookup lookup)
{
    RecordingSink sink;
    NormRow row{group, measure, ageGroup, {}};
    row.S.fill(-77); // a lookup that finds nothing leaves the bounds as they were
    const bool found = lookup(row);
    return {found, row.S, sink.texts()};
}

// Both ways give the same answer for the key, messages included.
void expectSameAnswer(TempDatabase& t, const QString& group, const QString& measure, const QString& ageGroup)
{
    SCOPED_TRACE(QStringLiteral("\"%1\" \"%2\" \"%3\"").arg(group, measure, ageGroup).toStdString());
    const Answer query = ask(group, measure, ageGroup, [&](NormRow& r) { return keyedQuery(t.db, r); });
    const Answer cached = ask(group, measure, ageGroup, [&](NormRow& r) { return FetchNormRow(t.db, r); });
    EXPECT_EQ(cached.found, query.found);
    EXPECT_EQ(cached.S, query.S);
    EXPECT_EQ(cached.messages, query.messages);
}

QString valuesOf(const QString& measure, const QString& ageGroup, const QStringList& bounds)
{
    return QStringLiteral("('Standardgrupp', %1, '%2', %3)").arg(measure, ageGroup, bounds.join(u','));
}

QStringList rising(int step)
{
    QStringList bounds;
    for (int k = 1; k <= 19; ++k)
        bounds.append(QString::number(step * k));
    return bounds;
}

CsvTable shippedNorms()
{
    QFile file(QStringLiteral(":/data/norms/NORMER_TAVLO.csv"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QString error;
    return ParseCsv(file.readAll(), &error).value_or(CsvTable{});
}

// The shipped norms with the bounds of AI at 7:0-7:5 set to step * k.
CsvTable normsWithAi(int step)
{
    CsvTable table = shippedNorms();
    for (QStringList& row : table.rows) {
        if (row[1] == u"AI" && row[2] == kSevenYears) {
            for (int k = 1; k <= 19; ++k)
                row[2 + k] = QString::number(step * k);
        }
    }
    return table;
}

// The scaled score of AI = 5 for a child of 7:2, scored on the connection.
int scaledAi(Database& db, QStringList* messages = nullptr)
{
    RecordingSink sink;
    TestRecord t = childAged(7, 2);
    t.scores.AI = 5;
    NormState norms;
    SelectAgeGroup(db, norms, t);
    ScoreTest(db, norms, t);
    if (messages)
        *messages = sink.texts();
    return t.result(Key::AI).value;
}

} // namespace

TEST(NormCache, EveryShippedRowReadsAsTheKeyedQueryReadsIt)
{
    TempDatabase t;
    int rows = 0;
    for (int b = 0; b < kAgeBandCount; ++b) {
        const auto [first, last] = AgeGroupsOfBand(AgeBand(b));
        for (int g = first; g <= last; ++g) {
            for (const ScaleEntry& e : normTables().list(AgeBand(b))) {
                expectSameAnswer(t, kStandardNormGroup, e.literal, AgeGroupLiterals()[g - 1]);
                ++rows;
            }
        }
    }
    EXPECT_EQ(rows, 824);
}

TEST(NormCache, OddRowsOfAnotherToolReadAsTheKeyedQueryReadsThem)
{
    // A norm table made without the program's keys and checks, as another tool might.
    TempDatabase t;
    QStringList columns;
    for (int k = 1; k <= 19; ++k)
        columns.append(QStringLiteral("S%1 INTEGER").arg(k));
    t.exec(QStringLiteral("DROP TABLE NORMER_TAVLO"));
    t.exec(QStringLiteral("CREATE TABLE NORMER_TAVLO (NORMGRUPP VARCHAR(50), DELSKALA VARCHAR(50), DELGRUPP "
                          "VARCHAR(50), %1)")
               .arg(columns.join(QStringLiteral(", "))));
    const auto with = [](int k, const QString& value) {
        QStringList bounds = rising(1);
        bounds[k - 1] = value;
        return bounds;
    };
    const QStringList values = {
        valuesOf(QStringLiteral("'AI'"), kSevenYears, rising(1)), // the first of two: used
        valuesOf(QStringLiteral("'AI'"), kSevenYears, rising(2)),
        valuesOf(QStringLiteral("'IH'"), kSevenYears, with(4, QStringLiteral("NULL"))), // missing, not the next
        valuesOf(QStringLiteral("'IH'"), kSevenYears, rising(3)),
        valuesOf(QStringLiteral("'FI'"), kSevenYears, with(19, QStringLiteral("NULL"))),
        valuesOf(QStringLiteral("'KL'"), kSevenYears, with(3, QStringLiteral("'x'"))),
        valuesOf(QStringLiteral("'DS'"), kSevenYears, with(2, QStringLiteral("5000000000"))),
        valuesOf(QStringLiteral("'BF'"), kSevenYears, with(1, QStringLiteral("3.7"))),
        valuesOf(QStringLiteral("'GP'"), kSevenYears, with(5, QStringLiteral("'12'"))),
        valuesOf(QStringLiteral("'ai'"), kSevenAndAHalf, rising(4)),
        valuesOf(QStringLiteral("'AI '"), kSevenAndAHalf, rising(5)),
        valuesOf(QStringLiteral("''"), kSevenAndAHalf, rising(6)),
        valuesOf(QStringLiteral("NULL"), kSevenYears, rising(7)),
        QStringLiteral("('standardgrupp', 'PB', '%1', %2)").arg(kSevenYears, rising(8).join(u',')),
    };
    t.exec(QStringLiteral("INSERT INTO NORMER_TAVLO VALUES ") + values.join(QStringLiteral(", ")));
    for (const QString& group : {kStandardNormGroup, QStringLiteral("standardgrupp")}) {
        for (const QString& ageGroup : {kSevenYears, kSevenAndAHalf}) {
            for (const char* measure : {"AI", "IH", "FI", "KL", "DS", "BF", "GP", "ai", "AI ", "", "PB", "VP"})
                expectSameAnswer(t, group, QString::fromUtf8(measure), ageGroup);
        }
    }
    // And what that answer is, where it matters most.
    const auto cached = [&](const char* measure) {
        return ask(kStandardNormGroup, QString::fromUtf8(measure), kSevenYears,
                   [&](NormRow& r) { return FetchNormRow(t.db, r); });
    };
    EXPECT_TRUE(cached("AI").found);
    EXPECT_EQ(cached("AI").S[18], 19) << "the first row stored for the key";
    EXPECT_FALSE(cached("IH").found) << "its first row has an empty bound";
    EXPECT_FALSE(cached("FI").found);
    EXPECT_TRUE(cached("FI").messages.isEmpty());
}

TEST(NormCache, AnImportOnTheSameConnectionIsSeenByTheNextRun)
{
    TempDatabase t;
    const int shipped = scaledAi(t.db);
    ASSERT_GE(shipped, 1);
    QString error;
    ASSERT_TRUE(ImportNorms(t.db, normsWithAi(1), nullptr, &error)) << error.toStdString();
    EXPECT_EQ(scaledAi(t.db), 5) << "5 <= S5 = 5";
    ASSERT_TRUE(ImportNorms(t.db, normsWithAi(2), nullptr, &error)) << error.toStdString();
    EXPECT_EQ(scaledAi(t.db), 3) << "5 <= S3 = 6";

    // New descriptions too, read by the next SelectAgeGroup on the connection.
    QFile file(QStringLiteral(":/data/norms/NORMGRUPPER_TAVLO.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    bytes.replace("provisoriske normer, ikke for klinisk bruk", "lisensierte normer");
    const auto groups = ParseCsv(bytes, &error);
    ASSERT_TRUE(groups) << error.toStdString();
    ASSERT_TRUE(ImportNorms(t.db, normsWithAi(3), &*groups, &error)) << error.toStdString();
    NormState norms;
    TestRecord t7 = childAged(7, 2);
    ASSERT_EQ(SelectAgeGroup(t.db, norms, t7), 1);
    EXPECT_EQ(norms.AgeGroupDescription, QStringLiteral("Alder 7:0-7:5, lisensierte normer"));
    EXPECT_EQ(scaledAi(t.db), 2) << "5 <= S2 = 6";
}

TEST(NormCache, AnImportThatFailsHalfwayLeavesTheEarlierNormsInUse)
{
    TempDatabase t;
    QString error;
    ASSERT_TRUE(ImportNorms(t.db, normsWithAi(1), nullptr, &error)) << error.toStdString();
    ASSERT_EQ(scaledAi(t.db), 5);
    // The last row inserted fails: the rows before it were in the table until the rollback.
    t.exec(QStringLiteral("CREATE TRIGGER stop BEFORE INSERT ON NORMER_TAVLO WHEN NEW.DELSKALA = 'BP' AND NEW.DELGRUPP "
                          "= 'Ålder 16:0-16:11' BEGIN SELECT RAISE(ABORT, 'stoppet'); END"));
    ASSERT_EQ(scaledAi(t.db), 5);
    EXPECT_FALSE(ImportNorms(t.db, normsWithAi(2), nullptr, &error));
    EXPECT_TRUE(error.contains(u"stoppet")) << error.toStdString();
    QStringList messages;
    EXPECT_EQ(scaledAi(t.db, &messages), 5);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

TEST(NormCache, NormsReadInsideATransactionThatRollsBackAreForgotten)
{
    TempDatabase t;
    QString error;
    ASSERT_TRUE(ImportNorms(t.db, normsWithAi(1), nullptr, &error)) << error.toStdString();
    {
        Transaction transaction(t.db);
        ASSERT_TRUE(ReplaceNormRows(t.db, normsWithAi(2), &error)) << error.toStdString();
        EXPECT_EQ(scaledAi(t.db), 3) << "the transaction sees its own rows";
        transaction.rollback();
    }
    EXPECT_EQ(scaledAi(t.db), 5) << "the rows rolled back are not kept";
}

TEST(NormCache, AnotherProgramsChangeIsSeenAfterConnectingAgain)
{
    TempDatabase t;
    QString error;
    ASSERT_TRUE(ImportNorms(t.db, normsWithAi(1), nullptr, &error)) << error.toStdString();
    ASSERT_EQ(scaledAi(t.db), 5);
    Database other;
    ASSERT_TRUE(t.connect(other));
    ASSERT_TRUE(ImportNorms(other, normsWithAi(2), nullptr, &error)) << error.toStdString();
    EXPECT_EQ(scaledAi(t.db), 5) << "the norms this connection read stay in use";
    ASSERT_TRUE(t.connect(t.db));
    EXPECT_EQ(scaledAi(t.db), 3);
    t.db.DbDisconnect();
    ASSERT_TRUE(ImportNorms(other, normsWithAi(1), nullptr, &error)) << error.toStdString();
    ASSERT_TRUE(t.connect(t.db));
    EXPECT_EQ(scaledAi(t.db), 5);
}
