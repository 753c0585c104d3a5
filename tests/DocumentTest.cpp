// The report leaving the results window as a table: the clipboard (HTML, tab-separated lines,
// the profile's picture) and the OpenDocument file of the window and of tavlo-ii-cli, each read
// back by a reader of its own and held against the report's rows, the tool and the access log.
#include "Ages.h"
#include "Documents.h"
#include "RecordingSink.h"
#include "Screenshots.h"
#include "Str.h"
#include "TempDatabase.h"
#include "ToolRun.h"
#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "paint/DocumentFile.h"
#include "report/ReportDocument.h"
#include "results/ResultsWindow.h"
#include "results/SaveDocument.h"
#include "store/accounts/AccessLog.h"
#include "store/tables/TestStore.h"
#include "Files.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace tavlo;
using namespace tavlo::test;

namespace {

const QString kDocumentLogged = QStringLiteral("dokument skrevet");

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.connect(context.db)); }
    void TearDown() override { SetDocumentFileChooser({}); }

    // A child of the age with every measure, a few given as 0, and a note that wraps nothing.
    int store(int years, int months)
    {
        TestRecord t = test::childWithEveryMeasure(years, months);
        t.person.NAMN = QStringLiteral("Åse Ødegård %1").arg(years);
        t.person.SEX = 2;
        t.person.SKOLA = QStringLiteral("Solbakken skole");
        t.person.OTHER = QStringLiteral("Kontroll & <oppfølging>");
        t.scores.AI = 0;
        t.scores.MT_V = 0;
        EXPECT_TRUE(SaveTest(context.db, t, true)) << str(sink.texts().join(u'\n'));
        return t.person.ID;
    }

    ResultsWindow* openResults(int id)
    {
        EXPECT_EQ(ReadTest(context.db, context.test, id), 1);
        context.testIsNew = false;
        w.showResults();
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return qobject_cast<ResultsWindow*>(w.screen());
    }

    Report report() const { return BuildReport(context.test, context.norms.AgeGroupDescription); }

    int logged(const QString& event)
    {
        QString error;
        const auto rows = ReadAccessLog(context.db, {}, &error);
        EXPECT_TRUE(rows) << str(error);
        return int(std::count_if(rows->begin(), rows->end(), [&](const AccessLogRow& r) { return r.event == event; }));
    }

    // The rows of the chosen domains (1-6) as tables with their headings, in domain order.
    std::vector<CellTable> expectedTables(const QString& domains) const
    {
        std::vector<CellTable> tables;
        const DomainTables rows = BuildReportRows(context.test);
        for (int d = 1; d <= kDomainCount; ++d) {
            if (domains.contains(QString::number(d)))
                tables.push_back(test::reportTable(rows[size_t(d - 1)]));
        }
        return tables;
    }

    // The document of the tool or the window against the report: every chosen domain's rows,
    // the person header's values, the notes, the norms' description, the profile's picture.
    void expectDocument(const QString& path, const QString& domains, bool profile)
    {
        ASSERT_TRUE(QFile::exists(path));
        const ReadDocument read = test::readOdt(path);
        EXPECT_EQ(read.tables, expectedTables(domains));
        const QString all = read.paragraphs.join(u'\n');
        const Report r = report();
        for (const auto& line : r.person.lines) {
            for (const HeaderItem& item : line) {
                if (!item.value.isEmpty()) {
                    EXPECT_TRUE(all.contains(item.value)) << str(item.value);
                }
            }
        }
        EXPECT_TRUE(all.contains(QStringLiteral("provisoriske normer, ikke for klinisk bruk"))) << str(all);
        for (const ReportSection& section : r.sections) {
            const bool chosen = domains.contains(QString::number(section.domain));
            EXPECT_EQ(read.paragraphs.contains(section.title), chosen) << section.domain;
            for (const QString& note : section.notes)
                EXPECT_TRUE(!chosen || read.paragraphs.contains(note)) << str(note);
        }
        for (const QString& note : r.profileNotes)
            EXPECT_EQ(read.paragraphs.contains(note), profile) << str(note);
        EXPECT_EQ(read.images, profile ? 1 : 0);
        const QStringList pictures = test::zipMembers(path).filter(QRegularExpression(QStringLiteral("^Pictures/.")));
        ASSERT_EQ(pictures.size(), profile ? 1 : 0);
        if (profile) {
            EXPECT_TRUE(test::unzipped(path, pictures[0]).startsWith("\x89PNG"));
        }
        if (HasFailure())
            ADD_FAILURE() << str(read.paragraphs.join(u'\n'));
    }

    TempDatabase db;
    AppContext context;
    RecordingSink sink;
    MainWindow w{context};
    QTemporaryDir dir;
};

} // namespace

