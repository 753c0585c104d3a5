#include "Ages.h"
#include "RecordingPaintDevice.h"
#include "RecordingSink.h"
#include "Screenshots.h"
#include "TempDatabase.h"
#include "app/MainWindow.h"
#include "paint/DrawProfile.h"
#include "paint/DrawReport.h"
#include "results/ResultsWindow.h"
#include "resources/StringTable.h"
#include "store/tables/TestStore.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::RecordingPaintDevice;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

const std::array<bool, 6> kAll = {true, true, true, true, true, true};

QStringList drawn(const TestRecord& t, const std::array<bool, 6>& chosen = kAll, int* bottom = nullptr)
{
    RecordingPaintDevice device;
    QPainter p(&device);
    const int y = DrawReport(&p, t, 0, 50, 600, false, chosen);
    if (bottom)
        *bottom = y;
    p.end();
    return device.textList();
}

void scaled(TestRecord& t, Key key, int raw, int value)
{
    t.setRaw(key, raw);
    t.result(key).value = value;
}

} // namespace

TEST(DrawReport, SectionsInOrderWithTheirRows)
{
    TestRecord t = childAged(4, 2);
    scaled(t, Key::ST, 10, 9);
    scaled(t, Key::KR_A, 12, 12);
    const QStringList texts = drawn(t);
    qsizetype last = -1;
    for (int id = 1301; id <= 1306; ++id) {
        const qsizetype at = texts.indexOf(LoadString(id));
        EXPECT_GT(at, last) << id;
        last = at;
    }
    for (const char* heading : {"Deltest", "Råskårer", "Skalerte skårer", "Persentil", "Type mål", "Kvalitativ beskrivelse"})
        EXPECT_EQ(texts.count(QString::fromUtf8(heading)), 6) << heading;
    // Domain 1 of a 4-year-old: the statue row only, with its score and description.
    const qsizetype st = texts.indexOf(QStringLiteral("Statue (ST) Totalskåre"));
    ASSERT_GT(st, texts.indexOf(LoadString(1301)));
    EXPECT_LT(st, texts.indexOf(LoadString(1302)));
    const QStringList row = texts.mid(st - 5, 6);
    EXPECT_EQ(row, (QStringList{QStringLiteral("10"), QStringLiteral("9"), QStringLiteral("-"), QStringLiteral("Primærmål"),
                                QStringLiteral("Gjennomsnittlig"), QStringLiteral("Statue (ST) Totalskåre")}));
    EXPECT_FALSE(texts.contains(LoadString(1162))) << "no computed score, no note";
    EXPECT_FALSE(texts.contains(QStringLiteral("** Kumulativ prosent.")));

    // Only the chosen domain is drawn.
    std::array<bool, 6> memory{};
    memory[2] = true;
    const QStringList one = drawn(t, memory);
    EXPECT_TRUE(one.contains(LoadString(1303)));
    EXPECT_FALSE(one.contains(LoadString(1301)));
    EXPECT_FALSE(one.contains(QStringLiteral("Statue (ST) Totalskåre")));
}

TEST(DrawReport, ColumnsSitWhereTheyBelong)
{
    TestRecord t = childAged(4, 2);
    scaled(t, Key::ST, 10, 9);
    RecordingPaintDevice device;
    QPainter p(&device);
    DrawReport(&p, t, 0, 50, 600, false, kAll);
    p.end();
    const auto& texts = device.texts();
    const auto find = [&](const QString& text) {
        return std::find_if(texts.begin(), texts.end(), [&](const auto& d) { return d.text == text; });
    };
    // On screen the section starts 30 units left of the given left: labels at 20.
    const auto label = find(QStringLiteral("Statue (ST) Totalskåre"));
    ASSERT_NE(label, texts.end());
    EXPECT_EQ(label->at.x(), 20);
    const auto raw = find(QStringLiteral("10"));
    ASSERT_NE(raw, texts.end());
    EXPECT_NEAR(raw->at.x() + QFontMetrics(raw->font).horizontalAdvance(QStringLiteral("10")), 20 + 250, 1)
        << "the raw column ends at x + 250";
    const auto type = find(QStringLiteral("Primærmål"));
    ASSERT_NE(type, texts.end());
    EXPECT_EQ(type->at.x(), 20 + 425);
    EXPECT_EQ(label->at.y(), raw->at.y()) << "one row, one line";
}

