// The archive's and the report's jobs of tavlo-ii-cli (report, list, export, backup), each
// run as a real process and held against the program's own functions on the same database:
// the results window's drawing and rows, the printed pages, the archive's model, the export
// writer and the backup.
#include "Ages.h"
#include "ToolRun.h"
#include "FixedArchive.h"
#include "Files.h"
#include "Pdf.h"
#include "PrintedPages.h"
#include "RecordingPaintDevice.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "archive/ArchiveModel.h"
#include "results/Printing.h"
#include "report/ReportRows.h"
#include "report/TablesDocument.h"
#include "results/ResultsWindow.h"
#include "resources/StringTable.h"
#include "scoring/Scoring.h"
#include "store/accounts/AccessLog.h"
#include "store/connection/ConnectionString.h"
#include "store/files/DatabaseBackup.h"
#include "store/files/ExportFile.h"
#include "store/creation/NewDatabase.h"
#include "store/tables/PersonList.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <ostream>

QT_BEGIN_NAMESPACE
// Texts as texts in a failure's report.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

using namespace tavlo;
using namespace tavlo::test::files;
using tavlo::test::childWithEveryMeasure;
using tavlo::test::DrawnText;
using tavlo::test::pdfInfo;
using tavlo::test::pdfPageImage;
using tavlo::test::pdfPages;
using tavlo::test::pdfPageSize;
using tavlo::test::pdfPageText;
using tavlo::test::PdfText;
using tavlo::test::printTo;
using tavlo::test::RecordingPaintDevice;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;
using tavlo::test::str;

namespace {

struct ToolRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
    QStringList outLines() const { return test::lines(QString::fromUtf8(out)); }
    QStringList errLines() const { return test::lines(errText()); }
    QString errText() const { return QString::fromUtf8(err); }
};

// The tool as a scheduled job runs it: no display of any kind, no platform chosen for it,
// no session's runtime folder.
ToolRun cli(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TAVLO_CLI_PATH), args);
    EXPECT_TRUE(p.waitForFinished(120000)) << "tavlo-ii-cli " << str(args.join(u' '));
    ToolRun run;
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}

// ---- report -------------------------------------------------------------------------------

const QStringList kMeasureTypes = {QStringLiteral("Primærmål"), QStringLiteral("Prosessmål"),
                                   QStringLiteral("Kontrastmål")};

// The rows as the results window drew them, one list of the seven columns per row: the domain
// whose title came last, the label's pieces joined, the raw, scaled and percentile texts (the
// three drawn just before the type), the type, and the description's pieces joined. Wrapped
// pieces are joined with one blank, as a reader reads them.
QList<QStringList> rowsDrawn(const std::vector<DrawnText>& texts)
{
    QList<QStringList> rows;
    int domain = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        for (int d = 1; d <= kDomainCount; ++d) {
            if (texts[i].text == LoadString(1300 + d))
                domain = d;
        }
        if (!kMeasureTypes.contains(texts[i].text) || i < 3)
            continue;
        const double typeX = texts[i].at.x();
        size_t j = i + 1;
        QStringList description;
        for (; j < texts.size() && texts[j].at.x() > typeX; ++j)
            description << texts[j].text;
        QStringList label;
        if (j < texts.size()) {
            const double labelX = texts[j].at.x();
            const QFont body = texts[j].font;
            for (; j < texts.size() && texts[j].at.x() == labelX && texts[j].font == body; ++j)
                label << texts[j].text;
        }
        rows << QStringList{QString::number(domain),
                            label.join(u' ').simplified(),
                            texts[i - 3].text,
                            texts[i - 2].text,
                            texts[i - 1].text,
                            texts[i].text,
                            description.join(u' ').simplified()};
    }
    return rows;
}

QList<QStringList> fieldsOf(const QStringList& lines)
{
    QList<QStringList> out;
    for (const QString& line : lines)
        out << line.split(u'\t');
    return out;
}

// The lines the report command must print for the window's scored test: the core's rows with
// the column texts the window draws.
QStringList expectedLines(const TestRecord& scored, const std::array<bool, 6>& chosen)
{
    QStringList out;
    const DomainTables tables = BuildReportRows(scored);
    for (int d = 1; d <= kDomainCount; ++d) {
        if (!chosen[size_t(d - 1)])
            continue;
        for (const ReportRow& row : tables[size_t(d - 1)])
            out << QStringList{QString::number(d), row.Label, RawColumnText(row), ScaledColumnText(row),
                               PercentileColumnText(row), row.MeasureType, row.Description}
                       .join(u'\t');
    }
    return out;
}

