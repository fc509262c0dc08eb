// The statistics count and the tip search as services over plain data (the
// generation run's service is tested with the generator, test_generator.cpp).
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/StatisticsCounter.h"
#include "app/TipSearch.h"

using namespace rz;
using rz::test::TempDir;

namespace {

// Three drawings of October 2019 and one of November.
std::vector<DrawingRecord> history() {
    return {test::rec(2019, 10, 15, {4, 12, 14, 35, 70}, 2, 2), test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20, 3),
            test::rec(2019, 10, 22, {5, 12, 13, 41, 70}, 7, 3), test::rec(2019, 11, 1, {1, 2, 3, 4, 6}, 9, 4)};
}

struct CounterFixture : ::testing::Test {
    TempDir dir;
    std::string path;
    MessageTable messages;
    const StatisticsWindow october{dayFromYmd(2019, 10, 1), dayFromYmd(2019, 10, 31)};

    void SetUp() override {
        path = dir.str() + "Zahlen.dat";
        test::writeDatabase(path, history());
    }
};

const StatisticsKind kDrawingKinds[] = {StatisticsKind::Frequency, StatisticsKind::Overdue,
                                        StatisticsKind::MegaBallFrequency, StatisticsKind::MegaBallOverdue,
                                        StatisticsKind::Pairs, StatisticsKind::Triples,
                                        StatisticsKind::Quads, StatisticsKind::Sums};

} // namespace

// The file read now and the records held give the same count; the window is
// the one asked for and every table but the pairs keeps its end date.
TEST_F(CounterFixture, FileAndHeldRecordsCountAlike) {
    const StatisticsCounter counter(messages);
    const RecordSnapshot records = RecordSnapshot::read(path);
    for (StatisticsKind kind : kDrawingKinds) {
        ASSERT_TRUE(StatisticsCounter::countsDrawings(kind));
        const StatisticsCount fromFile = counter.count(kind, path, october);
        const StatisticsCount held = counter.count(kind, records, october);
        EXPECT_EQ(fromFile.table, held.table) << static_cast<int>(kind);
        EXPECT_EQ(fromFile.title, held.title) << static_cast<int>(kind);
        EXPECT_EQ(fromFile.lastDrawing, held.lastDrawing) << static_cast<int>(kind);
        EXPECT_EQ(held.table.Kind, kind);
        EXPECT_EQ(held.window.start, october.start);
        EXPECT_EQ(held.window.end, october.end);
        EXPECT_EQ(held.keepsEndDate, kind != StatisticsKind::Pairs);
    }
    // 12 and 70 were drawn twice in October; November's drawing is outside.
    const StatisticsTable frequency = counter.count(StatisticsKind::Frequency, records, october).table;
    EXPECT_EQ(frequency.Value(12), 2);
    EXPECT_EQ(frequency.Value(70), 2);
    EXPECT_EQ(frequency.Value(1), 0);
    // A table of runs leaves the last drawing it counted: 22 Oct (12 13).
    const StatisticsCount pairs = counter.count(StatisticsKind::Pairs, records, october);
    ASSERT_TRUE(pairs.lastDrawing.has_value());
    EXPECT_EQ((*pairs.lastDrawing)[1], 5);
    EXPECT_EQ((*pairs.lastDrawing)[7], 7);
    EXPECT_EQ(pairs.table.Value(12), 1);
}

TEST_F(CounterFixture, AnEmptyWindowKeepsTheTitleOnDisplayAndAMissingFileFails) {
    const StatisticsCounter counter(messages);
    const StatisticsWindow none{dayFromYmd(2020, 1, 1), dayFromYmd(2020, 2, 1)};
    const StatisticsCount frequency = counter.count(StatisticsKind::Frequency, path, none);
    EXPECT_FALSE(frequency.title.has_value());
    EXPECT_FALSE(frequency.lastDrawing.has_value());
    EXPECT_EQ(frequency.chart("shown before").Title, "shown before");
    const StatisticsCount quads = counter.count(StatisticsKind::Quads, path, october);
    ASSERT_TRUE(quads.title.has_value());
    EXPECT_EQ(quads.chart("shown before").Title, *quads.title);

    EXPECT_FALSE(StatisticsCounter::countsDrawings(StatisticsKind::TipDistribution));
    EXPECT_FALSE(StatisticsCounter::countsDrawings(StatisticsKind::None));
    EXPECT_THROW(counter.count(StatisticsKind::Frequency, dir.str() + "missing.dat", october), IoError);
}

