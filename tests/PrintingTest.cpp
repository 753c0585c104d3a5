#include "Ages.h"
#include "Pdf.h"
#include "PrintedPages.h"
#include "RecordingPaintDevice.h"
#include "RecordingSink.h"
#include "Screenshots.h"
#include "TempDatabase.h"
#include "Unprivileged.h"
#include "app/AppContext.h"
#include "app/StartUp.h"
#include "paint/DrawReport.h"
#include "results/Printing.h"
#include "resources/StringTable.h"
#include "scoring/Scoring.h"
#include "vandrel/vandrel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::childWithEveryMeasure;
using tavlo::test::pdfPages;
using tavlo::test::pdfPageText;
using tavlo::test::printTo;
using tavlo::test::recordPages;
using tavlo::test::RecordingSink;
using Page = tavlo::test::RecordedPage;
using tavlo::test::TempDatabase;

namespace {

const std::array<bool, 6> kAll = {true, true, true, true, true, true};

// Dark pixels of each rendered page in the header, body and footer bands.
QList<std::array<int, 3>> inkPerPage(const QString& pdf)
{
    QTemporaryDir dir;
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"), pdf,
                                                   dir.filePath(QStringLiteral("p"))});
    QList<std::array<int, 3>> out;
    for (const QString& name : QDir(dir.path()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
        const QImage page(dir.filePath(name));
        const auto ink = [&](double top, double bottom) {
            int dark = 0;
            for (int y = int(top * page.height()); y < int(bottom * page.height()); ++y)
                for (int x = 0; x < page.width(); ++x)
                    dark += qGray(page.pixel(x, y)) < 192;
            return dark;
        };
        out.append({ink(0, 0.08), ink(0.15, 0.5), ink(0.9, 1)});
    }
    return out;
}

QByteArray storedSelection()
{
    char value[128] = {};
    cDoGetRegistryValue_Ex(kRegistryKey, "SelectedReports", value);
    return value;
}

void storeSelection(const char* value)
{
    QSettings key(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brenmark Rezod"), QStringLiteral("TAVLO-II"));
    if (value)
        key.setValue(QStringLiteral("SelectedReports"), QString::fromLatin1(value));
    else
        key.remove(QStringLiteral("SelectedReports"));
}

std::vector<int> ticked(const ReportSelection& dialog)
{
    std::vector<int> out;
    for (int k = 1; k <= 6; ++k) {
        if (dialog.domainBox(k)->isChecked())
            out.push_back(k);
    }
    return out;
}

} // namespace

TEST(ReportSelection, StoredChoiceTicksTheBoxes)
{
    // Character 0 is not used; 1-6 are the domains; the program writes 20 characters.
    const std::vector<std::pair<const char*, std::vector<int>>> cases = {
        {nullptr, {}}, {"", {}}, {"1", {}}, {"01010000000000000000", {1, 3}}, {"10100000000000000000", {2}},
        {"0111111", {1, 2, 3, 4, 5, 6}}, {"0000000111111111111", {}}, {"000000111111111111111", {}},
    };
    AppContext context;
    for (const auto& [stored, expected] : cases) {
        storeSelection(stored);
        ReportSelection dialog(context, nullptr);
        EXPECT_EQ(ticked(dialog), expected) << (stored ? stored : "(no value)");
    }
}

