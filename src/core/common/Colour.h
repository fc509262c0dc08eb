#pragma once

namespace rz {

// Colours the model hands to the view. The system colours are resolved by the
// view (window background, window text, tooltip background).
enum class Colour {
    WindowBackground, // normal field / box background
    WindowText,       // normal label text
    TooltipBackground,
    HitGreen,  // RGB 0, 255, 0: a main number that hit
    Red,       // RGB 255, 0, 0
    Black,     // RGB 0, 0, 0
    BarGreen,  // RGB 0, 128, 0: statistics bars
    Yellow,    // RGB 255, 255, 0: marked number box
};

} // namespace rz