// ------------------------------------------------------------- tip search

namespace {

struct Stop {
    std::string line;  // "date row caption"
    std::string shown; // the drawing's caption at the stop
};

struct NoteStops : TipSearchObserver {
    std::vector<Stop> stops;
    void stopped(const SearchStop& stop, const SearchedDrawing& drawing) override {
        stops.push_back({formatIsoDate(stop.date) + " " + std::to_string(stop.row) + " " + stop.caption,
                         drawing.caption});
    }
};

struct SearchServiceFixture : ::testing::Test {
    MessageTable messages;
    test::ScriptedPlatform dialogs;
    NoteStops notes;
    TipSet tips;
    const StatisticsWindow october{dayFromYmd(2019, 10, 1), dayFromYmd(2019, 10, 31)};

    void setRow(int r, std::array<const char*, 7> f) {
        for (int k = 1; k <= 7; ++k)
            tips.set(r, k, f[static_cast<std::size_t>(k - 1)]);
    }
    TipSearchResult search(std::int32_t threshold, bool megaBallCounts = true) {
        const TipSearch s(0, messages, dialogs, notes);
        return s.run(tips, history(), october, threshold, megaBallCounts, CurrentDrawing{}, HitCount{});
    }
};

} // namespace

TEST_F(SearchServiceFixture, StopsAskAndANoEndsTheWalkWhereItStands) {
    setRow(1, {"5", "12", "33", "41", "9", "7", ""}); // 5 12 41 and the MegaBall of 22 Oct
    setRow(2, {"4", "12", "14", "60", "70", "20", ""}); // four of 15 Oct
    dialogs.questionAnswers = {true, false};
    const TipSearchResult r = search(4);
    ASSERT_EQ(notes.stops.size(), 2u);
    EXPECT_EQ(notes.stops[0].line, "2019-10-15 2 4");
    EXPECT_EQ(notes.stops[1].line, "2019-10-22 1 3 + PP"); // three hits, the MegaBall makes four
    EXPECT_EQ(notes.stops[1].shown, "Di 22.10.19    5  12  13  41  70  MB: 7     MP: 3");
    EXPECT_TRUE(r.endedByUser);
    EXPECT_EQ(r.shown.drawing.Datum1, dayFromYmd(2019, 10, 22));
    // The full check before the question sorted the row and gave its caption.
    EXPECT_EQ(tips.get(1, 1), "5");
    EXPECT_EQ(tips.get(1, 5), "41");
    EXPECT_EQ(tips.row(1).hitCaption, "3 + MB");
    ASSERT_EQ(r.chance.size(), 1u);
}

TEST_F(SearchServiceFixture, AWalkWithoutStopsEndsOnTheLastDrawingOfTheWindow) {
    setRow(1, {"5", "12", "33", "41", "9", "7", ""});
    const TipSearchResult r = search(6);
    EXPECT_TRUE(notes.stops.empty());
    EXPECT_FALSE(r.endedByUser);
    ASSERT_TRUE(r.visited);
    EXPECT_EQ(r.shown.drawing.Datum1, dayFromYmd(2019, 10, 22));
    EXPECT_EQ(r.shown.sumCaption, "Quersumme: 141");
    EXPECT_EQ(tips.row(1).hitCaption, "3 + PP");
    EXPECT_EQ(tips.row(1).colour[1], Colour::HitGreen); // marked against 22 Oct
    EXPECT_EQ(r.lastChecked.Gewinn, 0);                 // row 12 is empty

    // A window without drawings visits none and leaves the captions.
    tips.row(1).hitCaption = "before";
    const TipSearch s(0, messages, dialogs, notes);
    const TipSearchResult none = s.run(tips, history(), {dayFromYmd(2020, 1, 1), dayFromYmd(2020, 2, 1)}, 0, true,
                                       CurrentDrawing{}, HitCount{});
    EXPECT_FALSE(none.visited);
    EXPECT_TRUE(notes.stops.empty());
    EXPECT_EQ(tips.row(1).hitCaption, "before");
}
