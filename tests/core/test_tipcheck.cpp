// Hit counting of one tip and the full check of all rows: the tip book's
// check, and what the window does with it (sound, statistics, the last row).
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/TipBook.h"

using namespace rz;
using rz::test::ScriptedPlatform;

namespace {

using Five = std::array<std::string, 5>;

// Drawing 5, 12, 33, 41, 70, MegaBall 7.
CurrentDrawing drawing() {
    CurrentDrawing d;
    d.Zahl = {0, 5, 12, 33, 41, 70, 0, 7, 3};
    return d;
}

void setRow(TipSet& tips, int r, std::array<const char*, 7> f) {
    for (int k = 1; k <= 7; ++k)
        tips.set(r, k, f[static_cast<std::size_t>(k - 1)]);
}

Five numbers(const TipSet& tips, int r) {
    Five out;
    for (int k = 1; k <= 5; ++k)
        out[static_cast<std::size_t>(k - 1)] = tips.get(r, k);
    return out;
}

struct TipBookCheck : ::testing::Test {
    TipSet tips;
    LanguageTexts texts;
    TipBook book{tips, texts};
    CurrentDrawing cur = drawing();

    void setRow(int r, std::array<const char*, 7> f) { ::setRow(tips, r, f); }
    Five numbers(int r) const { return ::numbers(tips, r); }
};

// The window's check over the tip book.
struct TipCheckFixture : ::testing::Test {
    ScriptedPlatform p;
    MainModel m;

    void SetUp() override {
        p.attach(m);
        m.Home = "/prog/";
        m.sortieren = true;
        m.cur = drawing();
    }
    void setRow(int r, std::array<const char*, 7> f) { ::setRow(m.tips, r, f); }
    Five numbers(int r) const { return ::numbers(m.tips, r); }
};

} // namespace

TEST_F(TipBookCheck, ThreeHitsAndMegaBallSortsColoursAndScores301) {
    setRow(1, {"70", "5", "9", "33", "1", "7", ""});
    const TipCheckReport report = book.check(cur);
    EXPECT_EQ(report.best, 301);
    const TipRow& row = tips.row(1);
    EXPECT_EQ(numbers(1), (Five{"1", "5", "9", "33", "70"}));
    EXPECT_EQ(row.sumCaption, "118");
    const Colour expected[] = {Colour::WindowBackground, Colour::HitGreen, Colour::WindowBackground,
                               Colour::HitGreen, Colour::HitGreen};
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(row.colour[static_cast<std::size_t>(k)], expected[k - 1]) << "field " << k;
    EXPECT_EQ(row.colour[6], Colour::Red);
    EXPECT_EQ(row.hitCaption, "3 + MB");
    EXPECT_EQ(row.hitColour, Colour::Red);
    EXPECT_EQ(report.rows[0].sum, "118");
    EXPECT_EQ(report.rows[0].hits, "3 + MB");
    EXPECT_EQ(report.statistics[3][1], 1);
    EXPECT_EQ(report.goodRows, 1);
}

TEST_F(TipBookCheck, CaptionColourGoodRowAndScorePerRow) {
    struct Case {
        std::array<const char*, 7> row;
        const char* caption;
        Colour colour;
        bool good;
        int score;
        int statRow, statCol;
    };
    const Case cases[] = {
        {{"70", "5", "9", "33", "1", "8", ""}, "3", Colour::Red, true, 300, 3, 0},
        {{"5", "12", "20", "30", "40", "9", ""}, "2", Colour::Black, false, 200, 2, 0},
        {{"1", "2", "3", "4", "6", "7", ""}, "0 + MB", Colour::Red, true, 1, 0, 1},
        {{"5", "12", "33", "41", "70", "7", "25"}, "5 + MB", Colour::Red, true, 501, 5, 1},
        {{"5", "12", "33", "41", "69", "", ""}, "4", Colour::Red, true, 400, 4, 0}, // empty MegaBall: no hit
    };
    for (const auto& c : cases) {
        TipSet fresh;
        ::setRow(fresh, 6, c.row);
        const TipCheckReport report = TipBook(fresh, texts).check(cur);
        EXPECT_EQ(report.best, c.score) << c.caption;
        EXPECT_EQ(fresh.row(6).hitCaption, c.caption);
        EXPECT_EQ(report.rows[5].hits, c.caption);
        EXPECT_EQ(fresh.row(6).hitColour, c.colour) << c.caption;
        EXPECT_EQ(report.goodRows, c.good ? 1 : 0) << c.caption;
        EXPECT_EQ(report.statistics[static_cast<std::size_t>(c.statRow)][static_cast<std::size_t>(c.statCol)], 1)
            << c.caption;
    }
}

