// Typing checks, the row editor and the lucky number.
#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"

using namespace rz;
using rz::test::ScriptedPlatform;

namespace {

// Also records what the input box was asked to show.
class RecordingPlatform : public ScriptedPlatform {
public:
    struct Input {
        std::string caption, prompt, defaultText;
    };
    std::vector<Input> inputs;
    std::optional<std::string> inputText(const std::string& c, const std::string& p, const std::string& d) override {
        inputs.push_back({c, p, d});
        return ScriptedPlatform::inputText(c, p, d);
    }
};

using Texts = std::array<std::string, 7>;

struct ManualEditFixture : ::testing::Test {
    RecordingPlatform p;
    MainModel m;

    void SetUp() override {
        p.attach(m);
        m.sortieren = true;
    }
    void setRow(int r, std::array<const char*, 7> f) {
        for (int k = 1; k <= 7; ++k)
            m.tips.set(r, k, f[static_cast<std::size_t>(k - 1)]);
    }
    Texts row(int r) const {
        Texts out;
        for (int k = 1; k <= 7; ++k)
            out[static_cast<std::size_t>(k - 1)] = m.tips.get(r, k);
        return out;
    }
    std::set<int> marked() const {
        std::set<int> out;
        for (int n = 1; n <= 70; ++n)
            if (m.numberList.box(n).checked) {
                EXPECT_EQ(m.numberList.box(n).colour, Colour::Yellow) << n;
                out.insert(n);
            } else {
                EXPECT_EQ(m.numberList.box(n).colour, Colour::TooltipBackground) << n;
            }
        return out;
    }
    void checkOnly(std::set<int> boxes) {
        for (int n = 1; n <= 70; ++n)
            m.numberList.box(n).checked = boxes.count(n) > 0;
    }
    void expectListRestored() {
        EXPECT_TRUE(m.numberList.retryVisible);
        EXPECT_FALSE(m.numberList.randomVisible);
        EXPECT_EQ(m.numberList.caption, "Zahlen für Berechnung wählen");
        for (int n = 1; n <= 70; ++n)
            EXPECT_EQ(m.numberList.box(n).colour, Colour::TooltipBackground) << n;
    }
};

} // namespace

TEST_F(ManualEditFixture, KeystrokesAreCheckedOneByOne) {
    struct Case {
        int k;
        std::vector<std::pair<const char*, const char*>> keys; // text after the keystroke -> field text
    };
    const Case cases[] = {
        {1, {{"7", "7"}, {"75", ""}}},            // 75 is out of range already as typed
        {1, {{"0", ""}}},                         // 0 empties at once
        {1, {{"07", "7"}}},
        {3, {{"6", "6"}, {"69", "69"}, {"691", ""}}},
        {5, {{"70", "70"}, {"7", "7"}, {"", ""}}},
        {2, {{"x", ""}, {"-", ""}}},
        {6, {{"2", "2"}, {"25", "25"}}},
        {6, {{"26", ""}}},
        {7, {{"1", "1"}, {"19", "19"}, {"30", ""}}}, // the hidden field has the MegaBall range
    };
    for (const auto& c : cases) {
        for (const auto& [typed, expected] : c.keys) {
            m.tipFieldChanged(3, c.k, typed);
            EXPECT_EQ(m.tips.get(3, c.k), expected) << "field " << c.k << " typed '" << typed << "'";
        }
    }
    m.tipFieldChanged(0, 1, "5");  // outside the set: ignored
    m.tipFieldChanged(13, 1, "5");
    m.tipFieldChanged(1, 8, "5");
    EXPECT_EQ(row(1), Texts{});
}

TEST_F(ManualEditFixture, LeavingAFieldChecksOnlyWhileActive) {
    m.cur.Zahl = {0, 5, 12, 33, 41, 70, 0, 7, 3};
    setRow(2, {"70", "12", "1", "2", "3", "9", ""});
    m.sortieren = false;
    m.Edit1Exit();
    EXPECT_EQ(m.tips.row(2).hitCaption, "");
    EXPECT_EQ(m.tips.get(2, 1), "70");
    m.sortieren = true;
    m.Edit1Exit();
    EXPECT_EQ(m.tips.row(2).hitCaption, "2");
    EXPECT_EQ(m.tips.get(2, 1), "1");
}

TEST_F(ManualEditFixture, RowEditorWritesOnlyItsRow) {
    for (int r = 1; r <= 12; ++r)
        setRow(r, {"60", "61", "62", "63", "64", "20", "21"});
    setRow(7, {"3", "14", "15", "26", "53", "", "11"});
    setRow(8, {"8", "9", "10", "11", "12", "13", ""});
    m.rng.RandSeed = 777;
    std::set<int> seen;
    p.onNumberList = [&] {
        seen = marked();
        EXPECT_EQ(m.numberList.caption, "Zahlen für Tipp  7");
        EXPECT_FALSE(m.numberList.retryVisible);
        EXPECT_TRUE(m.numberList.randomVisible);
        EXPECT_EQ(m.numberList.MaxTipp, 5);
        EXPECT_EQ(m.numberList.MaxZahl, 70);
        EXPECT_EQ(m.numberList.Zufall, "Zufall");
        EXPECT_EQ(m.numberList.Stopp, "Stop");
        checkOnly({1, 22, 44, 66, 70});
    };
    p.numberListAnswers = {ModalResult::Ok};
    m.TippEdit(7);
    // Row 7's numbers were marked: not its MegaBall or hidden value, not row 8's first number.
    EXPECT_EQ(seen, (std::set<int>{3, 14, 15, 26, 53}));
    // Edit43..Edit47 get the numbers, Edit48 the random MegaBall Random(25) + 1 (seed 777: 10).
    EXPECT_EQ(row(7), (Texts{"1", "22", "44", "66", "70", "10", "11"}));
    EXPECT_EQ(m.rng.RandSeed, 1641591598u);
    EXPECT_EQ(row(8), (Texts{"8", "9", "10", "11", "12", "13", ""}));
    for (int r : {1, 6, 9, 12})
        EXPECT_EQ(row(r), (Texts{"60", "61", "62", "63", "64", "20", "21"})) << r;
    expectListRestored();
}

