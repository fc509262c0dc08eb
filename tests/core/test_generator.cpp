#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <list>
#include <map>
#include <set>

#include "TestSupport.h"
#include "common/Text.h"
#include "app/Generation.h"
#include "app/MainModel.h"

using namespace rz;
using rz::test::TempDir;

namespace {

// Every weighting and exclusion switched off: the pool is the base block.
void plainSettings(GeneratorSettings& s) {
    s.set(Gs::PreferOverdue, 0);
    s.set(Gs::MaxHitsLast1Enabled, 0);
    s.set(Gs::MaxHitsLast2Enabled, 0);
    s.set(Gs::MaxHitsLast3Enabled, 0);
}

// Drawings (one per day from 1 Jan 2018) in which number n occurs counts[n]
// times: each drawing takes the five numbers with the most occurrences left.
std::vector<DrawingRecord> drawingsWithCounts(std::map<int, int> counts, int megaBall = 1) {
    std::vector<DrawingRecord> out;
    DayNumber day = dayFromYmd(2018, 1, 1);
    for (;;) {
        std::vector<std::pair<int, int>> left;
        for (auto [n, c] : counts)
            if (c > 0)
                left.push_back({c, n});
        if (left.size() < 5)
            break;
        std::sort(left.begin(), left.end(), [](auto a, auto b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
        std::array<int, 5> mains{};
        for (int i = 0; i < 5; ++i) {
            mains[static_cast<std::size_t>(i)] = left[static_cast<std::size_t>(i)].second;
            counts[left[static_cast<std::size_t>(i)].second] -= 1;
        }
        std::sort(mains.begin(), mains.end());
        out.push_back(DrawingRecord::make(day, mains, megaBall, 2));
        day += 1;
    }
    return out;
}

// Notes what the run shows: its status lines and the tables it counted.
struct RunFollower : GenerationObserver {
    std::vector<std::string> statuses;
    std::vector<StatisticsKind> kinds; // the tables counted, in order
    StatisticsTable table; // the table counted last
    int repaints = 0;
    void status(const std::string& text) override { statuses.push_back(text); }
    void repaint() override { ++repaints; }
    void counted(StatisticsKind kind, const StatisticsCount& count) override {
        kinds.push_back(kind);
        table = count.table;
    }
};

// A run over plain data: settings, tips, random generator, the records of a
// drawing file and the window's dates (from 1 Jan 2017 to the last drawing).
struct GenFixture : ::testing::Test {
    TempDir dir;
    MessageTable messages;
    GeneratorSettings settings;
    TipSet tips;
    Rng rng;
    NumberList numberList;
    test::ScriptedPlatform platform;
    CurrentOperation operation;
    RecordSnapshot records;
    GenerationStart start{dayFromYmd(2017, 1, 1), {}, {}};
    RunFollower follower;
    std::list<Generation> made;

    void store(const std::vector<DrawingRecord>& recs) {
        const std::string path = dir.str() + "Zahlen.dat";
        test::writeDatabase(path, recs);
        records = RecordSnapshot::read(path);
        start.endDate.date = recs.empty() ? dayFromYmd(2020, 1, 1) : recs.back().Date;
        Generation::lookUpEndDate(records, start.endDate, start.drawing);
    }
    Generation& generation() {
        return made.emplace_back(messages, settings, tips, rng, records, start, numberList, platform, platform,
                                 operation, follower);
    }
    Generator& generator() { return generation().generator(); }
    GenerationResult run() { return generation().run(); }
    std::vector<int> poolEntries(const Generator& g) {
        return std::vector<int>(g.pool.entry.begin(), g.pool.entry.begin() + g.pool.size());
    }
    std::array<int, 5> rowNumbers(int r) {
        std::array<int, 5> n{};
        for (int k = 1; k <= 5; ++k) {
            std::int32_t v = 0;
            tryParseInt(tips.get(r, k), v);
            n[static_cast<std::size_t>(k - 1)] = v;
        }
        return n;
    }
};

std::vector<DrawingRecord> someHistory() {
    // 200 drawings of a fixed pseudo-random pattern, Tuesdays and Fridays from 2017.
    std::vector<DrawingRecord> out;
    Rng rng;
    rng.RandSeed = 99;
    DayNumber day = dayFromYmd(2017, 1, 3);
    for (int i = 0; i < 200; ++i) {
        std::set<int> nums;
        while (nums.size() < 5)
            nums.insert(static_cast<int>(rng.Random(70)) + 1);
        std::array<int, 5> mains{};
        std::copy(nums.begin(), nums.end(), mains.begin());
        out.push_back(DrawingRecord::make(day, mains, static_cast<int>(rng.Random(25)) + 1, 2));
        day += (i % 2 == 0) ? 3 : 4;
    }
    return out;
}

} // namespace

// ------------------------------------------------------------- pool

TEST_F(GenFixture, BaseBlockAfterCompaction) {
    store(someHistory());
    plainSettings(settings);
    Generator& g = generator();
    ASSERT_TRUE(g.BuildCandidatePool());
    std::vector<int> expected{1, 1};
    for (int n = 2; n <= 70; ++n)
        expected.push_back(n);
    EXPECT_EQ(poolEntries(g), expected);
    EXPECT_EQ(g.pool.Last, 70);
}

TEST_F(GenFixture, FrequentNumberThresholdsRoundHalvesToEven) {
    // Max 25, Min 10, X = 30: pass 1 lower Round(20.5) = 20, pass 2 lower Round(22.75) = 23.
    std::map<int, int> counts;
    for (int n = 1; n <= 70; ++n)
        counts[n] = 15;
    counts[1] = 25;
    counts[2] = 24;
    counts[3] = 23;
    counts[4] = 22;
    counts[5] = 20;
    counts[6] = 19;
    counts[7] = 10;
    counts[8] = 17;
    store(drawingsWithCounts(counts));
    plainSettings(settings);
    settings.set(Gs::PreferFrequent, 1);
    settings.set(Gs::PreferFrequentPercent, 30);
    Generator& g = generator();
    ASSERT_TRUE(g.BuildCandidatePool());
    ASSERT_EQ(follower.table.RangeMax, 25);
    ASSERT_EQ(follower.table.RangeMin, 10);
    const std::pair<int, int> expected[] = {{1, 5}, {2, 4}, {3, 4}, {4, 3}, {5, 3}, {6, 1}, {7, 1}, {8, 1}, {9, 1}};
    for (auto [n, c] : expected)
        EXPECT_EQ(g.pool.CountInPool(n), c) << n;
}

TEST_F(GenFixture, ExclusionsEmptyTheRightEntries) {
    store(someHistory());
    plainSettings(settings);
    settings.set(Gs::PreferOverdue, 1);
    settings.set(Gs::PreferNeighbours, 1);
    settings.set(Gs::MaxHitsLast1Enabled, 1);
    settings.set(Gs::MaxHitsLast1, 0);
    Generator& g = generator();
    g.captureLastDrawings();
    ASSERT_TRUE(g.BuildCandidatePool());
    const DrawingRecord last = someHistory().back(); // a copy: the vector is a temporary
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(g.pool.CountInPool(last.main(i)), 0) << int(last.main(i));
    for (int v : poolEntries(g))
        EXPECT_NE(v, 0);

    // Damping the date numbers takes one entry of each of 1..31.
    Generator& g2 = generator();
    settings = GeneratorSettings();
    plainSettings(settings);
    settings.set(Gs::DampDateNumbers, 1);
    ASSERT_TRUE(g2.BuildCandidatePool());
    EXPECT_EQ(g2.pool.CountInPool(1), 1);
    for (int n = 2; n <= 31; ++n)
        EXPECT_EQ(g2.pool.CountInPool(n), 0) << n;
    EXPECT_EQ(g2.pool.CountInPool(32), 1);

    Generator& g3 = generator();
    settings = GeneratorSettings();
    plainSettings(settings);
    settings.set(Gs::AvoidMonthNumbers, 1);
    ASSERT_TRUE(g3.BuildCandidatePool());
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(g3.pool.CountInPool(n), 0);
    EXPECT_EQ(g3.pool.size(), 58);
}

TEST_F(GenFixture, NumberListOkRetryAbort) {
    store(someHistory());
    plainSettings(settings);
    settings.set(Gs::ShowNumberList, 1);
    // OK: the edits in the list are ignored.
    platform.numberListAnswers = {ModalResult::Ok};
    platform.onNumberList = [this] {
        EXPECT_EQ(numberList.box(1).weight, "2");
        EXPECT_TRUE(numberList.box(70).checked);
        numberList.box(5).checked = false;
    };
    Generator& g = generator();
    ASSERT_TRUE(g.BuildCandidatePool());
    EXPECT_EQ(g.pool.CountInPool(5), 1);

    // Retry: rebuilt from the boxes, in ascending number order.
    platform.numberListAnswers = {ModalResult::Retry};
    platform.onNumberList = [this] {
        for (int n = 1; n <= 70; ++n)
            numberList.box(n).checked = false;
        numberList.box(3).checked = true;
        numberList.box(3).weight = "3";
        numberList.box(9).checked = true;
        numberList.box(9).weight = "0";
        numberList.box(12).checked = true;
        numberList.box(12).weight = "-1";
        numberList.box(20).checked = true;
        numberList.box(20).weight = "";
    };
    Generator& g2 = generator();
    ASSERT_TRUE(g2.BuildCandidatePool());
    EXPECT_EQ(poolEntries(g2), (std::vector<int>{3, 3, 3, 9, 20}));
    EXPECT_EQ(numberList.box(20).weight, "0");

    platform.numberListAnswers = {ModalResult::Abort};
    platform.onNumberList = nullptr;
    Generator& g3 = generator();
    EXPECT_FALSE(g3.BuildCandidatePool());
}

// ------------------------------------------------------------- MegaBall

TEST_F(GenFixture, ChooseMegaBallRarestSkipsRecentOnes) {
    // MegaBalls of 30 drawings: 1..25 once each (so all frequencies 1), then 24, 24, 23, 23, 25.
    // Frequencies: 23, 24 -> 3, 25 -> 2, the rest 1. Overdue: 25 -> 0, 23 -> 1, 24 -> 3, 22 -> 7.
    std::vector<DrawingRecord> recs;
    DayNumber day = dayFromYmd(2018, 1, 2);
    std::vector<int> mbs;
    for (int k = 1; k <= 25; ++k)
        mbs.push_back(k);
    for (int k : {24, 24, 23, 23, 25})
        mbs.push_back(k);
    for (int mb : mbs) {
        recs.push_back(DrawingRecord::make(day, {1, 2, 3, 4, 5}, mb, 2));
        day += 3;
    }
    store(recs);
    settings.set(Gs::MegaBallRarest, 1);
    settings.set(Gs::MegaBallExcludeRecent, 5);
    Generator& g = generator();
    // Rarest: highest key among the lowest frequency (1) is 22, drawn 7 drawings ago: accepted.
    EXPECT_EQ(g.ChooseMegaBall(), 22);
    settings.set(Gs::MegaBallLongestOutstanding, 1);
    EXPECT_EQ(g.ChooseMegaBall(), 1); // overdue 29, the most
    settings.set(Gs::MegaBallExcludeRecent, 10);
    settings.set(Gs::MegaBallRandom, 1);
    std::set<int> seen;
    for (int i = 0; i < 500; ++i)
        seen.insert(g.ChooseMegaBall());
    // Overdue values below 10 are rejected: 21 (8), 22 (7), 23 (1), 24 (3), 25 (0) never come.
    for (int k : {21, 22, 23, 24, 25})
        EXPECT_EQ(seen.count(k), 0u) << k;
    EXPECT_EQ(seen.size(), 20u);
}

TEST_F(GenFixture, ChooseMegaBallRarestRecentlyDrawn) {
    // The rarest MegaBall (25, once) was drawn 2 drawings ago: the next rarest is used.
    std::vector<DrawingRecord> recs;
    DayNumber day = dayFromYmd(2018, 1, 2);
    std::vector<int> mbs;
    for (int round = 0; round < 2; ++round)
        for (int k = 1; k <= 24; ++k)
            mbs.push_back(k);
    mbs.push_back(25);
    mbs.push_back(3);
    mbs.push_back(4);
    for (int mb : mbs) {
        recs.push_back(DrawingRecord::make(day, {1, 2, 3, 4, 5}, mb, 2));
        day += 3;
    }
    store(recs);
    settings.set(Gs::MegaBall24, 0); // 25 is a candidate
    settings.set(Gs::MegaBallRarest, 1);
    Generator& g = generator();
    // 25 (once) is 2 drawings out; of the keys drawn twice, 24 (3 out) and 23 (4 out)
    // are recent too, so 22 (5 out) is the choice.
    EXPECT_EQ(g.ChooseMegaBall(), 22);
    settings.set(Gs::MegaBallExcludeRecent, 2);
    EXPECT_EQ(g.ChooseMegaBall(), 25); // 2 out is no longer recent
}

// ------------------------------------------------------------- rules

TEST(GeneratorRules, ShapesAndPrimes) {
    struct Case {
        std::array<int, 5> n;
        bool pair, run3;
        int even;
    } cases[] = {
        {{3, 4, 5, 20, 40}, true, true, 3},
        {{3, 4, 20, 40, 41}, true, false, 3},
        {{10, 20, 30, 40, 50}, false, false, 5},
        {{1, 2, 3, 4, 5}, true, true, 2},
        {{7, 9, 11, 13, 15}, false, false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Generator::HasPair(c.n.data()), c.pair);
        EXPECT_EQ(Generator::HasRunOfThree(c.n.data()), c.run3);
        EXPECT_EQ(Generator::CountEven(c.n.data()), c.even);
    }
    EXPECT_EQ(Generator::primzahlen(4, 6, 8, 9, 11, 13, 0), 2);
    EXPECT_EQ(Generator::primzahlen(2, 3, 5, 7, 67, 0, 0), 5);
    EXPECT_EQ(Generator::primzahlen(1, 4, 6, 8, 9, 0, 0), 0);
}

TEST_F(GenFixture, SlipOverlapRule) {
    store(someHistory());
    Generator& g = generator();
    auto setRow = [&g](int r, std::array<int, 5> n) {
        g.EarlierRows[static_cast<std::size_t>(r)] = n;
        std::uint64_t lo = 0, hi = 0;
        for (int v : n)
            if (v > 0)
                (v < 64 ? lo : hi) |= std::uint64_t{1} << (v < 64 ? v : v - 64);
        g.earlierMaskLo[static_cast<std::size_t>(r)] = lo;
        g.earlierMaskHi[static_cast<std::size_t>(r)] = hi;
    };
    setRow(1, {1, 2, 3, 4, 5});
    setRow(2, {10, 11, 12, 13, 14});
    const std::array<int, 5> shares0and3{10, 11, 12, 40, 50}; // 0 with row 1, 3 with row 2
    const std::array<int, 5> shares1and2{1, 10, 11, 40, 65};
    GeneratorSettings& s = settings;
    // Defaults: 1..2 with every earlier row.
    EXPECT_TRUE(g.CheckOverlap(shares1and2.data(), 3));
    EXPECT_FALSE(g.CheckOverlap(shares0and3.data(), 3));
    // Without each-pair: existence conditions.
    s.set(Gs::OverlapEachPair, 0);
    EXPECT_TRUE(g.CheckOverlap(shares0and3.data(), 3));
    // Each-pair with both switches off still applies the limits.
    s.set(Gs::OverlapEachPair, 1);
    s.set(Gs::MinOverlapEnabled, 0);
    s.set(Gs::MaxOverlapEnabled, 0);
    EXPECT_FALSE(g.CheckOverlap(shares0and3.data(), 3));
    // Max 0, each-pair off: a row-2 candidate must share nothing with row 1.
    s.set(Gs::OverlapEachPair, 0);
    s.set(Gs::MaxOverlapEnabled, 1);
    s.set(Gs::MaxOverlap, 0);
    const std::array<int, 5> none{20, 30, 40, 50, 60};
    const std::array<int, 5> one{5, 30, 40, 50, 60};
    EXPECT_TRUE(g.CheckOverlap(none.data(), 2));
    EXPECT_FALSE(g.CheckOverlap(one.data(), 2));
    // An empty earlier row has overlap 0 with everything.
    s.set(Gs::OverlapEachPair, 1);
    s.set(Gs::MaxOverlap, 2);
    s.set(Gs::MinOverlap, 1);
    setRow(2, {0, 0, 0, 0, 0});
    EXPECT_FALSE(g.CheckOverlap(shares1and2.data(), 3));
}

TEST_F(GenFixture, LastDrawingAndHistoryRules) {
    // Last drawing 5 12 33 41 70 MB 7, dated 1 June 2019.
    std::vector<DrawingRecord> recs = {
        test::rec(2017, 1, 1, {1, 2, 3, 4, 60}, 9),    // exactly the start date: never looked at
        test::rec(2018, 4, 7, {21, 22, 23, 24, 61}, 9), // 420 days before the end: outside the recent period
        test::rec(2018, 4, 8, {31, 32, 33, 34, 62}, 9), // inside
        test::rec(2019, 5, 28, {10, 11, 12, 13, 63}, 8),
        test::rec(2019, 6, 1, {5, 12, 33, 41, 70}, 7),
    };
    store(recs);
    ASSERT_EQ(start.endDate.date, dayFromYmd(2019, 6, 1));
    GeneratorSettings& s = settings;
    s.set(Gs::ExcludeDbClassEnabled, 0);
    s.set(Gs::ExcludeRecentEnabled, 0);
    Generator& g = generator();
    g.captureLastDrawings();
    ASSERT_EQ(g.LastDrawings[1].mb, 7);
    ASSERT_EQ(g.LastDrawings[2].n[1], 10);

    const std::array<int, 5> oneOfLast{5, 20, 30, 40, 50};
    s.set(Gs::MaxHitsLast1, 1);
    EXPECT_FALSE(g.CheckTipRules(oneOfLast.data(), 7)); // 1 + MegaBall = 2 > 1
    EXPECT_TRUE(g.CheckTipRules(oneOfLast.data(), 8));
    s.set(Gs::OverlapCountsMegaBall, 0);
    EXPECT_TRUE(g.CheckTipRules(oneOfLast.data(), 7));
    s.set(Gs::OverlapCountsMegaBall, 1);
    s.set(Gs::MaxHitsLast1, 0); // 0 does not test (the pool holds none of these numbers)
    EXPECT_TRUE(g.CheckTipRules(oneOfLast.data(), 7));

    // Database rule: h >= class rejects; the start date itself is excluded.
    s.set(Gs::ExcludeDbClassEnabled, 1);
    s.set(Gs::ExcludeDbClass, 4);
    const std::array<int, 5> fourOfStartDay{1, 2, 3, 4, 50};
    const std::array<int, 5> fourOf2018{31, 32, 33, 34, 50};
    const std::array<int, 5> threeOf2018{31, 32, 33, 44, 50};
    EXPECT_TRUE(g.Secheroderfuenfer(fourOfStartDay.data(), 1));
    EXPECT_FALSE(g.Secheroderfuenfer(fourOf2018.data(), 1));
    EXPECT_TRUE(g.Secheroderfuenfer(threeOf2018.data(), 1));
    EXPECT_FALSE(g.Secheroderfuenfer(threeOf2018.data(), 9)); // the MegaBall makes it four
    // A drawing after the end date is not looked at.
    const std::array<int, 5> fourOfLast{5, 12, 33, 41, 50};
    EXPECT_FALSE(g.Secheroderfuenfer(fourOfLast.data(), 1));
    start.endDate.date = dayFromYmd(2019, 5, 31);
    EXPECT_TRUE(generator().Secheroderfuenfer(fourOfLast.data(), 1));

    // Recent rule: 60 weeks before 1 June 2019 is 7 April 2018, which is outside.
    s.set(Gs::ExcludeRecentDraws, 60);
    s.set(Gs::ExcludeRecentClass, 3);
    const std::array<int, 5> threeOf7April{21, 22, 23, 44, 50};
    const std::array<int, 5> threeOf8April{31, 32, 33, 44, 50};
    EXPECT_TRUE(g.dreierodervierer(threeOf7April.data(), 1));
    EXPECT_FALSE(g.dreierodervierer(threeOf8April.data(), 1));

    // Even and odd minimums that add up to 6 reject everything.
    s.set(Gs::ExcludeDbClassEnabled, 0);
    s.set(Gs::MinEvenEnabled, 1);
    s.set(Gs::MinOddEnabled, 1);
    s.set(Gs::MinEven, 3);
    s.set(Gs::MinOdd, 3);
    for (const auto& t : {std::array<int, 5>{2, 4, 6, 7, 9}, std::array<int, 5>{1, 3, 5, 8, 10}})
        EXPECT_FALSE(g.CheckTipRules(t.data(), 1));
    s.set(Gs::MinEvenEnabled, 0);
    s.set(Gs::MinOddEnabled, 0);
    s.set(Gs::MinPrimesEnabled, 1);
    s.set(Gs::MinPrimes, 2);
    const std::array<int, 5> primes{4, 6, 8, 9, 11};
    EXPECT_TRUE(g.CheckTipRules(primes.data(), 13));
    EXPECT_FALSE(g.CheckTipRules(primes.data(), 12));
}

// ------------------------------------------------------------- runs

TEST_F(GenFixture, RunFillsRowsThatPassEveryRule) {
    const auto history = someHistory();
    store(history);
    settings.set(Gs::TipCount, 5);
    rng.RandSeed = 4711;
    const GenerationResult result = run();
    ASSERT_FALSE(result.cancelled);
    EXPECT_TRUE(result.poolUsable);
    EXPECT_EQ(result.endMessage, Msg::TipsRecalculated);
    ASSERT_FALSE(follower.statuses.empty());
    EXPECT_EQ(follower.statuses.back(), "Tipps wurden neu berechnet");
    const DrawingRecord& last = history.back();
    // The rows were checked against the last drawing.
    EXPECT_EQ(result.drawing.Datum1, last.Date);
    std::vector<std::array<int, 5>> rows;
    for (int r = 1; r <= 5; ++r) {
        const auto n = rowNumbers(r);
        ASSERT_TRUE(tips.IsRowFilled(r)) << r;
        EXPECT_TRUE(std::is_sorted(n.begin(), n.end()));
        EXPECT_EQ(std::set<int>(n.begin(), n.end()).size(), 5u);
        const int sum = n[0] + n[1] + n[2] + n[3] + n[4];
        EXPECT_GE(sum, 50);
        EXPECT_LE(sum, 200);
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(n[i] + 1 == n[i + 1] && n[i + 1] + 1 == n[i + 2]);
        for (int i = 1; i <= 5; ++i) // the last drawing's numbers are never used
            EXPECT_EQ(std::count(n.begin(), n.end(), last.main(i)), 0);
        for (const auto& earlier : rows) {
            int o = 0;
            for (int v : n)
                o += std::count(earlier.begin(), earlier.end(), v) > 0;
            EXPECT_GE(o, 1);
            EXPECT_LE(o, 2);
        }
        // No drawing of the window (start excluded) reaches 4 hits with the MegaBall counted.
        std::int32_t mb = 0;
        ASSERT_TRUE(tryParseInt(tips.get(r, 6), mb));
        for (const auto& d : history) {
            if (!(d.Date > start.statisticsStart && d.Date <= result.endDate.date))
                continue;
            int h = (d.megaBall() == mb) ? 1 : 0;
            for (int i = 1; i <= 5; ++i)
                h += std::count(n.begin(), n.end(), d.main(i));
            EXPECT_LT(h, 4);
        }
        rows.push_back(n);
        EXPECT_EQ(tips.row(r).sumCaption, std::to_string(sum));
        EXPECT_EQ(tips.row(r).hitCaption, "0"); // checked: none of the last drawing's numbers
    }
    for (int r = 6; r <= 12; ++r) {
        EXPECT_FALSE(tips.IsRowFilled(r));
        EXPECT_EQ(tips.row(r).sumCaption, "0");
    }

    // The same seed gives the same rows.
    const TipSet first = tips;
    rng.RandSeed = 4711;
    const GenerationResult again = run();
    EXPECT_EQ(tips, first);
    EXPECT_EQ(again.attempts, result.attempts);
}

TEST_F(GenFixture, LockedRowsAndTipCount) {
    store(someHistory());
    settings.set(Gs::TipCount, 2);
    for (int k = 1; k <= 7; ++k)
        tips.set(3, k, std::to_string(k * 3));
    tips.set(3, 2, ""); // an empty field of a locked row counts as 0
    tips.row(3).Locked = true;
    rng.RandSeed = 1;
    run();
    EXPECT_TRUE(tips.IsRowFilled(1));
    EXPECT_TRUE(tips.IsRowFilled(2));
    EXPECT_EQ(tips.get(3, 1), "3");
    EXPECT_EQ(tips.get(3, 2), "");
    EXPECT_EQ(tips.get(3, 7), "21");
    for (int r = 4; r <= 12; ++r)
        EXPECT_FALSE(tips.IsRowFilled(r)) << r;
}

TEST_F(GenFixture, ExhaustedBudgetRestoresTheSettings) {
    store(someHistory());
    GeneratorSettings& s = settings;
    s.set(Gs::MaxRunsThousands, 25);
    s.set(Gs::TipCount, 12);
    s.set(Gs::ForcePair, 1);
    s.set(Gs::MaxHitsLast1, 0);
    s.set(Gs::ExcludeDbClass, 3);
    s.set(Gs::MinOverlap, 3); // with each-pair on and max 2: no second row is possible
    rng.RandSeed = 7;
    const GenerationResult result = run();
    EXPECT_EQ(result.attempts, 25000);
    EXPECT_EQ(result.endMessage, Msg::ChangeParameters);
    EXPECT_EQ(follower.statuses.back(), "Ändern Sie die Parameter um 12 Tipps zuberechnen");
    EXPECT_EQ(s.get(Gs::ForcePair), 1);
    EXPECT_EQ(s.get(Gs::MaxHitsLast1), 0);
    EXPECT_EQ(s.get(Gs::ExcludeDbClass), 3);
    EXPECT_TRUE(tips.IsRowFilled(1));
    for (int r = 2; r <= 12; ++r)
        EXPECT_FALSE(tips.IsRowFilled(r)) << r;
}

TEST_F(GenFixture, UnusablePoolMakesNoAttempt) {
    store(someHistory());
    plainSettings(settings);
    settings.set(Gs::PreferredOnly, 1);
    tips.set(1, 1, "9");
    const GenerationResult result = run();
    EXPECT_FALSE(result.poolUsable);
    EXPECT_EQ(result.attempts, 0);
    EXPECT_EQ(result.endMessage, Msg::ChangeParameters);
    EXPECT_FALSE(tips.IsRowFilled(1));
}

TEST_F(GenFixture, StopRequestEndsTheRunAtItsNextAttempt) {
    store(someHistory());
    settings.set(Gs::MaxRunsThousands, 30000);
    settings.set(Gs::MinEvenEnabled, 1); // nothing passes: only the stop ends the run
    settings.set(Gs::MinOddEnabled, 1);
    settings.set(Gs::MinEven, 3);
    settings.set(Gs::MinOdd, 3);
    operation.kind = OperationKind::Generation;
    platform.onPendingEvents = [this] { operation.requestStop(); };
    const GenerationResult result = run();
    EXPECT_GE(platform.pendingEventCalls, 1);
    EXPECT_LT(result.attempts, 30000000);
    EXPECT_EQ(result.endMessage, Msg::TipsRecalculated);
    for (int r = 1; r <= 12; ++r)
        EXPECT_FALSE(tips.IsRowFilled(r));
}

TEST_F(GenFixture, CancelledNumberListMakesNoRow) {
    store(someHistory());
    settings.set(Gs::ShowNumberList, 1);
    settings.set(Gs::ForcePair, 1);
    tips.set(2, 1, "5");
    platform.numberListAnswers = {ModalResult::Abort};
    const GenerationResult result = run();
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.attempts, 0);
    EXPECT_EQ(tips.get(2, 1), ""); // the run cleared the rows before it asked
    EXPECT_EQ(settings.get(Gs::ForcePair), 1);
}

// The run counts its tables over the records it was given, for the window
// from the statistics start to the drawing found for the end date, and the
// drawing it checks against takes the numbers of the last drawing the tables
// of runs counted.
TEST_F(GenFixture, TablesComeFromTheRecordsAndTheWindow) {
    store({test::rec(2018, 1, 2, {1, 2, 3, 4, 5}, 3), test::rec(2018, 1, 5, {2, 3, 10, 20, 30}, 4),
           test::rec(2018, 1, 9, {40, 41, 50, 60, 70}, 5)});
    start.endDate.date = dayFromYmd(2018, 1, 4); // the lookup moves it to 5 Jan
    start.drawing = {};
    settings.set(Gs::PreferPairs, 1);
    settings.set(Gs::TipCount, 1);
    rng.RandSeed = 3;
    const GenerationResult result = run();
    EXPECT_EQ(result.endDate.date, dayFromYmd(2018, 1, 5));
    EXPECT_EQ(result.drawing.Datum1, dayFromYmd(2018, 1, 5));
    EXPECT_EQ(result.drawing.Zahl[1], 2);
    EXPECT_EQ(result.drawing.Zahl[7], 4);
    ASSERT_FALSE(follower.kinds.empty());
    EXPECT_EQ(follower.kinds.front(), StatisticsKind::Pairs);
    const StatisticsTable pairs =
        StatisticsCounter(messages)
            .count(StatisticsKind::Pairs, records, {start.statisticsStart, dayFromYmd(2018, 1, 5)})
            .table;
    EXPECT_EQ(pairs.Value(1), 1); // 1 2 of 2 Jan; 40 41 of 9 Jan is after the window
    EXPECT_EQ(pairs.Value(40), 0);
    EXPECT_EQ(pairs.Value(2), 2);
}

TEST_F(GenFixture, HistoryRulesCountNumbersOfOlderGameFormats) {
    // A neighbour of 74 can put 71..75 into the pool; such numbers count like any other.
    store({test::rec(2014, 1, 3, {2, 3, 19, 52, 71}, 14), test::rec(2014, 1, 7, {1, 4, 9, 30, 40}, 2)});
    settings.set(Gs::ExcludeRecentClass, 3);
    Generator& g = generator();
    const std::array<int, 5> tip{19, 21, 34, 36, 71};
    EXPECT_FALSE(g.dreierodervierer(tip.data(), 14)); // 19, 71 and the MegaBall
    EXPECT_TRUE(g.dreierodervierer(tip.data(), 15));
}

// ------------------------------------------------------------- the window's run

struct RunWindowFixture : ::testing::Test {
    TempDir dir;
    MainModel model;
    test::ScriptedPlatform platform;

