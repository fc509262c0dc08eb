// The odds of tip rows against a plain enumeration of every one of the
// C(70,5) main draws with every MegaBall; the comparison with chance against
// a count over every drawing of a tiny history and a hand-computed binomial.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <map>
#include <set>

#include "common/ProgramTexts.h"
#include "database/GameFormat.h"
#include "evaluation/Chance.h"
#include "evaluation/Odds.h"
#include "evaluation/TipCheck.h"
#include "tips/TipSet.h"

using namespace rz;

namespace {

struct Brute {
    std::array<double, kPrizeTiers> expected{};
    double nonWinningRows = 0; // expected rows in 2+0, 1+0, 0+0
    double pAny = 0;
    double pJackpot = 0;
};

// Every main draw, its hits per row; then, per pattern of hits, every MegaBall.
Brute bruteForce(const std::vector<OddsRow>& rows, int range) {
    const std::size_t n = rows.size();
    std::vector<std::array<std::uint64_t, 2>> masks(n);
    for (std::size_t r = 0; r < n; ++r)
        for (int v : rows[r].main)
            masks[r][v > 64 ? 1 : 0] |= std::uint64_t{1} << ((v - 1) % 64);
    std::map<std::vector<int>, std::uint64_t> patterns;
    std::vector<int> hits(n);
    std::uint64_t draws = 0;
    for (int a = 1; a <= 70; ++a)
        for (int b = a + 1; b <= 70; ++b)
            for (int c = b + 1; c <= 70; ++c)
                for (int d = c + 1; d <= 70; ++d)
                    for (int e = d + 1; e <= 70; ++e) {
                        std::array<std::uint64_t, 2> m{};
                        for (int v : {a, b, c, d, e})
                            m[v > 64 ? 1 : 0] |= std::uint64_t{1} << ((v - 1) % 64);
                        for (std::size_t r = 0; r < n; ++r)
                            hits[r] = std::popcount(m[0] & masks[r][0]) + std::popcount(m[1] & masks[r][1]);
                        ++patterns[hits];
                        ++draws;
                    }
    EXPECT_EQ(draws, 12103014u);
    Brute out;
    const double all = static_cast<double>(draws) * range;
    double anyWins = 0, jackpotWins = 0;
    for (const auto& [h, count] : patterns)
        for (int mb = 1; mb <= range; ++mb) {
            bool any = false, jackpot = false;
            for (std::size_t r = 0; r < n; ++r) {
                const bool mbHit = rows[r].megaBall == mb;
                const int t = prizeTier(h[r], mbHit);
                if (t >= 0)
                    out.expected[static_cast<std::size_t>(t)] += count / all;
                else
                    out.nonWinningRows += count / all;
                any = any || t >= 0;
                jackpot = jackpot || t == 0;
            }
            anyWins += any ? count : 0;
            jackpotWins += jackpot ? count : 0;
        }
    out.pAny = anyWins / all;
    out.pJackpot = jackpotWins / all;
    return out;
}

void expectNear(double exact, double brute) {
    EXPECT_NEAR(exact, brute, 1e-12 * std::max(1.0, std::fabs(brute))) << exact << " vs " << brute;
    if (brute > 0)
        EXPECT_LT(std::fabs(exact - brute) / brute, 1e-9);
}

} // namespace

TEST(Odds, AgreeWithEveryDrawing) {
    struct Case {
        std::vector<OddsRow> rows;
        int range;
    };
    const std::vector<Case> cases = {
        // overlapping rows, an equal pair (the jackpot counts it once), a row without MegaBall
        {{{{1, 2, 3, 4, 5}, 7}, {{1, 2, 3, 4, 5}, 7}, {{3, 4, 5, 6, 7}, 7}, {{3, 10, 20, 66, 70}, 0}}, 24},
        // numbers on both sides of 64, the old MegaBall range, same numbers with two MegaBalls
        {{{{60, 62, 64, 65, 70}, 25}, {{60, 62, 64, 65, 70}, 1}, {{11, 12, 13, 62, 64}, 25}}, 25},
    };
    for (const Case& c : cases) {
        const TipOdds o = computeTipOdds(c.rows, c.range);
        const Brute b = bruteForce(c.rows, c.range);
        EXPECT_EQ(o.rows, static_cast<int>(c.rows.size()));
        double sum = 0;
        for (std::size_t t = 0; t < kPrizeTiers; ++t) {
            SCOPED_TRACE(kPrizeTierNames[t]);
            expectNear(o.expected[t], b.expected[t]);
            sum += o.expected[t];
        }
        // Every row lands in exactly one class in every drawing.
        EXPECT_NEAR(sum + b.nonWinningRows, static_cast<double>(c.rows.size()), 1e-9);
        expectNear(o.pAny, b.pAny);
        expectNear(o.pJackpot, b.pJackpot);
    }
}

