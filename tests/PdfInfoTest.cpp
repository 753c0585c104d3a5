// What the PDF files of the report and the comparison say of themselves (pdfinfo), and the order
// their text is read in (pdftotext), for a real scored test printed through the real printer and
// written by the tool.
#include "Ages.h"
#include "Pdf.h"
#include "PrintTo.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "ToolRun.h"
#include "app/AppContext.h"
#include "report/Comparison.h"
#include "report/Report.h"
#include "report/ReportRows.h"
#include "results/Printing.h"
#include "session/Session.h"
#include "scoring/Scoring.h"
#include "store/tables/TestStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childWithEveryMeasure;
using tavlo::test::pdfInfo;
using tavlo::test::pdfPages;
using tavlo::test::pdfPageText;
using tavlo::test::PdfText;
using tavlo::test::printTo;
using tavlo::test::RecordingSink;
using tavlo::test::runCli;
using tavlo::test::str;
using tavlo::test::TempDatabase;
using tavlo::test::toolOutput;

namespace {

const QString kName = QStringLiteral("Kari Nordmann");

class PdfFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.connect(context.db));
        // Two tests of one child, a year apart, for the comparison.
        for (const int year : {2011, 2012}) {
            TestRecord t = childWithEveryMeasure(8, 2);
            t.person.TESTDATE.year = int16_t(year);
            t.person.BORNDATE.year = 2003;
            t.person.NAMN = kName;
            t.person.SEX = 2;
            ASSERT_TRUE(SaveTest(context.db, t, true));
            ids.push_back(t.person.ID);
        }
        ASSERT_EQ(ReadTest(context.db, context.test, ids[0]), 1);
        SelectAgeGroup(context.db, context.norms, context.test);
        ScoreTest(context.db, context.norms, context.test);
    }

    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }

    TempDatabase db;
    AppContext context;
    RecordingSink sink;
    QTemporaryDir dir;
    std::vector<int> ids;
};

} // namespace

TEST_F(PdfFiles, EachIsTitledByItsHeadingAndNumbersNeverTheNameWithTheProgramAsCreator)
{
    const QString id = QString::number(ids[0]);
    const QString report = QStringLiteral("Resultatrapport, testperson nummer ") + id;
    struct Case {
        const char* how;
        QString pdf;
        std::function<bool(const QString&)> write;
        QString title;
        bool language; // Qt's PDF writer takes XMP metadata; the printer's does not
    };
    const Case cases[] = {
        {"printed to a PDF file", file("printed.pdf"),
         [&](const QString& pdf) { return PrintReport(context, ReportChoice({true}), nullptr, printTo(pdf)); }, report,
         false},
        {"report --pdf", file("report.pdf"),
         [&](const QString& pdf) {
             return runCli({QStringLiteral("report"), db.folder(), id, QStringLiteral("--pdf"), pdf}).status == 0;
         },
         report, true},
        {"compare --pdf", file("compare.pdf"),
         [&](const QString& pdf) {
             return runCli({QStringLiteral("compare"), db.folder(), id, QString::number(ids[1]), QStringLiteral("--pdf"), pdf})
                        .status
                    == 0;
         },
         QStringLiteral("Sammenligning av to tester, testperson nummer %1 og %2").arg(ids[0]).arg(ids[1]), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        ASSERT_TRUE(c.write(c.pdf));
        EXPECT_EQ(pdfInfo(c.pdf, QStringLiteral("Title")), c.title);
        EXPECT_EQ(pdfInfo(c.pdf, QStringLiteral("Creator")), QStringLiteral("TAVLO-II"));
        const QString info = toolOutput(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), c.pdf});
        EXPECT_FALSE(info.contains(QStringLiteral("Nordmann"))) << str(info);
        if (c.language) {
            EXPECT_TRUE(info.contains(QStringLiteral("<dc:language><rdf:Bag><rdf:li>nb</rdf:li></rdf:Bag></dc:language>")))
                << str(info);
            EXPECT_TRUE(info.contains(QStringLiteral("<rdf:li xml:lang=\"x-default\">") + c.title)) << str(info);
        }
    }
    EXPECT_TRUE(sink.messages.isEmpty());
}

namespace {

// Where each row, its cells joined by a blank, is read in text after the row before it; the
// rows that are not.
QStringList rowsOutOfOrder(const QString& text, const QList<QStringList>& rows)
{
    QStringList out;
    qsizetype at = 0;
    for (QStringList cells : rows) {
        cells.removeAll(QString());
        const QString read = cells.join(u' ').simplified();
        const qsizetype found = text.indexOf(read, at);
        if (found < 0)
            out.append(read);
        else
            at = found + read.size();
    }
    return out;
}

QString drawnText(const QString& pdf)
{
    QString text;
    for (int page = 1; page <= pdfPages(pdf); ++page)
        text += pdfPageText(pdf, page, PdfText::Drawn) + u' ';
    return text;
}

} // namespace

// The text of a printed page comes out as the rows are read: each row's label, then its values
// left to right, before the next row. pdftotext without -layout, in drawing order (-raw), which is
// what a reader of the file without the page's picture gets.
TEST_F(PdfFiles, APrintedPageReadsRowByRow)
{
    const QString printed = file("printed.pdf");
    ASSERT_TRUE(PrintReport(context, ReportChoice({true, true, true, true, true, true}), nullptr, printTo(printed)));
    QList<QStringList> reportRows;
    for (const ReportSection& section : BuildReport(context.test, context.norms.AgeGroupDescription).sections) {
        for (const ReportRow& row : section.rows)
            reportRows.append({row.Label, RawColumnText(row), ScaledColumnText(row), PercentileColumnText(row),
                               row.MeasureType, row.Description});
    }

    const QString compared = file("compare.pdf");
    ASSERT_EQ(runCli({QStringLiteral("compare"), db.folder(), QString::number(ids[0]), QString::number(ids[1]),
                      QStringLiteral("--pdf"), compared})
                  .status,
              0);
    Comparison comparison;
    ASSERT_FALSE(CompareStoredTests(context, ids[0], ids[1], comparison));
    QList<QStringList> comparedRows;
    for (const ComparisonSection& section : comparison.sections) {
        for (const ComparisonRow& row : section.rows)
            comparedRows.append({row.label, row.earlier, row.later, ChangeText(row),
                                 row.marked ? QStringLiteral("*") : QString()});
    }

    const struct {
        const char* pdf;
        QString path;
        QList<QStringList> rows;
    } cases[] = {{"printed report", printed, reportRows}, {"compare --pdf", compared, comparedRows}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pdf);
        EXPECT_GT(c.rows.size(), 20);
        EXPECT_EQ(rowsOutOfOrder(drawnText(c.path), c.rows), QStringList{});
    }
}
