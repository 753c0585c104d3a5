// The tool's command line as a Unix tool's: help and version after every command, unknown
// options named, "--name=VALUE", "--", "-" for standard output, and --header.
#include "Ages.h"
#include "Str.h"
#include "TempDatabase.h"
#include "ToolRun.h"
#include "store/tables/PersonList.h"
#include "store/tables/TestStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::CliRun;
using tavlo::test::lines;
using tavlo::test::runCli;
using tavlo::test::str;

namespace {

CliRun run(const QStringList& args, const QString& workingDirectory = {})
{
    return runCli(args, {}, {}, workingDirectory);
}

// The commands as the tool's own usage lists them.
QStringList commandNames()
{
    QStringList names;
    static const QRegularExpression usage(QStringLiteral("^(?:usage: |\\s+)tavlo-ii-cli ([a-z][a-z-]*)"));
    for (const QString& line : lines(run({QStringLiteral("--help")}).out)) {
        if (const auto m = usage.match(line); m.hasMatch())
            names << m.captured(1);
    }
    return names;
}

// What a command's --help lists under one heading: the first word of each indented line.
QStringList helpList(const QString& command, const QString& heading)
{
    QStringList words;
    bool inside = false;
    for (const QString& line : lines(run({command, QStringLiteral("--help")}).out)) {
        if (line.startsWith(heading))
            inside = true;
        else if (inside && line.startsWith(u"  "))
            words << line.split(u' ', Qt::SkipEmptyParts).value(0);
        else if (inside)
            break;
    }
    return words;
}

QString joined(const QStringList& fields)
{
    return fields.join(u'\t');
}

// A database with two tests of one child, a year apart.
struct TwoTests {
    test::TempDatabase t;
    QString first, second;
    TwoTests()
    {
        TestRecord a = test::childWithEveryMeasure(8, 0);
        TestRecord b = test::childWithEveryMeasure(8, 0);
        b.person.TESTDATE = {2013, 6, 15};
        EXPECT_TRUE(SaveTest(t.db, a, true) && SaveTest(t.db, b, true));
        first = QString::number(a.person.ID);
        second = QString::number(b.person.ID);
    }
};

TEST(CliConventions, HelpAndVersionAfterEveryCommand)
{
    const QStringList commands = commandNames();
    ASSERT_GE(commands.size(), 12) << str(commands.join(u' '));
    const CliRun version = run({QStringLiteral("--version")});
    ASSERT_EQ(version.status, 0);
    EXPECT_EQ(run({QStringLiteral("-V")}).out, version.out);
    EXPECT_EQ(run({QStringLiteral("-h")}).out, run({QStringLiteral("--help")}).out);
    for (const QString& command : commands) {
        for (const QStringList& tail : {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("-h")},
                                        // asked for among wrong options, as before
                                        QStringList{QStringLiteral("--bogus"), QStringLiteral("--help")}}) {
            const CliRun help = run(QStringList{command} + tail);
            EXPECT_EQ(help.status, 0) << str(command);
            EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: tavlo-ii-cli %1 ").arg(command))) << str(help.out);
            EXPECT_TRUE(help.out.contains(u"\nValg:\n")) << str(help.out);
            EXPECT_TRUE(help.err.isEmpty()) << str(help.err);
        }
        for (const QString& flag : {QStringLiteral("--version"), QStringLiteral("-V")}) {
            const CliRun asked = run({command, flag});
            EXPECT_EQ(asked.status, 0) << str(command);
            EXPECT_EQ(asked.out, version.out) << str(command);
        }
    }
}

TEST(CliConventions, AWrongOptionIsNamedWithStatusTwo)
{
    QTemporaryDir out;
    for (const QString& command : commandNames()) {
        for (const QString& option : {QStringLiteral("--bogus-option"), QStringLiteral("-x"), QStringLiteral("--bogus=1")}) {
            const CliRun r = run({command, out.path(), option}, out.path());
            EXPECT_EQ(r.status, 2) << str(command + u' ' + option);
            EXPECT_TRUE(r.out.isEmpty()) << str(r.out);
            EXPECT_TRUE(r.err.startsWith(QStringLiteral("usage: tavlo-ii-cli %1 ").arg(command))) << str(r.err);
            EXPECT_TRUE(r.err.contains(option.section(u'=', 0, 0))) << str(r.err);
        }
    }
    const struct {
        QStringList args;
        const char* named;
    } wrong[] = {
        {{QStringLiteral("list"), out.path(), QStringLiteral("--ascending=ja")}, "--ascending tar ingen verdi"},
        {{QStringLiteral("list"), out.path(), QStringLiteral("--sort"), QStringLiteral("--descending")},
         "--sort mangler verdien"},
        {{QStringLiteral("export"), out.path(), QStringLiteral("-eksport.txt")}, "-eksport.txt"},
        // What follows -- is an argument, even one spelled as an option of the command.
        {{QStringLiteral("export"), out.path(), QStringLiteral("--"), QStringLiteral("--utf8")}, "./--utf8"},
        {{QStringLiteral("score"), out.path(), QStringLiteral("--header=ja"), QStringLiteral("1")}, "--header"},
        {{QStringLiteral("export"), out.path(), QStringLiteral("x.txt"), QStringLiteral("--header")}, "--header"},
    };
    for (const auto& w : wrong) {
        const CliRun r = run(w.args, out.path());
        EXPECT_EQ(r.status, 2) << str(w.args.join(u' '));
        EXPECT_TRUE(r.err.contains(QLatin1String(w.named))) << str(r.err);
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{}) << "nothing written";
}

