// The tables as the program reads them: shapes and invariants, row by row.
#include "scoring/NormGroups.h"
#include "scoring/NormImport.h"
#include "scoring/NormTables.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tavlo;

namespace {

const Key kCombined[] = {Key::DS_COMB, Key::INB_COMB, Key::INI_COMB, Key::INV_COMB, Key::PB_COMB, Key::VP_COMB};
const Key kContrast[] = {Key::KR_CONTRAST, Key::FK_CONTRAST, Key::IN_CONTRAST_BI, Key::IN_CONTRAST_IV,
                         Key::MF_CONTRAST_A, Key::MF_CONTRAST_B, Key::MF_CONTRAST_AB, Key::MA_CONTRAST,
                         Key::OF_CONTRAST, Key::OI_CONTRAST};

CsvTable readCsv(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QString error;
    const auto table = ParseCsv(file.readAll(), &error);
    EXPECT_TRUE(table) << error.toStdString();
    return table.value_or(CsvTable{});
}

} // namespace

TEST(ShippedTables, AreReadWhole)
{
    const NormTables& t = normTables();
    ASSERT_TRUE(t.ok()) << t.error.toStdString();
    EXPECT_EQ(t.list(AgeBand::Y3to4).size(), 21u);
    EXPECT_EQ(t.list(AgeBand::Y5to6).size(), 33u);
    EXPECT_EQ(t.list(AgeBand::Y7to12).size(), 39u);
    EXPECT_EQ(t.list(AgeBand::Y13to16).size(), 35u);
    EXPECT_EQ(t.list(AgeBand::Y13to16)[9].literal, QStringLiteral("PB ")) << "the trailing blank is kept";
    EXPECT_EQ(t.classifiers.size(), 24u);
    EXPECT_EQ(t.lookups.size(), 17u);
    EXPECT_EQ(t.maxima.size(), 60u);
    EXPECT_EQ(t.maxima.front().first, Key::AI);
    EXPECT_EQ(t.rawMaxima(Key::MT_K)->at(0), 26);
    EXPECT_EQ(t.rawMaxima(Key::MN_A)->at(1), 18);
    EXPECT_EQ(t.rawMaxima(Key::MN_A)->at(2), 24);
}

TEST(ShippedTables, CombinedAndContrastInvariants)
{
    const NormTables& t = normTables();
    const auto check = [&](Key key, int columns, int rowStep, int columnStep) {
        SCOPED_TRACE(keyName(key));
        const LookupTable& table = t.lookup(key);
        for (int c = 0; c < columns; ++c)
            EXPECT_EQ(table[0][size_t(c)], 0);
        for (int r = 1; r <= 19; ++r) {
            for (int c = columns == 9 ? 1 : 0; c < columns; ++c) {
                const int v = table[size_t(r)][size_t(c)];
                EXPECT_GE(v, 1) << r << "," << c;
                EXPECT_LE(v, 19) << r << "," << c;
                if (r > 1) {
                    EXPECT_GE((v - table[size_t(r - 1)][size_t(c)]) * rowStep, 0) << r << "," << c;
                }
                if (c > (columns == 9 ? 1 : 0)) {
                    EXPECT_GE((v - table[size_t(r)][size_t(c - 1)]) * columnStep, 0) << r << "," << c;
                }
            }
            if (columns == 9) {
                EXPECT_EQ(table[size_t(r)][0], r);
            }
        }
        if (columns == 9) {
            EXPECT_EQ(table[10][5], 10);
        }
    };
    for (Key key : kCombined)
        check(key, 7, 1, 1);
    check(Key::MB_CONTRAST, 7, 1, -1);
    for (Key key : kContrast)
        check(key, 9, 1, -1);
}

