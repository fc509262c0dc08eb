// The drawing analysis compared with chance, on a tiny history across four
// game formats: the expected counts against a count over every drawing each
// format can draw, with row 1 as the analysis fills it (an old drawing's
// numbers above 70 do not pass the field check and cut the count short).
#include <gtest/gtest.h>

#include <map>

#include "TestSupport.h"

using namespace rz;

namespace {

// P(k hits) of a tip against every drawing of five of 1..n, counted as the
// hit counter counts: all five tip numbers readable, or the first `readable`
// only, compared with the first drawn number (any of the five alike).
std::array<double, 6> everyDrawing(const std::vector<int>& tip, int readable, int n) {
    // Integer counts: every set of five counts five times, once per first number.
    std::array<std::uint64_t, 6> count{};
    std::uint64_t drawings = 0;
    std::array<int, 5> d{};
    for (d[0] = 1; d[0] <= n; ++d[0])
        for (d[1] = d[0] + 1; d[1] <= n; ++d[1])
            for (d[2] = d[1] + 1; d[2] <= n; ++d[2])
                for (d[3] = d[2] + 1; d[3] <= n; ++d[3])
                    for (d[4] = d[3] + 1; d[4] <= n; ++d[4]) {
                        drawings += 5;
                        if (readable == 5) {
                            int h = 0;
                            for (int t : tip)
                                for (int x : d)
                                    h += t == x;
                            count[static_cast<std::size_t>(h)] += 5;
                        } else {
                            for (int first : d) {
                                int h = 0;
                                for (int j = 0; j < readable; ++j)
                                    h += tip[static_cast<std::size_t>(j)] == first;
                                count[static_cast<std::size_t>(h)] += 1;
                            }
                        }
                    }
    std::array<double, 6> p{};
    for (std::size_t k = 0; k < 6; ++k)
        p[k] = static_cast<double>(count[k]) / static_cast<double>(drawings);
    return p;
}

} // namespace

TEST(DrawingAnalysisChance, ExpectationsAgreeWithEveryDrawingOfEachFormat) {
    test::TempDir dir;
    MainModel m;
    test::ScriptedPlatform p;
    FixedClock clock{dayFromYmd(2020, 1, 1)};
    m.setServices({.dialogs = &p, .shell = &p, .sound = &p, .events = &p, .clock = &clock});
    m.Home = dir.str();
    m.sortieren = true;
    m.DateTimePicker2.date = dayFromYmd(2005, 1, 1);
    test::writeDatabase(m.DatabasePath(), {
                                              test::rec(2005, 6, 17, {3, 17, 29, 44, 52}, 40),  // 5/52
                                              test::rec(2006, 1, 3, {3, 17, 30, 55, 56}, 45),   // 5/56
                                              test::rec(2014, 1, 3, {3, 29, 71, 74, 75}, 15),   // 5/75
                                              test::rec(2019, 10, 15, {3, 17, 29, 56, 70}, 7),  // 5/70
                                          });
    m.DateTimePicker1.date = dayFromYmd(2005, 6, 17);
    p.questionAnswers = {true}; // start it
    p.inputAnswers = {std::string("9")};
    m.BitBtn19Click();
    ASSERT_EQ(m.lastAnalysisOutcome, MainModel::AnalysisOutcome::Finished);
    ASSERT_EQ(m.lastChance.size(), 2u);

    const std::vector<int> d2005 = {3, 17, 29, 44, 52}, d2006 = {3, 17, 30, 55, 56}, d2014 = {3, 29, 0, 0, 0};
    // Earlier drawings of each pass: 2006 against 2005; 2014 (only 3 and 29
    // readable: 71 is emptied) against 2005 and 2006.
    std::array<double, 6> a{}, b{};
    const auto add = [](std::array<double, 6>& to, const std::array<double, 6>& p) {
        for (std::size_t k = 0; k < 6; ++k)
            to[k] += p[k];
    };
    add(a, everyDrawing(d2006, 5, 52));
    add(a, everyDrawing(d2014, 2, 52));
    add(a, everyDrawing(d2014, 2, 56));
    // Next drawings: 2005 -> 2006 (5/56), 2006 -> 2014 (5/75); the row of 2014
    // cannot be checked against 2019, so that count was no chance.
    add(b, everyDrawing(d2005, 5, 56));
    add(b, everyDrawing(d2006, 5, 75));

    const std::vector<ChanceLine> earlier = m.lastChance[0].tally.lines();
    const std::vector<ChanceLine> next = m.lastChance[1].tally.lines();
    ASSERT_EQ(earlier.size(), 6u);
    ASSERT_EQ(next.size(), 6u);
    std::int64_t certainB = -1;
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(earlier[k].name, "A" + std::to_string(k));
        EXPECT_NEAR(earlier[k].expected, a[k], 1e-12) << k;
        // B's certain trial is the one count beyond the two random ones.
        const double rest = next[k].expected - b[k];
        EXPECT_TRUE(std::fabs(rest) < 1e-12 || std::fabs(rest - 1) < 1e-12) << k;
        if (std::fabs(rest - 1) < 1e-12)
            certainB = static_cast<std::int64_t>(k);
    }
    EXPECT_GE(certainB, 0);
    // The observed counts are the report's.
    std::int64_t totalA = 0, totalB = 0;
    for (std::size_t k = 0; k < 6; ++k) {
        totalA += earlier[k].observed;
        totalB += next[k].observed;
    }
    EXPECT_EQ(totalA, 3);
    EXPECT_EQ(totalB, 3);
    EXPECT_GE(next[static_cast<std::size_t>(certainB)].observed, 1);
    EXPECT_EQ(m.reportWithChance().rfind(m.lastReport, 0), 0u);
}
