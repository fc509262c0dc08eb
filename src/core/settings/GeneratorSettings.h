#pragma once
#include <array>
#include <string>

namespace rz {

// Every option of the tip generator. The order of the enum is the order of
// the settings table (GeneratorSettings.cpp), which gives each field its
// control, stored value name, caption, hint, range, default and sub-tab.
enum class Gs : int {
    // check boxes (stored as "Chekcbox<n>", except MegaBall24)
    PreferPairs, PreferFrequent, MaxOverlapEnabled, MaxHitsLast1Enabled, MaxHitsLast2Enabled,
    PreferTriples, PreferQuads, ForcePair, ExcludeDbClassEnabled, PreferOverdue,
    PairsRarest, TriplesRarest, QuadsRarest, PreferRare, PreferredOnly,
    MegaBallExcludeRecentEnabled, NoGroups, PreferNeighbours, ShowNumberList, MinPrimesEnabled,
    MaxHitsLast3Enabled, MinOverlapEnabled, MinEvenEnabled, MinOddEnabled, OverlapEachPair,
    ExcludeRecentEnabled, AvoidMonthNumbers, DampDateNumbers, OverlapCountsMegaBall,
    MegaBall24, // "MegaBall24": MegaBalls of today's game format only (1..24)
    // MegaBall mode radio buttons ("RadioButton1..3")
    MegaBallRandom, MegaBallRarest, MegaBallLongestOutstanding,
    // spin controls ("UpDown<n>")
    SumMin, SumMax, MaxOverlap, MaxHitsLast1, MaxHitsLast2, ExcludeDbClass, MaxRunsThousands,
    TipCount, MinOverlap, MinPrimes, MaxHitsLast3, PreferFrequentPercent, PreferOverduePercent,
    PreferRarePercent, MinEven, MinOdd, ExcludeRecentClass, ExcludeRecentDraws, MegaBallExcludeRecent,
    Count
};

enum class GsKind { Bool, Radio, Int };

struct GsFieldInfo {
    Gs id;
    GsKind kind;
    const char* control;   // "CheckBox2", "RadioButton1", "UpDown12"
    const char* valueName; // settings store name: "Chekcbox2", "RadioButton1", "UpDown12"
    const char* edit;      // companion text field of a spin ("Edit85"), else ""
    const char* tab;       // "Statistisch", "Schein Optimierung", "Mathematisch", "MegaBall", "Allgemein", "Tipp"
    const char* caption;
    const char* hint;
    int min, max, def;
};

class GeneratorSettings {
public:
    static constexpr int kCount = static_cast<int>(Gs::Count);
    static const std::array<GsFieldInfo, kCount>& table();
    static const GsFieldInfo& info(Gs f) { return table()[static_cast<std::size_t>(f)]; }
    // Looks a field up by its stored value name (case-insensitive); nullptr if unknown.
    static const GsFieldInfo* byValueName(const std::string& name);

    GeneratorSettings(); // defaults

    int get(Gs f) const { return values_[static_cast<std::size_t>(f)]; }
    bool on(Gs f) const { return values_[static_cast<std::size_t>(f)] != 0; }
    // Sets a value as its control would: integers are clamped to the current
    // range, booleans become 0/1, a radio button switched on clears the other two.
    void set(Gs f, int value);

    int minOf(Gs f) const { return min_[static_cast<std::size_t>(f)]; }
    int maxOf(Gs f) const { return max_[static_cast<std::size_t>(f)]; }
    // Changes a spin control's range (the value is clamped into it).
    void setRange(Gs f, int min, int max);

    // Sets a value as the user does on the settings page: set() followed by
    // keepBounds(). The window, the command line and the settings store all
    // change settings through this one function.
    void change(Gs f, int value);
    // The coupling between fields after `changed` moved: MinOverlap <= MaxOverlap
    // and MinEven + MinOdd <= 6. The field that moved is bounded by its partner
    // first, then the partner by it.
    void keepBounds(Gs changed);

    // ExcludeDbClass's maximum: 7 when OverlapCountsMegaBall is on, else 5.
    // Called once after the stored settings are applied.
    void fixExcludeDbClassRange();

    bool operator==(const GeneratorSettings&) const = default;

private:
    std::array<int, kCount> values_{};
    std::array<int, kCount> min_{};
    std::array<int, kCount> max_{};
};

} // namespace rz