TEST(DrawReport, NotesForComputedScoresAndCumulativeBands)
{
    TestRecord t = childAged(6, 0);
    t.scores.BF_A = 8;
    t.result(Key::BF_A) = {3, QStringLiteral("26-75%")};
    QStringList texts = drawn(t);
    EXPECT_TRUE(texts.contains(QStringLiteral("26-75%**")));
    EXPECT_FALSE(texts.contains(QStringLiteral("** Kumulativ prosent."))) << "the footnote depends on BF_S";
    t.scores.BF_S = 9;
    t.result(Key::BF_S) = {4, QStringLiteral(">75%")};
    texts = drawn(t);
    EXPECT_EQ(texts.count(QStringLiteral("** Kumulativ prosent.")), 1);

    // A computed score shows N/A* and its section ends with the note.
    t.setRaw(Key::FK_CONTRAST, COMPUTED_MARKER);
    t.result(Key::FK_CONTRAST).value = 11;
    texts = drawn(t);
    EXPECT_EQ(texts.count(QStringLiteral("N/A*")), 1);
    EXPECT_EQ(texts.count(LoadString(1162)), 1);
    EXPECT_GT(texts.indexOf(LoadString(1162)), texts.indexOf(LoadString(1306)));
}

class ResultsWindowTest : public ::testing::Test {
protected:
    void open(int years, int months, bool manyScores)
    {
        ASSERT_TRUE(db.connect(context.db));
        context.test = childAged(years, months);
        context.test.person.NAMN = QStringLiteral("Kari Nordmann");
        context.test.person.SEX = 2;
        for (const MeasureInfo& m : measures())
            context.test.scores[m.key] = manyScores ? 5 + m.column % 7 : NOT_ENTERED;
        if (!manyScores)
            context.test.scores.AI = 12;
        ASSERT_TRUE(SaveTest(context.db, context.test, true));
        context.testIsNew = false;
        w.showResults();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        results = qobject_cast<ResultsWindow*>(w.screen());
        ASSERT_NE(results, nullptr);
        results->view()->repaint();
    }

    TempDatabase db;
    AppContext context;
    RecordingSink sink;
    MainWindow w{context};
    ResultsWindow* results = nullptr;
};

TEST_F(ResultsWindowTest, OpensScoredWithTheAgeGroupAndTheDomains)
{
    open(8, 2, true);
    tavlo::test::saveScreenshot(w, QStringLiteral("results-window"));
    EXPECT_EQ(w.screenState(), 6);
    EXPECT_EQ(w.width(), 800);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
    EXPECT_GE(context.test.result(Key::AI).value, 1) << "scored on opening";
    QComboBox* groups = results->ageGroupList();
    EXPECT_FALSE(groups->isEnabled());
    EXPECT_EQ(groups->count(), 25);
    EXPECT_EQ(groups->currentText(), QStringLiteral("Alder 8:0-8:5, provisoriske normer, ikke for klinisk bruk"));
    QComboBox* domains = results->domainList();
    ASSERT_EQ(domains->count(), 8);
    EXPECT_EQ(domains->itemText(0), QStringLiteral("Alle domener"));
    EXPECT_EQ(domains->itemText(6), LoadString(1306));
    EXPECT_EQ(domains->itemText(7), QStringLiteral("Profil"));
    EXPECT_EQ(w.button(91)->text(), QStringLiteral("E&ndre"));
    EXPECT_EQ(w.button(92)->text(), QStringLiteral("&Skriv ut"));
    EXPECT_EQ(w.button(90)->y(), w.height() - 43);
}