TEST_F(ManualEditFixture, RowEditorOutcomes) {
    struct Case {
        const char* name;
        std::array<const char*, 7> before;
        std::set<int> premarked;
        std::set<int> chosen;
        ModalResult result;
        Texts after;
    };
    // Seed 777 gives Random(25) + 1 = 10 as the first draw.
    const Case cases[] = {
        {"six boxes: the five smallest, MegaBall kept",
         {"1", "2", "3", "4", "5", "6", ""}, {1, 2, 3, 4, 5}, {9, 2, 70, 40, 33, 12}, ModalResult::Ok,
         {"2", "9", "12", "33", "40", "6", ""}},
        {"three boxes on an empty row: fourth field random, fifth empty",
         {"", "", "", "", "", "", ""}, {}, {5, 50, 25}, ModalResult::Ok,
         {"5", "25", "50", "10", "", "", ""}},
        {"three boxes on a full row: the rest keeps its text",
         {"11", "12", "13", "14", "15", "", ""}, {11, 12, 13, 14, 15}, {1, 2, 3}, ModalResult::Ok,
         {"1", "2", "3", "14", "15", "", ""}},
        {"marking stops at an empty field",
         {"4", "", "9", "10", "11", "2", ""}, {4}, {4}, ModalResult::Ok,
         {"4", "10", "9", "10", "11", "2", ""}},
        {"abort changes nothing",
         {"1", "2", "3", "4", "5", "", ""}, {1, 2, 3, 4, 5}, {7, 8, 9, 10, 11}, ModalResult::Abort,
         {"1", "2", "3", "4", "5", "", ""}},
        {"closing the window changes nothing",
         {"", "", "", "", "", "", ""}, {}, {7}, ModalResult::Cancel,
         {"", "", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        setRow(12, c.before);
        m.rng.RandSeed = 777;
        std::set<int> seen;
        p.onNumberList = [&] {
            seen = marked();
            checkOnly(c.chosen);
        };
        p.numberListAnswers = {c.result};
        m.TippEdit(12);
        EXPECT_EQ(seen, c.premarked) << c.name;
        EXPECT_EQ(row(12), c.after) << c.name;
        expectListRestored();
    }
}

TEST_F(ManualEditFixture, LuckyNumberSeedsTheGenerator) {
    m.rng.RandSeed = 5;
    p.inputAnswers = {std::string("12345")};
    m.SpeedButton13Click();
    EXPECT_EQ(m.rng.RandSeed, 12345u);
    EXPECT_EQ(m.StatusPanel[1], "Glückszahl 12345 gesetzt");
    ASSERT_EQ(p.inputs.size(), 1u);
    EXPECT_EQ(p.inputs[0].caption, "Ihre Glückszahl (1-99999999)?");
    EXPECT_EQ(p.inputs[0].prompt, "Geben Sie Ihre Glückszahl für den Zufallsgenerator ein!");

    // The same lucky number gives the same draws.
    std::vector<std::uint32_t> first, second;
    for (int i = 0; i < 5; ++i)
        first.push_back(m.rng.Random(70));
    p.inputAnswers = {std::string("12345")};
    m.SpeedButton13Click();
    for (int i = 0; i < 5; ++i)
        second.push_back(m.rng.Random(70));
    EXPECT_EQ(first, second);
}

TEST_F(ManualEditFixture, LuckyNumberCancelTakesTheOfferedDefault) {
    m.rng.RandSeed = 1; // Random(99999) = 3137
    p.inputAnswers = {std::nullopt};
    m.SpeedButton13Click();
    ASSERT_EQ(p.inputs.size(), 1u);
    EXPECT_EQ(p.inputs[0].defaultText, "3137");
    EXPECT_EQ(m.rng.RandSeed, 3137u);
    EXPECT_EQ(m.StatusPanel[1], "Glückszahl 3137 gesetzt");
}

TEST_F(ManualEditFixture, LuckyNumberAnswersOtherThanIntegers) {
    m.setStatus("before");
    p.inputAnswers = {std::string("abc")};
    m.SpeedButton13Click();
    EXPECT_EQ(m.StatusPanel[1], "before"); // seeded from the clock, nothing shown

    p.inputAnswers = {std::string("-1")}; // an integer, taken as its 32-bit pattern
    m.SpeedButton13Click();
    EXPECT_EQ(m.rng.RandSeed, 0xFFFFFFFFu);
    EXPECT_EQ(m.StatusPanel[1], "Glückszahl -1 gesetzt");
}
