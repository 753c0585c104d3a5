#include "Ages.h"
#include "RecordingSink.h"
#include "Screenshots.h"
#include "entry/CardGridDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;

namespace {

const QString kDiscardQuestion = QStringLiteral("Det du har skrevet inn, er ikke lagret. Vil du forkaste det?");

int firstCell(int block)
{
    return 16 * (block - 1) + 1;
}

// Types the blank-separated cards into the cells from n on, one cell each.
void place(CardGridDialog& dialog, int n, const QString& cards)
{
    for (const QString& card : cards.split(u' ')) {
        dialog.cell(n)->clear();
        QTest::keyClicks(dialog.cell(n++), card);
    }
}

} // namespace

TEST(CardGrid, TrialsShownAndDisabledFollowTheYearsOfTheTestAge)
{
    struct Case {
        int years;
        QString shown, disabled; // block numbers
        int focusBlock;
    };
    for (const Case& c : {Case{3, QStringLiteral("1234"), QString(), 1}, Case{5, QStringLiteral("234567"), QStringLiteral("6"), 2},
                          Case{6, QStringLiteral("234567"), QStringLiteral("6"), 2},
                          Case{7, QStringLiteral("234567"), QStringLiteral("2"), 3}}) {
        SCOPED_TRACE(c.years);
        TestRecord t = childAged(c.years, 11);
        CardGridDialog dialog(t);
        const bool young = c.years <= 4;
        EXPECT_EQ(dialog.size(), QSize(345, young ? 395 : 510));
        for (int block = 1; block <= 7; ++block) {
            EXPECT_EQ(dialog.blockLabel(block)->isVisibleTo(&dialog), c.shown.contains(QString::number(block))) << block;
            EXPECT_EQ(dialog.cell(firstCell(block) + 9)->isVisibleTo(&dialog), c.shown.contains(QString::number(block)));
            EXPECT_EQ(dialog.cell(firstCell(block) + 9)->isEnabled(), !c.disabled.contains(QString::number(block)));
        }
        // The last cell of the bottom right block, and the buttons below.
        EXPECT_EQ(dialog.cell(firstCell(young ? 4 : 7) + 15)->geometry(), QRect(290, young ? 265 : 385, 28, 23));
        EXPECT_EQ(dialog.okButton()->geometry(), QRect(20, young ? 320 : 435, 100, 40));
        EXPECT_EQ(dialog.focusWidget(), dialog.cell(firstCell(c.focusBlock)));
    }

    for (int years : {4, 9}) {
        TestRecord t = childAged(years, 2);
        t.grid.cell(years <= 4 ? 20 : 21) = 8; // read-only at 9 years
        CardGridDialog dialog(t);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("TAVLO-II  Hukommelse for figurer (HF)"));
        place(dialog, firstCell(years <= 4 ? 1 : 7), QStringLiteral("3 12 7"));
        tavlo::test::saveScreenshot(dialog, QStringLiteral("card-grid-%1-years").arg(years));
    }
}

TEST(CardGrid, AWrongCardNumberNamesItsCellAndCancelKeepsTheCellsBeforeIt)
{
    TestRecord t = childAged(4, 11);
    RecordingSink sink;
    CardGridDialog dialog(t);
    dialog.show();
    QTest::keyClicks(dialog.cell(1), QStringLiteral("a1-b +2 3"));
    EXPECT_EQ(dialog.cell(1)->text(), QStringLiteral("12")) << "two digits and nothing else";
    for (const QString& wrong : {QStringLiteral("5"), QStringLiteral("0")}) {
        SCOPED_TRACE(wrong.toStdString());
        sink.messages.clear();
        place(dialog, 1, QStringLiteral("1 2 ") + wrong);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Ugyldig verdi i rute 3, Forsøk 1")});
        EXPECT_EQ(sink.messages.value(0).caption, QStringLiteral("TAVLO-II"));
        EXPECT_EQ(sink.messages.value(0).icon, MessageIcon::Exclamation);
        EXPECT_EQ(dialog.focusWidget(), dialog.cell(3));
        EXPECT_EQ(dialog.cell(3)->selectedText(), wrong);
        EXPECT_TRUE(dialog.isVisible());
    }
    sink.answers = {true};
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(sink.messages.last().text, kDiscardQuestion);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(t.grid.cell(1), 1);
    EXPECT_EQ(t.grid.cell(2), 2);
    EXPECT_EQ(t.grid.cell(3), NOT_ENTERED);
}