TEST_F(ResultsWindowTest, ScrollingStaysWithinTheReport)
{
    open(9, 0, true);
    ReportView* view = results->view();
    const int page = view->page();
    const int total = view->scrollTotal();
    ASSERT_GT(total, 2 * page) << "a long report for this test";
    view->scroll(ReportView::Request::LineUp);
    EXPECT_EQ(view->scrollPos(), 0) << "at the top, line up does nothing";
    view->scroll(ReportView::Request::WheelDown);
    EXPECT_EQ(view->scrollPos(), 5) << "five lines a notch";
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(view->scrollPos(), 5 + page);
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(view->scrollPos(), total - page);
    view->scroll(ReportView::Request::LineDown);
    EXPECT_EQ(view->scrollPos(), total - page) << "at the bottom, line down does nothing";
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(view->scrollPos(), 0);

    // A new domain starts at the top.
    QTest::keyClick(view, Qt::Key_PageDown);
    results->domainList()->setCurrentIndex(3);
    EXPECT_EQ(view->domain(), 3);
    EXPECT_EQ(view->scrollPos(), 0);
}

TEST_F(ResultsWindowTest, AShortReportDoesNotMove)
{
    open(9, 0, false);
    ReportView* view = results->view();
    results->domainList()->setCurrentIndex(5); // social perception: one row
    view->repaint();
    ASSERT_LT(view->scrollTotal(), view->page());
    view->scroll(ReportView::Request::PageDown);
    EXPECT_EQ(view->scrollPos(), 0);
    view->scroll(ReportView::Request::Bottom);
    EXPECT_EQ(view->scrollPos(), 0);
}

TEST_F(ResultsWindowTest, PrintChangeAndBack)
{
    open(7, 0, false);
    int selections = 0;
    w.setReportSelection([&] { ++selections; });
    for (int id : {92, 107, 108})
        w.sendCommand(id);
    EXPECT_EQ(selections, 3);
    EXPECT_EQ(w.screenState(), 6) << "printing leaves the window as it was";
    w.sendCommand(91);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.screenState(), 2);
    EXPECT_FALSE(context.testIsNew);
    EXPECT_EQ(context.test.person.NAMN, QStringLiteral("Kari Nordmann"));
    w.showResults();
    w.sendCommand(103);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.screenState(), 4) << "back to the list of stored tests";
}

TEST_F(ResultsWindowTest, EnterInTheViewOrTheDomainListDoesNothing)
{
    open(7, 0, false);
    // Stops at the first Enter that leaves the window: the widgets go with it.
    const auto enterKeepsTheWindow = [&](QWidget* target, Qt::Key key) {
        target->setFocus();
        QTest::keyClick(target, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        return w.screen() == results;
    };
    ASSERT_TRUE(enterKeepsTheWindow(results->view(), Qt::Key_Return));
    ASSERT_TRUE(enterKeepsTheWindow(results->view(), Qt::Key_Enter));
    ASSERT_TRUE(enterKeepsTheWindow(results->domainList(), Qt::Key_Return));
    EXPECT_EQ(results->domainList()->currentIndex(), 0);
    QTest::keyClick(results->view(), Qt::Key_Escape);
    EXPECT_EQ(w.screenState(), 4) << "Escape still goes back";
}

TEST_F(ResultsWindowTest, TheNoteOnAYoungChildShowsOverTheResultsDrawnWhole)
{
    ASSERT_TRUE(db.connect(context.db));
    context.test = childAged(2, 6);
    context.test.scores.AI = 12;
    w.showPersonForm();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QPointer<QWidget> form = w.screen();

    // Every widget painted until the note shows.
    struct PaintLog : QObject {
        QSet<QObject*> painted;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                painted.insert(watched);
            return false;
        }
    } log;
    qApp->installEventFilter(&log);
    bool noted = false;
    sink.onMessage = [&](const tavlo::test::RecordedMessage& m) {
        if (m.text != QStringLiteral("Notera att barnet är yngre än den normgrupp som barnet jämförs med."))
            return;
        noted = true;
        auto* shown = qobject_cast<ResultsWindow*>(w.screen());
        ASSERT_NE(shown, nullptr) << "the note came before the results screen";
        EXPECT_TRUE(shown->isVisible());
        EXPECT_TRUE(!form || !form->isVisible()) << "the person form still shows";
        EXPECT_EQ(shown->geometry(), w.rect());
        EXPECT_TRUE(log.painted.contains(shown));
        EXPECT_TRUE(log.painted.contains(shown->view()));
        const int h = w.height();
        EXPECT_EQ(shown->view()->geometry(), QRect(20, 140, w.width() - 25, h - 200));
        const std::pair<int, const char*> buttons[] = {{90, "&Avbryt"}, {91, "E&ndre"}, {92, "&Skriv ut"}};
        for (int i = 0; const auto& [id, text] : buttons) {
            EXPECT_EQ(w.button(id)->text(), QString::fromUtf8(text));
            EXPECT_EQ(w.button(id)->geometry(), QRect(20 + 120 * i++, h - 43, 110, 40)) << id;
            EXPECT_TRUE(w.button(id)->isVisible());
            EXPECT_TRUE(log.painted.contains(w.button(id))) << id;
        }
    };
    w.showResults();
    qApp->removeEventFilter(&log);
    EXPECT_TRUE(noted);
    EXPECT_EQ(sink.messages.size(), 1) << sink.texts().join(u'\n').toStdString();
}

