#include "ArchiveFixture.h"
#include "Screenshots.h"
#include "resources/StringTable.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

using namespace tavlo;
using namespace tavlo::test;

namespace {

using ArchiveTest = ArchiveFixture;

} // namespace

TEST_F(ArchiveTest, ListsEveryPersonNewestFirstWithFormattedCells)
{
    TestRecord full = tavlo::test::childAged(6, 3);
    full.person.NAMN = u8("Åse Ørnebø");
    full.person.TESTDATE = {2014, 3, 5};
    full.person.BORNDATE = {2007, 11, 9};
    full.person.SEX = 2;
    full.person.OTHER = u8("Henvist, «før» skolestart");
    full.person.SKOLA = u8("Bø skole");
    full.person.NATIONALITET = u8("Norsk");
    full.person.HOMELANGUAGE = u8("Kvensk");
    ASSERT_TRUE(SaveTest(ctx.db, full, true));
    const int boy = store("Per O'Brien, jr.", {2013, 1, 20}, 1);
    const int unknown = store("Uten kjønn", {2013, 12, 1}, 0);
    ctx.test.scores.AI = 30;

    open();
    QTreeView* l = list();
    ASSERT_EQ(rows()->rowCount(), 3);
    EXPECT_EQ(column(0), (QStringList{u8("Uten kjønn"), u8("Per O'Brien, jr."), u8("Åse Ørnebø")}));
    EXPECT_EQ(idAt(0), unknown);
    EXPECT_EQ(idAt(1), boy);
    QStringList cells;
    for (int c = 0; c < 9; ++c)
        cells << rows()->index(2, c).data().toString();
    EXPECT_EQ(cells, (QStringList{u8("Åse Ørnebø"), u8("Leder"), u8("05-03-2014"), u8("Henvist, «før» skolestart"),
                                  u8("Jente"), u8("09-11-2007"), u8("Bø skole"), u8("Norsk"), u8("Kvensk")}));
    EXPECT_EQ(column(4), (QStringList{QString(), u8("Gutt"), u8("Jente")}));

    // The stored columns, then the count of the child's tests.
    const QStringList headers{u8("Navn"),        u8("Testleder"), u8("Testdato"),     u8("Annet"),       u8("Kjønn"),
                              u8("Fødselsdato"), u8("Skole"),     u8("Nasjonalitet"), u8("Førstespråk"), u8("Tester")};
    const int widths[] = {200, 100, 80, 150, 50, 100, 200, 200, 200, 60};
    ASSERT_EQ(rows()->columnCount(), 10);
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(rows()->headerData(c, Qt::Horizontal).toString(), headers[c]);
        EXPECT_EQ(l->columnWidth(c), widths[c]) << c;
    }
    EXPECT_EQ(selectedRows(), QList<int>{0}) << "the last handled row, 0 at start";
    EXPECT_EQ(ctx.test.scores.AI, NOT_ENTERED) << "opening clears the scores";
    EXPECT_EQ(w.screenState(), 4);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(ArchiveTest, HeaderClicksSortWithOneDirectionForAllColumns)
{
    // Test dates whose day-first text orders differently from the dates themselves.
    store("Bjørn", {2014, 3, 5});
    store("Anne", {2013, 1, 20});
    store("Cecilie", {2013, 12, 1});
    open();
    clickHeader(2);
    EXPECT_EQ(column(2), (QStringList{u8("20-01-2013"), u8("01-12-2013"), u8("05-03-2014")})) << "oldest first";
    tavlo::test::saveScreenshot(w, QStringLiteral("archive-sorted"));
    clickHeader(0);
    EXPECT_EQ(column(0), (QStringList{u8("Cecilie"), u8("Bjørn"), u8("Anne")})) << "the direction turned";
    clickHeader(0);
    EXPECT_EQ(column(0), (QStringList{u8("Anne"), u8("Bjørn"), u8("Cecilie")}));
    EXPECT_EQ(ctx.archiveSortKey, 0);
    EXPECT_FALSE(ctx.archiveDescending);

    // Back and in again: the same order, the row handled last chosen again.
    clickRow(2);
    sink.answers = {false};
    w.sendCommand(93);
    EXPECT_EQ(ctx.archiveLastIndex, 2);
    QTest::mouseClick(w.button(90), Qt::LeftButton);
    EXPECT_EQ(w.screenState(), 1);
    open();
    EXPECT_EQ(column(0), (QStringList{u8("Anne"), u8("Bjørn"), u8("Cecilie")}));
    EXPECT_EQ(list()->currentIndex().row(), 2);
    EXPECT_EQ(selectedRows(), QList<int>{2});

    // Sorting needs no database: a table gone since the reading does not disturb it.
    sink.messages.clear();
    db.exec(QStringLiteral("ALTER TABLE TESTPERSON RENAME TO GONE"));
    clickHeader(0);
    EXPECT_EQ(column(0), (QStringList{u8("Cecilie"), u8("Bjørn"), u8("Anne")}));
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(ArchiveTest, RowsArriveFromTheReadingThreadAndItsErrorsAreToldOnTheGuiThread)
{
    store("Kari", {2012, 6, 15});
    w.setScreen(new ArchiveScreen(w));
    w.show();
    // Nothing is in the list before the event loop has handed the rows over.
    EXPECT_EQ(rows()->rowCount(), 0);
    const QLabel* reading = list()->viewport()->findChild<QLabel*>();
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(reading->text(), u8("Henter tester …"));
    EXPECT_TRUE(reading->isVisible());
    waitForRows();
    EXPECT_EQ(column(0), QStringList{u8("Kari")});
    EXPECT_FALSE(reading->isVisible());

    // A listing that fails: the driver's message, shown from the GUI thread; an empty list.
    QList<bool> onGuiThread;
    sink.onMessage = [&](const RecordedMessage&) { onGuiThread << (QThread::currentThread() == qApp->thread()); };
    db.exec(QStringLiteral("ALTER TABLE TESTPERSON RENAME TO GONE"));
    w.sendCommand(90);
    QTest::keyClick(&w, Qt::Key_T, Qt::AltModifier); // the start screen's "&Tidligere test(er)"
    ASSERT_EQ(w.screenState(), 4);
    waitForRows();
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.texts().first().contains(u8("TESTPERSON"))) << sink.texts().first().toStdString();
    EXPECT_EQ(sink.messages.first().caption, u8("TAVLO-II"));
    EXPECT_EQ(onGuiThread, QList<bool>{true});
    EXPECT_EQ(rows()->rowCount(), 0);
    EXPECT_FALSE(list()->viewport()->findChild<QLabel*>()->isVisible()) << "no reading any more";
    sink.onMessage = nullptr;
    sink.messages.clear();
    clickHeader(0);
    w.sendCommand(91);
    EXPECT_EQ(sink.texts(), QStringList{LoadString(11)});
}

