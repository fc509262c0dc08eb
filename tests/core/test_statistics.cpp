#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>

#include "TestSupport.h"

using namespace rz;
using rz::test::rec;

namespace {

using Routine = void (MainModel::*)();

class StatisticsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScriptedPlatform platform;
    MainModel model;

    StatisticsTest() {
        platform.attach(model);
        model.Home = dir.str();
        window(2020, 1, 1, 2020, 12, 31);
    }

    void window(int y1, int m1, int d1, int y2, int m2, int d2) {
        ASSERT_TRUE(model.DateTimePicker2.setDate(dayFromYmd(y1, m1, d1)));
        ASSERT_TRUE(model.DateTimePicker1.setDate(dayFromYmd(y2, m2, d2)));
    }

    void database(const std::vector<DrawingRecord>& records) {
        test::writeDatabase(model.DatabasePath(), records);
    }

    void run(Routine r) { (model.*r)(); }

    std::vector<int> keys() const {
        std::vector<int> k;
        for (const auto& e : model.chart.Entries)
            k.push_back(e.Key);
        return k;
    }
    std::map<int, int> nonZero() const {
        std::map<int, int> m;
        for (const auto& e : model.chart.Entries)
            if (e.Value != 0)
                m[e.Key] = e.Value;
        return m;
    }
    int total() const {
        int t = 0;
        for (const auto& e : model.chart.Entries)
            t += e.Value;
        return t;
    }
};

std::vector<int> range(int first, int last) {
    std::vector<int> v(static_cast<std::size_t>(last - first + 1));
    std::iota(v.begin(), v.end(), first);
    return v;
}

// A drawing with the given sum of main numbers (141 ... 210, not a multiple of ten).
DrawingRecord withSum(int y, int m, int d, int sum) {
    return rec(y, m, d, {20, 30, 40, 50, sum - 140}, 3);
}

const int kPrimes[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67};

} // namespace

