#include "scoring/Scoring.h"

#include <array>

namespace tavlo {

namespace {

// The position (1-16) where each target card belongs, the same in every block.
constexpr std::pair<int, int> kDesign[] = {{1, 7}, {2, 6}, {3, 11}, {4, 10}, {9, 2},
                                           {10, 12}, {13, 16}, {14, 13}, {17, 5}, {18, 4}};

int foilOf(int target)
{
    switch (target) {
    case 1: case 2: case 3: case 4:
        return target + 4;
    case 9: case 10: case 13: case 14: case 17: case 18:
        return target + 2;
    default:
        return 0;
    }
}

struct RuleSet {
    int targets; // the first n targets of kDesign are scored
    int foils;   // foils counted for the first n targets
};

// R1 to R6.
constexpr RuleSet kRules[] = {{4, 0}, {4, 4}, {6, 4}, {6, 6}, {8, 8}, {10, 10}};

struct BlockScore {
    int content = 0;
    int placement = 0;
    int bonus = 0;
};

BlockScore scoreBlock(const TestRecord& t, int block, int rule)
{
    const RuleSet& r = kRules[rule - 1];
    std::array<int, 17> at{}; // at[p] = card on position p
    for (int p = 1; p <= 16; ++p)
        at[size_t(p)] = t.grid.cell(16 * (block - 1) + p);
    const auto count = [&](int card) {
        int n = 0;
        for (int p = 1; p <= 16; ++p)
            n += at[size_t(p)] == card;
        return n;
    };
    BlockScore s;
    for (int i = 0; i < r.targets; ++i) {
        const auto [target, position] = kDesign[i];
        // Each target cell +2 less one per foil cell; each counted foil cell +1 less one per
        // target cell. With every card once: target alone 2, foil alone 1, both 1.
        const int targets = count(target);
        const int foils = i < r.foils ? count(foilOf(target)) : 0;
        s.content += targets * (2 - foils) + foils * (1 - targets);
        if (at[size_t(position)] != NOT_ENTERED)
            ++s.placement;
        if (at[size_t(position)] == target)
            s.bonus += 2;
    }
    return s;
}

// Writes the part's three scores, or -9 for all when its total is 0.
void writePart(TestRecord& t, Key content, Key placement, Key total, const BlockScore& sum)
{
    const int score = sum.content + sum.placement + sum.bonus;
    t.setRaw(content, score == 0 ? NOT_ENTERED : sum.content);
    t.setRaw(placement, score == 0 ? NOT_ENTERED : sum.placement);
    t.setRaw(total, score == 0 ? NOT_ENTERED : score);
}

} // namespace

void ScoreMemoryForDesigns(TestRecord& t)
{
    const int age = t.testAge().years;
    // Part A: four trials by age, each under its own rule set; part B: the delayed recall.
    const int firstBlock = age <= 4 ? 1 : (age <= 6 ? 2 : 3);
    BlockScore a;
    for (int i = 0; i < 4; ++i) {
        const BlockScore s = scoreBlock(t, firstBlock + i, firstBlock + i);
        a.content += s.content;
        a.placement += s.placement;
        a.bonus += s.bonus;
    }
    writePart(t, Key::MF_A_I, Key::MF_A_P, Key::MF_A_T, a);
    if (age >= 5)
        writePart(t, Key::MF_B_I, Key::MF_B_P, Key::MF_B_T, scoreBlock(t, 7, age <= 6 ? 5 : 6));
}

} // namespace tavlo
