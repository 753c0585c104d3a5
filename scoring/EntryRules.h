#pragma once
// What may be entered for a test at the child's age: the raw score maxima, the sorting sum and
// the card grid's trials. The entry dialogs judge what is typed by these rules, the import what
// a file brings, so that a stored test never holds what the dialogs would have refused.

#include "model/TestRecord.h"

#include <QString>

#include <array>
#include <optional>

namespace tavlo {

// Raw scores.

// The highest value of a measure's field at these years; where the age sets no bound, the
// highest the field lets be typed.
int RawScoreLimit(Key measure, int years);
// Not entered, or 0 up to RawScoreLimit.
bool RawScoreAllowed(Key measure, int value, int years);
// From 7 years the sorting subtest's new errors, repeated sortings and correct sortings add
// up to at most 20; a total not entered counts as -9, as it always has.
bool SortingSumTooHigh(const TestData& scores, int years);
QString SortingSumText();

// The card grid: seven blocks of 16 cells, trials 1-6 and the delayed recall (7).

inline constexpr int kCardBlockCount = 7;
inline constexpr int kCardBlockCells = 16;
using CardBlock = std::array<int, kCardBlockCells>;

struct CardRule {
    int highestCard; // cards are numbered 1 to this
    int mostCards;
};

CardRule CardRuleOf(int block, int years);
// The rule a block has at some age that allows the most: a stored test may hold cards from
// an earlier test date, when the child was younger or older.
CardRule LoosestCardRule(int block);
// Up to 4 years trials 1-4; from 5 years trials 2-6 and the delayed recall.
bool CardBlockShown(int block, int years);
// The block's 16 cells of the grid.
CardBlock CardBlockOf(const TestDataMF& grid, int block);

enum class CardFault { None, InvalidCard, TooManyCards, CardTwice };
struct CardCheck {
    CardFault fault = CardFault::None;
    // 1-16: the invalid card; the first card over the limit; the second of two alike.
    int cell = 0;
    int count = 0; // cards in the block, for TooManyCards
};
// A block's cells in the dialog's order: each value first, then the count, then duplicates.
CardCheck CheckCardBlock(const CardBlock& cells, const CardRule& rule);

QString CardBlockName(int block);
QString InvalidCardText(int block, int cell);
QString TooManyCardsText(int block, int count, int limit);
QString CardTwiceText(int block);

// A whole stored test.

struct EntryRefusal {
    std::optional<Key> measure; // the refused raw score, or
    int cell = 0;               // the refused grid cell, 1-112
    QString reason;             // Norwegian, to follow the name of the field
};
// The first raw score or card, in the export's column order, that the dialogs would not have
// taken at the test's age; the sorting sum after the raw scores. Trials not shown at that age
// are judged by their loosest rule.
std::optional<EntryRefusal> CheckStoredEntries(const TestRecord& test);

} // namespace tavlo
