// The archive list's order (Norwegian for texts, the database's for the rest), the chosen row
// across re-sorts, and the search field.
#include "ArchiveFixture.h"

#include <QAction>
#include <QScrollBar>
#include <QSet>

#include <algorithm>
#include <functional>

using namespace tavlo;
using namespace tavlo::test;

namespace {

struct Texts {
    const char* name;
    const char* leader = "";
    const char* school = "";
    const char* other = "";
};

class ArchiveOrderTest : public ArchiveFixture {
protected:
    int store(const Texts& texts, Date tested = {2012, 6, 15}, Date born = {2005, 6, 15}, int sex = 1)
    {
        TestRecord t = childAged(7, 0);
        t.person.NAMN = u8(texts.name);
        t.person.TESTLEDARE = u8(texts.leader);
        t.person.SKOLA = u8(texts.school);
        t.person.OTHER = u8(texts.other);
        t.person.TESTDATE = tested;
        t.person.BORNDATE = born;
        t.person.SEX = sex;
        EXPECT_TRUE(SaveTest(ctx.db, t, true));
        return t.person.ID;
    }

    // Header clicks turn one direction flag shared by all columns: a second click when the
    // first gave the other direction.
    void sortBy(int column, bool descending)
    {
        clickHeader(column);
        if (ctx.archiveDescending != descending)
            clickHeader(column);
        ASSERT_EQ(ctx.archiveSortKey, column);
        ASSERT_EQ(ctx.archiveDescending, descending);
    }

    QStringList folded(QStringList texts)
    {
        for (QString& text : texts)
            text = text.toCaseFolded();
        return texts;
    }

    QStringList reversed(QStringList texts)
    {
        std::reverse(texts.begin(), texts.end());
        return texts;
    }

    QStringList found(const char* typed)
    {
        searchField()->clear();
        QTest::keyClicks(searchField(), u8(typed));
        QStringList names = column(0);
        names.sort(); // by code point: the order is not what is looked at here
        return names;
    }

    QLineEdit* searchField() { return screen()->searchField(); }
};

QStringList names(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* name : list)
        out << u8(name);
    return out;
}

} // namespace

TEST_F(ArchiveOrderTest, TextColumnsSortInNorwegianOrderWithCaseIgnoredBothWays)
{
    // Stored in this order, so by rising ID; "Ola"/"ola" and "ærlig"/"Ærlig" differ in case
    // only, one pair with the capital first, the other with it last.
    const char* words[] = {"Åse", "ærlig", "Zorro", "Øyvind", "åsmund", "Ola", "Anne", "Ærlig", "ola", "anders"};
    constexpr int n = int(std::size(words));
    for (int i = 0; i < n; ++i) {
        TestRecord t = childAged(7, 0);
        // Every text column holds the same words, each column in another order.
        t.person.NAMN = u8(words[i]);
        t.person.TESTLEDARE = u8(words[(i + 1) % n]);
        t.person.OTHER = u8(words[(i + 2) % n]);
        t.person.SKOLA = u8(words[(i + 3) % n]);
        t.person.NATIONALITET = u8(words[(i + 4) % n]);
        t.person.HOMELANGUAGE = u8(words[(i + 5) % n]);
        ASSERT_TRUE(SaveTest(ctx.db, t, true));
    }
    // Equal but for case: the lower ID first, so the order is the same every time.
    const QStringList ascending = names({"anders", "Anne", "Ola", "ola", "Zorro", "ærlig", "Ærlig", "Øyvind", "Åse", "åsmund"});
    open();

    sortBy(0, false);
    EXPECT_EQ(column(0), ascending);
    sortBy(0, true);
    EXPECT_EQ(column(0), reversed(ascending));
    for (const int c : {1, 3, 6, 7, 8}) {
        SCOPED_TRACE(c);
        sortBy(c, false);
        EXPECT_EQ(folded(column(c)), folded(ascending));
        sortBy(c, true);
        EXPECT_EQ(folded(column(c)), folded(reversed(ascending)));
    }
    // The store's own sorted list says the same.
    EXPECT_EQ(stored(), ascending);
}

