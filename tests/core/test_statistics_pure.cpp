// The statistics as pure functions over records, without the main model.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "services/MessageTable.h"
#include "statistics/Statistics.h"
#include "tips/TipSet.h"

namespace rz {
namespace {

using test::rec;

struct Records {
    std::vector<std::uint8_t> bytes;
    explicit Records(const std::vector<DrawingRecord>& all) : bytes(all.size() * DrawingRecord::kSize) {
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i].toBytes(bytes.data() + i * DrawingRecord::kSize);
    }
    RecordSpan span() const { return {bytes.data(), bytes.size() / DrawingRecord::kSize}; }
};

const std::vector<DrawingRecord> kHistory = {
    rec(2019, 10, 15, {1, 2, 3, 40, 41}, 3),
    rec(2019, 10, 18, {10, 11, 30, 31, 32}, 7),
    rec(2019, 10, 22, {5, 6, 7, 8, 60}, 21),
};

TEST(StatisticsPure, RunsCountFirstNumbersAndLeaveTheLastCountedDrawing) {
    const Records r(kHistory);
    const MessageTable messages;
    // The start day itself is outside the window of the run routines.
    const StatisticsWindow w{dayFromYmd(2019, 10, 15), dayFromYmd(2019, 10, 22)};
    const StatisticsOutcome pairs = consecutiveRuns(r.span(), w, 2, messages);
    EXPECT_EQ(pairs.table.Entries.size(), 69u);
    EXPECT_EQ(pairs.table.Value(10), 1);
    EXPECT_EQ(pairs.table.Value(30), 1);
    EXPECT_EQ(pairs.table.Value(31), 1);
    EXPECT_EQ(pairs.table.Value(5), 1);
    EXPECT_EQ(pairs.table.Value(1), 0); // 15 Oct is the start day
    ASSERT_TRUE(pairs.lastCounted.has_value());
    EXPECT_EQ((*pairs.lastCounted)[5], 60);
    EXPECT_EQ((*pairs.lastCounted)[7], 21);
    EXPECT_NE(pairs.title->find(":6"), std::string::npos) << *pairs.title; // 3 + 3 pairs

    const StatisticsOutcome quads = consecutiveRuns(r.span(), w, 4, messages);
    EXPECT_EQ(quads.table.Entries.size(), 70u);
    EXPECT_EQ(quads.table.Value(5), 1);
    EXPECT_FALSE(quads.table.fixedAxis);
}

TEST(StatisticsPure, AnEmptyWindowKeepsTheAverageTitleOpen) {
    const Records r(kHistory);
    const MessageTable messages;
    const StatisticsWindow none{dayFromYmd(2020, 1, 1), dayFromYmd(2020, 2, 1)};
    EXPECT_FALSE(numberFrequency(r.span(), none, messages).title.has_value());
    EXPECT_FALSE(drawingSums(r.span(), none, messages).title.has_value());
    EXPECT_FALSE(consecutiveRuns(r.span(), none, 3, messages).lastCounted.has_value());
    const StatisticsWindow all{dayFromYmd(2019, 10, 15), dayFromYmd(2019, 10, 22)};
    const StatisticsOutcome f = numberFrequency(r.span(), all, messages);
    ASSERT_TRUE(f.title.has_value());
    EXPECT_EQ(f.table.Value(41), 1);
    EXPECT_EQ(f.table.Entries[1].BarColour, Colour::Red); // 2 is prime
}

} // namespace
} // namespace rz

namespace rz {
namespace {

// Every bar has a height: a fixed axis starts a round step below the least
// value (never under 0), an automatic one at 0 and ends on a whole step.
TEST(ChartValueAxis, EveryBarHasAHeight) {
    struct Case {
        const char* name;
        bool fixed;
        int rangeMin, rangeMax;
        std::vector<int> values;
        ChartValueAxis expected;
    } cases[] = {
        {"frequencies 60..100", true, 60, 100, {60, 100}, {50, 100, 10}},
        {"frequencies 120..135", true, 120, 135, {120, 135}, {115, 135, 5}},
        {"least value on a step", true, 40, 80, {40, 80}, {30, 80, 10}},
        {"all equal", true, 5, 5, {5}, {4, 6, 1}},
        {"least value 1", true, 1, 3, {1, 3}, {0, 3, 1}},
        {"zero stays at the bottom", true, 0, 1, {0, 1}, {0, 1, 1}},
        {"automatic", false, 0, 0, {3, 37}, {0, 40, 10}},
        {"automatic, nothing counted", false, 0, 0, {}, {0, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StatisticsTable t;
        t.fixedAxis = c.fixed;
        t.RangeMin = c.rangeMin;
        t.RangeMax = c.rangeMax;
        for (std::size_t i = 0; i < c.values.size(); ++i)
            t.Entries.push_back({static_cast<int>(i) + 1, c.values[i], Colour::BarGreen});
        const ChartValueAxis a = chartValueAxis(t);
        EXPECT_EQ(a.lo, c.expected.lo);
        EXPECT_EQ(a.hi, c.expected.hi);
        EXPECT_EQ(a.step, c.expected.step);
        for (int v : c.values)
            EXPECT_TRUE(v == 0 || a.lo < v) << v;
    }
}

} // namespace
} // namespace rz
