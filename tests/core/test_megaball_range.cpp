// The MegaBall range of today's game format: with "MegaBall24" on, nothing the
// program picks or suggests is 25; with it off, every pick is what it was.
#include <gtest/gtest.h>

#include <list>
#include <set>

#include "TestSupport.h"
#include "common/Text.h"
#include "app/Generation.h"
#include "app/MainModel.h"

using namespace rz;
using rz::test::TempDir;

namespace {

// 25 drawn once at the start, then 1..24 four times over: 25 is both the
// rarest and the longest outstanding MegaBall. Among 1..24 the frequencies
// are equal, 1 is the longest outstanding and 24 was drawn last.
std::vector<DrawingRecord> historyWithAnOld25() {
    std::vector<int> mbs{25};
    for (int round = 0; round < 4; ++round)
        for (int k = 1; k <= 24; ++k)
            mbs.push_back(k);
    std::vector<DrawingRecord> out;
    Rng rng;
    rng.RandSeed = 5;
    DayNumber day = dayFromYmd(2017, 1, 3);
    for (int mb : mbs) {
        std::set<int> nums;
        while (nums.size() < 5)
            nums.insert(static_cast<int>(rng.Random(70)) + 1);
        std::array<int, 5> mains{};
        std::copy(nums.begin(), nums.end(), mains.begin());
        out.push_back(DrawingRecord::make(day, mains, mb, 2));
        day += 3;
    }
    return out;
}

struct MegaBallRangeFixture : ::testing::Test {
    TempDir dir;
    MainModel model;
    test::ScriptedPlatform platform;

    void SetUp() override {
        platform.attach(model);
        model.Home = dir.str();
        model.sortieren = true;
        model.DateTimePicker2.date = dayFromYmd(2017, 1, 1);
        const auto recs = historyWithAnOld25();
        test::writeDatabase(model.DatabasePath(), recs);
        model.DateTimePicker1.date = recs.back().Date;
        model.SpeedButton5Click();
    }
    // A generation over the window's settings, tips, random generator and dates.
    RecordSnapshot records;
    CurrentOperation operation;
    GenerationObserver quiet;
    std::list<Generation> made;
    Generator& generator() {
        records = RecordSnapshot::read(model.DatabasePath());
        return made
            .emplace_back(model.Memo2, model.Settings, model.tips, model.rng, records,
                          GenerationStart{model.StatisticsStartDate(), model.DateTimePicker1, model.cur},
                          model.numberList, platform, platform, operation, quiet)
            .generator();
    }
    int field(int row, int k) const {
        std::int32_t v = 0;
        return tryParseInt(model.tips.get(row, k), v) ? v : -1;
    }
};

std::uint32_t firstDraw(std::uint32_t seed, std::uint32_t n) {
    Rng r;
    r.RandSeed = seed;
    return r.Random(n) + 1;
}

} // namespace

TEST(MegaBallRangeSetting, DefaultOnStoredUnderItsOwnName) {
    GeneratorSettings s;
    EXPECT_TRUE(s.on(Gs::MegaBall24));
    const GsFieldInfo* f = GeneratorSettings::byValueName("megaball24");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->id, Gs::MegaBall24);
    EXPECT_STREQ(f->control, "CheckBox32");
    EXPECT_STREQ(f->tab, "Allgemein");
    s.change(Gs::MegaBall24, 0);
    EXPECT_FALSE(s.on(Gs::MegaBall24));
}