TEST(ShippedTables, DelayAndBandInvariants)
{
    const NormTables& t = normTables();
    for (int r = 0; r < 31; ++r) {
        EXPECT_EQ(t.delay[size_t(r)][0], r - 15);
        for (int c = 1; c <= 6; ++c) {
            EXPECT_GE(t.delay[size_t(r)][size_t(c)], 0);
            EXPECT_LE(t.delay[size_t(r)][size_t(c)], 100);
            if (r > 0) {
                EXPECT_LE(t.delay[size_t(r)][size_t(c)], t.delay[size_t(r - 1)][size_t(c)]);
            }
        }
    }
    for (const Classifier& c : t.classifiers) {
        SCOPED_TRACE(keyName(c.raw));
        const int count = c.set == BandSet::A ? 5 : 7;
        const auto [first, last] = AgeGroupsOfYears(c.firstAge, c.lastAge);
        for (int g = first; g <= last; ++g) {
            const auto& th = c.thresholds[size_t(g)];
            for (int k = 1; k < count; ++k) {
                if (c.rule == BandRule::K4) {
                    EXPECT_LE(th[size_t(k)], th[size_t(k - 1)]) << "group " << g << " T" << k;
                } else {
                    EXPECT_GE(th[size_t(k)], th[size_t(k - 1)]) << "group " << g << " T" << k;
                }
            }
            // No raw score inside the range falls between the bands.
            if (c.rule == BandRule::K1) {
                EXPECT_EQ(th[4], th[3] + 1) << "group " << g;
            }
            if (c.rule == BandRule::K3) {
                EXPECT_EQ(th[6], th[5] + 1) << "group " << g;
            }
            if (c.rule == BandRule::K4) {
                EXPECT_EQ(th[6], 0) << "group " << g;
            }
        }
    }
}

TEST(ShippedTables, NormRowsCoverEveryLookupOnceAndPassTheImportCheck)
{
    const CsvTable rows = readCsv(QStringLiteral(":/data/norms/NORMER_TAVLO.csv"));
    EXPECT_EQ(CheckNormRows(rows), std::nullopt);
    EXPECT_EQ(rows.rows.size(), 21 * 4 + 33 * 4 + 39 * 12 + 35 * 4);
    const CsvTable groups = readCsv(QStringLiteral(":/data/norms/NORMGRUPPER_TAVLO.csv"));
    EXPECT_EQ(CheckNormGroups(groups), std::nullopt);
    for (const QStringList& row : groups.rows) {
        EXPECT_TRUE(row[3].startsWith(row[1])) << row[3].toStdString();
        EXPECT_TRUE(row[3].contains(u"provisoriske normer")) << row[3].toStdString();
        EXPECT_LE(row[3].size(), 63);
    }
    // Bounds are raw scores the entry dialog admits.
    for (const QStringList& row : rows.rows) {
        const auto entry = [&]() -> const ScaleEntry* {
            for (const auto& list : normTables().lists)
                for (const ScaleEntry& e : list)
                    if (e.literal == row[1])
                        return &e;
            return nullptr;
        }();
        ASSERT_NE(entry, nullptr);
        if (!isStoredMeasure(entry->raw))
            continue;
        const int group = int(AgeGroupLiterals().indexOf(row[2])) + 1;
        const int years = group <= 20 ? 3 + (group - 1) / 2 : 13 + (group - 21);
        const int max = normTables().rawMaxima(entry->raw)->at(size_t(MaximaColumn(years)));
        for (int k = 0; k < 19 && max > 0; ++k) {
            EXPECT_GE(row[3 + k].toInt(), 0) << row.join(u',').toStdString();
            EXPECT_LE(row[3 + k].toInt(), max) << row.join(u',').toStdString();
        }
    }
}

