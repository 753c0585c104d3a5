#include "model/Catalogue.h"
#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace tavlo;

TEST(Catalogue, SixtyMeasuresWithUniqueCodesColumnsAndEntryRows)
{
    ASSERT_EQ(measures().size(), 60u);
    std::set<std::string> codes;
    std::set<int> columns, rows;
    for (size_t i = 0; i < measures().size(); ++i) {
        const MeasureInfo& m = measures()[i];
        SCOPED_TRACE(m.code);
        codes.insert(m.code);
        columns.insert(m.column);
        rows.insert(m.entryRow);
        EXPECT_EQ(m.column, int(i) + 1) << "the table is in column order";
        EXPECT_EQ(int(m.key), int(i));
        EXPECT_STREQ(keyName(m.key), m.code);
        EXPECT_EQ(m.labelId, 1100 + m.entryRow);
        EXPECT_GE(m.entryRow, 1);
        EXPECT_LE(m.entryRow, 60);
        EXPECT_EQ(measureAtEntryRow(m.entryRow), &m);
        EXPECT_EQ(&measureInfo(m.key), &m);
    }
    EXPECT_EQ(codes.size(), 60u);
    EXPECT_EQ(columns.size(), 60u);
    EXPECT_EQ(rows.size(), 60u);
    EXPECT_EQ(measureAtEntryRow(0), nullptr);
    EXPECT_EQ(measureAtEntryRow(61), nullptr);
}

TEST(Catalogue, ColumnOrderIsTheTablesOrder)
{
    // The statements name the columns in this order; a slip here swaps two children's scores.
    const char* expected[] = {
        "AI", "KR_A", "KR_B", "BF_S", "BF_A", "BP", "BK", "DS_N", "DS_REP", "DS_R", "FK_O", "FK_M",
        "FK_G", "FK_L", "FR_AD", "FR_AID", "FR_BD", "FR_BID", "FBA", "FBAB", "FI", "GP", "IH_D",
        "IH_ID", "INB_O", "INB_S", "INB_T", "INI_O", "INI_S", "INI_T", "INV_O", "INV_S", "INV_T",
        "KA", "KL", "MM", "MT_V", "MT_K", "MA_A", "MA_B", "MB_F", "MB_FS", "MB_I", "MN_A", "MN_B",
        "MO_A5", "MO_A", "MO_B", "OS", "OF_A", "OF_B", "OI_REP", "OI_RENDER", "PI", "PB_T", "PB_R",
        "RM", "ST", "VP_T", "VP_F"};
    ASSERT_EQ(std::size(expected), measures().size());
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_STREQ(measures()[i].code, expected[i]) << "column " << i + 1;
}

TEST(Catalogue, EveryLabelStartsWithItsSubtestOrNamesItsPart)
{
    for (const MeasureInfo& m : measures()) {
        SCOPED_TRACE(m.code);
        const QString label = LoadString(m.labelId);
        ASSERT_FALSE(label.isEmpty());
        const QString subtest = QString::fromLatin1(subtestInfo(m.subtest).code);
        // The finger-movement labels name their part instead of the subtest; PI carries its own code.
        if (m.subtest == Subtest::FB)
            EXPECT_TRUE(label.startsWith(u"Del ")) << label.toStdString();
        else if (m.subtest == Subtest::Pl)
            EXPECT_TRUE(label.startsWith(u"PI ")) << label.toStdString();
        else
            EXPECT_TRUE(label.startsWith(subtest + u' ')) << label.toStdString();
    }
}

