#include "scoring/EntryRules.h"

#include "scoring/NormTables.h"

#include <algorithm>
#include <array>

namespace tavlo {

namespace {

// What a raw score field lets be typed: three digits.
constexpr int kTypedLimit = 999;
// Past the last age band nothing changes: the maxima and trials of 13 years and over hold.
constexpr int kOldestYears = 17;

} // namespace

int RawScoreLimit(Key measure, int years)
{
    // Asked for every measure of every test an import reads: found by its key, not by a walk.
    static const auto byKey = [] {
        std::array<const RawMaxima*, kKeyCount> index{};
        for (int key = 0; key < kKeyCount; ++key)
            index[size_t(key)] = normTables().rawMaxima(Key(key));
        return index;
    }();
    const RawMaxima* maxima = size_t(measure) < byKey.size() ? byKey[size_t(measure)] : nullptr;
    const int max = maxima ? (*maxima)[size_t(MaximaColumn(years))] : 0;
    return max != 0 ? max : kTypedLimit;
}

bool RawScoreAllowed(Key measure, int value, int years)
{
    return value == NOT_ENTERED || (value >= 0 && value <= RawScoreLimit(measure, years));
}

bool SortingSumTooHigh(const TestData& scores, int years)
{
    // Wide enough for what a file may hold, before its values are checked.
    const long long sum = 0LL + scores.DS_N + scores.DS_REP + scores.DS_R;
    return years >= 7 && sum > 20;
}

QString SortingSumText()
{
    return QStringLiteral("Feilaktige verdier på Dyresortering. Summen av antallet feil (Nye sorteringsfeil Totalt samt Gjentatte sorteringer Totalt) og Riktige sorteringer Totalt kan ikke overstige 20. Se over og korriger feilaktige verdier.");
}

CardRule CardRuleOf(int block, int years)
{
    static constexpr CardRule kTrials[6] = {{4, 4}, {8, 4}, {10, 6}, {12, 6}, {16, 8}, {20, 10}};
    // The delayed recall asks for the cards of the child's last trial.
    if (block == 7)
        return years <= 6 ? kTrials[4] : kTrials[5];
    return kTrials[block - 1];
}

CardRule LoosestCardRule(int block)
{
    CardRule loosest{0, 0};
    for (int years = 0; years <= kOldestYears; ++years) {
        const CardRule rule = CardRuleOf(block, years);
        loosest = {std::max(loosest.highestCard, rule.highestCard), std::max(loosest.mostCards, rule.mostCards)};
    }
    return loosest;
}

bool CardBlockShown(int block, int years)
{
    return years <= 4 ? block <= 4 : block >= 2;
}

CardBlock CardBlockOf(const TestDataMF& grid, int block)
{
    CardBlock cells;
    for (int k = 1; k <= kCardBlockCells; ++k)
        cells[size_t(k - 1)] = grid.cell(kCardBlockCells * (block - 1) + k);
    return cells;
}

CardCheck CheckCardBlock(const CardBlock& cells, const CardRule& rule)
{
    CardCheck check;
    int overLimit = 0;
    int twice = 0;
    std::array<bool, 21> seen{}; // by card number; no trial has more than 20 cards
    for (int k = 1; k <= kCardBlockCells; ++k) {
        const int value = cells[size_t(k - 1)];
        if (value == NOT_ENTERED)
            continue;
        if (value < 1 || value > rule.highestCard || value >= int(seen.size()))
            return {CardFault::InvalidCard, k, 0};
        if (++check.count == rule.mostCards + 1)
            overLimit = k;
        if (seen[size_t(value)] && !twice)
            twice = k;
        seen[size_t(value)] = true;
    }
    if (overLimit)
        return {CardFault::TooManyCards, overLimit, check.count};
    if (twice)
        return {CardFault::CardTwice, twice, check.count};
    return check;
}

QString CardBlockName(int block)
{
    return block == 7 ? QStringLiteral("Utsatt hukommelse") : QStringLiteral("Forsøk %1").arg(block);
}

QString InvalidCardText(int block, int cell)
{
    if (block == 7)
        return QStringLiteral("Ugyldig verdi i rute %1, Utsatt hukommelse.").arg(cell);
    return QStringLiteral("Ugyldig verdi i rute %1, Forsøk %2").arg(cell).arg(block);
}

QString TooManyCardsText(int block, int count, int limit)
{
    return QStringLiteral("Det er fylt inn %1 kort på %2. Det kan registreres maks %3 kort på %2.")
        .arg(QString::number(count), CardBlockName(block), QString::number(limit));
}

QString CardTwiceText(int block)
{
    return CardBlockName(block) + QStringLiteral(": Samme kort kan ikke registreres flere ganger.");
}

namespace {

std::optional<EntryRefusal> checkStoredBlock(const TestDataMF& grid, int block, int years)
{
    const CardRule rule = CardBlockShown(block, years) ? CardRuleOf(block, years) : LoosestCardRule(block);
    const CardBlock cells = CardBlockOf(grid, block);
    const CardCheck check = CheckCardBlock(cells, rule);
    const int value = check.cell ? cells[size_t(check.cell - 1)] : 0;
    QString reason;
    switch (check.fault) {
    case CardFault::None:
        return std::nullopt;
    case CardFault::InvalidCard:
        reason = QStringLiteral("%1 er ikke et kort i %2. Kortene der er nummerert 1 til %3.")
                     .arg(value)
                     .arg(CardBlockName(block))
                     .arg(rule.highestCard);
        break;
    case CardFault::TooManyCards:
        reason = TooManyCardsText(block, check.count, rule.mostCards);
        break;
    case CardFault::CardTwice: {
        const auto first = std::find(cells.begin(), cells.end(), value) - cells.begin() + 1;
        reason = CardTwiceText(block) + QStringLiteral(" Kort %1 står også i rute %2.").arg(value).arg(first);
        break;
    }
    }
    return EntryRefusal{std::nullopt, kCardBlockCells * (block - 1) + check.cell, reason};
}

} // namespace

std::optional<EntryRefusal> CheckStoredEntries(const TestRecord& test)
{
    const TestAge age = test.testAge();
    for (const MeasureInfo& m : measures()) {
        const int value = test.scores[m.key];
        if (!RawScoreAllowed(m.key, value, age.years))
            return EntryRefusal{m.key, 0,
                                QStringLiteral("%1 er ikke en gyldig verdi. Ved testalderen %2 kan feltet ha 0 til %3, "
                                               "eller være tomt (ikke registrert).")
                                    .arg(value)
                                    .arg(FormatTestAge(age))
                                    .arg(RawScoreLimit(m.key, age.years))};
    }
    if (SortingSumTooHigh(test.scores, age.years))
        return EntryRefusal{Key::DS_N, 0, SortingSumText()};
    for (int block = 1; block <= kCardBlockCount; ++block) {
        if (auto refusal = checkStoredBlock(test.grid, block, age.years))
            return refusal;
    }
    return std::nullopt;
}

} // namespace tavlo
