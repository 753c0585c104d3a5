// A child tested more than once: the archive counts each child's tests, sorts them together
// and shows one child's tests alone.

#include "ArchiveFixture.h"
#include "Str.h"

#include "Documents.h"
#include "Screenshots.h"
#include "archive/ArchiveModel.h"
#include "model/NorwegianText.h"
#include "store/tables/PersonList.h"
#include "results/ComparisonWindow.h"
#include "results/SaveDocument.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <functional>

using namespace tavlo;
using namespace tavlo::test;

namespace {

class ArchiveChild : public ArchiveFixture {
protected:
    int storeChild(const char* name, Date born, Date tested)
    {
        TestRecord t = childWithEveryMeasure(7, 0);
        t.person.NAMN = u8(name);
        t.person.BORNDATE = born;
        t.person.TESTDATE = tested;
        EXPECT_TRUE(SaveTest(ctx.db, t, true));
        return t.person.ID;
    }

    // The count column beside each row's person number, in the list's order.
    QList<std::pair<int, int>> counted()
    {
        QList<std::pair<int, int>> out;
        for (int row = 0; row < rows()->rowCount(); ++row)
            out.append({idAt(row), rows()->index(row, ArchiveModel::kChildTestsColumn).data().toInt()});
        return out;
    }
};

// Every answer of a list, in words: each order both ways, what each needle finds, each row's
// count of its child's tests, and those counts after a test is forgotten.
using Question = std::function<QString(PersonList&)>;

std::vector<Question> everyQuestion()
{
    std::vector<Question> questions;
    for (int key = 0; key <= kChildTestsSortKey; ++key) {
        for (const bool descending : {false, true}) {
            questions.push_back([=](PersonList& list) {
                QStringList ids;
                for (const int i : list.sorted(key, descending))
                    ids << QString::number(list.row(i).ID);
                return QStringLiteral("sort %1%2: %3").arg(key).arg(descending ? " desc" : "").arg(ids.join(u' '));
            });
        }
    }
    for (const char* typed : {"åse", "skole 1", "notat", "leder b", "x"}) {
        questions.push_back([=](PersonList& list) {
            QStringList ids;
            for (int i = 0; i < list.size(); ++i) {
                if (list.matches(i, SearchFold(u8(typed))))
                    ids << QString::number(list.row(i).ID);
            }
            return QStringLiteral("search %1: %2").arg(u8(typed), ids.join(u' '));
        });
    }
    questions.push_back([](PersonList& list) {
        QStringList counts;
        for (int i = 0; i < list.size(); ++i)
            counts << QString::number(list.testsOfChild(i));
        return QStringLiteral("tests: ") + counts.join(u' ');
    });
    questions.push_back([](PersonList& list) {
        list.forgetTest(0);
        QStringList counts;
        for (int i = 0; i < list.size(); ++i)
            counts << QString::number(list.testsOfChild(i)) + (list.sameChild(0, i) ? QStringLiteral("*") : QString());
        return QStringLiteral("after forgetting: ") + counts.join(u' ');
    });
    return questions;
}

PersonList sampleList()
{
    const char* names[] = {"Åse", "ærlig", "åse ", "Ola", "ola", "Øyvind", "Åse", "Anne"};
    std::vector<PersonListRow> rows;
    for (int i = 0; i < int(std::size(names)); ++i) {
        PersonListRow row;
        row.ID = 20 - i; // read in any order
        row.NAMN = u8(names[i]);
        // Equal texts each in a string of its own, as the driver reads them.
        row.TESTLEDARE = QStringLiteral("Leder ") + QChar(u'A' + i % 3);
        row.SKOLA = QStringLiteral("Skole %1").arg(i % 2);
        row.OTHER = i % 3 ? QStringLiteral("Notat") : QString();
        row.NATIONALITET = QStringLiteral("Norsk");
        row.HOMELANGUAGE = i % 2 ? QStringLiteral("Samisk") : QStringLiteral("norsk");
        row.BORNDATE = {2005, 6, int16_t(1 + i % 2)};
        row.TESTDATE = {int16_t(2012 + i % 3), 1, 1};
        row.SEX = i % 3;
        rows.push_back(row);
    }
    return PersonList(std::move(rows));
}

} // namespace

