// The person header and the footer of every printed page, not only the first: a test whose
// memory domain runs over two pages, all six domains printed, each page after the first
// checked for the continuation header and each page for its own page number.

#include "Ages.h"
#include "Pdf.h"
#include "PrintedPages.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "app/AppContext.h"
#include "model/Catalogue.h"
#include "results/Printing.h"
#include "scoring/Scoring.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childWithEveryMeasure;
using tavlo::test::DrawnText;
using tavlo::test::pdfPageText;
using tavlo::test::printTo;
using tavlo::test::recordPages;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;
using tavlo::test::str;

namespace {

const std::array<bool, 6> kAll = {true, true, true, true, true, true};
const QString kMemory = QStringLiteral("Domenet Hukommelses- og innlæringsfunksjoner");
const QString kMemoryGoesOn = QStringLiteral("Hukommelses- og innlæringsfunksjoner, fortsettelse");

using Page = test::RecordedPage;

std::vector<const DrawnText*> find(const Page& page, const QString& text)
{
    std::vector<const DrawnText*> out;
    for (const DrawnText& t : page.texts) {
        if (t.text == text)
            out.push_back(&t);
    }
    return out;
}

// What the continuation header must show: each label with the value drawn right after it.
struct HeaderLine {
    std::vector<std::pair<QString, QString>> items; // label with its colon, value
};

// Checks one page's continuation header: the title line, then its three lines in order, each
// label once with its value after it on the same baseline; all above the page's content.
void expectContinuationHeader(const Page& page, const QString& title, const std::vector<HeaderLine>& lines,
                              const QString& content, const std::string& where)
{
    const auto titles = find(page, title);
    ASSERT_EQ(titles.size(), 1u) << where << ": \"" << str(title) << "\" drawn " << titles.size() << " times";
    double lineY = titles[0]->at.y();
    for (const HeaderLine& line : lines) {
        double x = -1, y = -1;
        for (const auto& [label, value] : line.items) {
            const auto labels = find(page, label);
            if (labels.size() != 1) {
                ADD_FAILURE() << where << ": label \"" << str(label) << "\" drawn " << labels.size() << " times";
                return;
            }
            const DrawnText& l = *labels[0];
            const DrawnText* next = &l + 1 < page.texts.data() + page.texts.size() ? &l + 1 : nullptr;
            EXPECT_TRUE(next && next->text == value)
                << where << ": \"" << str(label) << "\" is followed by \"" << (next ? str(next->text) : "") << "\", not \""
                << str(value) << "\"";
            if (next) {
                EXPECT_EQ(next->at.y(), l.at.y()) << where << ": the value of " << str(label) << " on its line";
                EXPECT_GT(next->at.x(), l.at.x()) << where << ": the value of " << str(label) << " after it";
            }
            if (y < 0)
                y = l.at.y();
            EXPECT_EQ(l.at.y(), y) << where << ": " << str(label) << " on the line of " << str(line.items[0].first);
            EXPECT_GT(l.at.x(), x) << where << ": " << str(label) << " out of order";
            x = l.at.x();
        }
        EXPECT_GT(y, lineY) << where << ": the line of " << str(line.items[0].first) << " is not below the one before";
        lineY = y;
    }
    const auto below = find(page, content);
    ASSERT_EQ(below.size(), 1u) << where << ": \"" << str(content) << "\"";
    EXPECT_GT(below[0]->at.y(), lineY) << where << ": the header runs into the content";
}

// The page's footer: its number once, and no other number.
void expectPageNumber(const Page& page, int number, const std::string& where)
{
    QStringList numbers;
    for (const DrawnText& t : page.texts) {
        if (t.text.startsWith(QStringLiteral("Side")))
            numbers.append(t.text);
    }
    EXPECT_EQ(numbers, QStringList{QStringLiteral("Side %1").arg(number)}) << where << ": " << str(numbers.join(u','));
}

class PrintedHeaders : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.connect(context.db)); }

    // A child of this age with every measure entered and a few cards in every trial, scored.
    void child(int years, int months, int days, int sex, const QString& name, const QString& other)
    {
        TestRecord& t = context.test;
        t = childWithEveryMeasure(years, months, days);
        t.person.NAMN = name;
        t.person.SEX = sex;
        t.person.OTHER = other;
        SelectAgeGroup(context.db, context.norms, t);
        ScoreTest(context.db, context.norms, t);
        ASSERT_FALSE(context.norms.AgeGroupDescription.isEmpty());
    }

    std::vector<HeaderLine> headerLines(const QString& sex, const QString& testAge, const QString& other) const
    {
        return {{{{QStringLiteral("Kjønn:"), sex}, {QStringLiteral("Testalder:"), testAge},
                  {QStringLiteral("Testdato:"), QStringLiteral("15.06.2012")}}},
                {{{QStringLiteral("Annet:"), other}}},
                {{{QStringLiteral("Normgruppe:"), context.norms.AgeGroupDescription}}}};
    }

    TempDatabase db;
    AppContext context;
    RecordingSink sink;
};

} // namespace