// A stored test, reopened from the archive into the results window as the examiner does it.
class CliReport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.connect(context.db)); }

    // A child of the age with every measure, a few given as 0 and a few not given.
    int store(int years, int months)
    {
        TestRecord t = childWithEveryMeasure(years, months);
        t.person.NAMN = QStringLiteral("Åse Ødegård %1").arg(years);
        t.person.SEX = 2;
        t.person.HANDEDNESS = 2;
        t.person.SKOLA = QStringLiteral("Solbakken skole");
        t.person.OTHER = QStringLiteral("Kontroll");
        t.scores.AI = 0;
        t.scores.FI = NOT_ENTERED;
        t.scores.MT_V = 0;
        EXPECT_TRUE(SaveTest(context.db, t, true)) << str(sink.texts().join(u'\n'));
        return t.person.ID;
    }

    // Opens the stored test in the results window, showing domain 0 (all) or 1-6.
    void openResults(int id, int domain)
    {
        ASSERT_EQ(ReadTest(context.db, context.test, id), 1);
        context.testIsNew = false;
        w.showResults();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        auto* results = qobject_cast<ResultsWindow*>(w.screen());
        ASSERT_NE(results, nullptr);
        results->domainList()->setCurrentIndex(domain);
        ASSERT_EQ(results->view()->domain(), domain);
        view = results->view();
    }

    // What the results window's view draws, recorded by a paint device in its place.
    std::vector<DrawnText> windowDrawing()
    {
        RecordingPaintDevice device(view->size());
        view->render(&device);
        return device.texts();
    }

    TempDatabase db;
    AppContext context;
    RecordingSink sink;
    MainWindow w{context};
    ReportView* view = nullptr;
    QTemporaryDir dir;
};

TEST_F(CliReport, EveryRowOfTestsAt4_9And14IsWhatTheResultsWindowDraws)
{
    const std::array<bool, 6> all = {true, true, true, true, true, true};
    for (const auto& [years, months] : {std::pair{4, 3}, std::pair{9, 0}, std::pair{14, 7}}) {
        SCOPED_TRACE(years);
        const int id = store(years, months);
        openResults(id, 0);
        const ToolRun run = cli({QStringLiteral("report"), db.folder(), QString::number(id)});
        ASSERT_EQ(run.status, 0) << str(run.errText());
        EXPECT_TRUE(run.err.isEmpty()) << str(run.errText());
        const QStringList printed = run.outLines();

        // The core's rows with the texts the window draws, exactly.
        EXPECT_EQ(printed, expectedLines(context.test, all));
        // And the window's own drawing, cell by cell.
        const QList<QStringList> drawn = rowsDrawn(windowDrawing());
        ASSERT_GT(drawn.size(), 10);
        ASSERT_EQ(fieldsOf(printed).size(), drawn.size());
        for (qsizetype i = 0; i < drawn.size(); ++i) {
            QStringList fields = printed[i].split(u'\t');
            ASSERT_EQ(fields.size(), 7) << str(printed[i]);
            fields[1] = fields[1].simplified();
            fields[6] = fields[6].simplified();
            EXPECT_EQ(fields, drawn[i]) << "row " << i << ": " << str(printed[i]) << "\n   drawn: "
                                        << str(drawn[i].join(u'|'));
        }
        // Domain order, and what a computed score, a band and a missing score show.
        QStringList domains;
        for (const QStringList& fields : fieldsOf(printed))
            domains << fields[0];
        QStringList sorted = domains;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(domains, sorted);
        EXPECT_TRUE(printed.join(u'\n').contains(QStringLiteral("\tN/A*\t")));
        EXPECT_TRUE(printed.join(u'\n').contains(QStringLiteral("\t-\t")));
        if (years == 9) {
            EXPECT_TRUE(printed.join(u'\n').contains(QStringLiteral("%**\t"))) << "the BF and IH bands";
        }
        if (years == 4) {
            const QStringList domain1 = printed.filter(QRegularExpression(QStringLiteral("^1\t")));
            ASSERT_EQ(domain1.size(), 1) << "domain 1 of a 4-year-old: the statue only";
            EXPECT_TRUE(domain1[0].startsWith(QStringLiteral("1\tStatue (ST) Totalskåre\t")));
        }
        EXPECT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));
    }
}

TEST_F(CliReport, ChosenDomainsAreTheWindowsSectionsInDomainOrder)
{
    const int id = store(9, 0);
    std::map<int, QStringList> perDomain;
    for (int d = 1; d <= kDomainCount; ++d) {
        SCOPED_TRACE(d);
        openResults(id, d);
        const ToolRun run = cli({QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--domains"),
                             QString::number(d)});
        ASSERT_EQ(run.status, 0) << str(run.errText());
        perDomain[d] = run.outLines();
        std::array<bool, 6> one{};
        one[size_t(d - 1)] = true;
        EXPECT_EQ(perDomain[d], expectedLines(context.test, one));
        const QList<QStringList> drawn = rowsDrawn(windowDrawing());
        ASSERT_EQ(drawn.size(), perDomain[d].size());
        for (qsizetype i = 0; i < drawn.size(); ++i) {
            EXPECT_EQ(drawn[i][0], QString::number(d));
            EXPECT_EQ(drawn[i].mid(2, 4), perDomain[d][i].split(u'\t').mid(2, 4));
        }
    }
    // Several at once, in any order on the command line: domain order.
    const ToolRun run = cli({QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--domains"),
                         QStringLiteral("52")});
    ASSERT_EQ(run.status, 0) << str(run.errText());
    EXPECT_EQ(run.outLines(), perDomain[2] + perDomain[5]);
    const ToolRun whole = cli({QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--domains"),
                           QStringLiteral("123456")});
    QStringList all;
    for (const auto& [d, lines] : perDomain)
        all += lines;
    EXPECT_EQ(whole.outLines(), all);
}