TEST(ArchiveList, AnswersEveryQuestionAsAFreshListWhateverItWasAskedBefore)
{
    // A list builds what a question needs at its first asking: what one question built must
    // not change another's answer.
    const std::vector<Question> questions = everyQuestion();
    std::vector<QString> fresh;
    for (const Question& ask : questions) {
        PersonList list = sampleList();
        fresh.push_back(ask(list));
    }
    for (size_t first = 0; first < questions.size(); ++first) {
        PersonList list = sampleList();
        const QString firstAnswer = questions[first](list);
        EXPECT_EQ(firstAnswer, fresh[first]);
        if (first + 1 == questions.size())
            continue; // the counts it changed are its answer
        for (size_t q = 0; q + 1 < questions.size(); ++q) { // the forgetting last: it changes the list
            if (q != first) {
                EXPECT_EQ(questions[q](list), fresh[q]) << "after: " << str(firstAnswer);
            }
        }
    }
}

TEST_F(ArchiveChild, EachTestCountsItsChildsTestsWhichSortAndShowTogether)
{
    const Date born{2008, 2, 3};
    // Kari three times, spelled as examiners type; another Kari born another day; Åse and Ase.
    const int kari2 = storeChild("kari nordmann ", born, {2013, 5, 1});
    const int ase = storeChild("Åse", born, {2013, 6, 1});
    const int kari1 = storeChild("Kari Nordmann", born, {2011, 5, 1});
    const int otherKari = storeChild("Kari Nordmann", {2008, 2, 4}, {2012, 1, 1});
    const int a = storeChild("Ase", born, {2012, 3, 1});
    const int kari3 = storeChild("KARI NORDMANN", born, {2015, 9, 9});
    // Born the same day as Kari and tested between her tests: still apart from hers.
    const int bo2 = storeChild("Bo", born, {2014, 1, 1});
    const int bo1 = storeChild("Bo", born, {2012, 1, 1});
    const int bo3 = storeChild("Bo", born, {2016, 1, 1});
    open();

    const QMap<int, int> expected{{kari1, 3}, {kari2, 3}, {kari3, 3}, {otherKari, 1}, {ase, 1}, {a, 1}, {bo1, 3}, {bo2, 3}, {bo3, 3}};
    for (const auto& [id, tests] : counted())
        EXPECT_EQ(tests, expected.value(id)) << id;
    EXPECT_EQ(rows()->headerData(ArchiveModel::kChildTestsColumn, Qt::Horizontal).toString(), u8("Tester"));

    // Sorted by the count (the first click turns the newest-first start to ascending): the
    // single tests first, then Bo's three and Kari's three, each child's together and oldest
    // first; the other way exactly reversed.
    clickHeader(ArchiveModel::kChildTestsColumn);
    QList<int> order;
    for (const auto& [id, tests] : counted())
        order.append(id);
    ASSERT_EQ(order.size(), 9);
    EXPECT_EQ(order.mid(3), (QList<int>{bo1, bo2, bo3, kari1, kari2, kari3}));
    EXPECT_EQ(QSet<int>(order.begin(), order.begin() + 3), (QSet<int>{otherKari, ase, a}));
    clickHeader(ArchiveModel::kChildTestsColumn);
    QList<int> reversed;
    for (const auto& [id, tests] : counted())
        reversed.prepend(id);
    EXPECT_EQ(reversed, order);

    // One child's tests alone, from any of them; the search field names the child, and
    // clearing it shows every test again.
    clickRow(int(order.size()) - 1 - int(order.indexOf(kari2)));
    ASSERT_EQ(idAt(selectedRows().value(0)), kari2);
    screen()->childAction()->trigger();
    QList<int> shown;
    for (const auto& [id, tests] : counted())
        shown.append(id);
    EXPECT_EQ(QSet<int>(shown.begin(), shown.end()), (QSet<int>{kari1, kari2, kari3}));
    EXPECT_EQ(screen()->searchField()->text(), u8("kari nordmann "));
    EXPECT_EQ(idAt(selectedRows().value(0)), kari2) << "the chosen test stays chosen";
    // Åse is not Ase: each alone.
    screen()->searchField()->clear();
    EXPECT_EQ(rows()->rowCount(), 9);
    clickRow(int(order.size()) - 1 - int(order.indexOf(ase)));
    screen()->childAction()->trigger();
    EXPECT_EQ(rows()->rowCount(), 1);
    EXPECT_EQ(idAt(0), ase);
    screen()->searchField()->clear();

    // A deleted test no longer counts for its child.
    clickRow(int(order.size()) - 1 - int(order.indexOf(kari3)));
    sink.answers = {true};
    w.sendCommand(93);
    ASSERT_EQ(rows()->rowCount(), 8);
    for (const auto& [id, tests] : counted())
        EXPECT_EQ(tests, id == kari1 || id == kari2 ? 2 : id == bo1 || id == bo2 || id == bo3 ? 3 : 1) << id;
    EXPECT_TRUE(sink.texts().join(u'\n').contains(u8("KARI NORDMANN"))) << str(sink.texts().join(u'\n'));
}