TEST_F(PrintedHeaders, EveryPageAfterTheFirstCarriesThePersonAndEveryPageItsNumber)
{
    struct Case {
        int years, months, days, sex;
        QString name, other, sexText, testAge;
        QSize sheet;
    };
    const Case cases[] = {
        {7, 3, 5, 1, QStringLiteral("Ola Nordmann"), QStringLiteral("Henvist av skolen"), QStringLiteral("Gutt"),
         QStringLiteral("7:3:5"), QSize(794, 1123)},
        {10, 11, 14, 2, QStringLiteral("Kari Nordmann"), QStringLiteral("Retest etter ett år"), QStringLiteral("Jente"),
         QStringLiteral("10:11:14"), QSize(794, 1123)},
        {9, 0, 0, 2, QStringLiteral("Åse Ødegård"), QStringLiteral("Brev"), QStringLiteral("Jente"), QStringLiteral("9:0:0"),
         QSize(816, 1056)},
    };
    for (const Case& c : cases) {
        child(c.years, c.months, c.days, c.sex, c.name, c.other);
        bool completed = false;
        const std::vector<Page> pages = recordPages(context, kAll, &completed, 0, c.sheet);
        EXPECT_TRUE(completed);
        const std::string who = str(c.name) + " (" + str(c.testAge) + ")";
        // Page 1 the person; then one page per domain, the memory domain on two.
        ASSERT_EQ(pages.size(), 8u) << who;
        const QString content[8] = {QString(),   QStringLiteral("Domenet Oppmerksomhet og eksekutive funksjoner"),
                                    QStringLiteral("Domenet Språklige funksjoner"), kMemory, kMemoryGoesOn,
                                    QStringLiteral("Domenet Sensomotoriske funksjoner"),
                                    QStringLiteral("Domenet Sosial persepsjon"),
                                    QStringLiteral("Domenet Visuospatiale funksjoner")};
        const QString title = QStringLiteral("Resultatrapport for ") + c.name;
        EXPECT_TRUE(find(pages[0], title).empty()) << who << ": page 1 has the person block instead";
        for (size_t i = 0; i < pages.size(); ++i) {
            const std::string where = who + ", page " + std::to_string(i + 1);
            expectPageNumber(pages[i], int(i + 1), where);
            if (i > 0)
                expectContinuationHeader(pages[i], title, headerLines(c.sexText, c.testAge, c.other), content[i], where);
        }
    }
    EXPECT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));
}

TEST_F(PrintedHeaders, TheRealPdfShowsThePersonAndNumberOnEveryPage)
{
    child(8, 6, 0, 1, QStringLiteral("Per Hansen"), QStringLiteral("Kontroll"));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(PrintReport(context, kAll, nullptr, printTo(&pdf)));
    const QString first = pdfPageText(pdf, 1);
    ASSERT_FALSE(first.isEmpty()) << "pdftotext read nothing from " << str(pdf);
    EXPECT_FALSE(first.contains(QStringLiteral("Resultatrapport for"))) << "page 1";
    for (int page = 1; page <= 8; ++page) {
        const QString text = pdfPageText(pdf, page);
        EXPECT_TRUE(text.contains(QStringLiteral("Side %1").arg(page))) << "page " << page << ": " << str(text);
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("Side (?!%1\\b)\\d+").arg(page))))
            << "page " << page << " shows another number";
        if (page == 1)
            continue;
        for (const QString& part : {QStringLiteral("Resultatrapport for Per Hansen"), QStringLiteral("Kjønn: Gutt"),
                                    QStringLiteral("Testalder: 8:6:0"), QStringLiteral("Testdato: 15.06.2012"),
                                    QStringLiteral("Annet: Kontroll"),
                                    QStringLiteral("Normgruppe: ") + context.norms.AgeGroupDescription})
            EXPECT_TRUE(text.contains(part)) << "page " << page << " lacks \"" << str(part) << "\"";
    }
    EXPECT_TRUE(pdfPageText(pdf, 9).isEmpty()) << "eight pages";
}
