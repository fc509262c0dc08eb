#pragma once
// The exact odds of a set of tip rows in today's game (five of 1..70 and a
// MegaBall of 1..range): per prize tier the expected number of rows winning
// exactly that tier, the chance that some row wins a prize and the chance of
// the jackpot. Exact, by enumeration of the drawings that matter; no sampling.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rz {

class TipSet;

inline constexpr int kOddsMainMax = 70;
inline constexpr int kPrizeTiers = 9;
// The prize tiers, best first: main numbers hit + MegaBall hit.
inline constexpr std::array<const char*, kPrizeTiers> kPrizeTierNames = {"5+1", "5+0", "4+1", "4+0", "3+1",
                                                                          "3+0", "2+1", "1+1", "0+1"};
// The tier of a row with `mainHits` of the five and the MegaBall hit or not;
// -1 when that wins nothing (2+0, 1+0, 0+0).
int prizeTier(int mainHits, bool megaBallHit);

// One row as the odds take it: five different numbers 1..70 and a MegaBall
// (0 when the row has none that the game draws: it wins only tiers without one).
struct OddsRow {
    std::array<int, 5> main{};
    int megaBall = 0;
};

struct TipOdds {
    int rows = 0;    // rows counted
    int skipped = 0; // rows holding something that is not five different numbers 1..70
    int megaBallRange = 24;
    std::array<double, kPrizeTiers> expected{}; // equal rows count as often as they stand
    double pAny = 0;     // some row wins a prize
    double pJackpot = 0; // some row wins the jackpot; equal rows count once
};

// The rows of a tip set: a row counts when its five main fields hold
// different numbers 1..70; a row with any other content in its six visible
// fields is skipped (and counted as such); an empty row is neither.
// A MegaBall outside 1..megaBallRange counts as none.
std::vector<OddsRow> oddsRows(const TipSet& tips, int megaBallRange, int& skipped);

// Throws std::invalid_argument for a range below 1 or a row that is not five
// different numbers 1..70.
TipOdds computeTipOdds(const std::vector<OddsRow>& rows, int megaBallRange);

inline TipOdds computeTipOdds(const TipSet& tips, int megaBallRange) {
    int skipped = 0;
    const std::vector<OddsRow> rows = oddsRows(tips, megaBallRange, skipped);
    TipOdds o = computeTipOdds(rows, megaBallRange);
    o.skipped = skipped;
    return o;
}

// A number in the form of a language of the language switch (0/1 German,
// 2 English, ... 8 Chinese): its decimal mark and its thousands separator.
std::string formatNumber(double value, int decimals, int language);
std::string decimalMark(int language);
// "1 in X" as the window says it: X = 1/p, with one decimal below 100 and
// whole above; empty for p <= 0.
std::string oneInText(double p, int language);

} // namespace rz