// "Sammenlign" offers the child's latest test before the chosen one, and shows both side by
// side: each domain's table, the note on marked changes, the profile; copied as a table and
// saved as a document. A child tested once is told there is nothing to compare.
TEST_F(ArchiveChild, CompareOffersTheLatestEarlierTestAndShowsBothSideBySide)
{
    const Date born{2004, 8, 20};
    const int first = storeChild("Kari Nordmann", born, {2011, 2, 1});
    const int second = storeChild("Kari Nordmann", born, {2013, 2, 1});
    const int third = storeChild("Kari Nordmann", born, {2015, 2, 1});
    const int alone = storeChild("Per", born, {2014, 2, 1});
    open();
    EXPECT_EQ(screen()->compareButton()->text(), u8("Sa&mmenlign"));

    struct Asked {
        QStringList tests;
        int offered = -1;
    } asked;
    ArchiveScreen::SetComparisonChooser([&](QWidget*, const QStringList& tests, int offered) -> std::optional<int> {
        asked = {tests, offered};
        return offered;
    });
    const auto chooseId = [&](int id) {
        list()->setCurrentIndex(rows()->index(qobject_cast<ArchiveModel*>(rows())->rowOfId(id), 0));
    };
    const auto openWindows = [] {
        QList<ComparisonWindow*> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* c = qobject_cast<ComparisonWindow*>(w); c && c->isVisible())
                found << c;
        }
        return found;
    };

    // Which test is offered, for each chosen test: the latest before it, else the first after.
    const std::pair<int, int> offers[] = {{second, 0}, {third, 1}, {first, 0}};
    for (const auto& [chosen, offered] : offers) {
        SCOPED_TRACE(chosen);
        chooseId(chosen);
        QTest::mouseClick(screen()->compareButton(), Qt::LeftButton);
        EXPECT_EQ(asked.tests.size(), 2);
        EXPECT_EQ(asked.offered, offered) << str(asked.tests.join(u", "));
        const QList<ComparisonWindow*> windows = openWindows();
        ASSERT_EQ(windows.size(), 1);
        ComparisonWindow* window = windows.first();
        const Comparison& c = window->comparison();
        EXPECT_EQ(c.later.id, chosen == first ? second : chosen);
        ASSERT_FALSE(c.sections[0].rows.empty());
        // Every domain's table as the comparison has it, the note where a change is marked.
        for (int d = 0; d < kDomainCount; ++d) {
            window->domains()->setCurrentIndex(d);
            const ComparisonSection& section = c.sections[size_t(d)];
            ASSERT_EQ(window->table()->rowCount(), int(section.rows.size()));
            for (int r = 0; r < int(section.rows.size()); ++r) {
                EXPECT_EQ(window->table()->item(r, 0)->text(), section.rows[size_t(r)].label);
                EXPECT_EQ(window->table()->item(r, 3)->text(), ChangeText(section.rows[size_t(r)]));
            }
            EXPECT_EQ(window->note()->text().contains(u8("standardavvik")), section.anyMarked());
        }
        // Copied: a table with the shown domain's rows.
        window->domains()->setCurrentIndex(0);
        QTest::mouseClick(window->copyButton(), Qt::LeftButton);
        const ReadDocument copied = readHtml(QGuiApplication::clipboard()->mimeData()->html());
        ASSERT_EQ(copied.tables.size(), 1u);
        EXPECT_EQ(copied.tables[0].size(), c.sections[0].rows.size() + 1);
        if (chosen == second)
            saveScreenshot(*window, QStringLiteral("comparison-table"));
        window->domains()->setCurrentIndex(ComparisonWindow::kProfileItem);
        if (chosen == second)
            saveScreenshot(*window, QStringLiteral("comparison-profile"));
        QTest::mouseClick(window->copyButton(), Qt::LeftButton);
        EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
        window->close();
        QCoreApplication::processEvents();
    }

    // Saved as a document through the program's own button.
    QTemporaryDir out;
    const QString odt = out.filePath(QStringLiteral("kari.odt"));
    SetDocumentFileChooser([&](QWidget*) { return odt; });
    chooseId(third);
    QTest::mouseClick(screen()->compareButton(), Qt::LeftButton);
    ASSERT_EQ(openWindows().size(), 1);
    QTest::mouseClick(openWindows().first()->documentButton(), Qt::LeftButton);
    EXPECT_EQ(readOdt(odt).tables.size(), size_t(kDomainCount));
    openWindows().first()->close();
    SetDocumentFileChooser({});

    sink.messages.clear();
    chooseId(alone);
    asked = {};
    QTest::mouseClick(screen()->compareButton(), Qt::LeftButton);
    EXPECT_EQ(asked.offered, -1) << "nothing to choose from";
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].text.startsWith(u8("Barnet har ingen annen test"))) << str(sink.messages[0].text);
    EXPECT_TRUE(openWindows().isEmpty());
    ArchiveScreen::SetComparisonChooser({});
}

