#pragma once
// The catalogues every statement, dialog, export and report walks: the 60 measures, the
// derived and computed result keys, the 30 subtests and the six report domains.

#include <optional>
#include <span>
#include <string_view>

namespace tavlo {

// A raw score, grid cell or derived score without a value; 0 is a real score.
inline constexpr int NOT_ENTERED = -9;
// The raw slot of a combined or contrast score once it has been computed.
inline constexpr int COMPUTED_MARKER = -99;

// The measures in column order: code, column, subtest, row of the raw score dialog.
#define TAVLO_MEASURES(X) \
    X(AI,         1, AG,  1) \
    X(KR_A,       2, KD,  2) \
    X(KR_B,       3, KD,  3) \
    X(BF_S,       4, BF,  4) \
    X(BF_A,       5, BF,  5) \
    X(BP,         6, BP,  6) \
    X(BK,         7, BK,  7) \
    X(DS_N,       8, DS,  8) \
    X(DS_REP,     9, DS,  9) \
    X(DS_R,      10, DS, 10) \
    X(FK_O,      11, FK, 11) \
    X(FK_M,      12, FK, 12) \
    X(FK_G,      13, FK, 13) \
    X(FK_L,      14, FK, 14) \
    X(FR_AD,     15, FB, 15) \
    X(FR_AID,    16, FB, 16) \
    X(FR_BD,     17, FB, 17) \
    X(FR_BID,    18, FB, 18) \
    X(FBA,       19, FO, 19) \
    X(FBAB,      20, FO, 20) \
    X(FI,        21, FI, 21) \
    X(GP,        22, GP, 22) \
    X(IH_D,      23, IH, 35) \
    X(IH_ID,     24, IH, 36) \
    X(INB_O,     25, IN, 37) \
    X(INB_S,     26, IN, 38) \
    X(INB_T,     27, IN, 39) \
    X(INI_O,     28, IN, 40) \
    X(INI_S,     29, IN, 41) \
    X(INI_T,     30, IN, 42) \
    X(INV_O,     31, IN, 43) \
    X(INV_S,     32, IN, 44) \
    X(INV_T,     33, IN, 45) \
    X(KA,        34, KA, 46) \
    X(KL,        35, KL, 47) \
    X(MM,        36, MM, 48) \
    X(MT_V,      37, ME, 49) \
    X(MT_K,      38, ME, 50) \
    X(MA_A,      39, HA, 23) \
    X(MA_B,      40, HA, 24) \
    X(MB_F,      41, HH, 25) \
    X(MB_FS,     42, HH, 26) \
    X(MB_I,      43, HH, 27) \
    X(MN_A,      44, HN, 28) \
    X(MN_B,      45, HN, 29) \
    X(MO_A5,     46, HO, 30) \
    X(MO_A,      47, HO, 31) \
    X(MO_B,      48, HO, 32) \
    X(OS,        49, OS, 51) \
    X(OF_A,      50, OF, 52) \
    X(OF_B,      51, OF, 53) \
    X(OI_REP,    52, OI, 54) \
    X(OI_RENDER, 53, OI, 55) \
    X(PI,        54, Pl, 56) \
    X(PB_T,      55, HB, 33) \
    X(PB_R,      56, HB, 34) \
    X(RM,        57, RS, 57) \
    X(ST,        58, ST, 58) \
    X(VP_T,      59, VP, 59) \
    X(VP_F,      60, VP, 60)

// Raw scores the scoring run derives, then the card grid scores.
#define TAVLO_DERIVED_KEYS(X) \
    X(BF_SUM) X(DS_ERR) X(FB_RAW) X(FK_SUM) X(IH_SUM) X(IN_ERR) X(INB_ERR) X(INI_ERR) X(INV_ERR) \
    X(MT_SUM) X(MN_SUM) X(MO_SUM) X(MO_DELAY) \
    X(MF_A_I) X(MF_A_P) X(MF_A_T) X(MF_B_I) X(MF_B_P) X(MF_B_T)

// Combined and contrast scores: their raw slot is -9 until computed, then COMPUTED_MARKER.
#define TAVLO_COMPUTED_KEYS(X) \
    X(DS_COMB) X(INB_COMB) X(INI_COMB) X(INV_COMB) X(PB_COMB) X(VP_COMB) \
    X(KR_CONTRAST) X(FK_CONTRAST) X(IN_CONTRAST_BI) X(IN_CONTRAST_IV) \
    X(MF_CONTRAST_A) X(MF_CONTRAST_B) X(MF_CONTRAST_AB) X(MA_CONTRAST) X(MB_CONTRAST) \
    X(OF_CONTRAST) X(OI_CONTRAST)

// Subtests in the order of their names' text ids 1201-1230.
enum class Subtest {
    AG, KD, BF, BP, BK, DS, FK, FB, FO, FI, GP, HA, HF, HH, HN,
    HO, HB, IH, IN, KA, KL, MM, ME, OS, OF, OI, Pl, RS, ST, VP
};

// Every key of the result area: the measures in column order, then the derived keys,
// then the combined and contrast keys.
enum class Key {
#define TAVLO_KEY_ENUM(code, ...) code,
    TAVLO_MEASURES(TAVLO_KEY_ENUM)
    TAVLO_DERIVED_KEYS(TAVLO_KEY_ENUM)
    TAVLO_COMPUTED_KEYS(TAVLO_KEY_ENUM)
#undef TAVLO_KEY_ENUM
};

inline constexpr int kMeasureCount = 60;
inline constexpr int kKeyCount = int(Key::OI_CONTRAST) + 1;
inline constexpr int kFirstComputedKey = int(Key::DS_COMB);
inline constexpr int kGridCellCount = 112;

constexpr bool isStoredMeasure(Key key) { return int(key) < kMeasureCount; }
constexpr bool isComputedKey(Key key) { return int(key) >= kFirstComputedKey; }

struct MeasureInfo {
    Key key;
    const char* code;
    int column;   // 1-60: order of the table's columns and of every statement
    int entryRow; // 1-60: row of the raw score dialog
    Subtest subtest;
    int labelId;  // 1100 + entryRow
};

struct SubtestInfo {
    Subtest id;
    const char* code; // two letters, as the labels and reports write it
    int textId;       // 1201-1230
};

enum class Domain { All, Attention, Language, Memory, Sensorimotor, SocialPerception, Visuospatial };

struct DomainInfo {
    Domain id;
    int textId; // 1300-1306
};

// The 60 measures in column order.
std::span<const MeasureInfo> measures();
const MeasureInfo& measureInfo(Key measure);
const MeasureInfo* measureAtEntryRow(int entryRow);

// The name of any result key ("AI", "BF_SUM", "OI_CONTRAST").
const char* keyName(Key key);
std::optional<Key> keyFromName(std::string_view name);

std::span<const SubtestInfo> subtests();
const SubtestInfo& subtestInfo(Subtest subtest);

std::span<const DomainInfo> domains();

} // namespace tavlo