TEST_F(CliReport, MessagesOfTheRunAndAMissingTest)
{
    TestRecord t = tavlo::test::childAged(17, 2);
    t.scores.AI = 20;
    ASSERT_TRUE(SaveTest(context.db, t, true));
    ToolRun run = cli({QStringLiteral("report"), db.folder(), QString::number(t.person.ID)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errLines(),
              QStringList{QStringLiteral("MESSAGE\tNotera att barnet är äldre än den normgrupp som barnet jämförs med.")});
    EXPECT_EQ(run.outLines().size(), 1);
    EXPECT_TRUE(run.outLines().value(0).startsWith(QStringLiteral("5\tAffektgjenkjenning (AG) Totalskåre\t20\t")));

    run = cli({QStringLiteral("report"), db.folder(), QStringLiteral("99")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.errLines(), QStringList{QStringLiteral("MESSAGE\tTestperson nummer 99 finnes ikke i databasen.")});
}

TEST_F(CliReport, ThePdfHoldsThePagesSkrivUtPrintsForTheChosenDomains)
{
    const int id = store(9, 0);
    ASSERT_EQ(ReadTest(context.db, context.test, id), 1);
    SelectAgeGroup(context.db, context.norms, context.test);
    ScoreTest(context.db, context.norms, context.test);

    struct Case {
        QString domains;
        std::array<bool, 6> chosen;
        bool profile;
        int pages;
    };
    const Case cases[] = {
        {QStringLiteral("25"), {false, true, false, false, true, false}, false, 3},
        {QString(), {true, true, true, true, true, true}, false, 8}, // the memory domain on two pages
        {QStringLiteral("52"), {false, true, false, false, true, false}, true, 4}, // the profile on page 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(str(c.domains));
        const QString cliPdf = dir.filePath(QStringLiteral("cli-%1.pdf").arg(c.domains));
        QStringList args{QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--pdf"), cliPdf};
        if (!c.domains.isEmpty())
            args << QStringLiteral("--domains") << c.domains;
        if (c.profile)
            args << QStringLiteral("--profile");
        const ToolRun run = cli(args);
        ASSERT_EQ(run.status, 0) << str(run.errText());
        EXPECT_TRUE(run.err.isEmpty()) << str(run.errText());
        EXPECT_EQ(run.outLines(), expectedLines(context.test, c.chosen)) << "the lines as well";

        // The program's own job, its printer choice answered with a PDF file.
        const QString programPdf = dir.filePath(QStringLiteral("program-%1.pdf").arg(c.domains));
        ASSERT_TRUE(PrintReport(context, ReportChoice(c.chosen, c.profile), nullptr, printTo(&programPdf)));

        ASSERT_EQ(pdfPages(cliPdf), c.pages);
        EXPECT_EQ(pdfPages(programPdf), c.pages);
        EXPECT_EQ(pdfPageSize(cliPdf), pdfPageSize(programPdf));
        for (int page = 1; page <= c.pages; ++page)
            EXPECT_EQ(pdfPageText(cliPdf, page, PdfText::Layout), pdfPageText(programPdf, page, PdfText::Layout))
                << "page " << page;

        // Page 1 the person; then each chosen domain under the continuation header.
        const QString first = pdfPageText(cliPdf, 1, PdfText::Layout).simplified();
        EXPECT_TRUE(first.contains(QStringLiteral("Resultatrapport"))) << str(first);
        EXPECT_TRUE(first.contains(QStringLiteral("Åse Ødegård 9")));
        EXPECT_FALSE(first.contains(QStringLiteral("Resultatrapport for")));
        EXPECT_TRUE(first.contains(QStringLiteral("Side 1")));
        int page = 2;
        if (c.profile) {
            const QString profile = pdfPageText(cliPdf, page++, PdfText::Layout).simplified();
            EXPECT_TRUE(profile.contains(QStringLiteral("Profil"))) << str(profile);
            EXPECT_TRUE(profile.contains(QStringLiteral("Resultatrapport for Åse Ødegård 9")));
            EXPECT_TRUE(profile.contains(QStringLiteral("Side 2")));
        }
        for (int d = 1; d <= kDomainCount; ++d) {
            if (!c.chosen[size_t(d - 1)])
                continue;
            const QString text = pdfPageText(cliPdf, page, PdfText::Layout).simplified();
            EXPECT_TRUE(text.contains(LoadString(1300 + d))) << "domain " << d << " on page " << page;
            EXPECT_TRUE(text.contains(QStringLiteral("Resultatrapport for Åse Ødegård 9")));
            EXPECT_TRUE(text.contains(QStringLiteral("Side %1").arg(page)));
            page += d == 3 ? 2 : 1;
        }
        if (c.pages == 8) {
            EXPECT_TRUE(pdfPageText(cliPdf, 5, PdfText::Layout)
                            .contains(QStringLiteral("Hukommelses- og innlæringsfunksjoner, fortsettelse")));
        }
        // A child's report: for its owner only, and nothing else left beside it.
        EXPECT_EQ(QFileInfo(cliPdf).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions{});
    }
    EXPECT_EQ(filesIn(dir.path()).filter(QStringLiteral("cli-")).size(), 3) << str(filesIn(dir.path()).join(u' '));
}

// The tool writes its file without a printer: the same sheet, margins, resolution and title
// as the program's printer gives a PDF file, so every page renders to the same pixels.
TEST_F(CliReport, ThePdfRendersAsTheProgramsPdfAndCarriesItsTitle)
{
    const int id = store(9, 0);
    ASSERT_EQ(ReadTest(context.db, context.test, id), 1);
    SelectAgeGroup(context.db, context.norms, context.test);
    ScoreTest(context.db, context.norms, context.test);

    const QString cliPdf = dir.filePath(QStringLiteral("cli.pdf"));
    const ToolRun run = cli({QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--pdf"), cliPdf,
                             QStringLiteral("--profile")});
    ASSERT_EQ(run.status, 0) << str(run.errText());
    const QString programPdf = dir.filePath(QStringLiteral("program.pdf"));
    ASSERT_TRUE(PrintReport(context, ReportChoice({true, true, true, true, true, true}, true), nullptr,
                            printTo(&programPdf)));

    EXPECT_EQ(pdfInfo(cliPdf, QStringLiteral("Title")), QStringLiteral("Resultatrapport, testperson nummer %1").arg(id));
    for (const char* label : {"Title", "Creator", "Page size", "Page rot", "Pages", "PDF version"})
        EXPECT_EQ(pdfInfo(cliPdf, QString::fromUtf8(label)), pdfInfo(programPdf, QString::fromUtf8(label))) << label;
    const int pages = pdfPages(programPdf);
    ASSERT_EQ(pages, 9);
    for (int page = 1; page <= pages; ++page)
        EXPECT_TRUE(pdfPageImage(cliPdf, page) == pdfPageImage(programPdf, page)) << "page " << page;
}

TEST_F(CliReport, APdfThatCannotBeWrittenFailsAndLeavesNothing)
{
    const int id = store(9, 0);
    // No such folder. The painting library's messages come as the tool's own, one MESSAGE line
    // each, for the PDF and the document alike.
    const QString missing = dir.filePath(QStringLiteral("none/report.pdf"));
    const QString number = QString::number(id);
    for (const QStringList& job : {QStringList{QStringLiteral("report"), db.folder(), number, QStringLiteral("--pdf"), missing},
                                   QStringList{QStringLiteral("report"), db.folder(), number, QStringLiteral("--odt"), missing}}) {
        SCOPED_TRACE(str(job.join(u' ')));
        const ToolRun failed = cli(job);
        EXPECT_EQ(failed.status, 1);
        ASSERT_FALSE(failed.errLines().isEmpty());
        for (const QString& line : failed.errLines())
            EXPECT_TRUE(line.startsWith(u"MESSAGE\t")) << str(line);
        EXPECT_FALSE(QFile::exists(missing));
    }
    // The access log refusing the file's row, which the painting library itself writes.
    const QString refused = dir.filePath(QStringLiteral("refused.pdf"));
    db.exec(QStringLiteral("CREATE TRIGGER noprint BEFORE INSERT ON LOGG WHEN NEW.HENDELSE IN ('skrevet ut', "
                           "'dokument skrevet') BEGIN SELECT RAISE(ABORT, 'nei'); END"));
    for (const QString& option : {QStringLiteral("--pdf"), QStringLiteral("--odt")}) {
        SCOPED_TRACE(str(option));
        const ToolRun failed = cli({QStringLiteral("report"), db.folder(), number, option, refused});
        EXPECT_EQ(failed.status, 1);
        EXPECT_TRUE(failed.errLines().value(0).startsWith(u"MESSAGE\tTilgangsloggen")) << str(failed.errText());
        EXPECT_FALSE(QFile::exists(refused));
    }
    db.exec(QStringLiteral("DROP TRIGGER noprint"));
    ToolRun run;

    // A target that cannot be replaced by a file (a folder of that name).
    QDir().mkpath(dir.filePath(QStringLiteral("taken.pdf")));
    run = cli({QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--pdf"),
               dir.filePath(QStringLiteral("taken.pdf"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.errText().contains(QStringLiteral("taken.pdf er en mappe"))) << str(run.errText());
    EXPECT_EQ(filesIn(dir.path()), QStringList{}) << "no half file beside it";
}

// ---- list ---------------------------------------------------------------------------------

class CliList : public ::testing::Test {
protected:
    // What the archive shows, read and sorted by its own model.
    QStringList archiveLines(int sortKey, bool descending)
    {
        PersonListLoad load = LoadPersonList(t.db.connectionString());
        EXPECT_TRUE(load.read);
        ArchiveModel model;
        model.setList(std::move(load.list), sortKey, descending);
        QStringList out;
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells{QString::number(model.idAt(row))};
            for (int c = 0; c < kArchiveColumns; ++c)
                cells << model.data(model.index(row, c)).toString();
            out << cells.join(u'\t');
        }
        return out;
    }

    ToolRun list(QStringList options)
    {
        return cli(QStringList{QStringLiteral("list"), t.folder()} + options);
    }

    TempDatabase t;
    RecordingSink sink;
};

TEST_F(CliList, EverySortBothWaysIsTheArchivesOrder)
{
    // Every text column holds the same words, each in another order; dates with ties, a
    // missing birth date; every sex.
    const char* words[] = {"Åse", "ærlig", "Zorro", "Øyvind", "åsmund", "Ola", "Anne", "Ærlig", "ola", "anders", "O'Neil, Per"};
    constexpr int n = int(std::size(words));
    for (int i = 0; i < n; ++i) {
        TestRecord r = tavlo::test::childAged(7, i % 5);
        r.person.NAMN = QString::fromUtf8(words[i]);
        r.person.TESTLEDARE = QString::fromUtf8(words[(i + 1) % n]);
        r.person.OTHER = QString::fromUtf8(words[(i + 2) % n]);
        r.person.SKOLA = QString::fromUtf8(words[(i + 3) % n]);
        r.person.NATIONALITET = QString::fromUtf8(words[(i + 4) % n]);
        r.person.HOMELANGUAGE = QString::fromUtf8(words[(i + 5) % n]);
        r.person.TESTDATE = {int16_t(2010 + i % 3), int16_t(1 + (i * 5) % 12), int16_t(1 + i % 2)};
        r.person.SEX = i % 3;
        if (i == 4)
            r.person.BORNDATE = Date{};
        ASSERT_TRUE(SaveTest(t.db, r, true));
    }

    const QStringList byId = archiveLines(9, true);
    ASSERT_EQ(byId.size(), n);
    // As the archive opens: the newest first.
    ToolRun run = list({});
    ASSERT_EQ(run.status, 0) << str(run.errText());
    EXPECT_TRUE(run.err.isEmpty()) << str(run.errText());
    EXPECT_EQ(run.outLines(), byId);
    EXPECT_TRUE(byId[0].startsWith(QStringLiteral("%1\t").arg(n)));
    EXPECT_EQ(list({QStringLiteral("--ascending")}).outLines(), archiveLines(9, false));

    for (int key = 0; key < kPersonSortKeys; ++key) {
        const QString column = QLatin1String(PersonSortColumn(key));
        for (const bool descending : {false, true}) {
            SCOPED_TRACE(str(column) + (descending ? " descending" : " ascending"));
            run = list({QStringLiteral("--sort"), column,
                        descending ? QStringLiteral("--descending") : QStringLiteral("--ascending")});
            ASSERT_EQ(run.status, 0) << str(run.errText());
            EXPECT_EQ(run.outLines(), archiveLines(key, descending));
        }
        // A column alone: ascending, as the first click on its header.
        EXPECT_EQ(list({QStringLiteral("--sort"), column}).outLines(), archiveLines(key, false));
    }
    // The cells: day-first dates with hyphens, "Gutt"/"Jente" or nothing, no date as zeros.
    const QStringList first = list({QStringLiteral("--sort"), QStringLiteral("ID"), QStringLiteral("--ascending")})
                                  .outLines()
                                  .value(0)
                                  .split(u'\t');
    ASSERT_EQ(first.size(), 10);
    EXPECT_EQ(first[0], QStringLiteral("1"));
    EXPECT_EQ(first[1], QStringLiteral("Åse"));
    EXPECT_EQ(first[3], QStringLiteral("01-01-2010"));
    EXPECT_EQ(first[5], QString()) << "sex 0";
    const QStringList fifth = list({QStringLiteral("--sort"), QStringLiteral("ID"), QStringLiteral("--ascending")})
                                  .outLines()
                                  .value(4)
                                  .split(u'\t');
    EXPECT_EQ(fifth[5], QStringLiteral("Gutt"));
    EXPECT_EQ(list({QStringLiteral("--sort"), QStringLiteral("ID"), QStringLiteral("--ascending")})
                  .outLines()
                  .value(2)
                  .section(u'\t', 5, 5),
              QStringLiteral("Jente"));
    EXPECT_EQ(fifth[6], QStringLiteral("00-00-0000")) << "no birth date, as the archive shows it";
    EXPECT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));
}

TEST_F(CliList, WhatOtherToolsStorePrintsAsTheArchiveReadsItByteForByte)
{
    // Texts longer than a read takes at once, bytes that are not UTF-8, a byte order mark,
    // NULLs, dates that are not ISO, sexes of other values; rows enough for many blocks of
    // the read and of the held lines.
    t.exec(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
        "INSERT INTO TESTPERSON (ID, NAMN, TESTLEDARE, OTHER, SKOLA, NATIONALITET, HOMELANGUAGE, SEX, TESTDATE, "
        "BORNDATE) SELECT i, "
        "CASE i % 7 WHEN 0 THEN 'Åse ' || i WHEN 1 THEN 'ærlig ' || (i % 5) WHEN 2 THEN NULL "
        "WHEN 3 THEN CAST(X'EFBBBF4B617269' AS TEXT) WHEN 4 THEN CAST(X'61C3' AS TEXT) || i WHEN 5 THEN 'Zorro' "
        "ELSE 'ola' || char(13) END, "
        "'Leder ' || (i % 3), "
        "substr(replace(hex(zeroblob(300)), '00', 'Øy'), 1, 100 + i * 2), "
        "CASE WHEN i % 11 = 0 THEN CAST(X'C0AF' AS TEXT) ELSE 'Skole ' || (i % 4) END, "
        "CASE i % 2 WHEN 0 THEN 'norsk' ELSE CAST(X'EDA080' AS TEXT) || CAST(X'F4908080' AS TEXT) END, "
        "CASE WHEN i % 13 = 0 THEN NULL ELSE 'språk' || CAST(X'EFBBBF' AS TEXT) END, "
        "CASE i % 5 WHEN 3 THEN 'x' WHEN 4 THEN NULL ELSE i % 3 END, "
        "CASE i % 6 WHEN 0 THEN '24.03.2012' WHEN 1 THEN NULL ELSE '2012-0' || (1 + i % 9) || '-1' || (i % 10) END, "
        "'2005-05-0' || (1 + i % 9) FROM n"));
    // In the archive's order, each person as a reading of one value at a time (ReadPerson)
    // gives it, printed as the list printed it through QString.
    PersonListLoad load = LoadPersonList(t.db.connectionString());
    ASSERT_TRUE(load.read);
    ASSERT_EQ(load.list.size(), 300);
    std::map<int, PersonListRow> read;
    for (int i = 0; i < load.list.size(); ++i) {
        PersonalData p;
        const int id = load.list.row(i).ID;
        ASSERT_EQ(ReadPerson(t.db, p, id), 1);
        read[id] = {p.ID, p.NAMN, p.TESTLEDARE, p.TESTDATE, p.OTHER, p.SEX, p.BORNDATE, p.SKOLA, p.NATIONALITET,
                    p.HOMELANGUAGE};
    }
    for (int key = 0; key < kPersonSortKeys; ++key) {
        for (const bool descending : {false, true}) {
            const QString column = QLatin1String(PersonSortColumn(key));
            SCOPED_TRACE(str(column) + (descending ? " descending" : " ascending"));
            QByteArray expected;
            for (const int i : load.list.sorted(key, descending)) {
                const PersonListRow& row = read[load.list.row(i).ID];
                QString line = QString::number(row.ID);
                for (int c = 0; c < kArchiveColumns; ++c)
                    line += u'\t' + TabSeparatedField(ArchiveCellText(row, c));
                expected += line.toUtf8() + '\n';
            }
            const ToolRun run = list({QStringLiteral("--sort"), column,
                                      descending ? QStringLiteral("--descending") : QStringLiteral("--ascending")});
            ASSERT_EQ(run.status, 0) << str(run.errText());
            EXPECT_EQ(run.out, expected);
        }
    }
}

TEST_F(CliList, AnEmptyArchiveListsNothingAndATabInATextKeepsTheLineWhole)
{
    ToolRun run = list({});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.isEmpty());

    TestRecord r = tavlo::test::childAged(7, 0);
    r.person.NAMN = QStringLiteral("Kari");
    ASSERT_TRUE(SaveTest(t.db, r, true));
    t.exec(QStringLiteral("UPDATE TESTPERSON SET OTHER = 'to' || char(9) || 'linjer' || char(10) || 'her'"));
    run = list({});
    ASSERT_EQ(run.outLines().size(), 1);
    const QStringList fields = run.outLines()[0].split(u'\t');
    ASSERT_EQ(fields.size(), 10);
    EXPECT_EQ(fields[4], QStringLiteral("to linjer her"));
}

TEST_F(CliList, PrintsNothingTheLogDoesNotHoldAndLogsHowManyItPrinted)
{
    // Each order its own way: number order comes straight from the database, the others are
    // sorted first.
    for (int i = 0; i < 3; ++i) {
        TestRecord r = tavlo::test::childAged(7, i);
        r.person.NAMN = QStringLiteral("Barn %1").arg(i);
        ASSERT_TRUE(SaveTest(t.db, r, true));
    }
    const struct {
        const char* what;
        QStringList options;
    } orders[] = {
        {"as the archive opens", {}},
        {"by number, ascending", {QStringLiteral("--sort"), QStringLiteral("ID"), QStringLiteral("--ascending")}},
        {"by name", {QStringLiteral("--sort"), QStringLiteral("NAMN")}},
        {"by birth date", {QStringLiteral("--sort"), QStringLiteral("BORNDATE"), QStringLiteral("--descending")}},
    };
    QString error;
    for (const auto& order : orders) {
        SCOPED_TRACE(order.what);
        t.exec(QStringLiteral(
            "CREATE TRIGGER stengt BEFORE INSERT ON LOGG BEGIN SELECT RAISE(ABORT, 'loggen er stengt'); END"));
        ToolRun run = list(order.options);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.isEmpty()) << str(run.out);
        EXPECT_TRUE(run.errText().contains(QStringLiteral("loggen er stengt"))) << str(run.errText());
        t.exec(QStringLiteral("DROP TRIGGER stengt"));

        run = list(order.options);
        ASSERT_EQ(run.status, 0) << str(run.errText());
        EXPECT_EQ(run.outLines().size(), 3);
        const auto logged = ReadAccessLog(t.db, {}, &error);
        ASSERT_TRUE(logged && !logged->empty()) << str(error);
        EXPECT_EQ(logged->back().event, QStringLiteral("liste vist"));
        EXPECT_EQ(logged->back().note, QStringLiteral("3 tester"));
    }
}