TEST_F(TipBookCheck, BestRowWinsAndTheLastCheckedRowIsReported) {
    setRow(2, {"5", "12", "1", "2", "3", "7", ""});    // 2 + MB = 201
    setRow(5, {"5", "12", "33", "1", "2", "1", ""});   // 3 = 300
    setRow(9, {"1", "2", "3", "4", "6", "1", ""});     // 0
    setRow(12, {"41", "12", "1", "2", "3", "2", ""});  // 2 = 200
    const TipCheckReport report = book.check(cur);
    EXPECT_EQ(report.best, 300);
    EXPECT_EQ(report.goodRows, 2);
    EXPECT_EQ(report.statistics[2][1], 1);
    EXPECT_EQ(report.statistics[3][0], 1);
    EXPECT_EQ(report.statistics[0][0], 1);
    EXPECT_EQ(report.statistics[2][0], 1);
    ASSERT_TRUE(report.lastRow);
    EXPECT_EQ(report.lastRow->Gewinn, 2);
    EXPECT_FALSE(report.lastRow->Zusatz);
}

TEST_F(TipBookCheck, MegaBallSuffixOfRowElevenHasNoBlank) {
    for (int r = 1; r <= 12; ++r)
        setRow(r, {"1", "2", "3", "4", "6", "7", ""});
    book.check(cur);
    for (int r = 1; r <= 12; ++r)
        EXPECT_EQ(tips.row(r).hitCaption, r == 11 ? "0 +MB" : "0 + MB") << "row " << r;
}

TEST_F(TipBookCheck, RowWithEmptyFirstFieldIsClearedButKeepsItsSum) {
    setRow(4, {"", "12", "33", "41", "70", "7", "3"});
    TipRow& row = tips.row(4);
    row.hitCaption = "2";
    row.sumCaption = "99";
    for (int k = 1; k <= 7; ++k)
        row.colour[static_cast<std::size_t>(k)] = Colour::HitGreen;
    const TipCheckReport report = book.check(cur);
    EXPECT_EQ(report.best, 0);
    EXPECT_EQ(row.hitCaption, "");
    EXPECT_EQ(row.sumCaption, "99");
    EXPECT_EQ(report.rows[3].sum, "99");
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(row.colour[static_cast<std::size_t>(k)], Colour::WindowBackground) << k;
    EXPECT_EQ(numbers(4), (Five{"", "12", "33", "41", "70"})); // not sorted
    for (const auto& line : report.statistics)
        for (int v : line)
            EXPECT_EQ(v, 0);
    EXPECT_EQ(report.goodRows, 0);
    EXPECT_FALSE(report.lastRow); // no row held five numbers
}

TEST_F(TipBookCheck, ValuesAboveByteRangeAreReducedToTheirLowEightBits) {
    // Only reachable by writing a field past its check.
    setRow(1, {"5", "12", "1", "2", "3", "1", ""});
    tips.row(1).field[3] = "261"; // 261 mod 256 = 5
    book.check(cur);
    EXPECT_EQ(numbers(1), (Five{"2", "3", "5", "5", "12"}));
    EXPECT_EQ(tips.row(1).sumCaption, "27");
}

TEST_F(TipCheckFixture, TheWindowPlaysOncePerGoodRowAndKeepsTheLastCountWithoutACheckedRow) {
    setRow(2, {"5", "12", "1", "2", "3", "7", ""});    // 2 + MB: good
    setRow(5, {"5", "12", "33", "1", "2", "1", ""});   // 3: good
    setRow(9, {"1", "2", "3", "4", "6", "1", ""});     // 0
    m.Statistik[7][0] = 2;
    EXPECT_EQ(m.Komplettcheck(), 300);
    EXPECT_EQ(p.played, (std::vector<std::string>{"/prog/yippee.wav", "/prog/yippee.wav"}));
    EXPECT_EQ(m.Statistik[3][0], 1);
    EXPECT_EQ(m.Statistik[7][0], 2); // the last line adds up over checks
    EXPECT_EQ(m.Gewinn, 0);          // row 9, the last one checked

    // No row with five numbers: the last count stays what it was.
    m.Zettelcheck("5", "12", "33", "1", "2", "7", "");
    ASSERT_EQ(m.Gewinn, 3);
    m.tips.ClearUnlockedRows();
    p.played.clear();
    EXPECT_EQ(m.Komplettcheck(), 0);
    EXPECT_EQ(m.Gewinn, 3);
    EXPECT_TRUE(m.Zusatz);
    EXPECT_TRUE(p.played.empty());
}

TEST_F(TipCheckFixture, AllRowsEmptyScoreZero) {
    m.Statistik[1][0] = 5;
    EXPECT_EQ(m.Komplettcheck(), 0);
    for (const auto& line : m.Statistik)
        for (int v : line)
            EXPECT_EQ(v, 0);
    for (int r = 1; r <= 12; ++r)
        EXPECT_EQ(m.tips.row(r).hitCaption, "");
}