TEST(CliConventions, AValueMayFollowAnEqualsSign)
{
    TwoTests db;
    const QString f = db.t.folder();
    const struct {
        QStringList joined, apart;
    } pairs[] = {
        {{QStringLiteral("list"), f, QStringLiteral("--sort=TESTDATE"), QStringLiteral("--descending")},
         {QStringLiteral("list"), f, QStringLiteral("--sort"), QStringLiteral("TESTDATE"), QStringLiteral("--descending")}},
        {{QStringLiteral("report"), QStringLiteral("--domains=13"), f, db.first},
         {QStringLiteral("report"), f, db.first, QStringLiteral("--domains"), QStringLiteral("13")}},
        {{QStringLiteral("log"), f, QStringLiteral("--person=") + db.second},
         {QStringLiteral("log"), f, QStringLiteral("--person"), db.second}},
    };
    for (const auto& p : pairs) {
        const CliRun a = run(p.joined);
        const CliRun b = run(p.apart);
        EXPECT_EQ(a.status, 0) << str(p.joined.join(u' ') + u'\n' + a.err);
        EXPECT_FALSE(a.out.isEmpty()) << str(p.joined.join(u' '));
        EXPECT_EQ(a.out, b.out) << str(p.joined.join(u' '));
    }
    // "--pdf=-" is standard output, as "--pdf -".
    const CliRun pdf = run({QStringLiteral("report"), f, db.first, QStringLiteral("--pdf=-")});
    EXPECT_EQ(pdf.status, 0) << str(pdf.err);
    EXPECT_TRUE(pdf.bytes.startsWith("%PDF-"));
}

