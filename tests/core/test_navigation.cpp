#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"

using namespace rz;
using rz::test::TempDir;

namespace {

struct NavFixture : ::testing::Test {
    TempDir dir;
    MainModel model;
    test::ScriptedPlatform platform;

    void SetUp() override {
        platform.attach(model);
        model.Home = dir.str();
        model.sortieren = true;
    }
    void store(const std::vector<DrawingRecord>& recs) { test::writeDatabase(model.DatabasePath(), recs); }
    void lookup(int y, int m, int d) {
        model.DateTimePicker1.setDate(dayFromYmd(y, m, d));
        model.SpeedButton5Click();
    }
};

const std::vector<DrawingRecord> kThree = {
    test::rec(2019, 10, 15, {4, 12, 14, 35, 70}, 2, 2),
    test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20, 3),
    test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7, 3),
};

} // namespace

TEST_F(NavFixture, LookupFindsTheDrawingAndBuildsCaptions) {
    store(kThree);
    struct Case {
        Ymd chosen;
        int position;
        const char* caption;
    } cases[] = {
        // exact date of a middle drawing: "later record" variant
        {{2019, 10, 18}, 1, "Fr 18.10.19    18  58  60  65  67 MB:20 MP:3"},
        // between two drawings: the later one
        {{2019, 10, 16}, 1, "Fr 18.10.19    18  58  60  65  67 MB:20 MP:3"},
        // on or before the first: first record, three blanks
        {{2019, 1, 1}, 0, "Di 15.10.19     4  12  14  35  70 MB:2 MP:2"},
        {{2019, 10, 15}, 0, "Di 15.10.19     4  12  14  35  70 MB:2 MP:2"},
        // found as the file's last record, or after it: end-of-file variant
        {{2019, 10, 22}, 2, "Di 22.10.19    5  12  33  41  70   MB: 7 MP: 3"},
        {{2020, 1, 1}, 2, "Di 22.10.19    5  12  33  41  70   MB: 7 MP: 3"},
    };
    for (const Case& c : cases) {
        lookup(c.chosen.year, c.chosen.month, c.chosen.day);
        EXPECT_EQ(model.cur.Position, c.position) << c.caption;
        EXPECT_EQ(model.Label29, c.caption);
        EXPECT_EQ(model.Label35, model.Label29);
        EXPECT_EQ(model.DateTimePicker1.date, model.cur.Datum1);
    }
    lookup(2019, 10, 22);
    EXPECT_EQ(model.Label13, "Quersumme: 161");
    EXPECT_EQ(model.cur.Zahl[7], 7);
    EXPECT_EQ(model.cur.Zahl[8], 3);
    EXPECT_EQ(model.aktDatum, dayFromYmd(2019, 10, 22));
}

TEST_F(NavFixture, PreviousAndNextClampAtTheEnds) {
    store(kThree);
    lookup(2019, 10, 18);
    ASSERT_EQ(model.cur.Position, 1);
    const int expected[] = {2, 2, 1, 0, 0};
    const char* steps = "nnppp";
    for (int i = 0; i < 5; ++i) {
        if (steps[i] == 'n')
            model.SpeedButton7Click();
        else
            model.SpeedButton6Click();
        EXPECT_EQ(model.cur.Position, expected[i]) << i;
        EXPECT_EQ(model.cur.Datum1, kThree[static_cast<std::size_t>(expected[i])].Date);
        EXPECT_EQ(model.DateTimePicker1.date, model.cur.Datum1);
        EXPECT_EQ(model.Label35, model.Label29);
        EXPECT_NE(model.Label29.find("   MB: "), std::string::npos); // end-of-file variant
    }
    EXPECT_EQ(model.aktDatum, model.StatisticsStartDate());
}

TEST_F(NavFixture, MissingAndEmptyDatabase) {
    lookup(2019, 10, 22);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "Lesen Sie zuerst die Daten der Ziehungen ein");
    EXPECT_TRUE(model.database().exists());
    EXPECT_TRUE(model.Label29.empty());

    // Empty file: nothing taken, the picker refuses day 0 and shows its earliest date.
    model.SpeedButton5Click();
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(model.cur.Position, 0);
    EXPECT_EQ(model.DateTimePicker1.date, kEarliestPickerDate);
    EXPECT_EQ(model.cur.Datum1, kEarliestPickerDate);
    EXPECT_TRUE(model.Label29.empty());
    model.SpeedButton6Click();
    model.SpeedButton7Click();
    EXPECT_EQ(model.cur.Position, 0);
    EXPECT_TRUE(model.Label29.empty());
}

TEST_F(NavFixture, StepsWithoutDatabaseReportAnError) {
    EXPECT_THROW(model.SpeedButton6Click(), IoError);
    EXPECT_THROW(model.SpeedButton7Click(), IoError);
}

TEST_F(NavFixture, LookupChecksTheTips) {
    store(kThree);
    model.tips.set(1, 1, "70");
    model.tips.set(1, 2, "5");
    model.tips.set(1, 3, "9");
    model.tips.set(1, 4, "33");
    model.tips.set(1, 5, "1");
    model.tips.set(1, 6, "7");
    lookup(2019, 10, 22);
    EXPECT_EQ(model.tips.row(1).hitCaption, "3 + MB");
    EXPECT_EQ(model.tips.get(1, 1), "1");
}

TEST_F(NavFixture, EachCommandRepaintsOnce) {
    store(kThree);
    lookup(2019, 10, 18);
    const std::string tipFile = dir.str() + "mine.qlt";
    test::writeFile(tipFile, "18,58,1,2,3,20,\r\n");
    int repaints = 0;
    model.onChanged = [&repaints] { ++repaints; };
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"lookup", [&] { model.SpeedButton5Click(); }},
        {"previous", [&] { model.SpeedButton6Click(); }},
        {"next", [&] { model.SpeedButton7Click(); }},
        {"load a tip file", [&] { model.loadTipFile(tipFile); }},
        {"load cancelled", [&] {
             platform.fileAnswers = {std::nullopt};
             model.SpeedButton16Click();
         }},
    };
    for (const auto& [name, command] : commands) {
        repaints = 0;
        command();
        EXPECT_EQ(repaints, 1) << name;
    }
    EXPECT_EQ(model.tips.row(1).hitCaption, "2 + MB"); // the load checked the row against 18 Oct 2019
}