TEST_F(MegaBallRangeFixture, EachModeWithTheOptionOnAndOff) {
    struct Case {
        const char* name;
        Gs mode;
        bool option;
        int expected; // 0: the random draw of the seed
    };
    // Rarest with the option on: all of 1..24 were drawn equally often; the highest
    // key wins, but 24..20 are within the last five drawings, so 19.
    const Case cases[] = {
        {"random, 1..24", Gs::MegaBallRandom, true, 0},
        {"random, 1..25", Gs::MegaBallRandom, false, 0},
        {"rarest, 1..24", Gs::MegaBallRarest, true, 19},
        {"rarest, 1..25", Gs::MegaBallRarest, false, 25},
        {"longest outstanding, 1..24", Gs::MegaBallLongestOutstanding, true, 1},
        {"longest outstanding, 1..25", Gs::MegaBallLongestOutstanding, false, 25},
    };
    for (const Case& c : cases) {
        model.Settings.set(Gs::MegaBall24, c.option ? 1 : 0);
        model.Settings.set(c.mode, 1);
        const std::uint32_t range = c.option ? 24 : 25;
        std::set<int> seen;
        for (std::uint32_t seed = 1; seed <= 400; ++seed) {
            // Without the exclusion of recent MegaBalls the random mode is one draw.
            model.Settings.set(Gs::MegaBallExcludeRecentEnabled, c.mode == Gs::MegaBallRandom ? 0 : 1);
            model.rng.RandSeed = seed;
            const int mb = generator().ChooseMegaBall();
            const int want = c.expected != 0 ? c.expected : static_cast<int>(firstDraw(seed, range));
            ASSERT_EQ(mb, want) << c.name << " seed " << seed;
            // With the exclusion on, the random mode never gives 25 either.
            model.Settings.set(Gs::MegaBallExcludeRecentEnabled, 1);
            model.rng.RandSeed = seed;
            const int mb2 = generator().ChooseMegaBall();
            EXPECT_GE(mb2, 1) << c.name;
            EXPECT_LE(mb2, static_cast<int>(range)) << c.name;
            seen.insert(mb2);
        }
        if (c.mode == Gs::MegaBallRandom) {
            EXPECT_EQ(seen.count(25), c.option ? 0u : 1u) << c.name;
        }
    }
}

TEST_F(MegaBallRangeFixture, WholeRunSuggestsNo25WithTheOptionOn) {
    // 25 is the rarest MegaBall of the history: with the option off every row gets it.
    for (int option : {1, 0}) {
        for (std::uint32_t seed : {3u, 77u, 4711u}) {
            model.Settings.set(Gs::MegaBall24, option);
            model.Settings.set(Gs::MegaBallRarest, 1);
            model.rng.RandSeed = seed;
            model.Label28Click();
            ASSERT_EQ(model.lastEndMessage, 59) << seed;
            for (int r = 1; r <= model.Settings.get(Gs::TipCount); ++r) {
                ASSERT_TRUE(model.tips.IsRowFilled(r)) << r;
                EXPECT_EQ(field(r, 6), option ? 19 : 25) << "row " << r << " seed " << seed;
            }
        }
    }
}

TEST_F(MegaBallRangeFixture, RowEditorFillsTheMegaBallFromTheRange) {
    for (int option : {1, 0}) {
        model.Settings.set(Gs::MegaBall24, option);
        const std::uint32_t range = option ? 24 : 25;
        std::set<int> seen;
        for (std::uint32_t seed = 1; seed <= 400; ++seed) {
            for (int k = 1; k <= 7; ++k)
                model.tips.set(3, k, "");
            platform.onNumberList = [&] {
                for (int n = 1; n <= 70; ++n)
                    model.numberList.box(n).checked = n == 2 || n == 13 || n == 24 || n == 35 || n == 46;
            };
            platform.numberListAnswers = {ModalResult::Ok};
            model.rng.RandSeed = seed;
            model.TippEdit(3);
            ASSERT_EQ(field(3, 6), static_cast<int>(firstDraw(seed, range))) << option << " seed " << seed;
            seen.insert(field(3, 6));
        }
        EXPECT_EQ(seen.count(25), option ? 0u : 1u);
        EXPECT_EQ(seen.size(), range); // every value of the range comes up
    }
}

// The tip fields' ranges are those of the table of game formats: the newest
// format's main numbers and MegaBalls, and the widest MegaBall of every
// format drawing the same main numbers.
TEST(MegaBallRangeSetting, TipFieldRangesAgreeWithTheGameFormats) {
    const GameFormat& latest = latestGameFormat();
    EXPECT_EQ(latest.mainMax, kMainNumberMax);
    EXPECT_EQ(latest.megaBallMax, kCurrentMegaBallMax);
    int widest = 0;
    for (const GameFormat& f : gameFormats())
        if (f.mainMax == kMainNumberMax)
            widest = std::max(widest, f.megaBallMax);
    EXPECT_EQ(widest, kMegaBallFieldMax);
    EXPECT_EQ(TipSet::fieldMax(5), kMainNumberMax);
    EXPECT_EQ(TipSet::fieldMax(6), kMegaBallFieldMax);
}
