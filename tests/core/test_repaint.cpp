// A command of the window repaints it once: its changes are held back and
// shown at its end (or before a dialog, or when a long command lets events
// through).
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace rz;
using rz::test::TempDir;

namespace {

struct RepaintFixture : ::testing::Test {
    TempDir dir;
    MainModel model;
    test::ScriptedPlatform platform;
    int repaints = 0;

    void SetUp() override {
        platform.attach(model);
        model.Home = dir.str();
        model.sortieren = true;
        std::vector<DrawingRecord> drawings;
        DayNumber day = dayFromYmd(2024, 1, 2);
        for (int i = 0; i < 40; ++i, day += (i % 2 ? 3 : 4)) {
            const int b = 1 + (i * 7) % 60;
            const Ymd d = ymdFromDay(day);
            drawings.push_back(test::rec(d.year, d.month, d.day, {b, b + 2, b + 5, b + 7, b + 9}, 1 + i % 24, 2));
        }
        test::writeDatabase(model.DatabasePath(), drawings);
        model.DateTimePicker2.date = dayFromYmd(2024, 1, 1);
        model.DateTimePicker1.date = drawings.back().Date;
        model.SpeedButton5Click();
        model.Settings.set(Gs::ShowNumberList, 0);
        model.onChanged = [this] { ++repaints; };
    }
};

TEST_F(RepaintFixture, EveryCommandRepaintsTheWindowOnce) {
    const struct {
        const char* name;
        std::function<void(MainModel&)> command;
    } commands[] = {
        {"previous drawing", [](MainModel& m) { m.SpeedButton6Click(); }},
        {"next drawing", [](MainModel& m) { m.SpeedButton7Click(); }},
        {"frequency chart", [](MainModel& m) { m.SpeedButton2Click(); }},
        {"pairs chart", [](MainModel& m) { m.Button2Click(); }},
        {"tip edit", [](MainModel& m) { m.tipFieldChanged(1, 1, "17"); }},
        {"clear rows", [](MainModel& m) { m.SpeedButton11Click(); }},
        {"generation run", [](MainModel& m) { m.Label28Click(); }},
        {"lookup", [](MainModel& m) { m.SpeedButton5Click(); }},
    };
    // A long command may show its progress when it lets events through (how
    // often depends on the machine's speed): at most one repaint before each
    // turn of events, and exactly one after the last, at its end.
    int repaintsBeforeTurn = 0;
    int turnsWithMore = 0;
    platform.onPendingEvents = [&] {
        if (repaints - repaintsBeforeTurn > 1)
            ++turnsWithMore;
        repaintsBeforeTurn = repaints;
    };
    for (const auto& c : commands) {
        repaints = 0;
        repaintsBeforeTurn = 0;
        turnsWithMore = 0;
        model.run([&] { c.command(model); });
        EXPECT_EQ(repaints - repaintsBeforeTurn, 1) << c.name;
        EXPECT_EQ(turnsWithMore, 0) << c.name;
    }
    // The run did its work under the one repaint.
    EXPECT_FALSE(model.tips.get(1, 1).empty());
}

TEST_F(RepaintFixture, HeldBackChangesShowBeforeADialogAndWhenEventsGoThrough) {
    int repaintsAtDialog = -1;
    int repaintsAtEvents = -1;
    platform.onPendingEvents = [&] { repaintsAtEvents = repaints; };
    model.run([&] {
        model.changed();
        model.events().processPendingEvents();
        model.changed();
        repaintsAtDialog = repaints;
        model.dialogs().message("shown over the window as it stands");
    });
    EXPECT_EQ(repaintsAtEvents, 1);  // shown before the events went through
    EXPECT_EQ(repaintsAtDialog, 1);  // the second change is still held back ...
    EXPECT_EQ(repaints, 3);          // ... until the dialog, then the end of the command
    // Outside a command a change repaints at once, as before.
    repaints = 0;
    model.changed();
    EXPECT_EQ(repaints, 1);
}

} // namespace