// Every domain of tests at 4, 9 and 14 years, copied as the examiner copies it: the HTML's
// tables are the report's rows under its headings, the plain text the tool's lines.
TEST_F(DocumentTest, CopyGivesTheShownDomainsAsTablesAndAsTheToolsLines)
{
    for (const auto& [years, months] : {std::pair{4, 3}, std::pair{9, 0}, std::pair{14, 7}}) {
        SCOPED_TRACE(years);
        const int id = store(years, months);
        ResultsWindow* results = openResults(id);
        ASSERT_NE(results, nullptr);
        for (int item = 0; item <= kDomainCount; ++item) {
            SCOPED_TRACE(item);
            QGuiApplication::clipboard()->clear();
            results->domainList()->setCurrentIndex(item);
            // Ctrl+C, the button and Alt+K copy alike.
            if (item % 3 == 0)
                QTest::keyClick(results->view(), Qt::Key_C, Qt::ControlModifier);
            else if (item % 3 == 1)
                QTest::mouseClick(w.button(93), Qt::LeftButton);
            else
                QTest::keyClick(&w, Qt::Key_K, Qt::AltModifier);
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            ASSERT_NE(data, nullptr);
            ASSERT_TRUE(data->hasHtml());
            const QString domains = item == 0 ? QStringLiteral("123456") : QString::number(item);
            const ReadDocument html = test::readHtml(data->html());
            EXPECT_EQ(html.tables, expectedTables(domains));
            EXPECT_EQ(html.images, 0);
            ASSERT_FALSE(html.paragraphs.isEmpty());
            // The person above the tables, the norms' description with them.
            const QString name = context.test.person.NAMN;
            EXPECT_TRUE(html.paragraphs.mid(0, 2).join(u' ').contains(name)) << str(html.paragraphs.join(u'\n'));
            EXPECT_TRUE(html.paragraphs.join(u'\n').contains(QStringLiteral("provisoriske normer")));

            QStringList args{QStringLiteral("report"), db.folder(), QString::number(id)};
            if (item != 0)
                args << QStringLiteral("--domains") << domains;
            const test::CliRun tool = runCli(args);
            ASSERT_EQ(tool.status, 0) << str(tool.err);
            EXPECT_EQ(data->text(), tool.out);
        }
        w.showArchive();
    }
}

TEST_F(DocumentTest, CopyOfTheProfileIsAPictureOfTheChart)
{
    ResultsWindow* results = openResults(store(10, 0));
    ASSERT_NE(results, nullptr);
    results->domainList()->setCurrentIndex(kProfileItem);
    QTest::keyClick(results->view(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data && data->hasImage());
    EXPECT_FALSE(data->hasHtml()) << "a picture, not a table";
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (const QString shots = qEnvironmentVariable("TAVLO_SCREENSHOT_DIR"); !shots.isEmpty() && QDir().mkpath(shots))
        image.save(shots + QStringLiteral("/profile-copied.png"));
    EXPECT_GE(image.width(), 600);
    EXPECT_GE(image.height(), 400);
    EXPECT_LE(image.width(), 2000);
    // Drawn on: lines, points and texts cover a fair part, in more than one colour.
    std::set<QRgb> colours;
    qsizetype inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            inked += pixel != qRgb(255, 255, 255);
        }
    }
    EXPECT_GT(inked, qsizetype(image.width()) * image.height() / 50);
    EXPECT_GT(colours.size(), 3u);
}

// The tool's document for chosen domains and the profile, to a file and to standard output.
TEST_F(DocumentTest, TheToolsDocumentHoldsTheChosenDomainsTheHeaderAndTheProfile)
{
    const int id = store(9, 0);
    const QString path = dir.filePath(QStringLiteral("rapport.odt"));
    test::CliRun run = runCli({QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--domains"),
                               QStringLiteral("1245"), QStringLiteral("--odt"), path, QStringLiteral("--profile")});
    ASSERT_EQ(run.status, 0) << str(run.err);
    // Scored as the tool scored it, for the expected rows.
    ASSERT_FALSE(ShowIfFailed(OpenAndScore(context, id)));
    expectDocument(path, QStringLiteral("1245"), true);
    EXPECT_EQ(logged(kDocumentLogged), 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("rapport.odt")});
    const QString lines = run.out;

    // Without the profile no picture; "-" puts the document alone on standard output.
    run = runCli({QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--odt"), QStringLiteral("-"),
                  QStringLiteral("--domains"), QStringLiteral("3")});
    ASSERT_EQ(run.status, 0) << str(run.err);
    ASSERT_TRUE(run.bytes.startsWith("PK")) << "a zip file, no lines before it";
    const QString piped = dir.filePath(QStringLiteral("piped.odt"));
    test::files::writeFile(piped, run.bytes);
    expectDocument(piped, QStringLiteral("3"), false);
    EXPECT_EQ(logged(kDocumentLogged), 2);
    // Beside a file, the chosen domains' lines as ever.
    qsizetype rows = 0;
    for (const CellTable& table : expectedTables(QStringLiteral("1245")))
        rows += qsizetype(table.size()) - 1;
    EXPECT_EQ(test::lines(lines).size(), rows);
}