// The reader every table and a clinic's norm file go through: quoting, line ends and the line
// each row or refusal is reported on.
TEST(CsvReading, FieldsQuotesLineEndsAndTheLineOfEachRowOrRefusal)
{
    struct Case {
        QByteArray bytes;
        QStringList rows; // fields joined by '|', then ':' and the row's line
        QString error;
    };
    const Case cases[] = {
        {"A,B\n1,2\n3,4", {QStringLiteral("1|2:2"), QStringLiteral("3|4:3")}, {}},
        {"\xEF\xBB\xBF" "A,B\r\n1,2\r\n", {QStringLiteral("1|2:2")}, {}},
        {"A,B\n\n,\n", {QStringLiteral("|:3")}, {}},
        {"A,B\n\"x,y\",\"say \"\"hi\"\"\"\n", {QStringLiteral("x,y|say \"hi\":2")}, {}},
        {"A,B\n\"\"\"\",\"\"\n", {QStringLiteral("\"|:2")}, {}},
        {"A,B\n\"two\nlines\",b\n\"\xC3\x85se\",\xC3\xA6\n", {QStringLiteral("two\nlines|b:2"), QStringLiteral("Åse|æ:4")}, {}},
        {"A,B\n\"a\r\nb\",c\n1\n", {}, QStringLiteral("linje 4: 1 felt, men overskriften har 2")},
        {"A\nab\"c\n", {}, QStringLiteral("linje 2: anførselstegn midt i et felt")},
        {"A\n\"a\nb\"c\n", {}, QStringLiteral("linje 3: tegn etter avsluttende anførselstegn")},
        {"A\n1\n\"abc\n", {}, QStringLiteral("linje 3: anførselstegn som aldri avsluttes")},
        {"A\n\"a\"\"\n", {}, QStringLiteral("linje 2: anførselstegn som aldri avsluttes")},
        {"", {}, QStringLiteral("linje 1: filen er tom")},
        {"A\n\xFF\n", {}, QStringLiteral("linje 1: filen er ikke gyldig UTF-8")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        QString error;
        const auto table = ParseCsv(c.bytes, &error);
        EXPECT_EQ(error.toStdString(), c.error.toStdString());
        if (!c.error.isEmpty()) {
            EXPECT_FALSE(table);
            continue;
        }
        ASSERT_TRUE(table);
        QStringList rows;
        for (qsizetype r = 0; r < table->rows.size(); ++r)
            rows << table->rows[r].join(u'|') + u':' + QString::number(table->lineNumbers[r]);
        EXPECT_EQ(rows.join(u'/').toStdString(), c.rows.join(u'/').toStdString());
        EXPECT_EQ(table->header.size(), c.bytes.count(',') ? 2 : 1);
    }
}

namespace tavlo {
NormTables CompiledNormTables();
}

// The programs carry the tables as the build read them: the same, entry for entry, as the data
// files read now.
TEST(NormTables, TheTablesTheBuildMadeAreTheDataFilesEntryForEntry)
{
    const NormTables read = ReadNormTables(QStringLiteral(":/data"));
    const NormTables made = CompiledNormTables();
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_TRUE(made.ok());
    for (size_t band = 0; band < read.lists.size(); ++band) {
        ASSERT_EQ(made.lists[band].size(), read.lists[band].size()) << band;
        for (size_t i = 0; i < read.lists[band].size(); ++i) {
            const ScaleEntry& a = made.lists[band][i];
            const ScaleEntry& b = read.lists[band][i];
            EXPECT_TRUE(a.literal == b.literal && a.raw == b.raw && a.direction == b.direction)
                << band << ' ' << i << ' ' << b.literal.toStdString();
        }
    }
    EXPECT_TRUE(made.lookups == read.lookups);
    EXPECT_EQ(made.delay, read.delay);
    ASSERT_EQ(made.classifiers.size(), read.classifiers.size());
    for (size_t i = 0; i < read.classifiers.size(); ++i) {
        const Classifier& a = made.classifiers[i];
        const Classifier& b = read.classifiers[i];
        EXPECT_TRUE(a.raw == b.raw && a.set == b.set && a.rule == b.rule && a.firstAge == b.firstAge
                    && a.lastAge == b.lastAge && a.thresholds == b.thresholds)
            << i;
    }
    EXPECT_TRUE(made.maxima == read.maxima);
    // What the programs score with is what the build made.
    EXPECT_TRUE(normTables().lookups == made.lookups && normTables().maxima == made.maxima);
}
