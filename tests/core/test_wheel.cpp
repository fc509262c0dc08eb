// Wheels: the search against exhaustive optima on tiny cases, the bound, the
// check that refuses a broken design, the odds against a plain enumeration
// of every drawing, and repeatability for a seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <functional>
#include <random>

#include "wheel/Designs.h"
#include "wheel/Wheel.h"

using namespace rz::wheel;

namespace {

std::vector<int> firstNumbers(int v, int offset = 0) {
    std::vector<int> n;
    for (int i = 1; i <= v; ++i)
        n.push_back(i + offset);
    return n;
}

std::vector<RowMask> subsetsOf(int v, int k) {
    std::vector<RowMask> out;
    for (RowMask m = 0; m < (RowMask{1} << v); ++m)
        if (std::popcount(m) == k)
            out.push_back(m);
    return out;
}

// The guarantee in its plain words, row by row and subset by subset.
bool plainlyKept(int v, Guarantee g, const std::vector<RowMask>& rows) {
    for (RowMask s : subsetsOf(v, g.p)) {
        bool met = false;
        for (RowMask r : rows)
            met = met || std::popcount(r & s) >= g.t;
        if (!met)
            return false;
    }
    return true;
}

// The fewest rows that keep the guarantee, by iterative deepening: branch on
// the rows serving the first unserved p-subset. The first row can be any
// fixed one (all rows are alike under renaming the numbers).
int exactMinimum(int v, Guarantee g) {
    const std::vector<RowMask> rows = subsetsOf(v, 5);
    const std::vector<RowMask> targets = subsetsOf(v, g.p);
    std::vector<std::vector<int>> servedBy(targets.size());
    std::size_t mostPerRow = 0;
    std::vector<std::size_t> perRow(rows.size(), 0);
    for (std::size_t s = 0; s < targets.size(); ++s)
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (std::popcount(targets[s] & rows[r]) >= g.t) {
                servedBy[s].push_back(static_cast<int>(r));
                mostPerRow = std::max(mostPerRow, ++perRow[r]);
            }
    std::vector<int> count(targets.size(), 0);
    std::size_t unserved = targets.size();
    auto apply = [&](int r, int d) {
        for (std::size_t s = 0; s < targets.size(); ++s)
            if (std::popcount(targets[s] & rows[static_cast<std::size_t>(r)]) >= g.t) {
                if (d > 0 && count[s]++ == 0)
                    --unserved;
                if (d < 0 && --count[s] == 0)
                    ++unserved;
            }
    };
    std::function<bool(int)> solve = [&](int k) -> bool {
        if (unserved == 0)
            return true;
        if (k == 0 || unserved > static_cast<std::size_t>(k) * mostPerRow)
            return false;
        std::size_t first = 0;
        while (count[first] > 0)
            ++first;
        for (int r : servedBy[first]) {
            apply(r, +1);
            const bool ok = solve(k - 1);
            apply(r, -1);
            if (ok)
                return true;
        }
        return false;
    };
    apply(0, +1);
    for (int k = 0;; ++k)
        if (solve(k))
            return k + 1;
}

SearchLimits steps(std::uint64_t n, std::uint64_t seed = 1) {
    SearchLimits l;
    l.seconds = 0;
    l.maxSteps = n;
    l.seed = seed;
    return l;
}

const Guarantee kUsual[] = {{3, 3}, {3, 4}, {3, 5}, {4, 4}, {4, 5}, {5, 5}};

} // namespace

TEST(Wheel, TinyCasesReachTheExhaustiveOptimumAndTheBoundStaysBelow) {
    struct Case {
        int v;
        Guarantee g;
    };
    const Case cases[] = {
        {6, {2, 2}}, {6, {3, 3}}, {6, {4, 4}}, {6, {3, 4}}, {6, {4, 5}}, {7, {2, 2}}, {7, {3, 3}},
        {7, {2, 3}}, {7, {3, 4}}, {7, {4, 5}}, {7, {3, 5}}, {8, {2, 2}}, {8, {3, 3}}, {8, {2, 3}},
        {8, {3, 4}}, {8, {3, 5}}, {8, {1, 2}}, {7, {5, 5}}, {9, {2, 4}}, {9, {3, 5}}, {9, {1, 3}},
        {10, {2, 5}}, {9, {2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.v) + " numbers, " + guaranteeText(c.g));
        const int optimum = exactMinimum(c.v, c.g);
        const Design d = buildWheel(firstNumbers(c.v), c.g, steps(100000));
        EXPECT_EQ(d.rows.size(), static_cast<std::size_t>(optimum));
        EXPECT_LE(lowerBound(c.v, c.g), static_cast<std::uint64_t>(optimum));
        EXPECT_TRUE(plainlyKept(c.v, c.g, d.rows));
    }
}