TEST_F(ArchiveTest, NothingSelectedIsToldAndNothingElseHappens)
{
    store("Kari", {2012, 6, 15});
    open();
    list()->clearSelection();
    QTest::mouseClick(w.button(91), Qt::LeftButton);
    QTest::mouseClick(w.button(93), Qt::LeftButton);
    EXPECT_EQ(sink.texts(), (QStringList{LoadString(11), LoadString(11)}));
    EXPECT_EQ(sink.messages.first().caption, QStringLiteral("TAVLO-II"));
    EXPECT_FALSE(sink.messages.last().question);
    EXPECT_EQ(w.screenState(), 4);
    EXPECT_EQ(stored().size(), 1);
    EXPECT_FALSE(w.screen()->command(112)) << "other ids are ignored";
}

TEST_F(ArchiveTest, ShowEnterAndADoubleClickReopenTheChosenTestInTheResultsWindow)
{
    const int kari = store("Kari", {2012, 6, 15});
    store("Ola", {2012, 6, 15});
    const int gone = store("Borte", {2012, 6, 15});
    ctx.testIsNew = true;
    open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // Deleted by another program after the list was filled: told, and the list stays.
    db.exec(QStringLiteral("DELETE FROM TESTPERSON WHERE ID = %1").arg(gone));
    w.sendCommand(104);
    EXPECT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(w.screenState(), 4);
    sink.messages.clear();

    clickRow(2);
    QTest::keyClick(list(), Qt::Key_Return); // Enter is "&Vis resultat"
    EXPECT_EQ(w.screenState(), 6);
    EXPECT_EQ(ctx.test.person.ID, kari);
    EXPECT_EQ(ctx.test.person.NAMN, u8("Kari"));
    EXPECT_EQ(ctx.test.scores.AI, 12);
    EXPECT_EQ(ctx.test.grid.cell(5), 1);
    EXPECT_FALSE(ctx.testIsNew) << "a change must update the stored rows";
    EXPECT_EQ(ctx.archiveLastIndex, 2);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();

    // So does a double-click on a row.
    w.sendCommand(90);
    ASSERT_EQ(w.screenState(), 4);
    waitForRows();
    ASSERT_EQ(column(0).value(0), u8("Ola"));
    // As the system delivers it: a click, then the second press as a double-click. The
    // list is deleted only back in the event loop, so its viewport outlives the show.
    QWidget* viewport = list()->viewport();
    const QPoint ola = list()->visualRect(rows()->index(0, 0)).topLeft() + QPoint(20, 5);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, ola);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, ola);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, ola);
    EXPECT_EQ(w.screenState(), 6);
    EXPECT_EQ(ctx.test.person.NAMN, u8("Ola"));
    EXPECT_EQ(ctx.archiveLastIndex, 0);
}