TEST(Odds, KnownFiguresAndTheRowsATipSetGives) {
    // One row: a prize in 1 of 23.07 drawings with MegaBall 1..24, the jackpot 1 in 290,472,336.
    const TipOdds one = computeTipOdds({{{1, 2, 3, 4, 5}, 1}}, 24);
    EXPECT_EQ(oneInText(one.pJackpot, 2), "290,472,336");
    EXPECT_DOUBLE_EQ(one.pJackpot, 1.0 / 290472336.0);

    TipSet tips;
    const std::vector<std::array<const char*, 6>> rows = {
        {"5", "17", "33", "41", "62", "9"},  // counts
        {"5", "17", "33", "41", "62", "25"}, // counts; MegaBall 25 is not drawn with range 24
        {"5", "5", "33", "41", "62", "9"},   // a number twice: skipped
        {"5", "17", "", "41", "62", "9"},    // a number missing: skipped
        {"", "", "", "", "", "3"},           // only a MegaBall: skipped
        {"", "", "", "", "", ""},            // empty: neither
    };
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int k = 1; k <= 6; ++k)
            tips.set(static_cast<int>(r) + 1, k, rows[r][static_cast<std::size_t>(k - 1)]);
    const TipOdds o = computeTipOdds(tips, 24);
    EXPECT_EQ(o.rows, 2);
    EXPECT_EQ(o.skipped, 3);
    // Row 2 wins no MegaBall tier with range 24, but does with 25.
    EXPECT_DOUBLE_EQ(o.expected[0], 1.0 / 290472336.0);
    EXPECT_DOUBLE_EQ(computeTipOdds(tips, 25).pJackpot, 1.0 / (12103014.0 * 12.5));

    // The window's number forms.
    EXPECT_EQ(oneInText(0.25, 2), "4.0");
    EXPECT_EQ(oneInText(1.0 / 58102729.4, 0), "58.102.729");
    EXPECT_EQ(oneInText(1.0 / 4.62, 6), "4,6");
    EXPECT_EQ(oneInText(0, 2), "");
    EXPECT_THROW(computeTipOdds({{{1, 1, 2, 3, 4}, 1}}, 24), std::invalid_argument);
}

// ------------------------------------------------------------------ chance

TEST(Chance, PValueOfABinomialByHand) {
    // 10 trials with p = 1/2, 9 successes: P(X >= 9) = 11/1024, two-sided 22/1024.
    const std::vector<double> pmf = poissonBinomial({{0.5, 10}});
    ASSERT_EQ(pmf.size(), 11u);
    EXPECT_NEAR(pmf[9], 10.0 / 1024, 1e-15);
    EXPECT_NEAR(twoSidedP(pmf, 9), 22.0 / 1024, 1e-15);
    EXPECT_NEAR(twoSidedP(pmf, 5), 1.0, 1e-15);
    EXPECT_NEAR(twoSidedP(pmf, 0), 2.0 / 1024, 1e-15);
    // Two groups: 1 trial at 0.2 and 2 at 0.5; P(X = 3) = 0.2 * 0.25.
    const std::vector<double> mixed = poissonBinomial({{0.2, 1}, {0.5, 2}});
    ASSERT_EQ(mixed.size(), 4u);
    EXPECT_NEAR(mixed[3], 0.05, 1e-15);
    EXPECT_NEAR(mixed[0], 0.8 * 0.25, 1e-15);
    EXPECT_NEAR(twoSidedP(mixed, 3), 0.1, 1e-15);
    // A certain trial shifts the distribution.
    const std::vector<double> shifted = poissonBinomial({{1.0, 2}, {0.5, 1}});
    ASSERT_EQ(shifted.size(), 4u);
    EXPECT_EQ(shifted[0], 0.0);
    EXPECT_NEAR(shifted[2], 0.5, 1e-15);
    // A large count: the whole mass is there and the p-value of the mean is 1.
    const std::vector<double> big = poissonBinomial({{0.3, 200000}, {0.01, 5000}});
    double mass = 0, mean = 0, square = 0;
    for (std::size_t c = 0; c < big.size(); ++c) {
        mass += big[c];
        mean += static_cast<double>(c) * big[c];
        square += static_cast<double>(c) * static_cast<double>(c) * big[c];
    }
    EXPECT_NEAR(mass, 1.0, 1e-9);
    EXPECT_NEAR(mean, 60050.0, 1e-6);
    EXPECT_NEAR(square - mean * mean, 200000 * 0.3 * 0.7 + 5000 * 0.01 * 0.99, 1e-3);
    EXPECT_NEAR(twoSidedP(big, 60050), 1.0, 1e-9);
    EXPECT_LT(twoSidedP(big, 62000), 1e-15); // about 9.5 standard deviations
}

