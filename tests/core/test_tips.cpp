// Tip set: field check, tip file, clearing, lock, save and load commands.
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace rz;
using rz::test::ScriptedPlatform;
using rz::test::TempDir;

namespace {

void setRow(TipSet& t, int r, std::array<const char*, 7> f) {
    for (int k = 1; k <= 7; ++k)
        t.set(r, k, f[static_cast<std::size_t>(k - 1)]);
}

std::array<std::string, 7> rowTexts(const TipSet& t, int r) {
    std::array<std::string, 7> out;
    for (int k = 1; k <= 7; ++k)
        out[static_cast<std::size_t>(k - 1)] = t.get(r, k);
    return out;
}

using Texts = std::array<std::string, 7>;
const Texts kEmptyRow{};

} // namespace

TEST(TipSet, FieldCheckKeepsOnlyCanonicalValuesInRange) {
    struct Case {
        int k;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {1, "07", "7"}, {1, "70", "70"}, {1, "71", ""}, {1, "0", ""},   {1, "-3", ""},
        {1, "x", ""},   {1, "", ""},     {1, " 5", ""}, {1, "5 ", ""},  {1, "007", "7"},
        {5, "1", "1"},  {6, "25", "25"}, {6, "26", ""}, {6, "07", "7"}, {7, "25", "25"},
        {7, "26", ""},  {7, "abc", ""},  {6, "99999999999", ""},
    };
    for (const auto& c : cases) {
        TipSet t;
        t.set(4, c.k, c.text);
        EXPECT_EQ(t.get(4, c.k), c.expected) << "field " << c.k << " text '" << c.text << "'";
    }
}

TEST(TipSet, FilledMeansFirstNumberPresent) {
    TipSet t;
    setRow(t, 2, {"", "5", "6", "7", "8", "9", ""});
    setRow(t, 3, {"12", "", "", "", "", "", ""});
    EXPECT_FALSE(t.IsRowFilled(1));
    EXPECT_FALSE(t.IsRowFilled(2));
    EXPECT_TRUE(t.IsRowFilled(3));
}

TEST(TipSet, ControlNamesFollowTheWindowLayout) {
    // The names are not contiguous and rows 9/10 take their labels crosswise.
    EXPECT_STREQ(TipSet::fieldName(1, 7), "Edit93");
    EXPECT_STREQ(TipSet::fieldName(7, 1), "Edit43");
    EXPECT_STREQ(TipSet::fieldName(7, 6), "Edit48");
    EXPECT_STREQ(TipSet::fieldName(9, 1), "Edit56");
    EXPECT_STREQ(TipSet::fieldName(12, 6), "Edit79");
    EXPECT_STREQ(TipSet::fieldName(12, 7), "Edit104");
    EXPECT_STREQ(TipSet::labelName(9), "Label62");
    EXPECT_STREQ(TipSet::labelName(10), "Label61");
    EXPECT_STREQ(TipSet::hitName(7), "Label45");
    EXPECT_STREQ(TipSet::sumName(9), "Label67");
    EXPECT_STREQ(TipSet::editButtonName(12), "Tipp12Edit");
}

TEST(TipFile, WritesOneLinePerFilledRowWithCrLf) {
    TempDir dir;
    TipSet t;
    setRow(t, 1, {"5", "17", "33", "41", "62", "9", ""});
    setRow(t, 3, {"2", "8", "19", "50", "70", "25", ""});
    setRow(t, 4, {"", "1", "2", "3", "4", "5", ""});  // not filled: skipped
    setRow(t, 6, {"12", "", "", "", "", "", ""});     // only the first number
    setRow(t, 8, {"1", "2", "3", "4", "5", "6", "7"}); // spare number travels along
    t.row(8).Locked = true;                           // locks are not written
    const std::string path = dir.file("t.qlt");
    t.WriteTipFile(path);
    EXPECT_EQ(test::readFile(path), "5,17,33,41,62,9,\r\n2,8,19,50,70,25,\r\n12,,,,,,\r\n1,2,3,4,5,6,7\r\n");
}

