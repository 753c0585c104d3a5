// The card grid against its tables, every block at every age that uses it: the card numbers,
// the number of cards, duplicates, each message exactly, and which blocks are shown or greyed.
// Both tables below are transcribed by hand from the card grid's tables, block by block.

#include "Ages.h"
#include "RecordingSink.h"
#include "entry/CardGridDialog.h"

#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <map>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;

namespace {

struct BlockRow {
    int block;
    const char* label;
    int firstCell, lastCell; // MF cells
    int highestCard;         // cards 1 to this (for block 7: at 5 and 6 years)
    int mostCards;
    int highestCardFrom7;    // block 7 from 7 years; the same as above for blocks 1-6
    int mostCardsFrom7;
    const char* shownFor;    // "all", "Y ≤ n" or "Y ≥ n"
    const char* disabledFor; // "", "Y ≥ n" or "Y = a and b"
};

// clang-format off
const BlockRow kBlocks[7] = {
    {1, "Forsøk 1",          1,  16,  4,  4,  4,  4, "Y ≤ 4", ""},
    {2, "Forsøk 2",          17, 32,  8,  4,  8,  4, "all",   "Y ≥ 7"},
    {3, "Forsøk 3",          33, 48, 10,  6, 10,  6, "all",   ""},
    {4, "Forsøk 4",          49, 64, 12,  6, 12,  6, "all",   ""},
    {5, "Forsøk 5",          65, 80, 16,  8, 16,  8, "Y ≥ 5", ""},
    {6, "Forsøk 6",          81, 96, 20, 10, 20, 10, "Y ≥ 5", "Y = 5 and 6"},
    {7, "Utsatt hukommelse", 97, 112, 16, 8, 20, 10, "Y ≥ 5", ""},
};

struct MessageRow {
    int block;
    const char* invalidValue; // %d: the cell within the block
    const char* tooManyCards; // %d: the count (block 7: then the limit)
    const char* duplicateCard;
};

const MessageRow kMessages[7] = {
    {1, "Ugyldig verdi i rute %d, Forsøk 1", "Det er fylt inn %d kort på Forsøk 1. Det kan registreres maks 4 kort på Forsøk 1.", "Forsøk 1: Samme kort kan ikke registreres flere ganger."},
    {2, "Ugyldig verdi i rute %d, Forsøk 2", "Det er fylt inn %d kort på Forsøk 2. Det kan registreres maks 4 kort på Forsøk 2.", "Forsøk 2: Samme kort kan ikke registreres flere ganger."},
    {3, "Ugyldig verdi i rute %d, Forsøk 3", "Det er fylt inn %d kort på Forsøk 3. Det kan registreres maks 6 kort på Forsøk 3.", "Forsøk 3: Samme kort kan ikke registreres flere ganger."},
    {4, "Ugyldig verdi i rute %d, Forsøk 4", "Det er fylt inn %d kort på Forsøk 4. Det kan registreres maks 6 kort på Forsøk 4.", "Forsøk 4: Samme kort kan ikke registreres flere ganger."},
    {5, "Ugyldig verdi i rute %d, Forsøk 5", "Det er fylt inn %d kort på Forsøk 5. Det kan registreres maks 8 kort på Forsøk 5.", "Forsøk 5: Samme kort kan ikke registreres flere ganger."},
    {6, "Ugyldig verdi i rute %d, Forsøk 6", "Det er fylt inn %d kort på Forsøk 6. Det kan registreres maks 10 kort på Forsøk 6.", "Forsøk 6: Samme kort kan ikke registreres flere ganger."},
    {7, "Ugyldig verdi i rute %d, Utsatt hukommelse.", "Det er fylt inn %d kort på Utsatt hukommelse. Det kan registreres maks %d kort på Utsatt hukommelse.", "Utsatt hukommelse: Samme kort kan ikke registreres flere ganger."},
};
// clang-format on

// Whether a condition of the block table holds at these years.
bool holds(const char* condition, int years)
{
    const QString c = QString::fromUtf8(condition);
    if (c.isEmpty())
        return false;
    if (c == QStringLiteral("all"))
        return true;
    const QStringList parts = c.split(u' ');
    if (parts.size() == 3 && parts[1] == QStringLiteral("≤"))
        return years <= parts[2].toInt();
    if (parts.size() == 3 && parts[1] == QStringLiteral("≥"))
        return years >= parts[2].toInt();
    if (parts.size() == 5 && parts[1] == QStringLiteral("=") && parts[3] == QStringLiteral("and"))
        return years == parts[2].toInt() || years == parts[4].toInt();
    ADD_FAILURE() << "unreadable condition " << condition;
    return false;
}

// A message of the table with its %d filled in, in order.
QString fill(const char* message, int first, int second = 0)
{
    QString text = QString::fromUtf8(message);
    for (int value : {first, second}) {
        const qsizetype at = text.indexOf(QStringLiteral("%d"));
        if (at >= 0)
            text.replace(at, 2, QString::number(value));
    }
    return text;
}

const int kAges[] = {3, 4, 5, 6, 7, 9, 12, 13, 16};

std::string where(int block, int years)
{
    return "block " + std::to_string(block) + " at " + std::to_string(years) + " years";
}

class CardGridTable : public ::testing::Test {
protected:
    void open(int years)
    {
        test = childAged(years, 6);
        dialog = std::make_unique<CardGridDialog>(test);
    }
    // Empties the grid, then puts card i into cell (within block) i; 0 leaves a cell empty.
    bool check(int block, const std::map<int, int>& cards)
    {
        for (int n = 1; n <= 112; ++n)
            dialog->cell(n)->setText(QString());
        for (const auto& [k, card] : cards)
            dialog->cell(kBlocks[block - 1].firstCell + k - 1)->setText(QString::number(card));
        sink.messages.clear();
        return dialog->checkCardGrid();
    }
    QStringList told() const { return sink.texts(); }

