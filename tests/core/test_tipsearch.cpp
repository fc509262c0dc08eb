// The search of the drawing history for the tips on the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "TestSupport.h"

using namespace rz;
using rz::test::TempDir;

namespace {

struct Asked {
    std::string title, text;
    MainModel::SearchStop stop;
};

// Answers questions from a list (yes once it runs out, unless told otherwise)
// and notes every question with the stop the search reported for it.
class SearchPlatform : public test::ScriptedPlatform {
public:
    explicit SearchPlatform(MainModel& m) : m_(m) {}
    std::vector<Asked> asked;
    bool defaultAnswer = true;

    bool askYesNo(const std::string& title, const std::string& text) override {
        asked.push_back({title, text, m_.lastSearchStop});
        if (questionAnswers.empty())
            return defaultAnswer;
        return question(text);
    }

private:
    MainModel& m_;
};

// Three drawings of October 2019 and one of November.
std::vector<DrawingRecord> history() {
    return {test::rec(2019, 10, 15, {4, 12, 14, 35, 70}, 2, 2), test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20, 3),
            test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7, 3), test::rec(2019, 11, 1, {1, 2, 3, 4, 6}, 9, 4)};
}

struct SearchFixture : ::testing::Test {
    TempDir dir;
    MainModel m;
    SearchPlatform p{m};

    void SetUp() override {
        p.attach(m);
        m.Home = dir.str();
        m.sortieren = true;
        test::writeDatabase(m.DatabasePath(), history());
        m.DateTimePicker2.date = dayFromYmd(2019, 10, 1);
        m.DateTimePicker1.date = dayFromYmd(2019, 10, 22); // the window ends on 22 Oct
        m.SpeedButton5Click();
    }
    void setRow(int r, std::array<const char*, 7> f) {
        for (int k = 1; k <= 7; ++k)
            m.tips.set(r, k, f[static_cast<std::size_t>(k - 1)]);
    }
    void search(const std::string& threshold) {
        p.inputAnswers = {threshold};
        m.SpeedButton4Click();
    }
    std::vector<std::string> stops() const {
        std::vector<std::string> out;
        for (const Asked& a : p.asked)
            out.push_back(formatIsoDate(a.stop.date) + " " + std::to_string(a.stop.row) + " " + a.stop.caption);
        return out;
    }
    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (int r = 1; r <= TipSet::kRows; ++r)
            out.push_back(m.tips.row(r).hitCaption);
        return out;
    }
};

using Lines = std::vector<std::string>;

} // namespace

TEST_F(SearchFixture, StopsWhereARowReachesTheThreshold) {
    // Row 1 shares 5, 12, 33, 41 and the MegaBall with 22 Oct; row 2 shares four
    // numbers with 15 Oct, one and the MegaBall with 18 Oct, two with 22 Oct.
    setRow(1, {"5", "12", "33", "41", "9", "7", ""});
    setRow(2, {"4", "12", "14", "60", "70", "20", ""});
    struct Case {
        const char* threshold;
        bool megaBallCounts;
        Lines stops;
    };
    const Case cases[] = {
        {"4", true, {"2019-10-15 2 4", "2019-10-22 1 4 + PP"}},
        {"5", true, {"2019-10-22 1 4 + PP"}}, // four hits and the MegaBall reach five in row 1
        {"5", false, {}},
        {"6", true, {}},
        {"2", false, {"2019-10-15 2 4", "2019-10-22 1 4 + PP", "2019-10-22 2 2"}},
        {"-7", true, {}}, // checked below: every row of every drawing
    };
    for (const Case& c : cases) {
        p.asked.clear();
        m.Settings.set(Gs::OverlapCountsMegaBall, c.megaBallCounts ? 1 : 0);
        search(c.threshold);
        if (std::string(c.threshold) == "-7") {
            ASSERT_EQ(p.asked.size(), 3u * 12u);
            EXPECT_EQ(stops()[0], "2019-10-15 1 1");
            EXPECT_EQ(stops()[12 + 1], "2019-10-18 2 1 + MB");
            EXPECT_EQ(stops()[35], "2019-10-22 12 0"); // an empty row counts no hit
            continue;
        }
        EXPECT_EQ(stops(), c.stops) << "threshold " << c.threshold << " MegaBall " << c.megaBallCounts;
    }
}