// Every routine over the same five drawings (one before the window, one on
// each bound, one inside, one after): which bound counts, which dates the
// routine records and which tab it leaves.
TEST_F(StatisticsTest, WindowBoundsDatesAndTab) {
    // Every drawing holds the run 1..4, MegaBall 5 and the sum 20.
    database({rec(2020, 3, 2, {1, 2, 3, 4, 10}, 5), rec(2020, 3, 3, {1, 2, 3, 4, 10}, 5),
              rec(2020, 3, 6, {1, 2, 3, 4, 10}, 5), rec(2020, 3, 10, {1, 2, 3, 4, 10}, 5),
              rec(2020, 3, 13, {1, 2, 3, 4, 10}, 5)});
    struct Case {
        const char* name;
        Routine routine;
        int key;        // a key whose value equals the drawings counted
        int drawings;   // 3 with the start included, 2 without
        bool copiesEnd; // dfb := DatabaseEndDate
        bool showsChart;
    };
    const Case cases[] = {
        {"frequency", &MainModel::SpeedButton2Click, 1, 3, true, false},
        {"overdue (70 never drawn)", &MainModel::Button5Click, 70, 3, true, true},
        {"MegaBall frequency", &MainModel::SpeedButton3Click, 5, 3, true, false},
        {"MegaBall overdue (25 never drawn)", &MainModel::Button8Click, 25, 3, true, true},
        {"pairs", &MainModel::Button2Click, 1, 2, false, true},
        {"triples", &MainModel::Button3Click, 2, 2, true, true},
        {"quads", &MainModel::Button4Click, 1, 2, true, true},
        {"sums", &MainModel::SpeedButton9Click, 20, 2, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window(2020, 3, 3, 2020, 3, 10);
        model.aktDatum = 1.0;
        model.dfb = 2.0;
        model.activeTab = Tab::TipOverview;
        run(c.routine);
        EXPECT_EQ(model.chart.Value(c.key), c.drawings);
        EXPECT_EQ(model.aktDatum, dayFromYmd(2020, 3, 3));
        EXPECT_EQ(model.dfb, c.copiesEnd ? dayFromYmd(2020, 3, 10) : 2.0);
        EXPECT_EQ(model.activeTab, c.showsChart ? Tab::Chart : Tab::TipOverview);
        EXPECT_FALSE(model.busy);
    }
}

TEST_F(StatisticsTest, CommandsThatShowTheChartTabFirst) {
    database({rec(2020, 3, 3, {1, 2, 3, 4, 10}, 5)});
    const std::pair<const char*, Routine> cases[] = {
        {"SpeedButton26", &MainModel::SpeedButton26Click}, {"Superselten", &MainModel::SuperseltenClick},
        {"SuperAus", &MainModel::SuperAusClick},           {"Label89", &MainModel::Label89Click},
        {"Label91", &MainModel::Label91Click},             {"Label90", &MainModel::Label90Click},
        {"Label88", &MainModel::Label88Click},
    };
    for (const auto& [name, routine] : cases) {
        SCOPED_TRACE(name);
        model.activeTab = Tab::Database;
        model.chart = StatisticsTable{};
        run(routine);
        EXPECT_EQ(model.activeTab, Tab::Chart);
        EXPECT_FALSE(model.chart.Entries.empty());
    }
    // During a generation run the MegaBall overdue chart leaves the tab alone.
    model.Berechnunglaeuft = true;
    model.activeTab = Tab::Generator;
    model.Button8Click();
    EXPECT_EQ(model.activeTab, Tab::Generator);
    EXPECT_EQ(model.chart.Entries.size(), 25u);
}

TEST_F(StatisticsTest, FrequencyOfASingleDrawing) {
    database({rec(2020, 5, 5, {7, 19, 33, 52, 70}, 11)});
    model.SpeedButton2Click();
    const StatisticsTable& t = model.chart;
    EXPECT_EQ(keys(), range(1, 70));
    EXPECT_EQ(nonZero(), (std::map<int, int>{{7, 1}, {19, 1}, {33, 1}, {52, 1}, {70, 1}}));
    EXPECT_EQ(t.RangeMin, 0);
    EXPECT_EQ(t.RangeMax, 1);
    EXPECT_TRUE(t.fixedAxis);
    EXPECT_EQ(t.Title, "Zahlenverteilung     Ziehungen: 1    Quersumme: 181");
    for (const auto& e : t.Entries) {
        const bool prime = std::find(std::begin(kPrimes), std::end(kPrimes), e.Key) != std::end(kPrimes);
        EXPECT_EQ(e.BarColour, prime ? Colour::Red : Colour::BarGreen) << e.Key;
    }
}

TEST_F(StatisticsTest, RangeStartsAtTheSmallestValueAboveZero) {
    // Every number drawn at least once: the range no longer starts at 0.
    std::vector<DrawingRecord> recs;
    for (int i = 0; i < 14; ++i)
        recs.push_back(rec(2020, 2, 1 + i, {5 * i + 1, 5 * i + 2, 5 * i + 3, 5 * i + 4, 5 * i + 5}, i + 1));
    recs.push_back(rec(2020, 2, 20, {1, 2, 3, 4, 5}, 1));
    database(recs);
    model.SpeedButton2Click();
    EXPECT_EQ(model.chart.RangeMin, 1);
    EXPECT_EQ(model.chart.RangeMax, 2);
    model.SpeedButton3Click();
    EXPECT_EQ(keys(), range(1, 25));
    EXPECT_EQ(model.chart.RangeMin, 0); // MegaBalls 15..25 never drawn
    EXPECT_EQ(model.chart.RangeMax, 2);
    EXPECT_EQ(model.chart.Value(1), 2);
    for (const auto& e : model.chart.Entries)
        EXPECT_EQ(e.BarColour, Colour::BarGreen);
}

TEST_F(StatisticsTest, AverageSumRoundsHalvesToEven) {
    struct Case {
        std::vector<int> sums;
        int average;
    };
    const Case cases[] = {
        {{175, 176}, 176},      // 175.5
        {{176, 177}, 176},      // 176.5
        {{173, 174}, 174},      // 173.5
        {{174, 175}, 174},      // 174.5
        {{175, 176, 177}, 176}, // exact
        {{175, 176, 176}, 176}, // 175.67
        {{141, 142, 142}, 142}, // 141.67
    };
    for (const Case& c : cases) {
        std::vector<DrawingRecord> recs;
        for (std::size_t i = 0; i < c.sums.size(); ++i)
            recs.push_back(withSum(2020, 4, 2 + static_cast<int>(i), c.sums[i]));
        database(recs);
        const std::string n = std::to_string(c.sums.size());
        const std::string avg = std::to_string(c.average);
        model.SpeedButton2Click();
        EXPECT_EQ(model.chart.Title, "Zahlenverteilung     Ziehungen: " + n + "    Quersumme: " + avg);
        model.SpeedButton9Click();
        EXPECT_EQ(model.chart.Title, "Quersummenverteilung     Ziehungen: " + n + "    Quersumme: " + avg);
    }
}

TEST_F(StatisticsTest, OverdueCounts) {
    database({rec(2020, 6, 2, {1, 2, 3, 4, 5}, 1), rec(2020, 6, 5, {1, 2, 10, 11, 12}, 2),
              rec(2020, 6, 9, {2, 20, 21, 22, 23}, 1), rec(2020, 6, 12, {40, 41, 42, 43, 44}, 9)});
    window(2020, 6, 2, 2020, 6, 9); // the last drawing lies after the window
    model.Button5Click();
    EXPECT_EQ(keys(), range(1, 70));
    const std::map<int, int> expect = {{1, 1}, {2, 0}, {3, 2}, {5, 2}, {10, 1}, {12, 1}, {20, 0}, {23, 0}, {40, 3}, {70, 3}};
    for (const auto& [key, value] : expect)
        EXPECT_EQ(model.chart.Value(key), value) << key;
    EXPECT_EQ(model.chart.RangeMin, 0);
    EXPECT_EQ(model.chart.RangeMax, 3);
    EXPECT_EQ(model.chart.Entries[2].BarColour, Colour::Red); // key 3
    EXPECT_EQ(model.chart.Entries[3].BarColour, Colour::BarGreen);
    EXPECT_EQ(model.chart.Title, "Welche Zahl ist überfällig, wurde als seit wievielen Ziehungen nicht gezogen?");

    model.Button8Click();
    EXPECT_EQ(keys(), range(1, 25));
    EXPECT_EQ(model.chart.Value(1), 0);
    EXPECT_EQ(model.chart.Value(2), 1);
    EXPECT_EQ(model.chart.Value(9), 3); // drawn only after the window
    EXPECT_EQ(model.chart.Value(25), 3);
    EXPECT_EQ(model.chart.Title, "Welche Powerballzahl wurde am längsten nicht gezogen?");
}

TEST_F(StatisticsTest, EmptyWindow) {
    struct Case {
        const char* name;
        Routine routine;
        std::size_t entries;
        const char* title; // nullptr: the previous title stays
    };
    const Case cases[] = {
        {"frequency", &MainModel::SpeedButton2Click, 70, nullptr},
        {"overdue", &MainModel::Button5Click, 70, "Welche Zahl ist überfällig, wurde als seit wievielen Ziehungen nicht gezogen?"},
        {"MegaBall", &MainModel::SpeedButton3Click, 25, "Wie oft wurden die einzelnen Sternenzahlen gezogen?"},
        {"MegaBall overdue", &MainModel::Button8Click, 25, "Welche Powerballzahl wurde am längsten nicht gezogen?"},
        {"pairs", &MainModel::Button2Click, 69, "Ziehungen: 0   Paare gefunden:0"},
        {"triples", &MainModel::Button3Click, 68, "Ziehungen: 0   Dreier gefunden:0"},
        {"quads", &MainModel::Button4Click, 70, "Ziehungen: 0   Vierer gefunden:0"},
        {"sums", &MainModel::SpeedButton9Click, 0, nullptr},
    };
    const std::vector<DrawingRecord> outside = {rec(2019, 12, 31, {1, 2, 3, 4, 5}, 1), rec(2021, 1, 1, {1, 2, 3, 4, 5}, 1)};
    const std::pair<const char*, std::vector<DrawingRecord>> databases[] = {{"no drawing in the window", outside},
                                                                              {"empty file", {}}};
    for (const auto& [dbName, recs] : databases) {
        database(recs);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(dbName) + ": " + c.name);
            model.chart.Entries.assign(3, StatisticsEntry{1, 9, Colour::Red});
            model.chart.RangeMin = 4;
            model.chart.RangeMax = 9;
            model.chart.Title = "vorher";
            run(c.routine);
            EXPECT_EQ(model.chart.Entries.size(), c.entries);
            EXPECT_EQ(total(), 0);
            EXPECT_EQ(model.chart.RangeMin, 0);
            EXPECT_EQ(model.chart.RangeMax, 0);
            EXPECT_EQ(model.chart.Title, c.title ? c.title : "vorher");
        }
    }
    // A start after the end is an empty window as well.
    database(outside);
    window(2020, 6, 1, 2020, 5, 1);
    model.Button2Click();
    EXPECT_EQ(model.chart.Title, "Ziehungen: 0   Paare gefunden:0");
}

