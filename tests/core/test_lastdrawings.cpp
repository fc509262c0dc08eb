// The generation run takes the last three drawings from one read of the file;
// they must be the drawings that the lookup and two steps back show, and the
// window, following the run's lookup of the end date, must end as the lookup
// after the steps leaves it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestSupport.h"
#include "app/Generation.h"
#include "app/MainModel.h"

using namespace rz;
using rz::test::TempDir;

namespace {

std::vector<DrawingRecord> fiveDrawings() {
    return {test::rec(2019, 10, 1, {1, 2, 3, 4, 5}, 1), test::rec(2019, 10, 4, {6, 7, 8, 9, 10}, 2),
            test::rec(2019, 10, 8, {11, 12, 13, 14, 15}, 3), test::rec(2019, 10, 11, {16, 17, 18, 19, 20}, 4),
            test::rec(2019, 10, 15, {21, 22, 23, 24, 25}, 5)};
}

void prepare(MainModel& m, const std::string& home, DayNumber end) {
    m.Home = home;
    m.sortieren = false; // as during a run
    m.cur.Zahl = {0, 61, 62, 63, 64, 65, 0, 22, 2}; // shown before: kept where no record is taken
    m.cur.Datum1 = dayFromYmd(2018, 1, 1);
    m.DateTimePicker1.date = end;
}

// The three commands one after the other, and the lookup that ends the capture.
std::array<PastDrawing, 4> stepByStep(MainModel& m) {
    std::array<PastDrawing, 4> last{};
    auto copy = [&m](PastDrawing& d) {
        for (int i = 1; i <= 5; ++i)
            d.n[static_cast<std::size_t>(i)] = m.cur.Zahl[static_cast<std::size_t>(i)];
        d.mb = m.cur.Zahl[7];
    };
    const DayNumber end = m.DateTimePicker1.date;
    m.SpeedButton5Click();
    copy(last[1]);
    m.SpeedButton6Click();
    copy(last[2]);
    m.SpeedButton6Click();
    copy(last[3]);
    if (!m.DateTimePicker1.setDate(end))
        m.DateTimePicker1.date = m.DateTimePicker1.minDate;
    m.SpeedButton5Click();
    return last;
}

// The window follows the run's lookup of the end date as the main window does.
struct WindowLookup : GenerationObserver {
    MainModel& m;
    const RecordSnapshot& records;
    int lookups = 0;
    WindowLookup(MainModel& model, const RecordSnapshot& r) : m(model), records(r) {}
    void endDateLookedUp(DayNumber endDate) override {
        ++lookups;
        m.DateTimePicker1.setDateOrEarliest(endDate);
        m.lookupEndDate(&records);
    }
};

} // namespace

TEST(LastDrawings, SameAsTheLookupAndTwoStepsBack) {
    auto withDate = [](std::vector<DrawingRecord> recs, std::size_t i, DayNumber d) {
        recs[i].Date = d;
        return recs;
    };
    struct Case {
        const char* name;
        std::vector<DrawingRecord> drawings;
        DayNumber end;
    };
    const std::vector<DrawingRecord> five = fiveDrawings();
    const Case cases[] = {
        {"before the first", five, dayFromYmd(2019, 9, 1)},
        {"on the first", five, dayFromYmd(2019, 10, 1)},
        {"between first and second", five, dayFromYmd(2019, 10, 2)},
        {"on the second", five, dayFromYmd(2019, 10, 4)},
        {"in the middle", five, dayFromYmd(2019, 10, 10)},
        {"on the last", five, dayFromYmd(2019, 10, 15)},
        {"after the last", five, dayFromYmd(2020, 1, 1)},
        {"one drawing", {five[2]}, dayFromYmd(2020, 1, 1)},
        {"no drawing", {}, dayFromYmd(2020, 1, 1)},
        {"before the pickers' earliest date", withDate(five, 0, dayFromYmd(1999, 1, 1)), dayFromYmd(2000, 5, 17)},
        {"last date not positive", withDate(five, 4, 0.0), dayFromYmd(2020, 1, 1)},
        {"a date that is no number", withDate(five, 2, std::numeric_limits<double>::quiet_NaN()),
         dayFromYmd(2019, 10, 12)},
    };
    for (const Case& c : cases) {
        TempDir dir;
        test::writeDatabase(dir.str() + "Ruvuzevodare.dat", c.drawings);
        MainModel a, b;
        prepare(a, dir.str(), c.end);
        prepare(b, dir.str(), c.end);
        const RecordSnapshot records = RecordSnapshot::read(a.DatabasePath());
        WindowLookup window(a, records);
        NullPlatform platform;
        const CurrentOperation operation;
        Generation run(a.Memo2, a.Settings, a.tips, a.rng, records,
                       {a.StatisticsStartDate(), a.DateTimePicker1, a.cur}, a.numberList, platform, platform,
                       operation, window);
        Generator& g = run.generator();
        g.captureLastDrawings();
        EXPECT_EQ(window.lookups, 1) << c.name;
        const auto want = stepByStep(b);
        for (int k = 1; k <= 3; ++k) {
            EXPECT_EQ(g.LastDrawings[static_cast<std::size_t>(k)].n, want[static_cast<std::size_t>(k)].n) << c.name << " " << k;
            EXPECT_EQ(g.LastDrawings[static_cast<std::size_t>(k)].mb, want[static_cast<std::size_t>(k)].mb) << c.name << " " << k;
        }
        EXPECT_EQ(a.cur.Zahl, b.cur.Zahl) << c.name;
        EXPECT_EQ(a.cur.Position, b.cur.Position) << c.name;
        EXPECT_TRUE(a.cur.Datum1 == b.cur.Datum1 || (std::isnan(a.cur.Datum1) && std::isnan(b.cur.Datum1))) << c.name;
        EXPECT_EQ(a.DatabaseEndDate(), b.DatabaseEndDate()) << c.name;
        EXPECT_EQ(a.Label29, b.Label29) << c.name;
        EXPECT_EQ(a.Label35, b.Label35) << c.name;
        EXPECT_EQ(a.Label13, b.Label13) << c.name;
        EXPECT_EQ(a.aktDatum, b.aktDatum) << c.name;
        EXPECT_EQ(a.Statistik, b.Statistik) << c.name;
    }
}