TEST(TipFile, EmptySetGivesEmptyFileAndReplacesOldContent) {
    TempDir dir;
    const std::string path = dir.file("t.qlt");
    test::writeFile(path, "old content that must go\r\n");
    TipSet t;
    t.WriteTipFile(path);
    EXPECT_EQ(test::readFile(path), "");
}

TEST(TipFile, WriteFailureThrowsIoError) {
    TempDir dir;
    TipSet t;
    setRow(t, 1, {"1", "2", "3", "4", "5", "6", ""});
    EXPECT_THROW(t.WriteTipFile(dir.file("no-such-folder/t.qlt")), IoError);
}

TEST(TipFile, LinesSplitIntoFieldsThroughTheFieldCheck) {
    struct Case {
        const char* line;
        Texts expected;
    };
    const Case cases[] = {
        {"07,8,x,80,5,26,3", {"7", "8", "", "", "5", "", "3"}},
        {"1,2,3,4,5,6,7,8", {"1", "2", "3", "4", "5", "6", ""}}, // rest "7,8" fails the check
        {"1,2,3", {"1", "2", "", "", "", "", "3"}},              // no comma left: the rest is field 7
        {"", {"", "", "", "", "", "", ""}},
        {"5,17,33,41,62,9,", {"5", "17", "33", "41", "62", "9", ""}},
        {",,,,,,25", {"", "", "", "", "", "", "25"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.file("t.qlt");
        test::writeFile(path, std::string(c.line) + "\r\n");
        TipSet t;
        setRow(t, 1, {"9", "9", "9", "9", "9", "9", "9"});
        t.ReadTipFile(path);
        EXPECT_EQ(rowTexts(t, 1), c.expected) << "line '" << c.line << "'";
        EXPECT_EQ(rowTexts(t, 2), kEmptyRow);
    }
}

TEST(TipFile, ReadFillsAllTwelveRowsInLineOrderLockedOnesToo) {
    TempDir dir;
    const std::string path = dir.file("t.qlt");
    test::writeFile(path, "1,2,3,4,5,6,\r\n7,8,9,10,11,12,\r\n13,14,15,16,17,18,\r\n");
    TipSet t;
    for (int r = 1; r <= 12; ++r)
        setRow(t, r, {"60", "61", "62", "63", "64", "20", "21"});
    t.row(2).Locked = true;
    t.row(9).Locked = true;
    t.ReadTipFile(path);
    EXPECT_EQ(rowTexts(t, 1), (Texts{"1", "2", "3", "4", "5", "6", ""}));
    EXPECT_EQ(rowTexts(t, 2), (Texts{"7", "8", "9", "10", "11", "12", ""}));
    EXPECT_EQ(rowTexts(t, 3), (Texts{"13", "14", "15", "16", "17", "18", ""}));
    for (int r = 4; r <= 12; ++r)
        EXPECT_EQ(rowTexts(t, r), kEmptyRow) << "row " << r;
    EXPECT_TRUE(t.row(2).Locked);
    EXPECT_TRUE(t.row(9).Locked);
}

TEST(TipFile, ReadIgnoresLinesAfterTheTwelfthAndAcceptsOtherLineEnds) {
    TempDir dir;
    const std::string path = dir.file("t.qlt");
    std::string content;
    for (int i = 1; i <= 14; ++i)
        content += std::to_string(i) + ",1,2,3,4,5,\n"; // LF only
    test::writeFile(path, content);
    TipSet t;
    t.ReadTipFile(path);
    for (int r = 1; r <= 12; ++r)
        EXPECT_EQ(t.get(r, 1), std::to_string(r));

    test::writeFile(path, "1,2,3,4,5,6,\r2,3,4,5,6,7,"); // lone CR, last line without end
    t.ReadTipFile(path);
    EXPECT_EQ(t.get(1, 6), "6");
    EXPECT_EQ(rowTexts(t, 2), (Texts{"2", "3", "4", "5", "6", "7", ""}));
    EXPECT_EQ(t.get(3, 1), "");
}

TEST(TipFile, ReadOfMissingFileThrowsAndKeepsRows) {
    TempDir dir;
    TipSet t;
    setRow(t, 1, {"1", "2", "3", "4", "5", "6", ""});
    EXPECT_THROW(t.ReadTipFile(dir.file("missing.qlt")), IoError);
    EXPECT_THROW(t.ReadTipFile(dir.str()), IoError); // a folder is no tip file
    EXPECT_EQ(t.get(1, 1), "1");
}

TEST(TipSet, ClearLeavesLockedRowsWithTheirDisplay) {
    MainModel m;
    for (int r = 1; r <= 12; ++r) {
        setRow(m.tips, r, {"1", "2", "3", "4", "5", "6", "7"});
        m.tips.row(r).colour[1] = Colour::HitGreen;
        m.tips.row(r).colour[6] = Colour::Red;
        m.tips.row(r).hitCaption = "1 + MB";
        m.tips.row(r).sumCaption = "15";
    }
    m.Label30Click(4);
    m.Label30Click(11);
    m.Label30Click(11);  // unlocked again
    m.Label30Click(12);
    EXPECT_TRUE(m.tips.row(4).Locked);
    EXPECT_FALSE(m.tips.row(11).Locked);
    EXPECT_TRUE(m.tips.row(12).Locked);

    m.SpeedButton11Click();
    for (int r = 1; r <= 12; ++r) {
        const TipRow& row = m.tips.row(r);
        if (r == 4 || r == 12) {
            EXPECT_EQ(rowTexts(m.tips, r), (Texts{"1", "2", "3", "4", "5", "6", "7"})) << r;
            EXPECT_EQ(row.colour[1], Colour::HitGreen);
            EXPECT_EQ(row.colour[6], Colour::Red);
            EXPECT_EQ(row.hitCaption, "1 + MB");
            EXPECT_EQ(row.sumCaption, "15");
            EXPECT_TRUE(row.Locked);
        } else {
            EXPECT_EQ(rowTexts(m.tips, r), kEmptyRow) << r;
            for (int k = 1; k <= 7; ++k)
                EXPECT_EQ(row.colour[static_cast<std::size_t>(k)], Colour::WindowBackground);
            EXPECT_EQ(row.hitCaption, "");
            EXPECT_EQ(row.sumCaption, "");
        }
    }
}

// ---- save and load commands -------------------------------------------------

namespace {

struct TipCommandFixture : ::testing::Test {
    TempDir dir;
    ScriptedPlatform p;
    MainModel m;

    void SetUp() override {
        p.attach(m);
        m.Home = dir.str();
        m.sortieren = true;
    }
    void writeDb() {
        test::writeDatabase(m.DatabasePath(), {test::rec(2019, 10, 11, {1, 2, 3, 4, 5}, 6),
                                               test::rec(2019, 10, 15, {5, 12, 33, 41, 70}, 7),
                                               test::rec(2019, 10, 18, {10, 20, 30, 40, 50}, 9)});
    }
};

} // namespace

TEST_F(TipCommandFixture, SaveSuggestsTheNextDrawingDate) {
    struct Case {
        int y, mo, d;
        const char* name;
    };
    const Case cases[] = {
        {2019, 10, 15, "20191018.qlt"}, // Tuesday: + 3
        {2019, 10, 18, "20191022.qlt"}, // Friday: + 4
        {2019, 10, 20, "20191024.qlt"}, // Sunday: + 4
        {2019, 12, 31, "20200103.qlt"}, // Tuesday across the year
    };
    for (const auto& c : cases) {
        m.DateTimePicker1.date = dayFromYmd(c.y, c.mo, c.d);
        p.fileRequests.clear();
        p.fileAnswers = {std::nullopt};
        m.SpeedButton15Click();
        ASSERT_EQ(p.fileRequests.size(), 1u);
        EXPECT_EQ(p.fileRequests[0].suggestedName, c.name);
        EXPECT_EQ(p.fileRequests[0].filter, "Tippdatei|*.qlt");
        EXPECT_EQ(p.fileRequests[0].defaultExt, "qlt");
        EXPECT_EQ(p.fileRequests[0].initialDir, m.Home);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.str())); // cancelled: nothing written
}

TEST_F(TipCommandFixture, SaveThenLoadMovesFilledRowsToTheTop) {
    writeDb();
    m.DateTimePicker1.date = dayFromYmd(2019, 10, 15);
    setRow(m.tips, 2, {"5", "17", "33", "41", "62", "9", ""});
    setRow(m.tips, 5, {"2", "8", "19", "50", "70", "25", "4"});
    const std::string path = dir.file("mine.qlt");
    p.fileAnswers = {path};
    m.SpeedButton15Click();
    EXPECT_EQ(test::readFile(path), "5,17,33,41,62,9,\r\n2,8,19,50,70,25,4\r\n");

    p.fileAnswers = {path};
    m.SpeedButton16Click();
    ASSERT_EQ(p.fileRequests.size(), 2u);
    EXPECT_EQ(p.fileRequests[1].suggestedName, "");
    EXPECT_EQ(p.fileRequests[1].filter, "Tippdatei|*.qlt");
    EXPECT_EQ(p.fileRequests[1].defaultExt, "qlt");
    EXPECT_EQ(p.fileRequests[1].initialDir, m.Home);
    EXPECT_EQ(rowTexts(m.tips, 1), (Texts{"5", "17", "33", "41", "62", "9", ""}));
    EXPECT_EQ(rowTexts(m.tips, 2), (Texts{"2", "8", "19", "50", "70", "25", "4"}));
    for (int r = 3; r <= 12; ++r)
        EXPECT_EQ(rowTexts(m.tips, r), kEmptyRow) << r;
    // The load ends with the lookup and the full check against 15 Oct 2019.
    EXPECT_EQ(m.cur.Datum1, dayFromYmd(2019, 10, 15));
    EXPECT_EQ(m.tips.row(1).hitCaption, "3");
    EXPECT_EQ(m.tips.row(2).hitCaption, "1");
    EXPECT_TRUE(p.messages.empty());
}

TEST_F(TipCommandFixture, LoadCancelledStillChecksAgainstTheCurrentDrawing) {
    writeDb();
    m.DateTimePicker1.date = dayFromYmd(2019, 10, 18);
    setRow(m.tips, 3, {"10", "20", "30", "1", "2", "9", ""});
    p.fileAnswers = {std::nullopt};
    m.SpeedButton16Click();
    EXPECT_EQ(rowTexts(m.tips, 3), (Texts{"1", "2", "10", "20", "30", "9", ""}));
    EXPECT_EQ(m.tips.row(3).hitCaption, "3 + MB");
    EXPECT_EQ(m.cur.Datum1, dayFromYmd(2019, 10, 18));
}

TEST_F(TipCommandFixture, LoadFailureReportsAndSkipsTheCheck) {
    writeDb();
    m.DateTimePicker1.date = dayFromYmd(2019, 10, 15);
    setRow(m.tips, 1, {"1", "2", "3", "4", "5", "6", ""});
    setRow(m.tips, 2, {"5", "12", "33", "41", "70", "7", ""});
    m.tips.row(2).Locked = true;
    m.tips.row(2).hitCaption = "old";
    p.fileAnswers = {dir.file("vanished.qlt")};
    m.SpeedButton16Click();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find("vanished.qlt"), std::string::npos);
    EXPECT_EQ(rowTexts(m.tips, 1), kEmptyRow);                     // unlocked rows were cleared
    EXPECT_EQ(m.tips.get(2, 1), "5");                              // locked row untouched
    EXPECT_EQ(m.tips.row(2).hitCaption, "old");                    // no re-check
    EXPECT_EQ(m.cur.Datum1, 0.0);                                  // no lookup
}