TEST_F(StatisticsTest, RunsOfConsecutiveNumbers) {
    struct Case {
        std::array<int, 5> mains;
        std::map<int, int> pairs, triples, quads;
    };
    const Case cases[] = {
        {{3, 4, 5, 6, 40}, {{3, 1}, {4, 1}, {5, 1}}, {{3, 1}, {4, 1}}, {{3, 1}}},
        {{10, 11, 20, 21, 22}, {{10, 1}, {20, 1}, {21, 1}}, {{20, 1}}, {}},
        {{70, 1, 30, 69, 50}, {{69, 1}}, {}, {}}, // stored order does not matter
        {{66, 67, 68, 69, 70}, {{66, 1}, {67, 1}, {68, 1}, {69, 1}}, {{66, 1}, {67, 1}, {68, 1}}, {{66, 1}, {67, 1}}},
        {{5, 15, 25, 35, 45}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.mains));
        database({rec(2020, 7, 7, c.mains, 4)});
        const struct {
            Routine routine;
            const std::map<int, int>* expect;
            int lastKey;
            const char* label;
        } groups[] = {{&MainModel::Button2Click, &c.pairs, 69, "Paare gefunden"},
                      {&MainModel::Button3Click, &c.triples, 68, "Dreier gefunden"},
                      {&MainModel::Button4Click, &c.quads, 70, "Vierer gefunden"}};
        for (const auto& g : groups) {
            SCOPED_TRACE(g.label);
            run(g.routine);
            EXPECT_EQ(keys(), range(1, g.lastKey));
            EXPECT_EQ(nonZero(), *g.expect);
            EXPECT_EQ(model.chart.Title,
                      "Ziehungen: 1   " + std::string(g.label) + ":" + std::to_string(g.expect->size()));
            EXPECT_EQ(model.chart.RangeMin, 0);
            EXPECT_EQ(model.chart.RangeMax, g.expect->empty() ? 0 : 1);
            for (const auto& e : model.chart.Entries)
                EXPECT_EQ(e.BarColour, Colour::BarGreen);
        }
    }
}