TEST(Wheel, SchoenheimBoundByHand) {
    // C(v,5,t) >= ceil(v/5 ceil((v-1)/4 ... )), worked out on paper.
    EXPECT_EQ(lowerBound(10, {3, 3}), 14u); // ceil(10/5 * ceil(9/4 * ceil(8/3)))
    EXPECT_EQ(lowerBound(7, {2, 2}), 3u);   // ceil(7/5 * ceil(6/4))
    EXPECT_EQ(lowerBound(10, {4, 4}), 50u); // ceil(2 * ceil(9/4 * ceil(8/3 * ceil(7/2))))
    EXPECT_EQ(lowerBound(12, {5, 5}), 792u); // every 5 of 12
    EXPECT_EQ(lowerBound(6, {1, 1}), 2u);
    // p > t: 126 5-subsets of 9, one row serves 1 + 5*4 + 10*6 = 81 of them with >= 3.
    EXPECT_EQ(lowerBound(9, {3, 5}), 2u);
    // 1if3 over 15: the rows must touch all but two numbers, so two rows (10
    // numbers) are too few and three are enough; the count alone says 2.
    EXPECT_EQ(lowerBound(15, {1, 3}), 3u);
    EXPECT_EQ(buildWheel(firstNumbers(15), {1, 3}, steps(1000)).rows.size(), 3u);
    // The bound for p > t never falls as numbers are added (a wheel over
    // v+1 numbers, the extra one swapped out of its rows, serves v).
    for (Guarantee g : {Guarantee{1, 2}, Guarantee{2, 4}, Guarantee{3, 4}, Guarantee{3, 5}, Guarantee{4, 5}})
        for (int v = kMinNumbers; v < kMaxNumbers; ++v)
            EXPECT_LE(lowerBound(v, g), lowerBound(v + 1, g)) << v << " " << guaranteeText(g);
}

TEST(Wheel, ReachesTheKnownCoveringNumbersForFourIfFour) {
    // Exact covering numbers C(v,5,4), from "A066010 Triangle of covering
    // numbers T(n,k) = C(n,k,k-1)", https://oeis.org/A066010 (its table,
    // column k = 5). C(11,5,4) = 66 is the Steiner system S(4,5,11).
    struct Known {
        int v;
        std::size_t rows;
    };
    for (const Known k : {Known{6, 5}, {7, 9}, {8, 20}, {9, 30}, {10, 51}, {11, 66}, {12, 113}}) {
        SCOPED_TRACE(std::to_string(k.v) + " numbers");
        EXPECT_LE(lowerBound(k.v, {4, 4}), k.rows);
        const Design d = buildWheel(firstNumbers(k.v), {4, 4}, steps(2000000));
        EXPECT_EQ(d.rows.size(), k.rows);
    }
}

TEST(Wheel, BoundNeverAboveWhatTheSearchFinds) {
    for (int v : {9, 10, 12, 14}) {
        for (Guarantee g : kUsual) {
            SCOPED_TRACE(std::to_string(v) + " numbers, " + guaranteeText(g));
            const Design d = buildWheel(firstNumbers(v, 40), g, steps(3000));
            EXPECT_LE(d.bound, d.rows.size());
            EXPECT_TRUE(plainlyKept(v, g, d.rows));
            for (std::size_t r = 0; r < d.rows.size(); ++r) {
                const auto row = d.row(r);
                EXPECT_TRUE(std::is_sorted(row.begin(), row.end()));
                EXPECT_GE(row.front(), 41);
                EXPECT_LE(row.back(), 40 + v);
            }
        }
    }
    // Where the bound for p > t counts t-subsets: more numbers, the search's
    // rows certified all the same.
    for (int v : {16, 21, 26}) {
        for (Guarantee g : {Guarantee{1, 4}, Guarantee{2, 3}, Guarantee{2, 5}, Guarantee{3, 4}, Guarantee{3, 5}, Guarantee{4, 5}}) {
            SCOPED_TRACE(std::to_string(v) + " numbers, " + guaranteeText(g));
            const Design d = buildWheel(firstNumbers(v), g, steps(2000));
            EXPECT_LE(d.bound, d.rows.size());
        }
    }
}