TEST(TipFile, AFileThatIsNoTipFileIsToldApartFromOddRows) {
    std::string randomBytes;
    std::uint32_t x = 12345;
    for (int i = 0; i < 4096; ++i) {
        x = x * 1103515245u + 12345u;
        randomBytes += static_cast<char>(x >> 24);
    }
    struct Case {
        std::string content;
        bool tipFile;
        const char* what;
    };
    const Case cases[] = {
        {"date,n1,n2,n3,n4,n5,megaball,megaplier\n2002-05-17,15,18,25,33,47,30,\n", false, "a CSV renamed"},
        {"2002-05-17,15,18,25,33,47,30,\n2002-05-21,4,28,39,41,44,9,\n", false, "CSV lines without a header"},
        {randomBytes, false, "random bytes"},
        {" 1. Quendrals Lotto-Tipp f\xc3\xbcr :  5   17   33   41   62   MegaBall:  9\r\n", false, "a printout"},
        {std::string(40, '\x01') + "\r\n5,17,33,41,62,9,\r\n", false, "control bytes"},
        {"", true, "an empty file"},
        {"\r\n\r\n", true, "blank lines"},
        {"5,17,33,41,62,9,\r\n", true, "a row"},
        {"07,8,x,80,5,26,3\r\n1,2,3,4,5,6,7,8\r\n1,2,3\r\n", true, "odd rows the load tolerates"},
        {"71,72,0,-1,5,26,26\r\n", false, "one line without any field of a row"},
        {"71,72,0,-1,5,26,26\r\n5,17,33,41,62,9,\r\n", true, "an odd line among rows"},
        {",,,,,,7\r\n,,,,,,\r\n", true, "only spare numbers"},
        {"5,17,33,41,62,9,\x00\r\n\xe4,1,2,3,4,5,\r\n", true, "a stray byte in a row"},
        {std::string(13 * 18, 'x') + "\r\n", false, "letters only"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.file("t.qlt");
        test::writeFile(path, c.content);
        EXPECT_EQ(TipSet::looksLikeTipFile(path), c.tipFile) << c.what;
    }
    // A missing file is left to the read, which names it.
    TempDir dir;
    EXPECT_TRUE(TipSet::looksLikeTipFile(dir.file("missing.qlt")));
    // A file far larger than any tip set is none.
    const std::string big = dir.file("big.qlt");
    std::string lines;
    while (lines.size() <= TipSet::kMaxTipFileBytes)
        lines += "5,17,33,41,62,9,\r\n";
    test::writeFile(big, lines);
    EXPECT_FALSE(TipSet::looksLikeTipFile(big));
}

TEST_F(TipCommandFixture, LoadOfAFileThatIsNoTipFileKeepsTheRowsAndNamesTheFile) {
    writeDb();
    m.DateTimePicker1.date = dayFromYmd(2019, 10, 15);
    m.SpeedButton5Click();
    setRow(m.tips, 1, {"5", "12", "33", "1", "2", "7", ""});
    m.Komplettcheck();
    const TipSet before = m.tips;
    const std::string csv = dir.file("history.qlt");
    test::writeFile(csv, "date,n1,n2,n3,n4,n5,megaball,megaplier\n2002-05-17,15,18,25,33,47,30,\n");
    p.fileAnswers = {csv};
    m.SpeedButton16Click();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find(csv), std::string::npos) << p.messages[0];
    EXPECT_NE(p.messages[0].find("ist keine Tippdatei"), std::string::npos) << p.messages[0];
    EXPECT_EQ(m.tips, before); // values, colours and hit displays as they were
}

TEST_F(TipCommandFixture, SaveFailureReportsAndKeepsTheTips) {
    setRow(m.tips, 1, {"1", "2", "3", "4", "5", "6", ""});
    p.fileAnswers = {dir.file("no-such-folder/x.qlt")};
    m.SpeedButton15Click();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find("no-such-folder"), std::string::npos);
    EXPECT_EQ(m.tips.get(1, 1), "1");
}

TEST_F(TipCommandFixture, OverwritesAnExistingFileWithoutAsking) {
    const std::string path = dir.file("20191018.qlt");
    test::writeFile(path, "1,2,3,4,5,6,\r\n7,8,9,10,11,12,\r\n");
    setRow(m.tips, 1, {"12", "", "", "", "", "", ""});
    p.fileAnswers = {path};
    m.SpeedButton15Click();
    EXPECT_EQ(test::readFile(path), "12,,,,,,\r\n");
    EXPECT_TRUE(p.messages.empty());
}