TEST_F(StatisticsTest, RunCountsAddUpOverDrawingsAndQuadAxisScalesFromZero) {
    std::vector<DrawingRecord> recs;
    for (int i = 0; i < 4; ++i)
        recs.push_back(rec(2020, 8, 1 + i, {10, 11, 12, 13, 60 + i}, 1)); // quad at 10 in every drawing
    recs.push_back(rec(2020, 8, 9, {10, 11, 30, 31, 32}, 1));
    database(recs);
    model.Button2Click();
    EXPECT_EQ(model.chart.Value(10), 5);
    EXPECT_EQ(model.chart.Value(30), 1);
    EXPECT_EQ(model.chart.RangeMin, 0);
    EXPECT_EQ(model.chart.RangeMax, 5);
    EXPECT_TRUE(model.chart.fixedAxis);
    // Three pairs (10, 11, 12) in each of the first four drawings, three (10, 30, 31) in the last.
    EXPECT_EQ(model.chart.Title, "Ziehungen: 5   Paare gefunden:15");

    model.Button4Click();
    EXPECT_EQ(model.chart.Value(10), 4);
    EXPECT_EQ(model.chart.RangeMin, 0);
    EXPECT_EQ(model.chart.RangeMax, 4);
    EXPECT_FALSE(model.chart.fixedAxis);
    EXPECT_EQ(model.chart.Title, "Ziehungen: 5   Vierer gefunden:4");
}

