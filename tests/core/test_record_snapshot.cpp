// The lookup and the steps back and forward over records read once must
// find what the same calls on the file find, for sound files (bisection) and odd ones
// (record by record): out of order, damaged dates, a broken end.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestSupport.h"
#include "database/DrawingNavigator.h"

using namespace rz;
using rz::test::TempDir;

namespace {

bool sameDrawing(const CurrentDrawing& a, const CurrentDrawing& b) {
    const bool sameDate = a.Datum1 == b.Datum1 || (std::isnan(a.Datum1) && std::isnan(b.Datum1));
    return sameDate && a.Zahl == b.Zahl && a.Position == b.Position;
}

CurrentDrawing shownBefore() {
    CurrentDrawing c;
    c.Datum1 = dayFromYmd(2018, 1, 1);
    c.Zahl = {0, 61, 62, 63, 64, 65, 0, 22, 2};
    c.Position = 7;
    return c;
}

} // namespace

TEST(RecordSnapshot, LookupAndStepsFindWhatTheFileGives) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<DrawingRecord> five = {
        test::rec(2019, 10, 1, {1, 2, 3, 4, 5}, 1), test::rec(2019, 10, 4, {6, 7, 8, 9, 10}, 2),
        test::rec(2019, 10, 8, {11, 12, 13, 14, 15}, 3), test::rec(2019, 10, 11, {16, 17, 18, 19, 20}, 4),
        test::rec(2019, 10, 15, {21, 22, 23, 24, 25}, 5)};
    auto withDate = [&five](std::size_t i, DayNumber d) {
        std::vector<DrawingRecord> recs = five;
        recs[i].Date = d;
        return recs;
    };
    std::vector<DrawingRecord> sameDay = five;
    sameDay[2].Date = sameDay[1].Date;
    struct Case {
        const char* name;
        std::vector<DrawingRecord> drawings;
        const char* tail; // bytes after the last whole record
    };
    const Case cases[] = {
        {"in order", five, ""},
        {"two on one day", sameDay, ""},
        {"one drawing", {five[3]}, ""},
        {"no drawing", {}, ""},
        {"out of order", withDate(1, dayFromYmd(2019, 10, 9)), ""},
        {"a date not positive", withDate(0, 0.0), ""},
        {"last date not positive", withDate(4, 0.0), ""},
        {"a date that is no number", withDate(2, nan), ""},
        {"a broken end", five, "\x01\x02\x03"},
    };
    std::vector<DayNumber> dates = {dayFromYmd(2000, 1, 1), dayFromYmd(2030, 1, 1), nan,
                                    -std::numeric_limits<double>::infinity()};
    for (const DrawingRecord& r : five)
        for (double delta : {-1.0, 0.0, 1.0})
            dates.push_back(r.Date + delta);

    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.str() + "Ruvuzevodare.dat";
        test::writeDatabase(path, c.drawings);
        if (*c.tail)
            test::writeFile(path, test::readFile(path) + c.tail);
        const RecordSnapshot records = RecordSnapshot::read(path);
        EXPECT_EQ(records.count, c.drawings.size()) << c.name;
        EXPECT_EQ(records.trailingBytes, static_cast<std::int64_t>(std::string(c.tail).size())) << c.name;

        // The same records handed over from memory.
        const RecordSnapshot handed = RecordSnapshot::of(records.bytes.data(), records.count);

        for (DayNumber d : dates) {
            CurrentDrawing fromFile = shownBefore(), fromMemory = shownBefore(), fromHanded = shownBefore();
            const auto want = DrawingNavigator::lookup(path, d, fromFile, {});
            const auto got = DrawingNavigator::lookup(records, d, fromMemory);
            EXPECT_EQ(got, want) << c.name << " lookup " << d;
            EXPECT_TRUE(sameDrawing(fromMemory, fromFile)) << c.name << " lookup " << d;
            EXPECT_EQ(DrawingNavigator::lookup(handed, d, fromHanded), want) << c.name << " lookup " << d;
            EXPECT_TRUE(sameDrawing(fromHanded, fromFile)) << c.name << " lookup " << d;
        }
        for (std::int32_t pos = -1; pos <= static_cast<std::int32_t>(c.drawings.size()) + 1; ++pos) {
            CurrentDrawing fromFile = shownBefore(), fromMemory = shownBefore();
            fromFile.Position = fromMemory.Position = pos;
            const bool want = DrawingNavigator::previous(path, fromFile);
            const bool got = DrawingNavigator::previous(records, fromMemory);
            EXPECT_EQ(got, want) << c.name << " previous from " << pos;
            EXPECT_TRUE(sameDrawing(fromMemory, fromFile)) << c.name << " previous from " << pos;

            CurrentDrawing nextFromFile = shownBefore(), nextFromMemory = shownBefore();
            nextFromFile.Position = nextFromMemory.Position = pos;
            EXPECT_EQ(DrawingNavigator::next(records, nextFromMemory), DrawingNavigator::next(path, nextFromFile))
                << c.name << " next from " << pos;
            EXPECT_TRUE(sameDrawing(nextFromMemory, nextFromFile)) << c.name << " next from " << pos;
        }
    }
}