TEST(Chance, ClassProbabilitiesAgreeWithEveryDrawingOfATinyGame) {
    // Against every ordered drawing of a small format (5 of 9, MegaBall 1..3),
    // counting as the hit counter counts: texts that are no number end the count
    // while the first drawn number is compared.
    const int mainMax = 9, megaBallMax = 3;
    const std::vector<std::array<std::string, 6>> tips = {
        {"1", "2", "3", "4", "5", "2"},
        {"1", "1", "3", "8", "12", "3"}, // a number twice, one out of range
        {"4", "9", "", "2", "3", "1"},   // the count ends at the empty text
        {"7", "7", "x", "2", "3", "1"},
        {"1", "2", "3", "4", "5", ""},
    };
    for (const auto& texts : tips) {
        const std::array<const std::string*, 6> p = {&texts[0], &texts[1], &texts[2], &texts[3], &texts[4], &texts[5]};
        const ClassProbabilities got = classProbabilities(chanceTip(p), mainMax, megaBallMax);
        ClassProbabilities want{};
        double orders = 0;
        std::array<int, 5> d{};
        const std::function<void(int, int)> draw = [&](int pos, int used) {
            if (pos == 5) {
                for (int mb = 1; mb <= megaBallMax; ++mb) {
                    CurrentDrawing cur;
                    for (int i = 0; i < 5; ++i)
                        cur.Zahl[static_cast<std::size_t>(i + 1)] = d[static_cast<std::size_t>(i)];
                    cur.Zahl[7] = mb;
                    const HitCount h = countTipHits(cur, p);
                    want[static_cast<std::size_t>(h.Gewinn)][h.Zusatz ? 1 : 0] += 1;
                    orders += 1;
                }
                return;
            }
            for (int v = 1; v <= mainMax; ++v)
                if (!(used & (1 << v))) {
                    d[static_cast<std::size_t>(pos)] = v;
                    draw(pos + 1, used | (1 << v));
                }
        };
        draw(0, 0);
        for (std::size_t k = 0; k < 6; ++k)
            for (std::size_t b = 0; b < 2; ++b)
                EXPECT_NEAR(got[k][b], want[k][b] / orders, 1e-12) << texts[0] << "," << texts[1] << " k=" << k << " b=" << b;
    }
}

TEST(Chance, TallyAndItsTexts) {
    ChanceTally tally({"a", "b"});
    tally.addTrials({0.5, 0.5}, 10);
    tally.addCertain(1);
    tally.addObserved(0, 9);
    tally.addObserved(1, 2);
    const std::vector<ChanceLine> lines = tally.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].expected, 5.0);
    EXPECT_NEAR(lines[0].p, 22.0 / 1024, 1e-15);
    EXPECT_EQ(lines[0].verdict, ChanceVerdict::AsChance);
    EXPECT_DOUBLE_EQ(lines[1].expected, 6.0);
    // 2 = the certain one and 1 of the 10: P(X <= 2) = 11/1024.
    EXPECT_NEAR(lines[1].p, 22.0 / 1024, 1e-15);
    EXPECT_EQ(chanceCommandLines({lines[0]}), "chance class=a observed=9 expected=5 p=0.021484375\n");

    ChanceTally strong({"x"});
    strong.addTrials({0.5}, 100);
    strong.addObserved(0, 80);
    EXPECT_EQ(strong.lines()[0].verdict, ChanceVerdict::More);
    resetProgramTexts();
    const std::string section = chanceReportSection({{"", strong.lines()}}, 0);
    EXPECT_EQ(section.rfind("\r\nVerglichen mit dem Zufall\r\nKlasse\tbeobachtet\terwartet\tp\r\nx\t80\t50,00\t", 0), 0u);
    EXPECT_NE(section.find("mehr als der Zufall"), std::string::npos);
}