TEST(Wheel, TheCheckAgreesWithThePlainDefinitionOnRandomDesigns) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const int v = 6 + static_cast<int>(rng() % 4);
        const Guarantee g = kUsual[rng() % 5];
        const std::vector<RowMask> all = subsetsOf(v, 5);
        std::vector<RowMask> rows;
        const int n = 1 + static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i)
            rows.push_back(all[rng() % all.size()]);
        EXPECT_EQ(keepsGuarantee(v, g, rows), plainlyKept(v, g, rows)) << v << " " << guaranteeText(g);
    }
}

TEST(Wheel, ABrokenDesignIsRefused) {
    const std::vector<int> numbers{3, 8, 12, 19, 23, 31, 37, 44, 50, 58, 63, 69};
    const Guarantee g{3, 4};
    const Design d = buildWheel(numbers, g, steps(20000));
    ASSERT_NO_THROW(certifyDesign(numbers, g, d.rows));

    // Every row the search kept serves some 4-subset alone, so leaving any
    // one out or moving one of its numbers may break the promise; the
    // check must refuse each variant that the plain definition rejects.
    int refused = 0;
    for (std::size_t i = 0; i < d.rows.size(); ++i) {
        std::vector<RowMask> fewer = d.rows;
        fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
        if (!plainlyKept(12, g, fewer)) {
            EXPECT_THROW(certifyDesign(numbers, g, fewer), WheelError);
            ++refused;
        }
        std::vector<RowMask> moved = d.rows;
        const RowMask low = moved[i] & (~moved[i] + 1);
        const RowMask outside = ~moved[i] & 0xFFFu;
        moved[i] = (moved[i] & ~low) | (outside & (~outside + 1));
        if (!plainlyKept(12, g, moved)) {
            EXPECT_THROW(certifyDesign(numbers, g, moved), WheelError);
            ++refused;
        } else {
            EXPECT_NO_THROW(certifyDesign(numbers, g, moved));
        }
    }
    EXPECT_GT(refused, 0);

    // Rows that are no rows: four numbers, six, or one beyond the chosen.
    std::vector<RowMask> bad = d.rows;
    bad[0] = 0b1111;
    EXPECT_THROW(certifyDesign(numbers, g, bad), WheelError);
    bad[0] = 0b111111;
    EXPECT_THROW(certifyDesign(numbers, g, bad), WheelError);
    bad = d.rows;
    bad.push_back(0b1111 | (RowMask{1} << 12));
    EXPECT_THROW(certifyDesign(numbers, g, bad), WheelError);
    // A repeated row is harmless and dropped.
    bad = d.rows;
    bad.push_back(d.rows[0]);
    EXPECT_EQ(certifyDesign(numbers, g, bad).rows.size(), d.rows.size());
}

TEST(Wheel, OddsMatchAnEnumerationOfEveryDrawing) {
    const std::vector<int> numbers{2, 9, 17, 33, 41, 52, 66, 70};
    for (Guarantee g : {Guarantee{3, 4}, Guarantee{2, 3}, Guarantee{4, 5}}) {
        SCOPED_TRACE(guaranteeText(g));
        const Design d = buildWheel(numbers, g, steps(20000));
        const Odds o = computeOdds(8, g, d.rows);
        // Position of each number among the chosen, or -1.
        int pos[71];
        std::fill(std::begin(pos), std::end(pos), -1);
        for (int i = 0; i < 8; ++i)
            pos[numbers[static_cast<std::size_t>(i)]] = i;
        std::uint64_t drawings = 0, condition = 0, hit = 0;
        std::uint64_t rowsWith[6] = {};
        for (int a = 1; a <= 66; ++a)
            for (int b = a + 1; b <= 67; ++b)
                for (int c = b + 1; c <= 68; ++c)
                    for (int e = c + 1; e <= 69; ++e)
                        for (int f = e + 1; f <= 70; ++f) {
                            ++drawings;
                            RowMask drawn = 0;
                            for (int n : {a, b, c, e, f})
                                if (pos[n] >= 0)
                                    drawn |= RowMask{1} << pos[n];
                            condition += std::popcount(drawn) >= g.p;
                            bool any = false;
                            for (RowMask r : d.rows) {
                                const int h = std::popcount(r & drawn);
                                any = any || h >= g.t;
                                ++rowsWith[h];
                            }
                            hit += any;
                        }
        EXPECT_EQ(o.drawings, drawings);
        EXPECT_EQ(o.conditionDrawings, condition);
        EXPECT_EQ(o.hitDrawings, hit);
        EXPECT_GE(o.hitDrawings, o.conditionDrawings); // the guarantee itself
        for (int h = 0; h <= 5; ++h)
            EXPECT_NEAR(static_cast<double>(o.expectedRows[h]),
                        static_cast<double>(rowsWith[h]) / static_cast<double>(drawings), 1e-15);
    }
}