TEST(CardGrid, CancelAsksFirstWhenACellWasChanged)
{
    RecordingSink sink;
    TestRecord t = childAged(9, 0);
    t.grid.cell(33) = 7;
    const std::function<void(CardGridDialog&)> ways[] = {
        [](CardGridDialog& d) { QTest::keyClick(d.cell(33), Qt::Key_Escape); },
        [](CardGridDialog& d) { QTest::mouseClick(d.cancelButton(), Qt::LeftButton); },
        [](CardGridDialog& d) { d.close(); }, // the title bar, Alt+F4
    };
    for (const auto& cancel : ways) {
        CardGridDialog dialog(t);
        dialog.show();
        place(dialog, 33, QStringLiteral("8"));
        sink.messages.clear();
        cancel(dialog); // answered with the default
        ASSERT_EQ(sink.texts(), QStringList{kDiscardQuestion});
        EXPECT_TRUE(sink.messages[0].question);
        EXPECT_TRUE(dialog.isVisible()) << "Nei keeps the dialog";
        EXPECT_EQ(dialog.cell(33)->text(), QStringLiteral("8"));
        sink.answers = {true};
        cancel(dialog);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_EQ(t.grid.cell(33), 7) << "nothing copied";
    }

    // Emptied and typed back again is no change.
    CardGridDialog dialog(t);
    dialog.show();
    place(dialog, 33, QStringLiteral("7"));
    sink.messages.clear();
    QTest::keyClick(dialog.cell(33), Qt::Key_Escape);
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_FALSE(dialog.isVisible());
}

TEST(CardGrid, EachTrialHasItsOwnCardNumbersCountAndDuplicateCheck)
{
    struct Case {
        int years, block;
        QString cards;
        QString message; // empty: accepted
    };
    const Case cases[] = {
        {4, 1, QStringLiteral("4 3 2 1"), QString()},
        {5, 2, QStringLiteral("1 2 3 4 5"),
         QStringLiteral("Det er fylt inn 5 kort på Forsøk 2. Det kan registreres maks 4 kort på Forsøk 2.")},
        {9, 7, QStringLiteral("3 20 3 1"), QStringLiteral("Utsatt hukommelse: Samme kort kan ikke registreres flere ganger.")},
        {9, 7, QStringLiteral("11 12 13 14 15 16 17 18 19 20"), QString()},
        {9, 7, QStringLiteral("21"), QStringLiteral("Ugyldig verdi i rute 1, Utsatt hukommelse.")},
        {9, 7, QStringLiteral("1 2 3 4 5 6 7 8 9 10 11"),
         QStringLiteral("Det er fylt inn 11 kort på Utsatt hukommelse. Det kan registreres maks 10 kort på Utsatt hukommelse.")},
        {6, 7, QStringLiteral("16 17"), QStringLiteral("Ugyldig verdi i rute 2, Utsatt hukommelse.")},
        {6, 7, QStringLiteral("1 2 3 4 5 6 7 8 9"),
         QStringLiteral("Det er fylt inn 9 kort på Utsatt hukommelse. Det kan registreres maks 8 kort på Utsatt hukommelse.")},
        {8, 6, QStringLiteral("20 7 7"), QStringLiteral("Forsøk 6: Samme kort kan ikke registreres flere ganger.")},
        {3, 4, QStringLiteral("12 13"), QStringLiteral("Ugyldig verdi i rute 2, Forsøk 4")},
    };
    RecordingSink sink;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cards.toStdString());
        sink.messages.clear();
        TestRecord t = childAged(c.years, 5);
        CardGridDialog dialog(t);
        place(dialog, firstCell(c.block), c.cards);
        QWidget* focus = dialog.focusWidget();
        EXPECT_EQ(dialog.checkCardGrid(), c.message.isEmpty());
        EXPECT_EQ(sink.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (c.message.startsWith(u"Ugyldig"))
            continue;
        EXPECT_EQ(dialog.focusWidget(), focus);
        // Counted and duplicate cards reach the record all the same.
        const QStringList cards = c.cards.split(u' ');
        for (int i = 0; i < cards.size(); ++i)
            EXPECT_EQ(t.grid.cell(firstCell(c.block) + i), cards[i].toInt());
    }
}