    void SetUp() override {
        platform.attach(model);
        model.Home = dir.str();
        model.sortieren = true;
        model.DateTimePicker2.date = dayFromYmd(2017, 1, 1);
        const auto history = someHistory();
        test::writeDatabase(model.DatabasePath(), history);
        model.DateTimePicker1.date = history.back().Date;
        model.SpeedButton5Click();
    }
};

TEST_F(RunWindowFixture, TheWindowShowsTheRunAndItsEnd) {
    model.Settings.set(Gs::TipCount, 5);
    model.rng.RandSeed = 4711;
    model.Label28Click();
    EXPECT_EQ(model.lastEndMessage, 59);
    EXPECT_GT(model.RunCounter, 0);
    EXPECT_EQ(model.StatusPanel[1], "Tipps wurden neu berechnet");
    EXPECT_EQ(model.BitBtn4Caption, "Tipps berechnen");
    EXPECT_FALSE(model.Berechnunglaeuft);
    EXPECT_FALSE(model.runActive);
    EXPECT_FALSE(model.busy);
    EXPECT_TRUE(model.sortieren);
    EXPECT_EQ(model.activeTab, Tab::TipOverview);
    EXPECT_EQ(model.chart.Kind, StatisticsKind::MegaBallFrequency); // the table counted last
    // The rows were checked against the drawing on display.
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(model.tips.row(r).hitCaption, "0") << r;
    EXPECT_EQ(model.cur.Datum1, someHistory().back().Date);
    EXPECT_EQ(model.LaufMax, model.Settings.get(Gs::MaxRunsThousands) * 1000);
}

TEST_F(RunWindowFixture, StopRequestEndsTheRun) {
    GeneratorSettings& s = model.Settings;
    s.set(Gs::MaxRunsThousands, 30000);
    s.set(Gs::MinEvenEnabled, 1);
    s.set(Gs::MinOddEnabled, 1);
    s.set(Gs::MinEven, 3);
    s.set(Gs::MinOdd, 3);
    platform.onPendingEvents = [this] {
        EXPECT_TRUE(model.Berechnunglaeuft);
        EXPECT_EQ(model.BitBtn4Caption, "Stoppen");
        model.Label28Click(); // the user's click arrives while events are processed
        model.Label28Click(); // a second click while the run finishes starts nothing
    };
    model.Label28Click();
    EXPECT_GE(platform.pendingEventCalls, 1);
    EXPECT_LT(model.RunCounter, model.LaufMax);
    EXPECT_EQ(model.lastEndMessage, 59);
    EXPECT_EQ(model.BitBtn4Caption, "Tipps berechnen");
    EXPECT_FALSE(model.Berechnunglaeuft);
    for (int r = 1; r <= 12; ++r)
        EXPECT_FALSE(model.tips.IsRowFilled(r));
}

TEST_F(RunWindowFixture, ErrorDuringRunRestoresTheWindow) {
    model.Settings.set(Gs::ShowNumberList, 1);
    model.Settings.set(Gs::ForcePair, 1);
    platform.numberListAnswers = {ModalResult::Ok};
    // Something fails while the list is open.
    platform.onNumberList = [] { throw IoError("Cannot read"); };
    EXPECT_THROW(model.Label28Click(), IoError);
    EXPECT_EQ(model.BitBtn4Caption, "Tipps berechnen");
    EXPECT_TRUE(model.sortieren);
    EXPECT_FALSE(model.Berechnunglaeuft);
    EXPECT_FALSE(model.runActive);
    EXPECT_EQ(model.Settings.get(Gs::ForcePair), 1);
    EXPECT_EQ(model.heldRecords, nullptr);
}

TEST_F(RunWindowFixture, TheRunWorksFromTheRecordsReadAtItsStart) {
    // The drawing file disappears while the list is open: the statistics and
    // the history rules after it still count the drawings read at the start,
    // so the run computes what it computes with the file in place.
    model.Settings.set(Gs::ShowNumberList, 1);
    platform.numberListAnswers = {ModalResult::Ok, ModalResult::Ok};
    model.rng.RandSeed = 5;
    model.Label28Click();
    const TipSet withFile = model.tips;
    const std::int64_t attempts = model.RunCounter;

    platform.onNumberList = [this] { std::filesystem::remove(model.DatabasePath()); };
    model.rng.RandSeed = 5;
    model.Label28Click();
    EXPECT_EQ(model.RunCounter, attempts);
    for (int r = 1; r <= TipSet::kRows; ++r)
        for (int k = 1; k <= 7; ++k)
            EXPECT_EQ(model.tips.get(r, k), withFile.get(r, k)) << r << "," << k;
    EXPECT_TRUE(model.tips.IsRowFilled(1));
    EXPECT_EQ(model.heldRecords, nullptr);
}

// A run is one step of the undo history (its own clearing of the rows is part
// of it), and taking it back brings the rows from before the run.
TEST_F(RunWindowFixture, RunIsOneUndoStep) {
    model.Settings.set(Gs::TipCount, 3);
    model.rng.RandSeed = 4711;
    model.tips.set(1, 1, "7");
    model.tips.set(5, 1, "9");
    model.Label28Click();
    ASSERT_TRUE(model.tips.IsRowFilled(3));
    EXPECT_EQ(model.undoStack.size(), 1u);
    EXPECT_EQ(model.undoStack.undoName(), "Tippberechnung");
    model.Rueckgaengig1Click();
    EXPECT_EQ(model.tips.get(1, 1), "7");
    EXPECT_EQ(model.tips.get(5, 1), "9");
    EXPECT_FALSE(model.tips.IsRowFilled(2));
}