// The sorted column shows which way it sorts; a search that finds nothing says so.
TEST_F(ArchiveChild, TheSortedColumnIsMarkedAndAnEmptySearchSaysSo)
{
    storeChild("Anne", {2005, 1, 1}, {2012, 1, 1});
    storeChild("Bo", {2006, 1, 1}, {2013, 1, 1});
    open();
    QHeaderView* header = list()->header();
    EXPECT_FALSE(header->isSortIndicatorShown()) << "opening order: by number, which has no column";
    for (const int column : {0, 2, ArchiveModel::kChildTestsColumn}) {
        SCOPED_TRACE(column);
        clickHeader(column);
        ASSERT_TRUE(header->isSortIndicatorShown());
        EXPECT_EQ(header->sortIndicatorSection(), column);
        EXPECT_EQ(header->sortIndicatorOrder() == Qt::DescendingOrder, ctx.archiveDescending);
    }
    EXPECT_FALSE(screen()->listNotice()->isVisible());
    QTest::keyClicks(screen()->searchField(), QStringLiteral("zzz"));
    EXPECT_EQ(rows()->rowCount(), 0);
    EXPECT_TRUE(screen()->listNotice()->isVisible());
    EXPECT_EQ(screen()->listNotice()->text(), u8("Ingen tester passer til søket"));
    screen()->searchField()->clear();
    EXPECT_EQ(rows()->rowCount(), 2);
    EXPECT_FALSE(screen()->listNotice()->isVisible());
}