TEST(Catalogue, SubtestsAndDomainsHaveTheirTexts)
{
    ASSERT_EQ(subtests().size(), 30u);
    std::set<std::string> codes;
    for (size_t i = 0; i < subtests().size(); ++i) {
        const SubtestInfo& s = subtests()[i];
        codes.insert(s.code);
        EXPECT_EQ(s.textId, 1201 + int(i));
        EXPECT_EQ(int(s.id), int(i));
        const QString name = LoadString(s.textId);
        EXPECT_TRUE(name.endsWith(QStringLiteral("(%1)").arg(QLatin1String(s.code)))) << name.toStdString();
    }
    EXPECT_EQ(codes.size(), 30u);
    // Every subtest but memory for designs (the card grid) has measures.
    for (const SubtestInfo& s : subtests()) {
        int count = 0;
        for (const MeasureInfo& m : measures())
            count += m.subtest == s.id;
        EXPECT_EQ(count == 0, s.id == Subtest::HF) << s.code;
    }
    ASSERT_EQ(domains().size(), 7u);
    for (size_t i = 0; i < domains().size(); ++i) {
        EXPECT_EQ(domains()[i].textId, 1300 + int(i));
        EXPECT_FALSE(LoadString(domains()[i].textId).isEmpty());
    }
    EXPECT_EQ(LoadString(1300), QStringLiteral("Alle domener"));
    EXPECT_EQ(LoadString(1306), QStringLiteral("Domenet Visuospatiale funksjoner"));
}

TEST(Catalogue, ResultKeysInTheirReportingOrder)
{
    EXPECT_EQ(kKeyCount, 96);
    EXPECT_STREQ(keyName(Key(60)), "BF_SUM");
    EXPECT_STREQ(keyName(Key::MO_DELAY), "MO_DELAY");
    EXPECT_STREQ(keyName(Key(kFirstComputedKey)), "DS_COMB");
    EXPECT_STREQ(keyName(Key(kKeyCount - 1)), "OI_CONTRAST");
    for (int i = 0; i < kKeyCount; ++i)
        EXPECT_EQ(keyFromName(keyName(Key(i))), Key(i));
    EXPECT_EQ(keyFromName("ai"), std::nullopt);
    EXPECT_EQ(keyFromName("MF_CONTRAST"), std::nullopt);
}

TEST(StringTable, HoldsTheTextsWithTheirIds)
{
    for (int id = 1101; id <= 1162; ++id)
        EXPECT_TRUE(HasString(id)) << id;
    for (int id = 501; id <= 524; ++id)
        EXPECT_TRUE(LoadString(id).startsWith(u"Ålder ")) << id;
    EXPECT_EQ(LoadString(501), QStringLiteral("Ålder 3:0-3:5"));
    EXPECT_EQ(LoadString(520), QStringLiteral("Ålder 12:6-12:11"));
    EXPECT_EQ(LoadString(521), QStringLiteral("Ålder 13:0-13:11"));
    EXPECT_EQ(LoadString(524), QStringLiteral("Ålder 16:0-16:11"));
    // Trailing and leading blanks are part of the texts.
    EXPECT_EQ(LoadString(1126), QStringLiteral("HH Fri og Styrt gjenfortelling Totalskåre "));
    EXPECT_EQ(LoadString(16), QStringLiteral("  Eksporter data"));
    EXPECT_EQ(LoadString(7), QStringLiteral("Klikk på ønsket testperson på listen. "));
    EXPECT_EQ(LoadString(60),
              QStringLiteral("Tilknytning til databasen var mislykket. Ta kontakt med programleverandøren."));
    EXPECT_TRUE(LoadString(36).endsWith(u"Dataversjon 1.0/"));
    EXPECT_EQ(LoadString(999), QString());
    // The printf placeholder takes a value; "%ss" keeps its genitive s.
    EXPECT_EQ(LoadString(323, QStringLiteral("KA Totalskåre (Maks=10)")),
              QStringLiteral("Ogyldig verdi registrert på KA Totalskåre (Maks=10)."));
    EXPECT_EQ(LoadString(12, QStringLiteral("Kari")),
              QStringLiteral("Vil du virkelig slette Karis testresultat fra databasen? Endringen er permanent."));
    EXPECT_EQ(LoadString(13, QStringLiteral("50%s")), QStringLiteral("Data over testpersonen 50%s er slettet fra databasen."));
    EXPECT_FALSE(HasString(0));
    // Every text fits the ANSI buffers it will later be copied into, and is valid UTF-8.
    for (const StringEntry& e : stringTable()) {
        const QString text = QString::fromUtf8(e.text);
        EXPECT_EQ(text.toUtf8(), QByteArray(e.text)) << e.id;
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << e.id;
    }
}