// Every t-subset of the v points in exactly one row: the exhaustive check,
// and no more rows than the t-subsets allow one each.
void expectSteinerSystem(int t, int v, std::size_t size, const std::vector<RowMask>& rows) {
    SCOPED_TRACE("S(" + std::to_string(t) + ",5," + std::to_string(v) + ")");
    ASSERT_EQ(rows.size(), size);
    EXPECT_TRUE(keepsGuarantee(v, {t, t}, rows));
    EXPECT_EQ(rows.size() * binomial(5, t), binomial(v, t));
    EXPECT_EQ(lowerBound(v, {t, t}), size);
}

TEST(WheelDesigns, EachKnownDesignIsASteinerSystemOfItsSize) {
    expectSteinerSystem(2, 21, 21, steinerSystem(2, 21)); // PG(2,4)
    expectSteinerSystem(2, 25, 30, steinerSystem(2, 25)); // AG(2,5)
    expectSteinerSystem(3, 17, 68, steinerSystem(3, 17)); // PGL(2,16) orbit
    expectSteinerSystem(4, 11, 66, steinerSystem(4, 11)); // from S(5,6,12)
    expectSteinerSystem(3, 26, 260, steinerSystem(3, 26)); // from S(5,7,28)
    EXPECT_TRUE(steinerSystem(3, 16).empty());
}

TEST(WheelDesigns, TheWheelOverAnyChosenNumbersIsTheDesignAtOnce) {
    struct Case {
        Guarantee g;
        int v;
        std::size_t rows;
    };
    std::mt19937 rng(3);
    for (const Case c : {Case{{3, 3}, 17, 68}, {{3, 3}, 26, 260}, {{2, 2}, 21, 21}, {{2, 2}, 25, 30}, {{4, 4}, 11, 66}}) {
        SCOPED_TRACE(guaranteeText(c.g) + " over " + std::to_string(c.v));
        // Point i of the design is the i-th smallest chosen number.
        std::vector<int> numbers = firstNumbers(70);
        std::shuffle(numbers.begin(), numbers.end(), rng);
        numbers.resize(static_cast<std::size_t>(c.v));
        const Design d = buildWheel(numbers, c.g, steps(1000000));
        EXPECT_EQ(d.rows.size(), c.rows);
        EXPECT_EQ(d.origin, Origin::Construction);
        EXPECT_TRUE(d.optimal());
        EXPECT_EQ(d.steps, 0u);
        EXPECT_TRUE(plainlyKept(c.v, c.g, d.rows));
    }
}