TEST_F(StatisticsTest, RunRoutinesLeaveTheLastCountedDrawingInTheNumberSlots) {
    database({rec(2020, 9, 1, {1, 2, 3, 4, 5}, 6, 2), rec(2020, 9, 4, {11, 22, 33, 44, 55}, 17, 5),
              rec(2020, 9, 8, {60, 61, 62, 63, 64}, 20, 3)});
    window(2020, 8, 1, 2020, 9, 4);
    const std::array<std::int32_t, 9> shown = {0, 9, 8, 7, 6, 5, 0, 4, 3};
    for (Routine r : {&MainModel::Button2Click, &MainModel::Button3Click, &MainModel::Button4Click}) {
        model.cur.Zahl = shown;
        model.cur.Datum1 = 1234.0;
        model.cur.Position = 7;
        run(r);
        EXPECT_EQ(model.cur.Zahl, (std::array<std::int32_t, 9>{0, 11, 22, 33, 44, 55, 0, 17, 5}));
        EXPECT_EQ(model.cur.Datum1, 1234.0);
        EXPECT_EQ(model.cur.Position, 7);
    }
    // With an empty window the slots keep what they held.
    window(2021, 1, 1, 2021, 2, 1);
    model.cur.Zahl = shown;
    model.Button2Click();
    EXPECT_EQ(model.cur.Zahl, shown);
}

TEST_F(StatisticsTest, OlderGameFormatNumbersAreSkipped) {
    // Main numbers up to 75 and MegaBalls up to 52 from an earlier game.
    database({rec(2020, 10, 2, {68, 69, 70, 71, 75}, 52), rec(2020, 10, 6, {1, 2, 3, 4, 5}, 7)});
    model.SpeedButton2Click();
    EXPECT_EQ(model.chart.Entries.size(), 70u);
    EXPECT_EQ(total(), 8);
    EXPECT_EQ(model.chart.Value(70), 1);
    // The average takes the stored numbers as they are: (353 + 15) / 2.
    EXPECT_EQ(model.chart.Title, "Zahlenverteilung     Ziehungen: 2    Quersumme: 184");

    model.Button5Click();
    EXPECT_EQ(model.chart.Value(68), 1);
    EXPECT_EQ(model.chart.Value(70), 1);
    EXPECT_EQ(model.chart.Value(1), 0);

    model.SpeedButton3Click();
    EXPECT_EQ(total(), 1);
    EXPECT_EQ(model.chart.Value(7), 1);
    model.Button8Click();
    EXPECT_EQ(model.chart.Value(7), 0);
    EXPECT_EQ(model.chart.Value(25), 2);
    EXPECT_EQ(model.chart.Entries.size(), 25u);

    model.Button2Click();
    EXPECT_EQ(model.chart.Value(68), 1);
    EXPECT_EQ(model.chart.Value(69), 1);
    model.Button3Click();
    EXPECT_EQ(model.chart.Value(68), 1);
    model.Button4Click(); // 68..71 is no quad of this table
    EXPECT_EQ(model.chart.Value(68), 0);
    EXPECT_EQ(model.chart.Value(69), 0);
    EXPECT_EQ(model.chart.Value(70), 0);
    EXPECT_EQ(model.chart.Value(1), 1);
    EXPECT_EQ(model.chart.Value(2), 1);

    // The sum 353 lies beyond the sum table: that drawing is left out entirely.
    model.SpeedButton9Click();
    EXPECT_EQ(keys(), std::vector<int>{15});
    EXPECT_EQ(model.chart.Title, "Quersummenverteilung     Ziehungen: 1    Quersumme: 15");
}