TEST_F(SearchFixture, RowOneCountsItsMegaBallOnlyWhenTheOptionIsOn) {
    // Three hits and the MegaBall of 22 Oct in row 1, threshold 4.
    setRow(1, {"70", "5", "9", "33", "1", "7", ""});
    m.Settings.set(Gs::OverlapCountsMegaBall, 1);
    p.defaultAnswer = false;
    search("4");
    ASSERT_EQ(stops(), (Lines{"2019-10-22 1 3 + PP"}));
    // The full check ran before the question: sorted fields, its own caption.
    EXPECT_EQ(m.tips.get(1, 1), "1");
    EXPECT_EQ(m.tips.row(1).hitCaption, "3 + MB");
    EXPECT_EQ(m.tips.row(1).hitColour, Colour::Red);

    m.Settings.set(Gs::OverlapCountsMegaBall, 0);
    p.asked.clear();
    search("4");
    EXPECT_TRUE(p.asked.empty());
    EXPECT_EQ(m.tips.row(1).hitCaption, "3 + PP"); // the search's own caption of the last drawing
    EXPECT_EQ(m.tips.row(1).hitColour, Colour::Red);
}

TEST_F(SearchFixture, EachRowHasItsOwnMegaBallSuffixAndColour) {
    // Every row holds 22 Oct's MegaBall; rows 1 and 11 also two of its numbers.
    for (int r = 1; r <= TipSet::kRows; ++r)
        setRow(r, {"20", "21", "22", "23", "24", "7", ""});
    setRow(1, {"5", "12", "22", "23", "24", "7", ""});
    setRow(11, {"5", "12", "22", "23", "24", "7", ""});
    setRow(12, {"5", "12", "22", "23", "24", "8", ""});
    m.Settings.set(Gs::OverlapCountsMegaBall, 1);
    search("6");
    EXPECT_TRUE(p.asked.empty());
    EXPECT_EQ(captions(), (Lines{"2 + PP", "0 + MB", "0 + Z", "0 + Z", "0 + Z", "0 + Z", "0 + Z", "0 + Z", "0 + Z",
                                 "0 + Z", "2 + Z", "2"}));
    EXPECT_EQ(m.tips.row(12).hitColour, Colour::Black);
    EXPECT_EQ(m.tips.row(2).hitColour, Colour::Red);
    // The window shows the last drawing of the window; Position and the pickers stay.
    EXPECT_EQ(m.cur.Datum1, dayFromYmd(2019, 10, 22));
    EXPECT_EQ(m.Label29, "Di 22.10.19    5  12  33  41  70  MB: 7     MP: 3");
    EXPECT_EQ(m.Label35, m.Label29);
    EXPECT_EQ(m.Label13, "Quersumme: 161");
    EXPECT_EQ(m.cur.Position, 2);
    EXPECT_EQ(m.DatabaseEndDate(), dayFromYmd(2019, 10, 22));
    EXPECT_EQ(m.StatisticsStartDate(), dayFromYmd(2019, 10, 1));
}

TEST_F(SearchFixture, YesGoesOnWithTheNextRowNoKeepsTheFoundDrawing) {
    setRow(1, {"5", "12", "33", "41", "9", "7", ""});
    setRow(2, {"5", "12", "33", "41", "9", "1", ""});
    setRow(3, {"5", "12", "33", "41", "9", "1", ""});
    p.questionAnswers = {true, false};
    search("4");
    EXPECT_EQ(stops(), (Lines{"2019-10-22 1 4 + PP", "2019-10-22 2 4"}));
    // The second full check's results stay; row 3 was not counted again.
    EXPECT_EQ(captions()[0], "4 + MB");
    EXPECT_EQ(captions()[1], "4");
    EXPECT_EQ(captions()[2], "4");
    EXPECT_EQ(m.cur.Datum1, dayFromYmd(2019, 10, 22));
    EXPECT_EQ(m.cur.Position, 2);

    ASSERT_EQ(p.asked.size(), 2u);
    EXPECT_EQ(p.asked[0].title, "Ziehung gefunden");
    EXPECT_EQ(p.asked[0].text, "Ein Treffer gefunden am:  22.10.2019 . Weiter?");
    EXPECT_EQ(p.asked[1].title, "Ziehung gefunden");
    EXPECT_EQ(p.asked[1].text, "Ein Treffer am  22.10.2019 gefunden. Weiter?");
}

