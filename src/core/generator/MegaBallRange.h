#pragma once
#include "database/GameFormat.h"
#include "settings/GeneratorSettings.h"

namespace rz {

// The highest MegaBall the program picks or suggests: 24 when the user wants
// tips of today's game format only (MegaBall 25 is no longer drawn), else 25.
// Checks of what the user typed, the statistics and the tip check keep 1..25.
inline int megaBallHighest(const GeneratorSettings& s) {
    return s.on(Gs::MegaBall24) ? kCurrentMegaBallMax : kMegaBallFieldMax;
}

} // namespace rz