TEST_F(TipCheckFixture, InactiveCheckChangesNothing) {
    setRow(1, {"70", "5", "9", "33", "1", "7", ""});
    m.Statistik[3][1] = 4;
    m.sortieren = false;
    EXPECT_EQ(m.Komplettcheck(), 0);
    EXPECT_EQ(numbers(1), (Five{"70", "5", "9", "33", "1"}));
    EXPECT_EQ(m.tips.row(1).hitCaption, "");
    EXPECT_EQ(m.tips.row(1).sumCaption, "");
    EXPECT_EQ(m.tips.row(1).colour[2], Colour::WindowBackground);
    EXPECT_EQ(m.Statistik[3][1], 0);
    EXPECT_TRUE(p.played.empty());
}

TEST_F(TipCheckFixture, ZettelcheckCountsHitsPerTipPosition) {
    m.Zettelcheck("5", "12", "33", "41", "70", "7", "anything");
    EXPECT_EQ(m.Gewinn, 5);
    for (int j = 1; j <= 5; ++j)
        EXPECT_TRUE(m.Treffer[static_cast<std::size_t>(j)]) << j;
    EXPECT_TRUE(m.Zusatz);
    EXPECT_FALSE(m.Super);

    m.Zettelcheck("70", "1", "41", "2", "3", "8", "");
    EXPECT_EQ(m.Gewinn, 2);
    EXPECT_TRUE(m.Treffer[1]);
    EXPECT_FALSE(m.Treffer[2]);
    EXPECT_TRUE(m.Treffer[3]);
    EXPECT_FALSE(m.Zusatz);
}

TEST_F(TipCheckFixture, ZettelcheckStopsAtTheFirstBadText) {
    // Bad MegaBall: the main numbers are complete.
    m.Zettelcheck("5", "12", "33", "41", "70", "x", "");
    EXPECT_EQ(m.Gewinn, 5);
    EXPECT_FALSE(m.Zusatz);
    // Bad first number: nothing counted, earlier results reset.
    m.Zettelcheck("", "12", "33", "41", "70", "7", "");
    EXPECT_EQ(m.Gewinn, 0);
    EXPECT_FALSE(m.Treffer[2]);
    EXPECT_FALSE(m.Zusatz);
    // Bad third number: only the first drawn number (5) was compared with texts 1 and 2.
    m.Zettelcheck("5", "12", "x", "41", "70", "7", "");
    EXPECT_EQ(m.Gewinn, 1);
    EXPECT_TRUE(m.Treffer[1]);
    EXPECT_FALSE(m.Treffer[2]);
    EXPECT_FALSE(m.Zusatz);
}

TEST_F(TipBookCheck, MegaBallNoLongerDrawnIsMarkedYellowWithAHint) {
    struct Case {
        const char* name;
        DayNumber date;
        const char* megaBall;
        bool marked;
    };
    // The drawing's MegaBall is 7; row 1 hits three numbers whatever its MegaBall.
    const Case cases[] = {
        {"25 on the last day of 1..25", dayFromYmd(2025, 4, 7), "25", false},
        {"25 on the first day of 1..24", dayFromYmd(2025, 4, 8), "25", true},
        {"25 in 2026", dayFromYmd(2026, 1, 2), "25", true},
        {"24 in 2026", dayFromYmd(2026, 1, 2), "24", false},
        {"the drawn 7 in 2026", dayFromYmd(2026, 1, 2), "7", false},
        {"no MegaBall in 2026", dayFromYmd(2026, 1, 2), "", false},
        {"25 against an older, smaller format is not this change", dayFromYmd(2015, 1, 2), "25", false},
    };
    for (const Case& c : cases) {
        cur.Datum1 = c.date;
        setRow(1, {"70", "5", "9", "33", "1", c.megaBall, ""});
        book.check(cur);
        const TipRow& row = tips.row(1);
        const bool hit = std::string(c.megaBall) == "7";
        EXPECT_EQ(row.colour[6], c.marked ? Colour::Yellow : hit ? Colour::Red : Colour::WindowBackground) << c.name;
        EXPECT_EQ(row.megaBallHint, c.marked ? "MegaBall 25 wird seit dem 8. April 2025 nicht mehr gezogen" : "")
            << c.name;
        // The hits, their caption and colours are those of any row.
        EXPECT_EQ(row.hitCaption, hit ? "3 + MB" : "3") << c.name;
        EXPECT_EQ(row.hitColour, Colour::Red) << c.name;
        EXPECT_EQ(row.colour[2], Colour::HitGreen) << c.name; // 5, once sorted
    }
    // A row that stops being checkable loses the marking.
    cur.Datum1 = dayFromYmd(2026, 1, 2);
    setRow(1, {"70", "5", "9", "33", "1", "25", ""});
    book.check(cur);
    ASSERT_EQ(tips.row(1).colour[6], Colour::Yellow);
    setRow(1, {"", "5", "9", "33", "1", "25", ""});
    book.check(cur);
    EXPECT_EQ(tips.row(1).colour[6], Colour::WindowBackground);
    EXPECT_EQ(tips.row(1).megaBallHint, "");
}