TEST_F(StatisticsTest, SumDistributionKeepsGaps) {
    database({rec(2020, 11, 3, {10, 15, 20, 25, 30}, 1),  // 100
              rec(2020, 11, 6, {10, 15, 20, 25, 31}, 1),  // 101
              rec(2020, 11, 10, {10, 15, 20, 25, 35}, 1), // 105
              rec(2020, 11, 13, {10, 15, 20, 25, 31}, 1)}); // 101
    model.SpeedButton9Click();
    const StatisticsTable& t = model.chart;
    EXPECT_EQ(keys(), range(100, 105));
    EXPECT_EQ(nonZero(), (std::map<int, int>{{100, 1}, {101, 2}, {105, 1}}));
    EXPECT_EQ(t.RangeMin, 0);
    EXPECT_EQ(t.RangeMax, 2);
    EXPECT_FALSE(t.fixedAxis);
    for (const auto& e : t.Entries)
        EXPECT_EQ(e.BarColour, Colour::BarGreen);
    EXPECT_EQ(t.Title, "Quersummenverteilung     Ziehungen: 4    Quersumme: 102"); // 407 / 4 = 101.75
}

TEST_F(StatisticsTest, TitlesFollowTheMessageTable) {
    std::vector<std::string> lines;
    for (int i = 0; i < 62; ++i)
        lines.push_back("M" + std::to_string(i));
    model.Memo2.setLines(lines);
    database({rec(2020, 5, 5, {1, 2, 3, 4, 30}, 1), rec(2020, 5, 8, {2, 3, 4, 5, 31}, 2)});
    model.tips.set(1, 1, "5");
    const std::pair<Routine, const char*> cases[] = {
        {&MainModel::SpeedButton2Click, "M46     M32: 2    M43: 42"}, // (40 + 45) / 2 = 42.5
        {&MainModel::Button5Click, "M26"},
        {&MainModel::SpeedButton3Click, "M47"},
        {&MainModel::Button8Click, "M10"},
        {&MainModel::Button2Click, "M53: 2   M54:6"},
        {&MainModel::Button3Click, "M53: 2   M55:4"},
        {&MainModel::Button4Click, "M53: 2   M57:2"},
        {&MainModel::SpeedButton9Click, "M56     M53: 2    M43: 42"},
        {&MainModel::Button6Click, "M25"},
    };
    for (const auto& [routine, title] : cases) {
        run(routine);
        EXPECT_EQ(model.chart.Title, title);
    }
}

