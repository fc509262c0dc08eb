#include <gtest/gtest.h>

#include "services/MessageTable.h"
#include "common/Dates.h"
#include "common/NumberFormat.h"
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

TEST(NumberForms, EachLanguageGroupsMarksAndPricesInItsOwnForm) {
    struct Case {
        int language;
        const char* grouped; // 1234567
        const char* dollars; // 123456 cents
        const char* odds;    // 1 / 4031 with the built-in "1 zu %1"
        const char* small;   // 1 / 1.74
        const char* dates;   // the date fields' pattern
    };
    const Case cases[] = {
        {0, "1.234.567", "1.234,56\u00a0$", "1 zu 4.031", "1 zu 1,7", "dd.MM.yyyy"},
        {2, "1,234,567", "$1,234.56", "1 zu 4,031", "1 zu 1.7", "M/d/yyyy"},
        {3, "1\u00a0234\u00a0567", "1\u00a0234,56\u00a0$", "1 zu 4\u00a0031", "1 zu 1,7", "dd/MM/yyyy"},
        {6, "1\u00a0234\u00a0567", "1\u00a0234,56\u00a0$", "1 zu 4\u00a0031", "1 zu 1,7", "dd.MM.yyyy"},
        {7, "1.234.567", "US$\u00a01.234,56", "1 zu 4.031", "1 zu 1,7", "dd/MM/yyyy"},
        {8, "1,234,567", "$1,234.56", "1 zu 4,031", "1 zu 1.7", "yyyy/M/d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        EXPECT_EQ(formatGrouped(1234567, c.language), c.grouped);
        EXPECT_EQ(formatDollars(123456, c.language), c.dollars);
        EXPECT_EQ(formatOneIn(1.0L / 4031, c.language), c.odds);
        EXPECT_EQ(formatOneIn(1.0L / 1.74L, c.language), c.small);
        EXPECT_EQ(shortDatePattern(c.language), c.dates);
    }
    EXPECT_EQ(formatGrouped(999, 2), "999");
    EXPECT_EQ(formatGrouped(0, 2), "0");
    EXPECT_EQ(formatDollars(5, 2), "$0.05");
    EXPECT_EQ(formatOneIn(0, 2), "-");
    EXPECT_EQ(formatOneIn(1, 2), "1 zu 1.0");
    EXPECT_EQ(formatDecimal(0.25L, 3, 1), "0,250");
}
