// The tip list "Tipp.txt".
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/TextCodec.h"

using namespace rz;
using rz::test::ScriptedPlatform;
using rz::test::TempDir;

namespace {

const std::string kTildes(46, '~');

struct PrintoutFixture : ::testing::Test {
    TempDir dir;
    ScriptedPlatform p;
    MainModel m;

    void SetUp() override {
        p.attach(m);
        m.Home = dir.str();
        m.cur.Datum1 = dayFromYmd(2019, 10, 15); // Tuesday
        m.DateTimePicker1.date = m.cur.Datum1;
    }
    void setRow(int r, std::array<const char*, 7> f) {
        for (int k = 1; k <= 7; ++k)
            m.tips.set(r, k, f[static_cast<std::size_t>(k - 1)]);
    }
    std::string printed() const { return test::readFile(m.Home + "Tipp.txt"); }
    // The list is a text file of the system's 8-bit form (Windows-1252 on
    // Windows, UTF-8 elsewhere): the bytes expected of the given text.
};

} // namespace

TEST_F(PrintoutFixture, WritesTheListAndOpensIt) {
    setRow(1, {"5", "17", "33", "41", "62", "9", "3"});
    setRow(2, {"2", "8", "19", "50", "70", "25", ""});
    m.BitBtn7Click();
    EXPECT_EQ(printed(),
              test::inSystemForm("Quendrals Lotto-Tipp für  18.10.2019\r\n" + kTildes + "\r\n\r\n"
                           " 1. Quendrals Lotto-Tipp für :  5   17   33   41   62   MegaBall:  9\r\n"
                           " 2. Quendrals Lotto-Tipp für :  2    8   19   50   70   MegaBall: 25\r\n"));
    EXPECT_EQ(p.opened, (std::vector<std::string>{m.Home + "Tipp.txt"}));
    EXPECT_TRUE(p.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(m.Home + "Tipp.txt.tmp"));
}

TEST_F(PrintoutFixture, PrefixIsTheRowNumberAndGapsCloseUp) {
    setRow(2, {"1", "2", "3", "4", "5", "6", ""});
    setRow(5, {"10", "20", "30", "40", "50", "10", ""});
    setRow(10, {"7", "8", "9", "69", "70", "1", ""});
    m.tips.row(10).Locked = true;
    setRow(11, {"", "8", "9", "10", "11", "12", ""}); // not filled
    m.BitBtn7Click();
    EXPECT_EQ(printed(),
              test::inSystemForm("Quendrals Lotto-Tipp für  18.10.2019\r\n" + kTildes + "\r\n\r\n"
                           " 2. Quendrals Lotto-Tipp für :  1    2    3    4    5   MegaBall:  6\r\n"
                           " 5. Quendrals Lotto-Tipp für : 10   20   30   40   50   MegaBall: 10\r\n"
                           "10. Quendrals Lotto-Tipp für :  7    8    9   69   70   MegaBall:  1\r\n"));
}

TEST_F(PrintoutFixture, HeaderDateFromDrawingAndPickerWeekday) {
    struct Case {
        DayNumber drawing, picker;
        int language;
        const char* header;
    };
    const Case cases[] = {
        {dayFromYmd(2019, 10, 15), dayFromYmd(2019, 10, 15), 0, "18.10.2019"},
        {dayFromYmd(2019, 10, 18), dayFromYmd(2019, 10, 18), 0, "22.10.2019"},
        // The weekday comes from the picker, the base date from the drawing.
        {dayFromYmd(2019, 10, 18), dayFromYmd(2019, 10, 15), 0, "21.10.2019"},
        {dayFromYmd(2019, 10, 15), dayFromYmd(2019, 10, 17), 0, "19.10.2019"},
        {dayFromYmd(2019, 12, 31), dayFromYmd(2019, 12, 31), 0, "03.01.2020"},
        {dayFromYmd(2019, 10, 15), dayFromYmd(2019, 10, 15), 2, "10/18/2019"},
    };
    for (const auto& c : cases) {
        m.cur.Datum1 = c.drawing;
        m.DateTimePicker1.date = c.picker;
        m.sprache = c.language;
        m.BitBtn7Click();
        EXPECT_EQ(printed(), test::inSystemForm(std::string("Quendrals Lotto-Tipp für  ") + c.header + "\r\n" + kTildes + "\r\n\r\n"));
    }
}

TEST_F(PrintoutFixture, UsesTheCurrentMessageText) {
    std::vector<std::string> lines = m.Memo2.lines();
    lines[28] = "Lottery tip of ";
    m.Memo2.setLines(lines);
    setRow(12, {"1", "2", "3", "4", "5", "6", ""});
    m.BitBtn7Click();
    EXPECT_EQ(printed(), "Lottery tip of  18.10.2019\r\n" + kTildes + "\r\n\r\n"
                         "12. Lottery tip of :  1    2    3    4    5   MegaBall:  6\r\n");
}

TEST_F(PrintoutFixture, IncompleteRowNamesTheRowAndLeavesTheOldListAlone) {
    struct Case {
        std::array<const char*, 7> row3;
        const char* missing;
    };
    const Case cases[] = {
        {{"1", "2", "3", "", "5", "6", ""}, "Zahl 4"},
        {{"1", "2", "3", "4", "5", "", "7"}, "MegaBall"},
        {{"1", "", "3", "4", "5", "", ""}, "Zahl 2, MegaBall"},
    };
    for (const auto& c : cases) {
        test::writeFile(m.Home + "Tipp.txt", "old list\r\n");
        p.messages.clear();
        setRow(1, {"1", "2", "3", "4", "5", "6", ""});
        setRow(3, c.row3);
        m.BitBtn7Click();
        ASSERT_EQ(p.messages.size(), 1u) << c.missing;
        EXPECT_NE(p.messages[0].find("Tipp 3 ist unvollständig"), std::string::npos) << p.messages[0];
        EXPECT_NE(p.messages[0].find(c.missing), std::string::npos) << p.messages[0];
        EXPECT_EQ(printed(), "old list\r\n");
        EXPECT_TRUE(p.opened.empty());
    }
}

TEST_F(PrintoutFixture, WriteFailureReportsAndOpensNothing) {
    m.Home = dir.str() + "no-such-folder/";
    setRow(1, {"1", "2", "3", "4", "5", "6", ""});
    m.BitBtn7Click();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find("Tipp.txt"), std::string::npos);
    EXPECT_TRUE(p.opened.empty());

    // "Tipp.txt" taken by a folder: the list cannot replace it.
    m.Home = dir.str();
    std::filesystem::create_directory(m.Home + "Tipp.txt");
    m.BitBtn7Click();
    EXPECT_EQ(p.messages.size(), 2u);
    EXPECT_TRUE(p.opened.empty());
    EXPECT_FALSE(std::filesystem::exists(m.Home + "Tipp.txt.tmp"));
}