// ---- export -------------------------------------------------------------------------------

TEST(CliExport, WritesByteForByteWhatTheProgramsExportWrites)
{
    TempDatabase t;
    tavlo::test::makeFixedArchive(t);
    QTemporaryDir out;
    const QString program = out.filePath(QStringLiteral("program.txt"));
    ASSERT_EQ(WriteExportFile(t.db, program).outcome, ExportOutcome::Written);
    const QString path = out.filePath(QStringLiteral("cli.txt"));
    const ToolRun run = cli({QStringLiteral("export"), t.folder(), path});
    ASSERT_EQ(run.status, 0) << str(run.errText());
    EXPECT_TRUE(run.err.isEmpty()) << str(run.errText());
    EXPECT_EQ(contentsOf(path), contentsOf(program));
    EXPECT_EQ(contentsOf(path), contentsOf(QStringLiteral(TAVLO_TEST_DATA "/fixed-archive-export.txt")));

    // An earlier file is replaced whole.
    writeFile(path, kEarlier);
    ASSERT_EQ(cli({QStringLiteral("export"), t.folder(), path}).status, 0);
    EXPECT_EQ(contentsOf(path), contentsOf(program));
}

TEST(CliExport, ARefusalOrAFailedWriteGivesTheProgramsMessageAndLeavesNoFile)
{
    TempDatabase t;
    TestRecord r = tavlo::test::childAged(8, 0);
    r.person.NAMN = QStringLiteral("Kari");
    ASSERT_TRUE(SaveTest(t.db, r, true));
    t.exec(QStringLiteral("UPDATE TESTPERSON SET SKOLA = 'A' || char(9) || 'B'"));
    QTemporaryDir out;

    // What the program says of the same refusal.
    const ExportResult refused = WriteExportFile(t.db, out.filePath(QStringLiteral("program.txt")));
    ASSERT_EQ(refused.outcome, ExportOutcome::Refused);
    const auto notice = ExportFailureNotice(refused);
    ASSERT_TRUE(notice);
    const QString path = out.filePath(QStringLiteral("cli.txt"));
    ToolRun run = cli({QStringLiteral("export"), t.folder(), path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errLines(), QStringList{QStringLiteral("TAVLO-II: ") + notice->text});
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(filesIn(out.path()), QStringList{}) << "no file left";

    writeFile(path, kEarlier);
    run = cli({QStringLiteral("export"), t.folder(), path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(contentsOf(path), kEarlier) << "an earlier file stays as it was";

    t.exec(QStringLiteral("UPDATE TESTPERSON SET SKOLA = 'B'"));
    const QString nowhere = out.filePath(QStringLiteral("none/export.txt"));
    run = cli({QStringLiteral("export"), t.folder(), nowhere});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errLines().value(0),
              QStringLiteral("TAVLO-II: Mappen %1 finnes ikke. Ingenting er skrevet. Velg en mappe som finnes.")
                  .arg(out.filePath(QStringLiteral("none"))));
    EXPECT_FALSE(QFile::exists(nowhere));
}

// ---- backup -------------------------------------------------------------------------------

qint64 rowsIn(Database& db, const char* table)
{
    Statement s(db);
    EXPECT_TRUE(s.execDirect(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))));
    EXPECT_EQ(s.fetch(), Fetch::Row);
    return s.getInt(1).value_or(-1);
}