TEST_F(ArchiveOrderTest, DateSexAndNumberColumnsSortAsTheDatabaseOrdersThem)
{
    // Day-first texts that order otherwise than the dates, a tie, no birth date, every sex.
    store({"A"}, {2014, 3, 5}, {2007, 11, 9}, 2);
    store({"B"}, {2013, 1, 20}, {2006, 1, 30}, 1);
    store({"C"}, {2013, 12, 1}, {}, 0);
    store({"D"}, {2013, 1, 20}, {2006, 12, 1}, 2);
    store({"E"}, {2012, 2, 28}, {2005, 2, 1}, 1);
    const auto databaseOrder = [&](const char* column, bool descending) {
        Statement s(db.db);
        EXPECT_TRUE(s.execDirect(QStringLiteral("SELECT ID FROM TESTPERSON ORDER BY %1 %2")
                                     .arg(QLatin1String(column), descending ? u"DESC" : u"ASC")));
        QList<int> ids;
        while (s.fetch() == Fetch::Row)
            ids << s.getInt(1).value_or(0);
        return ids;
    };
    const auto listIds = [&] {
        QList<int> ids;
        for (int row = 0; row < rows()->rowCount(); ++row)
            ids << idAt(row);
        return ids;
    };

    for (const bool descending : {true, false}) {
        ctx.archiveSortKey = 9;
        ctx.archiveDescending = descending;
        open();
        EXPECT_EQ(listIds(), databaseOrder("ID", descending)) << "by number, descending " << descending;
    }
    const std::pair<int, const char*> columns[] = {{2, "TESTDATE"}, {4, "SEX"}, {5, "BORNDATE"}};
    for (const auto& [c, name] : columns) {
        for (const bool descending : {false, true}) {
            SCOPED_TRACE(std::string(name) + (descending ? " DESC" : " ASC"));
            sortBy(c, descending);
            // Rows tied on the column may stand either way; their cells read the same.
            QHash<int, QString> cell;
            for (int row = 0; row < rows()->rowCount(); ++row)
                cell[idAt(row)] = column(c).at(row);
            QStringList expected;
            for (const int id : databaseOrder(name, descending))
                expected << cell.value(id);
            EXPECT_EQ(column(c), expected);
        }
    }
}

TEST_F(ArchiveOrderTest, TheChosenPersonStaysChosenAndInViewAfterEachResort)
{
    // More rows than the list shows at once.
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60) "
                           "INSERT INTO TESTPERSON (ID, NAMN, TESTDATE, SEX) SELECT i, 'Barn ' || ((i * 37) % 61), "
                           "printf('2012-%02d-%02d', 1 + i % 12, 1 + i % 28), 1 + i % 2 FROM n"));
    open();
    ASSERT_EQ(rows()->rowCount(), 60);
    clickRow(50);
    const int chosen = idAt(50);
    for (const int c : {0, 0, 2, 4}) {
        SCOPED_TRACE(c);
        // Scrolled away from the chosen row, as the examiner may have.
        list()->scrollToTop();
        clickHeader(c);
        ASSERT_EQ(selectedRows().size(), 1);
        const int row = selectedRows().first();
        EXPECT_EQ(idAt(row), chosen);
        EXPECT_EQ(list()->currentIndex().row(), row);
        EXPECT_TRUE(list()->viewport()->rect().contains(list()->visualRect(rows()->index(row, 0))));
    }
}