TEST(CliConventions, DoubleDashLetsAnArgumentBeginWithADash)
{
    TwoTests db;
    QTemporaryDir here;
    const CliRun r = run({QStringLiteral("export"), db.t.folder(), QStringLiteral("--"), QStringLiteral("-eksport.txt")},
                         here.path());
    EXPECT_EQ(r.status, 0) << str(r.err);
    QFile file(here.filePath(QStringLiteral("-eksport.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("NID\tNAMN\t")) << "the export's header line";
    // A negative number after -- reaches the command, which refuses it as a date.
    const CliRun age = run({QStringLiteral("test-age"), QStringLiteral("--"), QStringLiteral("-1032012"),
                            QStringLiteral("15082005")});
    EXPECT_EQ(age.status, 2);
    EXPECT_TRUE(age.err.contains(u"Feil testdato")) << str(age.err);
}

TEST(CliConventions, DashWritesTheFileToStandardOutput)
{
    TwoTests db;
    const QString f = db.t.folder();
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("eksport.txt"));
    ASSERT_EQ(run({QStringLiteral("export"), f, file}).status, 0);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray exported = written.readAll();
    const CliRun toOut = run({QStringLiteral("export"), f, QStringLiteral("-")});
    EXPECT_EQ(toOut.status, 0) << str(toOut.err);
    EXPECT_TRUE(toOut.bytes.startsWith(exported.left(exported.indexOf("\r\n") + 2))) << "the header line first";
    EXPECT_EQ(toOut.bytes, exported);

    // The PDF alone on standard output, --header or not: no line of the report before it.
    const QList<QStringList> pdfs = {
        {QStringLiteral("report"), f, db.first, QStringLiteral("--pdf"), QStringLiteral("-")},
        {QStringLiteral("report"), f, db.first, QStringLiteral("--header"), QStringLiteral("--pdf"), QStringLiteral("-")},
        {QStringLiteral("compare"), f, db.first, db.second, QStringLiteral("--header"), QStringLiteral("--pdf"),
         QStringLiteral("-")},
    };
    for (const QStringList& args : pdfs) {
        const CliRun pdf = run(args);
        EXPECT_EQ(pdf.status, 0) << str(pdf.err);
        EXPECT_TRUE(pdf.bytes.startsWith("%PDF-")) << str(args.join(u' ')) << ": " << pdf.bytes.left(40).toStdString();
        EXPECT_TRUE(pdf.bytes.trimmed().endsWith("%%EOF")) << str(args.join(u' '));
    }
}

TEST(CliConventions, HeaderNamesTheColumnsOfEveryTabSeparatedCommand)
{
    TwoTests db;
    const QString f = db.t.folder();
    // The import refuses scores beyond the maxima of the age, which childWithEveryMeasure has.
    test::TempDatabase importing;
    TestRecord c = test::childAged(8, 0);
    ASSERT_TRUE(SaveTest(importing.db, c, true));
    QTemporaryDir out;
    const QString exported = out.filePath(QStringLiteral("eksport.txt"));
    ASSERT_EQ(run({QStringLiteral("export"), importing.folder(), exported}).status, 0);
    QStringList archive{QStringLiteral("ID")};
    for (int c = 0; c < kArchiveColumns; ++c)
        archive << QLatin1String(PersonSortColumn(c));
    const struct {
        QStringList args;
        QString header;
        bool sameEachRun; // the import stores the tests anew each time
    } cases[] = {
        {{QStringLiteral("score"), f, db.first}, QStringLiteral("FIELD\tRAW\tRESULT\tTEXT"), true},
        {{QStringLiteral("report"), f, db.first},
         QStringLiteral("DOMAIN\tSUBTEST\tRAW\tSCALED\tPERCENTILE\tKIND\tDESCRIPTION"), true},
        {{QStringLiteral("compare"), f, db.first, db.second},
         QStringLiteral("DOMAIN\tSUBTEST\tBEFORE\tAFTER\tCHANGE\tMARK"), true},
        {{QStringLiteral("list"), f}, joined(archive), true},
        {{QStringLiteral("user"), QStringLiteral("list"), f}, QStringLiteral("USERID\tPASSWORD"), true},
        {{QStringLiteral("log"), f, QStringLiteral("--person"), db.first},
         QStringLiteral("TIDSPUNKT\tBRUKER\tHENDELSE\tID\tPROGRAM\tMERKNAD"), true},
        {{QStringLiteral("import"), importing.folder(), exported}, QStringLiteral("OLD_ID\tNEW_ID"), false},
    };
    QStringList covered;
    for (const auto& c : cases) {
        const QString command = c.args[0];
        covered << command;
        SCOPED_TRACE(str(c.args.join(u' ')));
        const CliRun plain = run(c.args);
        const CliRun headed = run(c.args + QStringList{QStringLiteral("--header")});
        ASSERT_EQ(headed.status, 0) << str(headed.err);
        const QStringList rows = lines(headed.out);
        ASSERT_GE(rows.size(), 2);
        EXPECT_EQ(rows[0], c.header);
        if (c.sameEachRun) {
            EXPECT_EQ(rows.mid(1), lines(plain.out)) << "without --header nothing changes";
        }
        // The names fit the lines: as many as the widest line has fields.
        qsizetype widest = 0;
        for (const QString& row : rows.mid(1))
            widest = std::max(widest, row.split(u'\t').size());
        EXPECT_EQ(widest, c.header.split(u'\t').size());
        EXPECT_EQ(helpList(command, QStringLiteral("Kolonner")), c.header.split(u'\t')) << "--help documents them";
    }
    // Every command that documents columns is among the cases, and only those take --header.
    for (const QString& command : commandNames()) {
        const bool columns = !helpList(command, QStringLiteral("Kolonner")).isEmpty();
        EXPECT_EQ(columns, covered.contains(command)) << str(command);
        EXPECT_EQ(helpList(command, QStringLiteral("Valg:")).contains(QStringLiteral("--header")), columns) << str(command);
    }
}

TEST(CliConventions, TheManualPageListsEachCommandsColumns)
{
    QFile page(QStringLiteral(TAVLO_SOURCE_DIR "/packaging/tavlo-ii-cli.1"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QStringList text = QString::fromUtf8(page.readAll()).split(u'\n');
    const qsizetype output = text.indexOf(QStringLiteral(".SH UTDATA"));
    ASSERT_GE(output, 0);
    for (const QString& command : commandNames()) {
        const QStringList columns = helpList(command, QStringLiteral("Kolonner"));
        if (columns.isEmpty())
            continue;
        // ".B command", then its columns in order.
        const qsizetype at = text.indexOf(QStringLiteral(".B ") + command, output);
        ASSERT_GE(at, 0) << str(command);
        EXPECT_EQ(text.value(at + 1), columns.join(QStringLiteral(", "))) << str(command);
    }
}

} // namespace