TEST(CliBackup, TheCopyOpensWithEveryRow)
{
    TempDatabase t;
    tavlo::test::makeFixedArchive(t);
    QTemporaryDir out;
    // Put where a database folder's file stands, beside the same workgroup file.
    const QString restored = out.filePath(QStringLiteral("restored"));
    ASSERT_TRUE(QDir().mkpath(restored));
    const QString copy = restored + u'/' + kDatabaseFileName;
    const ToolRun run = cli({QStringLiteral("backup"), t.folder(), copy});
    ASSERT_EQ(run.status, 0) << str(run.errText());
    EXPECT_EQ(run.outLines(), QStringList{LoadString(10)});
    EXPECT_TRUE(run.err.isEmpty()) << str(run.errText());
    EXPECT_EQ(QFileInfo(copy).permissions(), QFileInfo(t.databasePath()).permissions());
    ASSERT_TRUE(QFile::copy(t.workgroupPath(), restored + u'/' + kWorkgroupFileName));

    Database back;
    ASSERT_EQ(back.DbConnect(QStringLiteral("TAVLO-II"), {}, {}, copy,
                             restored + u'/' + kWorkgroupFileName),
              1);
    for (const char* table : {"TESTPERSON", "TESTDATA_TAVLO", "TESTDATA_TAVLO_MF", "NORMER_TAVLO", "SEC"})
        EXPECT_EQ(rowsIn(back, table), rowsIn(t.db, table)) << table;
    // Every row whole: the copy exports as the database does.
    const QString a = out.filePath(QStringLiteral("a.txt")), b = out.filePath(QStringLiteral("b.txt"));
    ASSERT_EQ(WriteExportFile(t.db, a).outcome, ExportOutcome::Written);
    ASSERT_EQ(WriteExportFile(back, b).outcome, ExportOutcome::Written);
    EXPECT_EQ(contentsOf(a), contentsOf(b));
}

