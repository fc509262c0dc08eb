// Number selection list: the random pick and the list file.
#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"

using namespace rz;
using rz::test::ScriptedPlatform;
using rz::test::TempDir;

namespace {

std::set<int> checkedBoxes(const NumberList& list) {
    std::set<int> out;
    for (int n = 1; n <= NumberList::kBoxes; ++n)
        if (list.box(n).checked)
            out.insert(n);
    return out;
}

void uncheckAll(NumberList& list) {
    for (int n = 1; n <= NumberList::kBoxes; ++n) {
        list.box(n).checked = false;
        list.box(n).weight.clear();
    }
}

std::string lines(const std::vector<std::pair<int, std::string>>& set, int count = 70) {
    std::string out;
    for (int n = 1; n <= count; ++n) {
        for (const auto& [k, v] : set)
            if (k == n)
                out += v;
        out += "\r\n";
    }
    return out;
}

} // namespace

TEST(NumberList, RandomPickFixesOnePositionPerClick) {
    // Boxes checked after each 25 ms step, with Tippreihe by position.
    struct Step {
        const char* caption;
        std::set<int> boxes;
        std::array<int, 5> tippreihe;
    };
    struct Scenario {
        std::uint32_t seed;
        std::vector<Step> steps;
        std::uint32_t seedAfter;
    };
    const Scenario scenarios[] = {
        {12345,
         {{"1 Stop", {6, 21, 27, 39, 45}, {27, 21, 6, 39, 45}},
          {"2 Stop", {3, 6, 24, 27, 31}, {27, 24, 31, 6, 3}},
          {"3 Stop", {23, 24, 27, 65, 69}, {27, 24, 65, 69, 23}},
          {"4 Stop", {17, 24, 27, 56, 65}, {27, 24, 65, 17, 56}},
          {"5 Stop", {17, 24, 27, 36, 65}, {27, 24, 65, 17, 36}}},
         2191401672u},
        // Steps 4 and 5 each draw a number that is already fixed and draw again.
        {13,
         {{"1 Stop", {9, 22, 29, 32, 58}, {29, 58, 22, 9, 32}},
          {"2 Stop", {5, 6, 20, 29, 63}, {29, 6, 20, 63, 5}},
          {"3 Stop", {6, 14, 16, 29, 68}, {29, 6, 68, 14, 16}},
          {"4 Stop", {6, 7, 29, 49, 68}, {29, 6, 68, 49, 7}},
          {"5 Stop", {6, 29, 49, 55, 68}, {29, 6, 68, 49, 55}}},
         3330178994u},
    };
    for (const auto& sc : scenarios) {
        NumberList list;
        Rng rng;
        rng.RandSeed = sc.seed;
        list.box(40).weight = "3";

        list.randomButtonClick(); // start
        EXPECT_TRUE(list.timerRunning);
        EXPECT_TRUE(checkedBoxes(list).empty());
        EXPECT_EQ(list.Losgeht, 1);
        for (const auto& s : sc.steps) {
            list.randomDrawTick(rng);
            EXPECT_EQ(list.randomButtonCaption, s.caption);
            EXPECT_EQ(checkedBoxes(list), s.boxes) << "seed " << sc.seed << " " << s.caption;
            for (int i = 1; i <= 5; ++i)
                EXPECT_EQ(list.Tippreihe[static_cast<std::size_t>(i)], s.tippreihe[static_cast<std::size_t>(i - 1)]);
            for (int n = 1; n <= 70; ++n)
                EXPECT_EQ(list.box(n).colour, s.boxes.count(n) ? Colour::Yellow : Colour::TooltipBackground) << n;
            list.randomButtonClick(); // fixes one more position; the fifth click stops
        }
        EXPECT_EQ(rng.RandSeed, sc.seedAfter);
        EXPECT_FALSE(list.timerRunning);
        EXPECT_EQ(list.randomButtonCaption, "Zufall");
        EXPECT_EQ(list.Losgeht, 1);
        EXPECT_EQ(checkedBoxes(list), sc.steps.back().boxes);
        EXPECT_EQ(list.box(40).weight, "3"); // the pick leaves the weights alone
    }
}

TEST(NumberList, ClosingDuringAPickStopsIt) {
    NumberList list;
    Rng rng;
    rng.RandSeed = 99;
    list.Zufall = "Random";
    list.randomButtonClick();
    list.randomDrawTick(rng);
    list.randomButtonClick();
    list.randomDrawTick(rng);
    EXPECT_EQ(list.Losgeht, 2);
    list.windowClosed();
    EXPECT_FALSE(list.timerRunning);
    EXPECT_EQ(list.randomButtonCaption, "Random");
    EXPECT_EQ(list.Losgeht, 1);
    const std::uint32_t seed = rng.RandSeed;
    list.randomDrawTick(rng); // a late tick after closing draws nothing
    EXPECT_EQ(rng.RandSeed, seed);
    // The next start begins from scratch.
    list.randomButtonClick();
    EXPECT_TRUE(list.timerRunning);
    EXPECT_TRUE(checkedBoxes(list).empty());
    EXPECT_EQ(list.Tippreihe[1], 0);
}

