#include "ToolRun.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "scoring/NormGroups.h"
#include "store/files/InputFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::TempDatabase;

namespace {

using tavlo::test::CliRun;
using tavlo::test::runCli;

QByteArray shipped(const char* name)
{
    QFile file(QStringLiteral(":/data/norms/") + QLatin1String(name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QString write(QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

int firstBound(TempDatabase& t, const QString& literal, const QString& group)
{
    Statement s(t.db);
    EXPECT_TRUE(s.execDirect(QStringLiteral("SELECT S1 FROM NORMER_TAVLO WHERE DELSKALA = '%1' AND DELGRUPP = '%2'")
                                 .arg(literal, group)));
    return s.fetch() == Fetch::Row ? s.getInt(1).value_or(-1000) : -1000;
}

} // namespace

TEST(ImportNorms, ValidFileReplacesTheRowsAndTheDescriptions)
{
    TempDatabase t;
    t.db.DbDisconnect();
    QTemporaryDir dir;
    QByteArray rows = shipped("NORMER_TAVLO.csv");
    // A licensed file: the same keys, other bounds for AI at 7:0-7:5.
    const QByteArray key = "\"Standardgrupp\",\"AI\",\"Ålder 7:0-7:5\",";
    const qsizetype at = rows.indexOf(key);
    rows.replace(at, rows.indexOf('\n', at) - at, key + "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19");
    QByteArray groups = shipped("NORMGRUPPER_TAVLO.csv");
    groups.replace("provisoriske normer, ikke for klinisk bruk", "lisensierte normer");
    // Saved from a spreadsheet program: UTF-8 with a byte-order mark.
    rows.prepend("\xEF\xBB\xBF");
    groups.prepend("\xEF\xBB\xBF");
    const CliRun run = runCli({QStringLiteral("import-norms"), t.folder(), write(dir, QStringLiteral("n.csv"), rows),
                            QStringLiteral("--groups"), write(dir, QStringLiteral("g.csv"), groups)});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(u"824")) << run.out.toStdString();
    ASSERT_TRUE(t.connect(t.db));
    EXPECT_EQ(firstBound(t, QStringLiteral("AI"), QStringLiteral("Ålder 7:0-7:5")), 1);
    NormState norms;
    norms.CurrentAgeGroup = QStringLiteral("Ålder 9:0-9:5");
    ASSERT_EQ(LoadAgeGroupDescription(t.db, norms), 1);
    EXPECT_EQ(norms.AgeGroupDescription, QStringLiteral("Alder 9:0-9:5, lisensierte normer"));
}

TEST(ImportNorms, AFileWithOneBadRowChangesNothingAndNamesIt)
{
    TempDatabase t;
    const int before = firstBound(t, QStringLiteral("AI"), QStringLiteral("Ålder 7:0-7:5"));
    t.db.DbDisconnect();
    QTemporaryDir dir;
    const QByteArray good = shipped("NORMER_TAVLO.csv");
    const QList<QByteArray> lines = good.split('\n');
    const int aiLine = int(std::find_if(lines.begin(), lines.end(),
                                        [](const QByteArray& l) { return l.contains("\"AI\",\"Ålder 7:0-7:5\""); })
                           - lines.begin())
                       + 1;
    struct Case {
        QByteArray from, to;
        QString reason;
    };
    const Case cases[] = {
        // The blank of "PB " forgotten: a key the program never looks up.
        {"\"PB \",\"Ålder 13:0-13:11\"", "\"PB\",\"Ålder 13:0-13:11\"", QStringLiteral("\"PB\" brukes ikke")},
        {"\"AI\",\"Ålder 7:0-7:5\",", "\"AI\",\"Ålder 7:0-7:5\",x", QStringLiteral("linje %1: S1 er ikke et heltall").arg(aiLine)},
        {"\"AI\",\"Ålder 7:0-7:5\",", "\"AI\",\"Ålder 7:0-7:5\",99", QStringLiteral("linje %1: S2 er mindre enn S1").arg(aiLine)},
        {"\"AI\",\"Ålder 7:0-7:5\"", "\"AI\",\"Ålder 7:0-7:6\"", QStringLiteral("ukjent aldersgruppe")},
        {"\"AI\",\"Ålder 7:0-7:5\"", "\"AI\",\"Ålder 7:6-7:11\"", QStringLiteral("står mer enn én gang")},
        // Quotes where CSV has none.
        {"\"AI\",\"Ålder 7:0-7:5\",", "\"AI\",\"Ålder 7:0-7:5\",1\"2", QStringLiteral("linje %1: anførselstegn midt i et felt").arg(aiLine)},
        {"\"AI\",\"Ålder 7:0-7:5\"", "\"AI\"x,\"Ålder 7:0-7:5\"", QStringLiteral("linje %1: tegn etter avsluttende anførselstegn").arg(aiLine)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        QByteArray bad = good;
        ASSERT_TRUE(bad.contains(c.from));
        bad.replace(bad.indexOf(c.from), c.from.size(), c.to);
        const CliRun run =
            runCli({QStringLiteral("import-norms"), t.folder(), write(dir, QStringLiteral("bad.csv"), bad)});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(c.reason)) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(u"Ingenting er endret")) << run.err.toStdString();
    }
    // A row missing altogether is named too.
    QByteArray missing = good;
    const qsizetype at = missing.indexOf("\"Standardgrupp\",\"ST\",\"Ålder 3:0-3:5\"");
    missing.remove(at, missing.indexOf('\n', at) - at + 1);
    const CliRun run =
        runCli({QStringLiteral("import-norms"), t.folder(), write(dir, QStringLiteral("m.csv"), missing)});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(u"\"Standardgrupp\" \"ST\" \"Ålder 3:0-3:5\" mangler")) << run.err.toStdString();

    ASSERT_TRUE(t.connect(t.db));
    EXPECT_EQ(firstBound(t, QStringLiteral("AI"), QStringLiteral("Ålder 7:0-7:5")), before);
}

// A wrong file chosen by mistake, a huge one or an endless device, is refused without being
// read whole: the tool says so and the norms, and every stored test, stay as they were.
TEST(ImportNorms, AFileTooLargeEndlessOrNotRegularIsRefusedAtOnceAndChangesNothing)
{
    TempDatabase t;
    QTemporaryDir dir;
    const int before = firstBound(t, QStringLiteral("AI"), QStringLiteral("Ålder 7:0-7:5"));
    const QString huge = dir.filePath(QStringLiteral("normer.csv"));
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kImportFileLimit + 1)); // sparse: nothing of it needs reading
    }
    // A FIFO nobody writes to would hold a plain open() for ever.
    const QString fifo = dir.filePath(QStringLiteral("rør.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString okNorms = write(dir, QStringLiteral("ok.csv"), shipped("NORMER_TAVLO.csv"));
    const struct {
        QString path;
        QString says; // the same for the norms (10 MB) and the export's reader (200 MB)
    } inputs[] = {
        {huge, QStringLiteral("er større enn")},
        {QStringLiteral("/dev/zero"), QStringLiteral("/dev/zero er en enhet og ikke en vanlig fil, og leses ikke inn.")},
        {fifo, QStringLiteral("er en FIFO (et navngitt rør) og ikke en vanlig fil, og leses ikke inn.")},
        {dir.path(), QStringLiteral("er en mappe og ikke en vanlig fil, og leses ikke inn.")},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.path.toStdString());
        const CliRun runs[] = {
            runCli({QStringLiteral("import-norms"), t.folder(), input.path}),
            runCli({QStringLiteral("import-norms"), t.folder(), okNorms, QStringLiteral("--groups"), input.path}),
            runCli({QStringLiteral("import"), t.folder(), input.path}),
        };
        for (const CliRun& run : runs) {
            EXPECT_NE(run.status, 0);
            EXPECT_TRUE(run.err.contains(input.says)) << run.err.toStdString();
        }
        EXPECT_EQ(runs[0].status, 2);
        EXPECT_EQ(runs[2].status, 1);
    }
    EXPECT_EQ(firstBound(t, QStringLiteral("AI"), QStringLiteral("Ålder 7:0-7:5")), before);
}