// The profile as the last domain: it fills the view, scrolls by the view's rules and prints
// like any domain.
TEST_F(ResultsWindowTest, ProfileFillsTheViewScrollsAndPrints)
{
    open(10, 0, true);
    int selections = 0;
    w.setReportSelection([&] { ++selections; });
    ReportView* view = results->view();
    results->domainList()->setCurrentIndex(kProfileItem);
    view->repaint();
    tavlo::test::saveScreenshot(*view, QStringLiteral("profile-10-years"));
    EXPECT_EQ(view->domain(), kProfileItem);
    EXPECT_EQ(view->scrollPos(), 0);
    // The view as tall as the screen allows: the chart fits it without scrolling.
    EXPECT_EQ(view->scrollTotal(), view->page());
    view->scroll(ReportView::Request::PageDown);
    EXPECT_EQ(view->scrollPos(), 0);

    // A low view keeps the chart legible and scrolls over it.
    view->resize(view->width(), 200);
    view->repaint();
    ASSERT_GT(view->scrollTotal(), view->page());

    view->scroll(ReportView::Request::Bottom);
    EXPECT_EQ(view->scrollPos(), view->scrollTotal() - view->page());
    const int end = view->scrollPos();
    view->scroll(ReportView::Request::LineDown);
    EXPECT_EQ(view->scrollPos(), end) << "at the bottom, line down does nothing";
    view->scroll(ReportView::Request::Top);
    EXPECT_EQ(view->scrollPos(), 0);

    w.sendCommand(92);
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(w.screenState(), 6);
    EXPECT_EQ(view->domain(), kProfileItem) << "printing leaves the profile shown";

    results->domainList()->setCurrentIndex(1);
    EXPECT_EQ(view->scrollPos(), 0);
}

TEST_F(ResultsWindowTest, ProfileOfAFiveYearOld)
{
    open(5, 0, true);
    results->domainList()->setCurrentIndex(kProfileItem);
    results->view()->repaint();
    tavlo::test::saveScreenshot(*results->view(), QStringLiteral("profile-5-years"));
    EXPECT_EQ(results->view()->domain(), kProfileItem);
}

TEST(DrawProfile, AnEmptyTestDrawsTheScaleAndTheNotesOnly)
{
    const TestRecord t = childAged(9, 0);
    RecordingPaintDevice device;
    QPainter p(&device);
    const qreal bottom = DrawProfile(&p, t, QStringLiteral("Alder 9:0-9:5"), QRectF(50, 100, 700, 600), true);
    p.end();
    const QString all = device.textList().join(u' ');
    for (const char* band : {"Betydelig under gjennomsnittet", "Gjennomsnittlig", "Betydelig over gjennomsnittet"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(band))) << band;
    EXPECT_TRUE(device.textList().contains(QStringLiteral("19")));
    EXPECT_TRUE(all.contains(QStringLiteral("Ikke skalert: -")));
    EXPECT_TRUE(all.contains(QStringLiteral("Alder 9:0-9:5")));
    EXPECT_TRUE(all.contains(QStringLiteral("Testalder: 9:0:0")));
    for (int id = 1301; id <= 1306; ++id)
        EXPECT_FALSE(all.contains(LoadString(id).mid(8))) << id;
    EXPECT_NEAR(bottom, 700, 1) << "the chart fills the area";
}