TEST_F(ArchiveTest, DeleteAsksByNameAndRemovesExactlyThatTest)
{
    store("Anne", {2012, 6, 15});
    const int odd = store("Per O'Brien, jr.", {2012, 6, 15});
    const int last = store("Åse", {2012, 6, 15});
    open();
    ctx.test.person.NAMN = u8("Gjeldende");
    clickRow(1);

    sink.answers = {false};
    w.sendCommand(93);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0].text, u8("Vil du virkelig slette Per O'Brien, jr.s testresultat fra databasen? "
                                        "Endringen er permanent."));
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(sink.messages[0].question);
    EXPECT_EQ(column(0).size(), 3);
    EXPECT_EQ(stored().size(), 3);
    EXPECT_EQ(ctx.test.person.NAMN, u8("Gjeldende")) << "no changes nothing";

    sink.messages.clear();
    sink.answers = {true};
    w.sendCommand(93);
    EXPECT_EQ(sink.texts(), (QStringList{LoadString(12, u8("Per O'Brien, jr.")),
                                         u8("Data over testpersonen Per O'Brien, jr. er slettet fra databasen.")}));
    EXPECT_EQ(column(0), (QStringList{u8("Åse"), u8("Anne")}));
    EXPECT_EQ(stored(), (QStringList{u8("Anne"), u8("Åse")}));
    TestRecord probe;
    EXPECT_EQ(ReadTest(db.db, probe, odd), 0);
    EXPECT_TRUE(ctx.test.person.NAMN.isEmpty()) << "a fresh record";
    EXPECT_EQ(ctx.test.person.ID, 0);
    EXPECT_TRUE(selectedRows().isEmpty()) << "a second press must not take the neighbour";

    // Deleting the bottom row leaves a last index that still exists.
    clickRow(1);
    sink.answers = {true};
    QTest::mouseClick(w.button(93), Qt::LeftButton);
    EXPECT_EQ(column(0), QStringList{u8("Åse")});
    EXPECT_EQ(ctx.archiveLastIndex, 0);
    EXPECT_EQ(w.focusWidget(), list()) << "back from the button to the list";

    // A delete that fails half-way keeps the row, as the database keeps the test.
    db.exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON TESTDATA_TAVLO_MF BEGIN SELECT RAISE(ABORT, 'nei'); END"));
    clickRow(0);
    sink.answers = {true};
    w.sendCommand(105);
    EXPECT_TRUE(sink.texts().last().contains(u8("nei"))) << sink.texts().last().toStdString();
    EXPECT_EQ(column(0), QStringList{u8("Åse")});
    EXPECT_EQ(ReadTest(db.db, probe, last), 1);
}

TEST_F(ArchiveTest, KeysExportAndBackupLeaveTheListInFront)
{
    store("Kari", {2012, 6, 15});
    QTemporaryDir start;
    const QString before = QDir::currentPath();
    ctx.startDirectory = start.path();
    open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // Whatever the export and the backup put up modally is cancelled, as an examiner might.
    int closed = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
            ++closed;
        }
    });
    closer.start(20);
    const auto comesBack = [&](int closedBefore) {
        EXPECT_GT(closed, closedBefore) << "its dialog was up";
        EXPECT_EQ(QDir::currentPath(), QDir(start.path()).canonicalPath());
        EXPECT_EQ(w.screenState(), 4);
        EXPECT_EQ(w.focusWidget(), list());
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    };
    QDir::setCurrent(QDir::tempPath());
    QTest::mouseClick(w.button(92), Qt::LeftButton); // the button takes the focus
    comesBack(0);
    QDir::setCurrent(QDir::tempPath());
    QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
    comesBack(1);
    closer.stop();
    QDir::setCurrent(before);

    sink.answers = {false};
    QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(sink.messages.size(), 1) << "Alt+L asks";
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(w.screenState(), 1);
    EXPECT_FALSE(w.button(93)->isVisible());
}

TEST_F(ArchiveTest, ButtonsAndListFollowTheWindowSize)
{
    store("Kari", {2012, 6, 15});
    w.resize(800, 900); // as the results window leaves it
    open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    tavlo::test::saveScreenshot(w, QStringLiteral("archive"));
    EXPECT_EQ(w.size(), QSize(800, 600));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("TAVLO-II"));
    const std::pair<int, const char*> buttons[] = {
        {90, "&Tilbake"}, {91, "&Vis resultat"}, {93, "S&lett"}, {92, "&Eksporter data"}, {94, "&Sikkerhetskopier"}};
    const auto check = [&](int height) {
        for (int i = 0; const auto& [id, text] : buttons) {
            EXPECT_EQ(w.button(id)->text(), u8(text));
            EXPECT_EQ(w.button(id)->geometry(), QRect(20 + 120 * i++, height - 43, 110, 40)) << id;
            EXPECT_TRUE(w.button(id)->isVisible());
        }
    };
    check(600);
    EXPECT_EQ(list()->geometry(), QRect(5, 90, 792, 435));
    w.resize(1000, 700);
    check(700);
    EXPECT_EQ(list()->geometry(), QRect(5, 90, 992, 535));
}