TEST(ReportSelection, PrintStoresTheChoiceAndPrintsIt)
{
    RecordingSink sink;
    QTemporaryDir dir;
    TempDatabase t; // the job is logged in its database
    AppContext context;
    ASSERT_TRUE(t.connect(context.db));
    context.test = childAged(8, 2);
    storeSelection("0000001");
    QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    int asked = 0;
    ReportSelection dialog(context, nullptr, printTo(&pdf, &asked));
    dialog.show();
    tavlo::test::saveScreenshot(dialog, QStringLiteral("report-selection"));

    dialog.markAllButton()->click();
    EXPECT_EQ(ticked(dialog), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    dialog.unmarkAllButton()->click();
    EXPECT_EQ(ticked(dialog), std::vector<int>{});
    EXPECT_EQ(storedSelection(), "0000001") << "nothing is stored before printing";

    // Domains 2 and 5: the person page, then one page each; the dialog stays open.
    dialog.domainBox(2)->setChecked(true);
    dialog.domainBox(5)->setChecked(true);
    dialog.printButton()->click();
    EXPECT_EQ(storedSelection(), "00100100000000000000");
    EXPECT_EQ(pdfPages(pdf), 3);
    EXPECT_TRUE(dialog.isVisible());

    // A cancelled printer choice prints nothing; the choice was stored before it was asked.
    QFile::remove(pdf);
    pdf.clear();
    dialog.domainBox(3)->setChecked(true);
    dialog.printButton()->click();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_EQ(storedSelection(), "00110100000000000000");

    // Nothing ticked: stored as such, and no printer is asked for.
    dialog.unmarkAllButton()->click();
    dialog.printButton()->click();
    EXPECT_EQ(storedSelection(), "00000000000000000000");
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    dialog.cancelButton()->click();
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ReportSelection, TheProfileIsTheSeventhChoiceAtCharacterSeven)
{
    // Values written before the profile was a choice have '0' there, or end before it.
    const std::vector<std::tuple<const char*, bool, std::vector<int>>> stored = {
        {"01010000000000000000", false, {1, 3}}, {"0111111", false, {1, 2, 3, 4, 5, 6}},
        {"00000001000000000000", true, {}},      {"01000001", true, {1}},
        {"000000010000000000000", false, {}},
    };
    TempDatabase t; // the job is logged in its database
    AppContext context;
    ASSERT_TRUE(t.connect(context.db));
    for (const auto& [value, profile, domains] : stored) {
        storeSelection(value);
        ReportSelection dialog(context, nullptr);
        EXPECT_EQ(dialog.profileBox()->isChecked(), profile) << value;
        EXPECT_EQ(ticked(dialog), domains) << value;
    }

    RecordingSink sink;
    QTemporaryDir dir;
    context.test = childAged(8, 2);
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    ReportSelection dialog(context, nullptr, printTo(&pdf));
    dialog.markAllButton()->click();
    EXPECT_TRUE(dialog.profileBox()->isChecked());
    dialog.unmarkAllButton()->click();
    EXPECT_FALSE(dialog.profileBox()->isChecked());

    // The profile alone: the person page and the profile page.
    dialog.profileBox()->setChecked(true);
    dialog.printButton()->click();
    EXPECT_EQ(storedSelection(), "00000001000000000000");
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(pdfPageText(pdf, 2).contains(QStringLiteral("Profil")));
    dialog.domainBox(4)->setChecked(true);
    dialog.printButton()->click();
    EXPECT_EQ(storedSelection(), "00001001000000000000");
    EXPECT_EQ(pdfPages(pdf), 3);
    ReportSelection reopened(context, nullptr);
    EXPECT_TRUE(reopened.profileBox()->isChecked());
    EXPECT_EQ(ticked(reopened), std::vector<int>{4});
    dialog.profileBox()->setChecked(false);
    dialog.printButton()->click();
    EXPECT_EQ(storedSelection(), "00001000000000000000") << "the old value, as before the profile";
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST(ReportSelection, UnwritableRegistryStillPrints)
{
    TAVLO_RUN_UNPRIVILEGED();
    RecordingSink sink;
    const QString key = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Brenmark Rezod");
    ASSERT_TRUE(QDir().mkpath(key));
    QTemporaryDir dir;
    TempDatabase t; // the job is logged in its database
    AppContext context;
    ASSERT_TRUE(t.connect(context.db));
    context.test = childAged(8, 2);
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    ReportSelection dialog(context, nullptr, printTo(&pdf));
    dialog.domainBox(1)->setChecked(true);

    const auto closeKey = [&](bool closed) {
        ASSERT_TRUE(QFile::setPermissions(key, QFile::ReadOwner | QFile::ExeOwner | (closed ? QFile::Permissions{}
                                                                                            : QFile::WriteOwner)));
    };

    // A key that cannot be opened: the program's message, once, and the print goes on.
    closeKey(true);
    dialog.printButton()->click();
    ASSERT_EQ(sink.messages.size(), 1) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("TAVLO-II"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Fel vid open (error R1343). Kontakta programleverantören."));
    EXPECT_EQ(pdfPages(pdf), 2);

    // A key whose file stays but whose folder is closed opens, and its value is not written.
    closeKey(false);
    sink.messages.clear();
    dialog.printButton()->click();
    ASSERT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    closeKey(true);
    dialog.domainBox(2)->setChecked(true);
    dialog.printButton()->click();
    ASSERT_EQ(sink.messages.size(), 1) << sink.texts().join(u'\n').toStdString();
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("TAVLO-II"));
    EXPECT_EQ(sink.messages[0].text, QStringLiteral("Fel vid write (error R1344). Kontakta programleverantören."));
    EXPECT_EQ(pdfPages(pdf), 3) << "printed all the same";
}

class PrintedReport : public ::testing::Test {
protected:
    // An 8-year-old with every measure and a few right cards in every trial of the grid.
    void SetUp() override
    {
        ASSERT_TRUE(db.connect(context.db));
        TestRecord& t = context.test;
        t = childWithEveryMeasure(8, 2);
        t.person.NAMN = QStringLiteral("Kari Nordmann");
        t.person.SEX = 2;
        t.person.HANDEDNESS = 2;
        t.person.SKOLA = QStringLiteral("Solbakken skole");
        SelectAgeGroup(context.db, context.norms, t);
        ScoreTest(context.db, context.norms, t);
        ASSERT_TRUE(context.norms.AgeGroupDescription.contains(QStringLiteral("ikke for klinisk bruk")));
    }

    TempDatabase db;
    AppContext context;
    RecordingSink sink;
    QTemporaryDir dir;
};

TEST_F(PrintedReport, AllDomainsOnTheirPages)
{
    const TestRecord before = context.test;
    const QString pdf = dir.filePath(QStringLiteral("all.pdf"));
    EXPECT_TRUE(PrintReport(context, kAll, nullptr, printTo(&pdf)));
    if (const QString shots = qEnvironmentVariable("TAVLO_SCREENSHOT_DIR"); !shots.isEmpty())
        QFile::copy(pdf, shots + QStringLiteral("/printed-report.pdf"));
    // The person page, a page per domain, and the memory domain's continuation.
    EXPECT_EQ(pdfPages(pdf), 8);
    const auto ink = inkPerPage(pdf);
    ASSERT_EQ(ink.size(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_GT(ink[i][0], 100) << "header of page " << i + 1;
        EXPECT_GT(ink[i][1], 500) << "content of page " << i + 1;
        EXPECT_GT(ink[i][2], 300) << "footer of page " << i + 1;
    }
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();

    const std::vector<Page> pages = recordPages(context, kAll);
    ASSERT_EQ(pages.size(), 8u);
    const size_t domainPage[] = {2, 3, 4, 6, 7, 8};
    for (int d = 1; d <= 6; ++d)
        EXPECT_TRUE(pages[domainPage[d - 1] - 1].has(LoadString(1300 + d))) << "domain " << d;
    EXPECT_TRUE(pages[4].has(QStringLiteral("Hukommelses- og innlæringsfunksjoner, fortsettelse")));

    EXPECT_EQ(context.test.person, before.person) << "printing changes nothing";
    EXPECT_EQ(context.test.scores, before.scores);
    EXPECT_EQ(context.test.area, before.area);
}

TEST_F(PrintedReport, PersonPageAndEveryPagesHeaderAndFooter)
{
    std::array<bool, 6> one{};
    one[3] = true;
    const std::vector<Page> pages = recordPages(context, one);
    ASSERT_EQ(pages.size(), 2u);
    for (const QString& text : {QStringLiteral("Kari Nordmann"), QStringLiteral("15.06.2012"), QStringLiteral("15.04.2004"),
                                QStringLiteral("8:2:0"), QStringLiteral("Jente"), QStringLiteral("Høyre"),
                                QStringLiteral("Barnehage/Skole"), QStringLiteral("Solbakken skole"),
                                context.norms.AgeGroupDescription})
        EXPECT_TRUE(pages[0].has(text)) << text.toStdString();
    EXPECT_FALSE(pages[0].has(LoadString(1304))) << "page 1 holds the person only";
    for (const QString& text : {QStringLiteral("Resultatrapport for Kari Nordmann"), context.norms.AgeGroupDescription})
        EXPECT_TRUE(pages[1].has(text)) << text.toStdString();

    for (size_t i = 0; i < pages.size(); ++i) {
        const Page& page = pages[i];
        EXPECT_TRUE(page.has(FormatDate(Today())));
        const QString number = QStringLiteral("Side %1").arg(i + 1);
        ASSERT_TRUE(page.has(number) && page.has(LoadString(37))) << "footer of page " << i + 1;
        // The footer rule is the lowest, near the foot of the sheet, with only the footer under it.
        const QLineF footer = *std::max_element(page.rules.begin(), page.rules.end(),
                                                [](const QLineF& a, const QLineF& b) { return a.y1() < b.y1(); });
        EXPECT_GT(footer.y1(), 1050);
        for (const auto& t : page.texts) {
            if (t.text != number && t.text != LoadString(37)) {
                EXPECT_LT(t.at.y(), footer.y1()) << t.text.toStdString() << " on page " << i + 1;
            }
        }
    }

    // Below 5 years the child is at a nursery.
    const auto labels = [](int years) {
        test::RecordingPaintDevice device;
        QPainter p(&device);
        DrawPersonHeader(&p, childAged(years, 11), QString(), 120, 50, 750, true);
        return device.textList();
    };
    EXPECT_TRUE(labels(4).contains(QStringLiteral("Barnehage")) && labels(4).contains(QStringLiteral("Avdeling")));
    EXPECT_TRUE(labels(5).contains(QStringLiteral("Barnehage/Skole")));
}

TEST_F(PrintedReport, NothingRunsIntoTheFooterOnAShorterSheet)
{
    // US Letter is shorter than A4 at the same width: the memory section must break earlier.
    const std::vector<Page> pages = recordPages(context, kAll, nullptr, 0, QSize(816, 1056));
    ASSERT_GE(pages.size(), 3u);
    for (size_t i = 0; i < pages.size(); ++i) {
        const Page& page = pages[i];
        const QLineF footer = *std::max_element(page.rules.begin(), page.rules.end(),
                                                [](const QLineF& a, const QLineF& b) { return a.y1() < b.y1(); });
        for (const auto& t : page.texts) {
            if (t.text != QStringLiteral("Side %1").arg(i + 1) && t.text != LoadString(37)) {
                EXPECT_LT(t.at.y(), footer.y1()) << t.text.toStdString() << " on page " << i + 1;
            }
        }
    }
}

TEST_F(PrintedReport, StoppedJobLeavesNothing)
{
    // The examiner cancels in the box: no document, no message.
    QString pdf = dir.filePath(QStringLiteral("stopped.pdf"));
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QStringLiteral("PrintDlgBox") && w->isVisible())
                w->findChild<QPushButton*>()->click();
        }
    });
    EXPECT_FALSE(PrintReport(context, kAll, nullptr, printTo(&pdf)));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(sink.messages.isEmpty());

    // A page that does not start ends the drawing there.
    bool completed = true;
    const std::vector<Page> pages = recordPages(context, kAll, &completed, 4);
    EXPECT_FALSE(completed);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_FALSE(pages[2].has(LoadString(1303)));

    // A file that cannot be written: a message, no crash.
    pdf = dir.filePath(QStringLiteral("no/such/folder.pdf"));
    EXPECT_FALSE(PrintReport(context, kAll, nullptr, printTo(&pdf)));
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("TAVLO-II"));
}