TEST(WheelDesigns, NeighboursKeepTheGuarantee) {
    struct Base {
        int t, v;
    };
    for (const Base b : {Base{2, 21}, Base{2, 25}, Base{3, 17}, Base{3, 26}, Base{4, 11}}) {
        SCOPED_TRACE(std::to_string(b.t) + " " + std::to_string(b.v));
        const std::vector<RowMask>& design = steinerSystem(b.t, b.v);
        const std::vector<RowMask> less = deleteLastPoint(b.v, design);
        EXPECT_TRUE(keepsGuarantee(b.v - 1, {b.t, b.t}, less));
        EXPECT_LE(less.size(), design.size());
        EXPECT_TRUE(keepsGuarantee(b.v - 2, {b.t, b.t}, deleteLastPoint(b.v - 1, less)));
        const std::vector<RowMask> more = addPoint(b.v, b.t, design);
        EXPECT_TRUE(keepsGuarantee(b.v + 1, {b.t, b.t}, more));
        // The old rows stay; the new ones hold the added point.
        EXPECT_TRUE(std::equal(design.begin(), design.end(), more.begin()));
        for (std::size_t i = design.size(); i < more.size(); ++i)
            EXPECT_TRUE(more[i] >> b.v & 1);
    }
    // Over 18 numbers the added point needs the 4-sets holding every pair of
    // 17 points: 26 of them, and 68 + 26 meets the bound.
    const ConstructedCover c = constructedCover(18, 3);
    EXPECT_EQ(c.rows.size(), 94u);
    EXPECT_EQ(lowerBound(18, {3, 3}), 94u);
    EXPECT_EQ(buildWheel(firstNumbers(18), {3, 3}, steps(1000)).rows.size(), 94u);
    // The search shrinks a neighbour: 4if4 over 12 from S(4,5,11) plus a point.
    EXPECT_EQ(buildWheel(firstNumbers(12), {4, 4}, steps(200000)).rows.size(), 113u);
}

TEST(WheelDesigns, ASplitServesPGreaterThanT) {
    // 3if5: any five drawn put three into one of two parts; two 3if3 wheels.
    const Design d = buildWheel(firstNumbers(20, 30), {3, 5}, steps(2000));
    EXPECT_LE(d.rows.size(), 32u);
    EXPECT_EQ(d.origin, Origin::Split);
    EXPECT_FALSE(d.optimal());
    EXPECT_TRUE(plainlyKept(20, {3, 5}, d.rows));
    // 2if4 from three 2if2 wheels; and small cases still reach the optimum
    // through the search from a greedy start.
    const Design e = buildWheel(firstNumbers(16), {2, 4}, steps(3000));
    EXPECT_TRUE(plainlyKept(16, {2, 4}, e.rows));
    EXPECT_EQ(buildWheel(firstNumbers(7), {3, 5}, steps(100000)).rows.size(), static_cast<std::size_t>(exactMinimum(7, {3, 5})));
}

TEST(WheelDesigns, ASplitCutShortKeepsTheEvenSplit) {
    // 3if5 over 25: the wheels over 12 and 13 numbers (29 + 34 rows) beat
    // those over 11 and 14 (20 + 44), though the lower bounds (27 + 32
    // against 18 + 37) point the other way. Cut short after the steps two
    // part searches take, the even split must already be there.
    SearchLimits l = steps(1000);
    l.progress = [](const Progress& p) { return p.steps < 800000; };
    const Design d = buildWheel(firstNumbers(25), {3, 5}, l);
    EXPECT_TRUE(d.stopped);
    EXPECT_EQ(d.origin, Origin::Split);
    EXPECT_LE(d.rows.size(), 63u);
    EXPECT_TRUE(keepsGuarantee(25, {3, 5}, d.rows));
}

TEST(Wheel, AStepLimitAboveTheMostIsRefused) {
    EXPECT_THROW(buildWheel(firstNumbers(10), {3, 3}, steps(kMaxSteps + 1)), WheelError);
    // The most is allowed (a known design ends the search at once).
    EXPECT_EQ(buildWheel(firstNumbers(17), {3, 3}, steps(kMaxSteps)).rows.size(), 68u);
}

TEST(Wheel, TheSameSeedAndStepsGiveTheSameRows) {
    const std::vector<int> numbers = firstNumbers(16, 10);
    for (Guarantee g : {Guarantee{3, 3}, Guarantee{3, 5}, Guarantee{4, 5}, Guarantee{2, 3}}) {
        const Design a = buildWheel(numbers, g, steps(4000, 42));
        const Design b = buildWheel(numbers, g, steps(4000, 42));
        EXPECT_EQ(a.rows, b.rows) << guaranteeText(g);
        EXPECT_EQ(a.steps, b.steps);
    }
}

TEST(Wheel, AStopKeepsTheBestDesignSoFar) {
    SearchLimits l = steps(1000000);
    int calls = 0;
    l.progress = [&](const Progress& p) {
        ++calls;
        EXPECT_TRUE(p.rows == 0 || p.rows >= p.bound) << p.rows;
        return calls < 3;
    };
    const Design d = buildWheel(firstNumbers(20), {3, 3}, l);
    EXPECT_TRUE(d.stopped);
    EXPECT_EQ(calls, 3);
    EXPECT_LT(d.steps, 1000000u);
    EXPECT_TRUE(plainlyKept(20, {3, 3}, d.rows));
}