TEST(CardGrid, ReadOnlyTrialsAreCheckedAndCopiedAndHiddenOnesAreLeftAlone)
{
    RecordingSink sink;
    // From 7 years trial 2 cannot be typed in, but a stored test's cards there still count.
    TestRecord seven = childAged(7, 0);
    for (int i = 0; i < 5; ++i)
        seven.grid.cell(17 + i) = i + 1;
    CardGridDialog sevenDialog(seven);
    EXPECT_FALSE(sevenDialog.checkCardGrid());
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral(
                                "Det er fylt inn 5 kort på Forsøk 2. Det kan registreres maks 4 kort på Forsøk 2.")});

    TestRecord five = childAged(5, 6);
    five.grid.cell(81) = 20;
    CardGridDialog fiveDialog(five);
    five.grid.cell(81) = NOT_ENTERED; // so that only the copy can put it back
    EXPECT_TRUE(fiveDialog.checkCardGrid());
    EXPECT_EQ(five.grid.cell(81), 20);

    // Below 5 years trials 5, 6 and the delayed recall are neither checked nor touched; from
    // 5 years trial 1 is not.
    for (int years : {4, 9}) {
        sink.messages.clear();
        TestRecord t = childAged(years, 0);
        const int first = years <= 4 ? firstCell(5) : firstCell(1);
        for (int n = first; n < first + (years <= 4 ? 48 : 16); ++n)
            t.grid.cell(n) = 99;
        const TestDataMF stored = t.grid;
        CardGridDialog dialog(t);
        EXPECT_TRUE(dialog.checkCardGrid());
        EXPECT_TRUE(sink.messages.isEmpty()) << years;
        EXPECT_EQ(t.grid, stored) << years;
    }
}

TEST(CardGrid, OpensWithTheStoredCardsAndAnEmptyCellIsNoCard)
{
    RecordingSink sink;
    for (int years : {3, 9}) {
        TestRecord t = childAged(years, 0);
        CardGridDialog dialog(t);
        EXPECT_TRUE(dialog.checkCardGrid()) << years;
        EXPECT_EQ(t.grid, TestDataMF()) << years;
    }

    TestRecord t = childAged(9, 0);
    t.grid.cell(33) = 7;
    t.grid.cell(97) = 12;
    t.grid.cell(50) = 123; // too long to type: shown whole and refused, never cut to 12
    CardGridDialog dialog(t);
    EXPECT_EQ(dialog.cell(33)->text(), QStringLiteral("7"));
    EXPECT_EQ(dialog.cell(97)->text(), QStringLiteral("12"));
    EXPECT_EQ(dialog.cell(34)->text(), QString());
    EXPECT_EQ(dialog.cell(50)->text(), QStringLiteral("123"));
    EXPECT_FALSE(dialog.checkCardGrid());
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Ugyldig verdi i rute 2, Forsøk 4")});

    QTest::keyClick(dialog.cell(33), Qt::Key_End);
    QTest::keyClick(dialog.cell(33), Qt::Key_Backspace);
    QTest::keyClicks(dialog.cell(50), QStringLiteral("9")); // replaces the selection
    dialog.show();
    QTest::keyClick(dialog.cell(50), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(t.grid.cell(33), NOT_ENTERED);
    EXPECT_EQ(t.grid.cell(50), 9);
    EXPECT_EQ(t.grid.cell(97), 12);
}