TEST_F(PrintedReport, TheProfileHasItsOwnPageAfterThePersonPage)
{
    const ReportChoice chosen({true, false, false, false, false, true}, true);
    const QString pdf = dir.filePath(QStringLiteral("profile.pdf"));
    ASSERT_TRUE(PrintReport(context, chosen, nullptr, printTo(&pdf)));
    if (const QString shots = qEnvironmentVariable("TAVLO_SCREENSHOT_DIR"); !shots.isEmpty())
        QFile::copy(pdf, shots + QStringLiteral("/printed-profile.pdf"));
    ASSERT_EQ(pdfPages(pdf), 4);
    const QString pageWith[] = {QStringLiteral("Barnehage/Skole"), QStringLiteral("Profil"), LoadString(1301),
                                LoadString(1306)};
    for (int page = 1; page <= 4; ++page) {
        const QString text = pdfPageText(pdf, page);
        EXPECT_TRUE(text.contains(pageWith[page - 1])) << "page " << page << ": " << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Side %1\\b").arg(page)))) << "page " << page;
        EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("Side \\d+"))), 1) << "page " << page;
        EXPECT_EQ(page > 1, text.contains(QStringLiteral("Resultatrapport for Kari Nordmann"))) << "page " << page;
    }
    EXPECT_FALSE(pdfPageText(pdf, 1).contains(QStringLiteral("Profil")));
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();

    // The profile below the continuation header and above the footer rule.
    const std::vector<Page> pages = recordPages(context, chosen);
    ASSERT_EQ(pages.size(), 4u);
    const auto at = [&](const QString& text) {
        const auto& t = pages[1].texts;
        const auto found = std::find_if(t.begin(), t.end(), [&](const auto& d) { return d.text == text; });
        return found == t.end() ? -1.0 : found->at.y();
    };
    EXPECT_GT(at(QStringLiteral("Profil")), at(context.norms.AgeGroupDescription));
    const QLineF footer = *std::max_element(pages[1].rules.begin(), pages[1].rules.end(),
                                            [](const QLineF& a, const QLineF& b) { return a.y1() < b.y1(); });
    EXPECT_GT(footer.y1(), 1050);
    for (const auto& t : pages[1].texts) {
        if (t.text != QStringLiteral("Side 2") && t.text != LoadString(37)) {
            EXPECT_LT(t.at.y(), footer.y1()) << t.text.toStdString();
        }
    }

    // A profile page that does not start ends the job there.
    bool completed = true;
    EXPECT_EQ(recordPages(context, ReportChoice({}, true), &completed, 2).size(), 1u);
    EXPECT_FALSE(completed);
}

// For the integrator: enable once DrawProfile draws the real profile (the stub writes only
// "Profil"). Every domain of the 8-year-old has a scaled primary measure.
TEST_F(PrintedReport, TheProfilePageNamesItsDomains)
{
    const QString pdf = dir.filePath(QStringLiteral("profile.pdf"));
    ASSERT_TRUE(PrintReport(context, ReportChoice({}, true), nullptr, printTo(&pdf)));
    ASSERT_EQ(pdfPages(pdf), 2);
    // Blanks removed: a name may be wrapped over its group.
    const QString text = pdfPageText(pdf, 2).remove(u' ');
    for (int d = 1; d <= 6; ++d)
        EXPECT_TRUE(text.contains(LoadString(1300 + d).remove(QStringLiteral("Domenet")).remove(u' ')))
            << "domain " << d << ": " << text.toStdString();
}