TEST(NumberList, SaveWritesWeightsOfCheckedBoxes) {
    TempDir dir;
    NumberList list;
    uncheckAll(list);
    list.box(3).checked = true;
    list.box(3).weight = "2";
    list.box(7).checked = true;          // empty weight: saved as "1"
    list.box(9).weight = "5";            // unchecked: empty line
    list.box(70).checked = true;
    list.box(70).weight = "12";
    const std::string path = dir.file("l.qlw");
    list.saveToFile(path);
    EXPECT_EQ(test::readFile(path), lines({{3, "2"}, {7, "1"}, {70, "12"}}));
    EXPECT_EQ(list.box(7).weight, "1");
    EXPECT_EQ(list.box(9).weight, "5");
}

TEST(NumberList, LoadChecksBoxesOfNonEmptyLines) {
    TempDir dir;
    const std::string path = dir.file("l.qlw");
    // Ten lines only, one of them letters, one empty.
    test::writeFile(path, "4\r\n\r\n1\r\nabc\r\n2\r\n2\r\n\r\n7\r\n1\r\n3\r\n");
    NumberList list;
    for (int n = 1; n <= 70; ++n)
        list.box(n).weight = "9";
    list.loadFromFile(path);
    EXPECT_EQ(checkedBoxes(list), (std::set<int>{1, 3, 4, 5, 6, 8, 9, 10}));
    EXPECT_EQ(list.box(1).weight, "4");
    EXPECT_EQ(list.box(2).weight, "1");
    EXPECT_EQ(list.box(4).weight, "abc");
    EXPECT_EQ(list.box(10).weight, "3");
    for (int n = 11; n <= 70; ++n) {
        EXPECT_FALSE(list.box(n).checked) << n;
        EXPECT_EQ(list.box(n).weight, "1") << n;
    }
}

TEST(NumberList, FileRoundTripAndExtraLinesIgnored) {
    TempDir dir;
    const std::string path = dir.file("l.qlw");
    NumberList a;
    for (int n = 1; n <= 70; ++n) {
        a.box(n).checked = n % 3 != 0;
        a.box(n).weight = std::to_string(n * 7 % 11);
    }
    a.saveToFile(path);
    test::writeFile(path, test::readFile(path) + "99\r\n98\r\n"); // lines 71 and 72

    NumberList b;
    uncheckAll(b);
    b.loadFromFile(path);
    for (int n = 1; n <= 70; ++n) {
        EXPECT_EQ(b.box(n).checked, a.box(n).checked) << n;
        if (a.box(n).checked)
            EXPECT_EQ(b.box(n).weight, a.box(n).weight) << n;
        else
            EXPECT_EQ(b.box(n).weight, "1") << n;
    }
}

TEST(NumberList, MissingFileThrowsAndChangesNothing) {
    TempDir dir;
    NumberList list;
    list.box(5).weight = "8";
    EXPECT_THROW(list.loadFromFile(dir.file("missing.qlw")), IoError);
    EXPECT_THROW(list.loadFromFile(dir.str()), IoError);
    EXPECT_THROW(list.saveToFile(dir.file("no-folder/l.qlw")), IoError);
    EXPECT_TRUE(list.box(5).checked);
    EXPECT_EQ(list.box(5).weight, "8");
    EXPECT_TRUE(list.box(6).weight.empty()); // a failed save sets no weights
}

TEST(NumberList, SaveAndLoadCommandsUseTheListDialogs) {
    TempDir dir;
    ScriptedPlatform p;
    MainModel m;
    p.attach(m);
    const std::string path = dir.file("mine.qlw");
    uncheckAll(m.numberList);
    m.numberList.box(12).checked = true;
    p.fileAnswers = {path, std::nullopt, path, dir.file("gone.qlw")};
    m.numberListSave();
    ASSERT_EQ(p.fileRequests.size(), 1u);
    EXPECT_EQ(p.fileRequests[0].filter, "Werteliste|*.qlw");
    EXPECT_EQ(p.fileRequests[0].defaultExt, "qlw");
    EXPECT_EQ(p.fileRequests[0].suggestedName, formatYyyymmdd(today()) + ".qlw");
    EXPECT_EQ(test::readFile(path), lines({{12, "1"}}));

    m.numberList.box(12).checked = false;
    m.numberListLoad(); // cancelled
    EXPECT_FALSE(m.numberList.box(12).checked);
    m.numberListLoad();
    EXPECT_TRUE(m.numberList.box(12).checked);
    EXPECT_EQ(p.fileRequests[2].suggestedName, formatYyyymmdd(today()) + ".qlw");
    EXPECT_TRUE(p.messages.empty());

    m.numberListLoad(); // file vanished
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find("gone.qlw"), std::string::npos);
    EXPECT_TRUE(m.numberList.box(12).checked);
}