TEST(Wheel, InputChecks) {
    Guarantee g;
    EXPECT_TRUE(parseGuarantee("3if4", g));
    EXPECT_EQ(g, (Guarantee{3, 4}));
    EXPECT_TRUE(parseGuarantee("5if5", g));
    EXPECT_TRUE(parseGuarantee("1if1", g));
    for (const char* bad : {"4if3", "0if1", "3if6", "3 if 4", "", "3if", "33if4", "3IF4", "3of4"})
        EXPECT_FALSE(parseGuarantee(bad, g)) << bad;

    EXPECT_TRUE(numbersProblem(firstNumbers(6)).empty());
    EXPECT_TRUE(numbersProblem(firstNumbers(30, 40)).empty());
    EXPECT_FALSE(numbersProblem(firstNumbers(5)).empty());
    EXPECT_FALSE(numbersProblem(firstNumbers(31)).empty());
    EXPECT_FALSE(numbersProblem(firstNumbers(6, 65)).empty()); // 71
    EXPECT_FALSE(numbersProblem({0, 1, 2, 3, 4, 5}).empty());
    EXPECT_FALSE(numbersProblem({1, 2, 3, 4, 5, 5}).empty());
    EXPECT_THROW(buildWheel({1, 2, 3, 4, 5}, {3, 3}, steps(10)), WheelError);
    EXPECT_THROW(buildWheel(firstNumbers(8), {4, 3}, steps(10)), WheelError);

    struct PriceCase {
        const char* text;
        std::int64_t cents; // 0: refused
    };
    for (const PriceCase& c : {PriceCase{"5", 500}, {"5.00", 500}, {"2.5", 250}, {"0.01", 1}, {"1000", 100000},
                               {"1000.00", 100000}, {"0.07", 7}, {"0", 0}, {"0.00", 0}, {"1000.01", 0},
                               {"5.123", 0}, {"5.", 0}, {".5", 0}, {"-5", 0}, {"5,00", 0}, {"", 0}, {"12345", 0}}) {
        std::int64_t cents = -1;
        EXPECT_EQ(parsePrice(c.text, cents), c.cents != 0) << c.text;
        if (c.cents)
            EXPECT_EQ(cents, c.cents) << c.text;
        else
            EXPECT_EQ(cents, -1) << c.text;
    }
    EXPECT_EQ(priceText(4350), "43.50");
    EXPECT_EQ(priceText(7), "0.07");
    EXPECT_EQ(priceText(100000), "1000.00");

    EXPECT_TRUE(megaBallsProblem({1, 24}).empty());
    EXPECT_FALSE(megaBallsProblem({}).empty());
    EXPECT_FALSE(megaBallsProblem({25}).empty());
    EXPECT_FALSE(megaBallsProblem({0}).empty());
    EXPECT_FALSE(megaBallsProblem({3, 3}).empty());
}

TEST(Wheel, MegaBallsInTurnOrCrossed) {
    const Design d = buildWheel(firstNumbers(7), {5, 5}, steps(10)); // all 21 rows
    ASSERT_EQ(d.rows.size(), 21u);
    EXPECT_EQ(d.row(0), (std::array<int, 5>{1, 2, 3, 4, 5}));
    EXPECT_EQ(d.row(20), (std::array<int, 5>{3, 4, 5, 6, 7}));

    const auto plain = plays(d, {}, false);
    ASSERT_EQ(plain.size(), 21u);
    EXPECT_EQ(plain[0].megaBall, 0);

    const auto turn = plays(d, {4, 9}, false);
    ASSERT_EQ(turn.size(), 21u);
    EXPECT_EQ(turn[0].megaBall, 4);
    EXPECT_EQ(turn[1].megaBall, 9);
    EXPECT_EQ(turn[2].megaBall, 4);
    EXPECT_EQ(turn[20].megaBall, 4);

    const auto cross = plays(d, {4, 9, 24}, true);
    ASSERT_EQ(cross.size(), 63u);
    EXPECT_EQ(cross[0].numbers, cross[2].numbers);
    EXPECT_EQ(cross[2].megaBall, 24);
    EXPECT_EQ(cross[3].numbers, d.row(1));
}
