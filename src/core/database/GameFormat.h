#pragma once
// The formats of the game over the years: which main numbers, MegaBalls and
// Megapliers a drawing of a given date can hold. The one table of them; the
// importer checks lines against it, and whatever else needs the ranges of a
// date (the MegaBall range of the generator, the tip check) asks here.
#include <span>
#include <string>

#include "common/Dates.h"

namespace rz {

struct GameFormat {
    DayNumber firstDay = 0.0; // first day on which the format is in force
    DayNumber lastDay = 0.0;  // last day, inclusive
    int mainMax = 0;          // five different main numbers 1..mainMax
    int megaBallMax = 0;      // MegaBall 1..megaBallMax
    bool hasMegaplier = false; // a Megaplier 2..5 is drawn (0 = not known is always allowed)

    static constexpr int kMainCount = 5;
    static constexpr int kMegaplierMin = 2;
    static constexpr int kMegaplierMax = 5;

    bool contains(DayNumber day) const { return day >= firstDay && day <= lastDay; }
    bool allowsMain(int n) const { return n >= 1 && n <= mainMax; }
    bool allowsMegaBall(int n) const { return n >= 1 && n <= megaBallMax; }
    // 0 stands for "no Megaplier": always allowed.
    bool allowsMegaplier(int n) const { return n == 0 || (hasMegaplier && n >= kMegaplierMin && n <= kMegaplierMax); }
    // "5/70 + 1/25", for messages; a format without Megaplier says so in the
    // current language.
    std::string describe() const;
};

// Every format, oldest first, without gaps: the first starts on the earliest
// date the program accepts (17 May 2000), the last is open-ended.
std::span<const GameFormat> gameFormats();

// The format in force on the given day; nullptr before the first format or
// for a day that is no representable date.
const GameFormat* gameFormatOn(DayNumber day);

// The format in force today and from then on (the newest one).
const GameFormat& latestGameFormat();

// The ranges of the tip fields, which the generator, the statistics, the
// number list, the checks of typed numbers and the tip check share: the main
// numbers of the current game, and the MegaBalls of every format that draws
// these main numbers (1..25; the newest draws only up to 24). The table
// above agrees with them (a test holds the two together).
inline constexpr int kMainNumberMax = 70;
inline constexpr int kMegaBallFieldMax = 25;
inline constexpr int kCurrentMegaBallMax = 24;

} // namespace rz
