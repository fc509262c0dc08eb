#pragma once
// Wheels: more numbers than a row holds, spread over rows so that a guarantee
// "t if p" holds: whenever p of the 5 drawn numbers are among the chosen ones,
// at least one row has at least t of them.
//
// Rows are bitmasks over the v chosen numbers (bit i = the i-th smallest).
// buildWheel starts from a known design where there is one (wheel/Designs.h),
// for p > t from wheels "t if t" over the parts of a split of the numbers,
// else greedily, then shrinks by simulated annealing on the number of
// uncovered p-subsets; every design it returns went through certifyDesign,
// the exhaustive check of the guarantee.
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace rz::wheel {

using RowMask = std::uint32_t;

inline constexpr int kRowSize = 5;
inline constexpr int kMinNumbers = 6;
inline constexpr int kMaxNumbers = 30;
inline constexpr int kHighestNumber = 70;
inline constexpr int kHighestMegaBall = 24; // today's game format
// The price of one play, the default of the stored setting: $5 since 8 April 2025.
inline constexpr std::int64_t kDefaultPriceCents = 500;
inline constexpr std::int64_t kMaxPriceCents = 100000; // $1000.00
// The most search steps one may ask for: minutes, not years, of search.
inline constexpr std::uint64_t kMaxSteps = 100000000;

struct Guarantee {
    int t = 3;
    int p = 3;
    bool operator==(const Guarantee&) const = default;
};

// A wheel that does not keep its guarantee, or input the wheel cannot take.
class WheelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "3if4" -> {3, 4}. False unless 1 <= t <= p <= 5.
bool parseGuarantee(const std::string& text, Guarantee& g);
std::string guaranteeText(Guarantee g); // "3if4"
// Empty when the numbers make a wheel (6..30 distinct numbers in 1..70), else why not.
std::string numbersProblem(const std::vector<int>& numbers);
// Empty when the MegaBalls are usable (at least one, 1..24, none twice), else why not.
std::string megaBallsProblem(const std::vector<int>& megaBalls);

// "5", "5.5", "5.50" -> cents. False unless 0.01 <= price <= 1000.00 with at
// most two decimals.
bool parsePrice(const std::string& text, std::int64_t& cents);
// Cents as dollars with two decimals: 2500 -> "25.00".
std::string priceText(std::int64_t cents);

std::uint64_t binomial(int n, int k);

// A lower bound for the number of rows: Schönheim's for p = t (a covering
// design C(v,5,t)); for p > t the larger of the p-subsets divided by the most
// one row can serve and a bound on the t-subsets that must lie in rows so
// that every p-subset holds one (see the proof in Wheel.cpp). Never below 1.
std::uint64_t lowerBound(int v, Guarantee g);

// Exhaustive: every p-subset of the v numbers meets some row in >= t numbers.
// Rows that are not 5 of the v numbers fail too.
bool keepsGuarantee(int v, Guarantee g, const std::vector<RowMask>& rows);

struct Odds {
    // Exact counts of the C(70,5) drawings of the five numbers (MegaBall ignored).
    std::uint64_t drawings = 0;
    std::uint64_t conditionDrawings = 0; // at least p of the drawn among the chosen
    std::uint64_t hitDrawings = 0;       // some row has at least t of the drawn
    long double pCondition = 0;
    long double pHit = 0;
    // Expected number of rows with exactly h of the drawn numbers, h = 0..5.
    std::array<long double, 6> expectedRows{};
};
Odds computeOdds(int v, Guarantee g, const std::vector<RowMask>& rows);

// Where the rows come from.
enum class Origin {
    Search,       // the search found them (from a greedy start or by shrinking a design below)
    Construction, // a known design (wheel/Designs.h), perhaps with points deleted or added
    Split,        // wheels "t if t" over the parts of a split of the numbers
    Full,         // every 5 of the numbers (t = 5)
};

struct Design {
    std::vector<int> numbers; // ascending
    Guarantee guarantee;
    std::vector<RowMask> rows;
    std::uint64_t bound = 1;
    std::uint64_t steps = 0;  // local search steps taken
    bool stopped = false;     // cut short by the caller
    Origin origin = Origin::Search;
    // No wheel with these parameters has fewer rows: the bound is reached.
    bool optimal() const { return rows.size() <= bound; }
    // Row r as its five numbers, ascending.
    std::array<int, 5> row(std::size_t r) const;
};

// The only way to a Design. The rows are over the numbers in ascending order
// (bit i = the i-th smallest). Sorts the numbers, drops repeated rows and checks
// the guarantee exhaustively. Throws WheelError when it does not hold.
Design certifyDesign(std::vector<int> numbers, Guarantee g, std::vector<RowMask> rows);

struct Progress {
    std::uint64_t steps = 0;
    std::size_t rows = 0;     // size of the best design so far; 0 while the first is built
    std::uint64_t bound = 1;
};

struct SearchLimits {
    double seconds = 2.0;        // wall-clock budget; <= 0 means none (then give maxSteps)
    std::uint64_t maxSteps = 0;  // 0 = no step limit; at most kMaxSteps
    std::uint64_t seed = 1;
    // Called about every 1024 steps; returning false stops the search. The
    // best design so far is returned all the same.
    std::function<bool(const Progress&)> progress;
};

// A known design that meets the bound is returned at once. Otherwise the
// search starts from the best known design (or greedily) and the rows
// returned are never more than that design's. For p > t the wheels "t if t"
// over the parts of a split are searched first (the most even split first),
// in nine tenths of the time, each with a fixed allotment of steps (ending
// early once it stalls); then the search from a greedy start has maxSteps
// steps (it gives up if the time ends before its start is whole), and the
// smaller wins.
// Design::steps counts the steps of all of these.
// Same numbers, guarantee, seed and steps give the same rows; the clock only
// cuts the search short. Throws WheelError on bad input (a step limit above
// kMaxSteps among it).
Design buildWheel(const std::vector<int>& numbers, Guarantee g, const SearchLimits& limits);

struct Play {
    std::array<int, 5> numbers{};
    int megaBall = 0; // 0 = none given
};
// The rows to play: without MegaBalls each row once with megaBall 0; else each
// row gets them in turn, or with `cross` every row is played with each of them.
std::vector<Play> plays(const Design& d, const std::vector<int>& megaBalls, bool cross);

} // namespace rz::wheel
