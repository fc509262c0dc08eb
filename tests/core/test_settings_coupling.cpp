// The coupling between generator settings, as the settings page, the command
// line and the settings store apply it through one function.
#include <gtest/gtest.h>

#include "app/MainModel.h"
#include "settings/GeneratorSettings.h"

namespace rz {
namespace {

struct CouplingCase {
    const char* what;
    std::vector<std::pair<Gs, int>> changes; // applied in order
    Gs field;
    int expected;
};

TEST(SettingsCoupling, BoundsFollowThePartnerField) {
    const CouplingCase cases[] = {
        {"MinOverlap cannot rise above MaxOverlap", {{Gs::MaxOverlap, 2}, {Gs::MinOverlap, 4}}, Gs::MinOverlap, 2},
        {"MaxOverlap cannot fall below MinOverlap", {{Gs::MinOverlap, 1}, {Gs::MaxOverlap, 0}}, Gs::MaxOverlap, 1},
        {"MinOdd stops at 6 - MinEven", {{Gs::MinEven, 4}, {Gs::MinOdd, 5}}, Gs::MinOdd, 2},
        {"MinEven stops at 6 - MinOdd", {{Gs::MinOdd, 3}, {Gs::MinEven, 6}}, Gs::MinEven, 3},
        {"the bound is six, not five", {{Gs::MinEven, 3}, {Gs::MinOdd, 3}}, Gs::MinOdd, 3},
        {"SumMin may pass SumMax", {{Gs::SumMax, 100}, {Gs::SumMin, 200}}, Gs::SumMin, 200},
    };
    for (const auto& c : cases) {
        GeneratorSettings s;
        for (const auto& [f, v] : c.changes)
            s.change(f, v);
        EXPECT_EQ(s.get(c.field), c.expected) << c.what;
    }
}

TEST(SettingsCoupling, RunBudgetFollowsTheValueBeforeTheChange) {
    MainModel m;
    m.changeSetting(Gs::MaxRunsThousands, 7);
    EXPECT_EQ(m.Settings.get(Gs::MaxRunsThousands), 7);
    EXPECT_EQ(m.LaufMax, GeneratorSettings::info(Gs::MaxRunsThousands).def * 1000);
    m.changeSetting(Gs::MaxRunsThousands, 9);
    EXPECT_EQ(m.LaufMax, 7000);
}

} // namespace
} // namespace rz