    TestRecord test;
    RecordingSink sink;
    std::unique_ptr<CardGridDialog> dialog;
};

} // namespace

TEST_F(CardGridTable, EveryBlockTakesItsHighestCardAndRefusesTheNextNamingTheCell)
{
    for (int years : kAges) {
        open(years);
        for (const BlockRow& b : kBlocks) {
            if (!holds(b.shownFor, years))
                continue;
            const MessageRow& m = kMessages[b.block - 1];
            const int highest = years >= 7 ? b.highestCardFrom7 : b.highestCard;
            const int k = 1 + (b.block * 5 + years) % 16; // a different cell for each case
            EXPECT_TRUE(check(b.block, {{k, highest}})) << where(b.block, years) << " refused card " << highest << ": "
                                                        << told().join(u'\n').toStdString();
            EXPECT_TRUE(told().isEmpty()) << where(b.block, years);
            EXPECT_EQ(test.grid.cell(b.firstCell + k - 1), highest) << where(b.block, years) << " not copied";

            EXPECT_FALSE(check(b.block, {{k, highest + 1}})) << where(b.block, years) << " took card " << highest + 1;
            EXPECT_EQ(told(), QStringList{fill(m.invalidValue, k)}) << where(b.block, years);
            const int other = 17 - k;
            EXPECT_FALSE(check(b.block, {{other, 0}})) << where(b.block, years) << " took card 0";
            EXPECT_EQ(told(), QStringList{fill(m.invalidValue, other)}) << where(b.block, years);
        }
    }
}

TEST_F(CardGridTable, EveryBlockTakesItsMostCardsAndRefusesOneMore)
{
    for (int years : kAges) {
        open(years);
        for (const BlockRow& b : kBlocks) {
            if (!holds(b.shownFor, years))
                continue;
            const MessageRow& m = kMessages[b.block - 1];
            const int highest = years >= 7 ? b.highestCardFrom7 : b.highestCard;
            const int most = years >= 7 ? b.mostCardsFrom7 : b.mostCards;
            // Different cards, the highest ones, from the last cell backwards.
            std::map<int, int> cards;
            for (int i = 0; i < most; ++i)
                cards[16 - i] = highest - i;
            EXPECT_TRUE(check(b.block, cards)) << where(b.block, years) << " refused " << most << " cards: "
                                               << told().join(u'\n').toStdString();
            EXPECT_TRUE(told().isEmpty()) << where(b.block, years);

            // One card more; where no other number is left, a repeated one: the count is told first.
            cards[1] = highest - most >= 1 ? highest - most : highest;
            EXPECT_FALSE(check(b.block, cards)) << where(b.block, years) << " took " << most + 1 << " cards";
            EXPECT_EQ(told(), QStringList{fill(m.tooManyCards, most + 1, most)}) << where(b.block, years);
            for (const auto& [k, card] : cards)
                EXPECT_EQ(test.grid.cell(b.firstCell + k - 1), card) << where(b.block, years) << ": counted cards are copied";
        }
    }
}

TEST_F(CardGridTable, EveryBlockRefusesTheSameCardTwice)
{
    for (int years : kAges) {
        open(years);
        for (const BlockRow& b : kBlocks) {
            if (!holds(b.shownFor, years))
                continue;
            const int highest = years >= 7 ? b.highestCardFrom7 : b.highestCard;
            EXPECT_FALSE(check(b.block, {{2, highest}, {3, 1}, {11, highest}})) << where(b.block, years);
            EXPECT_EQ(told(), QStringList{QString::fromUtf8(kMessages[b.block - 1].duplicateCard)}) << where(b.block, years);
        }
    }
}

TEST_F(CardGridTable, BlocksShownHiddenAndGreyedByAge)
{
    for (int years : kAges) {
        open(years);
        for (const BlockRow& b : kBlocks) {
            const bool shown = holds(b.shownFor, years);
            const std::string at = where(b.block, years);
            ASSERT_NE(dialog->blockLabel(b.block), nullptr) << at;
            EXPECT_EQ(dialog->blockLabel(b.block)->text(), QString::fromUtf8(b.label)) << at;
            EXPECT_EQ(dialog->blockLabel(b.block)->isVisibleTo(dialog.get()), shown) << at;
            for (int n = b.firstCell; n <= b.lastCell; ++n) {
                EXPECT_EQ(dialog->cell(n)->isVisibleTo(dialog.get()), shown) << at << ", cell MF" << n;
                if (shown) {
                    EXPECT_EQ(dialog->cell(n)->isEnabled(), !holds(b.disabledFor, years)) << at << ", cell MF" << n;
                }
            }
            // A hidden block is not checked: a wrong number there passes and stays in the record.
            if (!shown) {
                TestRecord stored = childAged(years, 6);
                stored.grid.cell(b.firstCell + 4) = 99;
                CardGridDialog again(stored);
                sink.messages.clear();
                EXPECT_TRUE(again.checkCardGrid()) << at << ": " << told().join(u'\n').toStdString();
                EXPECT_EQ(stored.grid.cell(b.firstCell + 4), 99) << at;
            }
        }
    }
}