TEST_F(StatisticsTest, TipDistribution) {
    struct Case {
        const char* name;
        std::vector<std::array<const char*, 6>> rows; // rows 1.. in order; "" is an empty field
        std::map<int, int> expect;
    };
    const Case cases[] = {
        {"rows 1 to 5 filled",
         {{"1", "2", "3", "4", "5", "1"},
          {"6", "7", "8", "9", "10", "2"},
          {"11", "12", "13", "14", "15", "3"},
          {"16", "17", "18", "19", "20", "4"},
          {"1", "2", "3", "4", "70", "5"}},
         {{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {9, 1}, {10, 1}, {11, 1}, {12, 1},
          {13, 1}, {14, 1}, {15, 1}, {16, 1}, {17, 1}, {18, 1}, {19, 1}, {20, 1}, {70, 1}}},
        {"row 2 empty stops the count",
         {{"1", "2", "3", "4", "5", "9"}, {"", "", "", "", "", ""}, {"6", "7", "8", "9", "10", "9"}},
         {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}},
        {"a number in three rows",
         {{"7", "20", "30", "40", "50", ""}, {"1", "7", "31", "41", "51", ""}, {"2", "3", "7", "42", "52", ""}},
         {{1, 1}, {2, 1}, {3, 1}, {7, 3}, {20, 1}, {30, 1}, {31, 1}, {40, 1}, {41, 1}, {42, 1}, {50, 1}, {51, 1}, {52, 1}}},
        {"an empty field inside a row", {{"4", "5", "", "9", "10", "1"}, {"1", "2", "3", "6", "7", "1"}}, {{4, 1}, {5, 1}}},
        {"all rows empty", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int r = 1; r <= TipSet::kRows; ++r)
            for (int k = 1; k <= 7; ++k)
                model.tips.set(r, k, "");
        for (std::size_t r = 0; r < c.rows.size(); ++r)
            for (int k = 1; k <= 6; ++k)
                model.tips.set(static_cast<int>(r) + 1, k, c.rows[r][static_cast<std::size_t>(k - 1)]);
        model.activeTab = Tab::TipOverview;
        model.Button6Click();
        EXPECT_EQ(keys(), range(1, 70));
        EXPECT_EQ(nonZero(), c.expect);
        int lo = c.expect.size() == 70 ? 1 : 0, hi = 0;
        for (const auto& [k, v] : c.expect)
            hi = std::max(hi, v);
        EXPECT_EQ(model.chart.RangeMin, lo);
        EXPECT_EQ(model.chart.RangeMax, hi);
        EXPECT_TRUE(model.chart.fixedAxis);
        EXPECT_EQ(model.chart.Title, "Zahlenverteilung des Tippes");
        EXPECT_EQ(model.activeTab, Tab::Chart);
        EXPECT_EQ(model.chart.Entries[1].BarColour, Colour::Red);      // 2
        EXPECT_EQ(model.chart.Entries[68].BarColour, Colour::BarGreen); // 69
        EXPECT_FALSE(model.busy);
    }
}

TEST_F(StatisticsTest, MissingDatabaseRaisesIoErrorAndRestoresTheCursor) {
    // No database file in the folder.
    const Routine routines[] = {&MainModel::SpeedButton2Click, &MainModel::Button5Click, &MainModel::SpeedButton3Click,
                                &MainModel::Button8Click,      &MainModel::Button2Click, &MainModel::Button3Click,
                                &MainModel::Button4Click,      &MainModel::SpeedButton9Click};
    for (Routine r : routines) {
        model.chart.Entries.assign(2, StatisticsEntry{5, 6, Colour::Red});
        model.chart.Title = "vorher";
        model.activeTab = Tab::Database;
        EXPECT_THROW(run(r), IoError);
        EXPECT_FALSE(model.busy);
        EXPECT_EQ(model.chart.Entries.size(), 2u);
        EXPECT_EQ(model.chart.Title, "vorher");
        EXPECT_EQ(model.activeTab, Tab::Database);
    }
    EXPECT_THROW(model.Label89Click(), IoError);
    EXPECT_EQ(model.activeTab, Tab::Chart);
    EXPECT_FALSE(model.busy);
}

TEST_F(StatisticsTest, TrailingPartialRecordIsIgnored) {
    database({rec(2020, 5, 5, {7, 19, 33, 52, 70}, 11)});
    test::writeFile(model.DatabasePath(), test::readFile(model.DatabasePath()) + std::string(20, '\x05'));
    model.SpeedButton2Click();
    EXPECT_EQ(total(), 5);
    EXPECT_EQ(model.chart.Title, "Zahlenverteilung     Ziehungen: 1    Quersumme: 181");
}
