#include <gtest/gtest.h>

#include "services/MessageTable.h"
#include "common/Dates.h"
#include "common/Random.h"
#include "common/Round.h"
#include "common/Text.h"

using namespace rz;

TEST(Random, SequenceFromSeed12345) {
    Rng rng;
    rng.RandSeed = 12345;
    const std::uint32_t expected[] = {38, 28, 7, 55, 63};
    for (std::uint32_t e : expected)
        EXPECT_EQ(rng.Random(100), e);
}

TEST(Random, StaysBelowN) {
    Rng rng;
    rng.RandSeed = 0xFFFFFFFFu;
    for (int i = 0; i < 10000; ++i) {
        EXPECT_LT(rng.Random(25), 25u);
        EXPECT_EQ(rng.Random(1), 0u);
    }
}

TEST(Round, HalvesToEven) {
    const std::pair<double, long long> cases[] = {
        {20.5, 20}, {21.5, 22}, {175.5, 176}, {176.5, 176}, {22.75, 23}, {9.0, 9}, {-0.5, 0}, {-1.5, -2}, {0.49, 0}, {2.51, 3}};
    for (auto [x, r] : cases)
        EXPECT_EQ(Round(x), r) << x;
}

TEST(Dates, DayNumbersAndWeekdays) {
    EXPECT_EQ(dayFromYmd(1899, 12, 30), 0.0);
    EXPECT_EQ(dayFromYmd(2019, 10, 22), 43760.0);
    EXPECT_EQ(dayFromYmd(2000, 5, 17), kEarliestPickerDate);
    EXPECT_EQ(weekday(43760.0), 2); // Tuesday
    EXPECT_EQ(weekday(0.0), 6);     // Saturday
    const Ymd ymd = ymdFromDay(43760.0);
    EXPECT_EQ(ymd.year, 2019);
    EXPECT_EQ(ymd.month, 10);
    EXPECT_EQ(ymd.day, 22);
    EXPECT_EQ(formatCaptionDate(43760.0, 0), "Di 22.10.19");
    EXPECT_EQ(formatYyyymmdd(43760.0), "20191022");
    EXPECT_EQ(formatShortDate(43760.0, 0), "22.10.2019");
    DayNumber d = 0;
    EXPECT_TRUE(parseIsoDate("2019-10-22", d));
    EXPECT_EQ(d, 43760.0);
    EXPECT_FALSE(parseIsoDate("2019-02-30", d));
    EXPECT_FALSE(parseIsoDate("22.10.2019", d));
}

TEST(Text, IntegerConversion) {
    std::int32_t v = 0;
    EXPECT_TRUE(tryParseInt("07", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(tryParseInt("-3", v));
    EXPECT_EQ(v, -3);
    for (const char* bad : {"", " 7", "7 ", "x", "1.5", "+", "99999999999"})
        EXPECT_FALSE(tryParseInt(bad, v)) << bad;
}

TEST(MessageTable, BuiltInLines) {
    MessageTable t;
    ASSERT_EQ(t.lines().size(), 62u);
    EXPECT_EQ(t.line(0), "Soll die Analyse der Datenbank jetzt ab dem ");
    EXPECT_EQ(t.line(43), "Quersumme");
    EXPECT_EQ(t.line(58), "Ändern Sie die Parameter um 12 Tipps zuberechnen");
    EXPECT_EQ(t.line(61), "Stop");
    EXPECT_EQ(t.line(13), "");
    EXPECT_EQ(t.line(62), "");
    EXPECT_EQ(t.line(-1), "");
}