TEST(CliBackup, AFailedCopyGivesTheSystemsReason)
{
    TempDatabase t;
    QTemporaryDir out;
    const QString nowhere = out.filePath(QStringLiteral("none/backup.mdb"));
    const ToolRun run = cli({QStringLiteral("backup"), t.folder(), nowhere});
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.errLines().size(), 1) << str(run.errText());
    EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("Error: "))) << str(run.errText());
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST(CliBackup, AServersDatabaseIsBackedUpByTheServersOwnTool)
{
    // A folder that holds only a workgroup file naming a server (unreachable or not: the
    // answer is the same, and nothing is tried).
    QTemporaryDir folder;
    ASSERT_TRUE(WriteWorkgroupFile(folder.filePath(kWorkgroupFileName),
                                   QStringLiteral("DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=tavlo;"
                                                  "UID=%3;PWD=%4"),
                                   nullptr));
    const QString target = folder.filePath(QStringLiteral("backup.mdb"));
    const ToolRun run = cli({QStringLiteral("backup"), folder.path(), target});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errLines(), QStringList{QStringLiteral("TAVLO-II: ") + ServerBackupNotice()});
    EXPECT_TRUE(ServerBackupNotice().contains(QStringLiteral("pg_dump")));
    EXPECT_FALSE(QFile::exists(target));

    EXPECT_TRUE(NamesServer(QStringLiteral("DRIVER={PostgreSQL Unicode};Server=h;Database=d")));
    EXPECT_FALSE(NamesServer(kSqliteConnectionTemplate));
    EXPECT_FALSE(NamesServer(QString()));
}

