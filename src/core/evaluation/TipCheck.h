#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "database/DrawingNavigator.h"

namespace rz {

class TipSet;

// The result of counting one tip against one drawing.
struct HitCount {
    std::int32_t Gewinn = 0;      // main numbers hit
    std::array<bool, 9> Treffer{}; // per tip position 1..5: that number was drawn
    bool Zusatz = false;          // the MegaBall was hit
    bool Super = false;           // never set by this game; kept for the class of a hit
};

// The one hit counter of the program, on numbers: how many of the five tip
// numbers are among the five drawn ones (each drawn number counted once per
// slot, so a number stored twice in a record counts twice), plus whether the
// MegaBall matches. The generator's rules and the history search use it.
inline int countMainHits(const int* tip5, const int* drawn5) {
    int h = 0;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            h += tip5[j] == drawn5[i];
    return h;
}

// The same count on the tip fields' texts, as the tip check does it: the
// drawn numbers are visited in order and for each the five tip texts; a text
// that is no number ends the count where it is met, the hits so far stand.
// An unreadable MegaBall text leaves Zusatz false.
HitCount countTipHits(const CurrentDrawing& drawing, const std::array<const std::string*, 6>& texts);

// The full check of all twelve rows against a drawing: rows with five
// numbers are sorted, get their sum, hit colours and hit caption; the
// Statistik table counts rows by hits and class. `last` keeps the count of
// the last row checked (the historic analysis reads it).
struct TipCheckResult {
    std::array<std::array<std::int32_t, 3>, 8> Statistik{};
    std::int32_t best = 0; // hits * 100 + MegaBall, the best row
    int goodRows = 0;      // rows with three or more hits or the MegaBall
};

// A row whose MegaBall the drawing's game format cannot draw (25 against a
// drawing from 8 April 2025 on) gets a yellow MegaBall field and this hint;
// its hits, caption and counts are those of any other row.
inline constexpr const char* kMegaBallNotDrawnHint = "MegaBall 25 wird seit dem 8. April 2025 nicht mehr gezogen";

TipCheckResult checkAllRows(TipSet& tips, const CurrentDrawing& drawing, HitCount& last);

// Only the fields' colours (and the MegaBall hint) of the full check against
// a drawing: rows, sums, captions and counts stay as they are.
void markHits(TipSet& tips, const CurrentDrawing& drawing);

} // namespace rz