TEST_F(DocumentTest, ARefusedTargetIsSaidAndLogsNothing)
{
    const int id = store(9, 0);
    QDir().mkpath(dir.filePath(QStringLiteral("mappe.odt")));
    const QByteArray database = test::files::contentsOf(db.databasePath());
    const std::pair<QString, QString> refused[] = {
        {db.databasePath(), QFileInfo(db.databasePath()).fileName()},
        {dir.filePath(QStringLiteral("mappe.odt")), QStringLiteral("mappe.odt er en mappe")},
        {dir.filePath(QStringLiteral("finnes-ikke/rapport.odt")), QStringLiteral("finnes-ikke finnes ikke")},
    };
    for (const auto& [target, said] : refused) {
        const test::CliRun run = runCli({QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--odt"), target});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(said)) << str(run.err);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("MESSAGE\t"))) << str(run.err);
    }
    EXPECT_EQ(logged(kDocumentLogged), 0);
    EXPECT_EQ(test::files::contentsOf(db.databasePath()).size(), database.size());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});

    // A command line the tool cannot follow.
    const QStringList base{QStringLiteral("report"), db.folder(), QString::number(id)};
    test::expectRefused([&](const QStringList& args, const QByteArray&) { return runCli(base + args); },
                        {{{QStringLiteral("--odt")}, {}, 2, QStringLiteral("usage:")},
                         {{QStringLiteral("--odt"), QStringLiteral("-"), QStringLiteral("--pdf"), QStringLiteral("-")},
                          {},
                          2,
                          QStringLiteral("Bare én av --pdf og --odt")}});

    // The window says the same in its message box.
    openResults(id);
    SetDocumentFileChooser([&](QWidget*) { return db.databasePath(); });
    QTest::mouseClick(w.button(94), Qt::LeftButton);
    ASSERT_EQ(sink.messages.size(), 1) << str(sink.texts().join(u'\n'));
    EXPECT_TRUE(sink.messages[0].text.contains(QFileInfo(db.databasePath()).fileName())) << str(sink.messages[0].text);
    EXPECT_EQ(logged(kDocumentLogged), 0);
}

// A log that cannot be written stops the document before it is put in place: an earlier file
// there stays as it was, and nothing is left beside it.
TEST_F(DocumentTest, ALogThatCannotBeWrittenStopsTheDocument)
{
    const int id = store(9, 0);
    const QString path = dir.filePath(QStringLiteral("rapport.odt"));
    test::files::writeFile(path, "tidligere");
    // Closed to the document's row alone, so that the test is still read and shown.
    db.exec(QStringLiteral("CREATE TRIGGER stengt BEFORE INSERT ON LOGG WHEN NEW.HENDELSE = 'dokument skrevet' "
                           "BEGIN SELECT RAISE(ABORT, 'loggen er stengt'); END"));
    const test::CliRun run = runCli({QStringLiteral("report"), db.folder(), QString::number(id), QStringLiteral("--odt"), path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Tilgangsloggen kunne ikke skrives"))) << str(run.err);
    EXPECT_EQ(test::files::contentsOf(path), QByteArray("tidligere"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("rapport.odt")});
    EXPECT_FALSE(run.out.isEmpty()) << "the test was read and its lines printed before the document";
}

// "Lagre som dokument…" writes the whole report with the profile, by button and by Alt+D.
TEST_F(DocumentTest, TheWindowsDocumentIsTheWholeReportLoggedOnce)
{
    ResultsWindow* results = openResults(store(14, 7));
    ASSERT_NE(results, nullptr);
    const QString path = dir.filePath(QStringLiteral("barn.odt"));
    SetDocumentFileChooser([&](QWidget*) { return path; });
    const QRect print = w.button(92)->geometry();
    for (int id : {93, 94}) {
        EXPECT_TRUE(w.button(id)->isVisible()) << id;
        EXPECT_FALSE(w.button(id)->geometry().intersects(print)) << id;
    }
    QTest::mouseClick(w.button(94), Qt::LeftButton);
    expectDocument(path, QStringLiteral("123456"), true);
    EXPECT_EQ(logged(kDocumentLogged), 1);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("barn.odt")));

    QTest::keyClick(&w, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(logged(kDocumentLogged), 2) << "one row a document";

    // What a person sees: the laid-out document as a picture.
    if (const QString shots = qEnvironmentVariable("TAVLO_SCREENSHOT_DIR"); !shots.isEmpty()) {
        std::array<bool, kDomainCount> every;
        every.fill(true);
        saveDocumentPicture(ReportDocument(report(), ReportChoice(every, true)), QStringLiteral("document"));
        tavlo::test::saveScreenshot(w, QStringLiteral("results-with-copy-and-document"));
    }
}