// ---- usage --------------------------------------------------------------------------------

TEST(CliJobsUsage, HelpGivesZeroAndAWrongCommandLineTwo)
{
    TempDatabase t;
    TestRecord r = tavlo::test::childAged(8, 0);
    ASSERT_TRUE(SaveTest(t.db, r, true));
    const QString id = QString::number(r.person.ID);
    QTemporaryDir out;
    for (const char* name : {"report", "list", "export", "backup"}) {
        SCOPED_TRACE(name);
        const ToolRun help = cli({QLatin1String(name), QStringLiteral("--help")});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.outLines().value(0).startsWith(QStringLiteral("usage: tavlo-ii-cli %1 ").arg(QLatin1String(name))))
            << str(QString::fromUtf8(help.out));
        EXPECT_TRUE(help.err.isEmpty());
        const ToolRun bare = cli({QLatin1String(name)});
        EXPECT_EQ(bare.status, 2);
        EXPECT_TRUE(bare.errText().startsWith(QStringLiteral("usage: tavlo-ii-cli %1 ").arg(QLatin1String(name))));
    }
    const QString folder = t.folder();
    const QString file = out.filePath(QStringLiteral("x"));
    const QList<QStringList> wrong = {
        {QStringLiteral("report"), folder},
        {QStringLiteral("report"), folder, QStringLiteral("x")},
        {QStringLiteral("report"), folder, id, QStringLiteral("more")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--domains")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--domains"), QString()},
        {QStringLiteral("report"), folder, id, QStringLiteral("--domains"), QStringLiteral("0")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--domains"), QStringLiteral("7")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--domains"), QStringLiteral("12a")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--domains"), QStringLiteral("113")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--domains"), QStringLiteral("1,3")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--pdf")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--pdf"), QString()},
        {QStringLiteral("report"), folder, id, QStringLiteral("--bogus")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--profile")}, // the profile is a page of the PDF
        {QStringLiteral("report"), folder, id, QStringLiteral("--domains"), QStringLiteral("12"), QStringLiteral("--profile")},
        {QStringLiteral("report"), folder, id, QStringLiteral("--pdf"), QStringLiteral("--profile")},
        {QStringLiteral("list"), folder, QStringLiteral("--sort")},
        {QStringLiteral("list"), folder, QStringLiteral("--sort"), QStringLiteral("ADRESS")},
        {QStringLiteral("list"), folder, QStringLiteral("--ascending"), QStringLiteral("--descending")},
        {QStringLiteral("list"), folder, QStringLiteral("more")},
        {QStringLiteral("export"), folder},
        {QStringLiteral("export"), folder, file, QStringLiteral("more")},
        {QStringLiteral("export"), folder, file, QStringLiteral("--format")},
        {QStringLiteral("export"), folder, file, QStringLiteral("--format"), QStringLiteral("xlsx")},
        {QStringLiteral("export"), folder, file, QStringLiteral("--format"), QStringLiteral("csv"), QStringLiteral("--utf8")},
        {QStringLiteral("export"), folder, QStringLiteral("--codebook")},
        {QStringLiteral("export"), QStringLiteral("--codebook"), QStringLiteral("--format"), QStringLiteral("csv")},
        {QStringLiteral("backup"), folder},
        {QStringLiteral("backup"), folder, file, QStringLiteral("more")},
    };
    for (const QStringList& args : wrong) {
        const ToolRun run = cli(args);
        EXPECT_EQ(run.status, 2) << str(args.join(u' '));
        EXPECT_TRUE(run.out.isEmpty()) << str(args.join(u' '));
        EXPECT_TRUE(run.errText().contains(QStringLiteral("usage: tavlo-ii-cli ") + args[0])) << str(run.errText());
    }
    EXPECT_EQ(filesIn(out.path()), QStringList{}) << "nothing written";
    // A folder that is no database: a failure of the job, in Norwegian.
    for (const QString& command : {QStringLiteral("list"), QStringLiteral("export"), QStringLiteral("backup")}) {
        QStringList args{command, out.filePath(QStringLiteral("nothing"))};
        if (command != u"list")
            args << file;
        const ToolRun run = cli(args);
        EXPECT_EQ(run.status, 1) << str(command);
        EXPECT_FALSE(run.err.isEmpty());
    }
}

} // namespace