TEST_F(ArchiveOrderTest, SearchFindsAnyPartOfNameLeaderSchoolOrOtherAsNorwegiansSpell)
{
    store({"Åse Berg", "Per Holm", "Bø skole"});
    store({"Ase Andersen", "Kari Lie", "Sentrum skole"});
    store({"Ola Nordmann", "Åsmund Lie", "Bø skole"});
    store({"Per Hansen", "Kari Lie", "Ås skole"});
    store({"Kari Øyen", "Per Holm", "Sentrum skole", "Henvist fra ÅS"});
    store({"Øyvind Ørje", "Bjørn Ørn", "Ørje"});
    open();
    const QStringList withÅ = names({"Kari Øyen", "Ola Nordmann", "Per Hansen", "Åse Berg"});
    EXPECT_EQ(found("å"), withÅ);
    EXPECT_EQ(found("Å"), withÅ);
    EXPECT_EQ(found("a"), names({"Ase Andersen", "Kari Øyen", "Ola Nordmann", "Per Hansen"})) << "a is not å";
    EXPECT_EQ(found("o"), names({"Ase Andersen", "Kari Øyen", "Ola Nordmann", "Per Hansen", "Åse Berg"})) << "o is not ø";
    EXPECT_EQ(found("Ø"), names({"Kari Øyen", "Ola Nordmann", "Åse Berg", "Øyvind Ørje"}));
    EXPECT_EQ(found("sE bE"), names({"Åse Berg"}));
    EXPECT_EQ(found("lie"), names({"Ase Andersen", "Ola Nordmann", "Per Hansen"}));
    EXPECT_EQ(found("HENVIST"), names({"Kari Øyen"}));
    EXPECT_EQ(found("zz"), QStringList());
    EXPECT_TRUE(selectedRows().isEmpty());

    // The sort applies to the rows found.
    found("å");
    sortBy(0, false);
    EXPECT_EQ(column(0), withÅ);
    EXPECT_EQ(searchField()->text(), u8("å"));
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(ArchiveOrderTest, EscapeClearsTheSearchAndEnterShowsTheRowChosenAmongThoseFound)
{
    store({"Anne"});
    const int kari = store({"Kari Øyen"});
    store({"Øyvind"});
    store({"Ola"});
    open();
    searchField()->setFocus();
    QTest::keyClicks(searchField(), u8("Ø"));
    EXPECT_EQ(column(0), names({"Øyvind", "Kari Øyen"}));
    EXPECT_EQ(selectedRows(), QList<int>{0}) << "the first found is chosen";
    QTest::keyClick(searchField(), Qt::Key_Escape);
    ASSERT_EQ(w.screenState(), 4) << "Escape in the field stays in the archive";
    EXPECT_TRUE(searchField()->text().isEmpty());
    EXPECT_EQ(column(0), names({"Ola", "Øyvind", "Kari Øyen", "Anne"}));
    EXPECT_EQ(selectedRows(), QList<int>{1}) << "the chosen row stays chosen";
    EXPECT_EQ(w.focusWidget(), list());

    // The arrows move among the rows found while the typing stays in the field.
    searchField()->setFocus();
    QTest::keyClicks(searchField(), u8("ø"));
    QTest::keyClick(searchField(), Qt::Key_Down);
    EXPECT_EQ(selectedRows(), QList<int>{1});
    EXPECT_EQ(w.focusWidget(), searchField());
    QTest::keyClick(searchField(), Qt::Key_Return);
    ASSERT_EQ(w.screenState(), 6);
    EXPECT_EQ(ctx.test.person.ID, kari);
    EXPECT_EQ(ctx.archiveLastIndex, 2) << "its place in the whole list";

    // Back in the archive: the same search, the same person chosen among those found.
    w.sendCommand(90);
    ASSERT_EQ(w.screenState(), 4);
    waitForRows();
    EXPECT_EQ(searchField()->text(), u8("ø"));
    EXPECT_EQ(column(0), names({"Øyvind", "Kari Øyen"}));
    EXPECT_EQ(selectedRows(), QList<int>{1});
    EXPECT_EQ(idAt(1), kari);
    QTest::keyClick(list(), Qt::Key_Escape);
    EXPECT_EQ(w.screenState(), 1) << "Escape on the list goes back, as ever";
}

TEST_F(ArchiveOrderTest, GoingBackFromAShownTestFindsTheArchiveAsItWasAndAFreshVisitStartsAfresh)
{
    // Twenty children tested three times each: more rows than the list shows.
    for (int i = 1; i <= 60; ++i) {
        const int child = (i * 37) % 61 % 20;
        store({QStringLiteral("Barn %1").arg(child).toUtf8().constData(), i % 3 ? "Per" : "Kari"},
              {2012, int16_t(1 + i % 12), int16_t(1 + i % 28)}, {2005, int16_t(1 + child % 12), int16_t(1 + child)});
    }
    open();
    ASSERT_EQ(rows()->rowCount(), 60);

    // How the examiner leaves the list before showing a test.
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"sorted by name, scrolled down", [&] { sortBy(0, false); }},
        {"sorted by date, a search typed", [&] {
             sortBy(2, true);
             QTest::keyClicks(searchField(), u8("kari"));
         }},
        {"one child's tests", [&] {
             clickRow(7);
             screen()->childAction()->trigger();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        // A row past the first page, scrolled to the top of the list: where the view would
        // not put it by itself.
        const int row = rows()->rowCount() * 2 / 3;
        ASSERT_GT(row, 0);
        clickRow(row);
        list()->scrollTo(rows()->index(row, 0), QAbstractItemView::PositionAtTop);
        const QStringList before = column(0);
        const int chosen = idAt(row);
        const QString search = searchField()->text();
        const int scroll = list()->verticalScrollBar()->value();
        const bool child = qobject_cast<ArchiveModel*>(rows())->showsOneChild();

        QTest::keyClick(list(), Qt::Key_Return);
        ASSERT_EQ(w.screenState(), 6);
        w.sendCommand(90);
        ASSERT_EQ(w.screenState(), 4);
        waitForRows();

        EXPECT_EQ(searchField()->text(), search);
        EXPECT_EQ(column(0), before);
        EXPECT_EQ(qobject_cast<ArchiveModel*>(rows())->showsOneChild(), child);
        ASSERT_EQ(selectedRows().size(), 1);
        EXPECT_EQ(idAt(selectedRows().first()), chosen);
        EXPECT_EQ(list()->verticalScrollBar()->value(), scroll);
        EXPECT_TRUE(list()->viewport()->rect().contains(list()->visualRect(rows()->index(selectedRows().first(), 0))));
        EXPECT_TRUE(list()->header()->isSortIndicatorShown());
        EXPECT_EQ(list()->header()->sortIndicatorSection(), ctx.archiveSortKey);
        searchField()->clear();
    }
    EXPECT_GT(list()->verticalScrollBar()->maximum(), 0);

    // A test shown, then changed and the change given up: the way leads through the start
    // screen, and the archive opened from there is the whole list from the top.
    QTest::keyClicks(searchField(), u8("kari"));
    clickRow(3);
    QTest::keyClick(list(), Qt::Key_Return);
    w.sendCommand(91);
    ASSERT_EQ(w.screenState(), 2);
    w.sendCommand(90);
    ASSERT_EQ(w.screenState(), 1);
    w.sendCommand(92);
    ASSERT_EQ(w.screenState(), 4);
    waitForRows();
    EXPECT_TRUE(searchField()->text().isEmpty());
    EXPECT_EQ(rows()->rowCount(), 60);
    EXPECT_EQ(list()->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}