TEST_F(SearchFixture, AtTheEndTheMarksBelongToTheDrawingShown) {
    // Row 2 stops on 15 Oct (four hits); the walk goes on to 22 Oct, which the
    // window shows at the end: its hits are 12 and 70 of row 2, and 5, 12, 33
    // of row 1.
    setRow(1, {"5", "12", "33", "9", "10", "7", ""});
    setRow(2, {"4", "12", "14", "60", "70", "3", ""});
    m.Settings.set(Gs::OverlapCountsMegaBall, 0);
    search("4");
    ASSERT_EQ(stops(), (Lines{"2019-10-15 2 4"}));
    ASSERT_EQ(m.cur.Datum1, dayFromYmd(2019, 10, 22));
    EXPECT_EQ(m.Label35, "Di 22.10.19    5  12  33  41  70  MB: 7     MP: 3");
    const std::array<int, 6> drawn = {5, 12, 33, 41, 70, 7};
    for (int r : {1, 2}) {
        for (int k = 1; k <= 5; ++k) {
            const int n = std::stoi(m.tips.get(r, k));
            const bool hit = std::find(drawn.begin(), drawn.end() - 1, n) != drawn.end() - 1;
            EXPECT_EQ(m.tips.row(r).colour[static_cast<std::size_t>(k)], hit ? Colour::HitGreen : Colour::WindowBackground)
                << "row " << r << " number " << n;
        }
    }
    EXPECT_EQ(m.tips.row(1).colour[6], Colour::Red); // the MegaBall 7 of 22 Oct
    EXPECT_EQ(m.tips.row(2).colour[6], Colour::WindowBackground);
    // The captions are the search's own for 22 Oct.
    EXPECT_EQ(m.tips.row(1).hitCaption, "3 + PP");
    EXPECT_EQ(m.tips.row(2).hitCaption, "2");
}

TEST_F(SearchFixture, AnEmptyWindowChangesNothing) {
    setRow(1, {"5", "12", "33", "41", "9", "7", ""});
    m.Komplettcheck();
    m.DateTimePicker2.date = dayFromYmd(2019, 10, 23); // after the end of the window
    const std::string caption = m.tips.row(1).hitCaption;
    const std::string label = m.Label29;
    const CurrentDrawing before = m.cur;
    search("0");
    EXPECT_TRUE(p.asked.empty());
    EXPECT_EQ(m.tips.row(1).hitCaption, caption);
    EXPECT_EQ(m.Label29, label);
    EXPECT_EQ(m.cur.Datum1, before.Datum1);
    EXPECT_EQ(m.cur.Zahl, before.Zahl);
}

TEST_F(SearchFixture, ThresholdThatIsNoNumberEndsBeforeAnythingElse) {
    setRow(1, {"5", "12", "33", "41", "9", "7", ""});
    std::filesystem::remove(m.DatabasePath()); // not even opened
    for (const char* bad : {"abc", "", "4.5", " 4"}) {
        p.messages.clear();
        search(bad);
        ASSERT_EQ(p.messages.size(), 1u) << bad;
        EXPECT_NE(p.messages[0].find(std::string("\"") + bad + "\""), std::string::npos) << p.messages[0];
    }
    EXPECT_TRUE(p.asked.empty());
    // Cancelling the dialog keeps the preset 4; the missing file is an I/O error.
    p.inputAnswers = {std::nullopt};
    EXPECT_THROW(m.SpeedButton4Click(), IoError);
}
