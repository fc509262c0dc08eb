#include "database/GameFormat.h"

#include "common/ProgramTexts.h"

#include <array>
#include <cmath>

namespace rz {
namespace {

// Each format runs from the day after the previous one's last drawing.
const std::array<GameFormat, 5> kFormats = {{
    {kEarliestPickerDate, dayFromYmd(2005, 6, 21), 52, 52, true},
    {dayFromYmd(2005, 6, 22), dayFromYmd(2013, 10, 18), 56, 46, true},
    {dayFromYmd(2013, 10, 19), dayFromYmd(2017, 10, 27), 75, 15, true},
    {dayFromYmd(2017, 10, 28), dayFromYmd(2025, 4, 7), 70, 25, true},
    {dayFromYmd(2025, 4, 8), kLastRepresentableDay, 70, 24, false},
}};

} // namespace

std::string GameFormat::describe() const {
    const std::string numbers =
        std::to_string(kMainCount) + "/" + std::to_string(mainMax) + " + 1/" + std::to_string(megaBallMax);
    return hasMegaplier ? numbers : txt(Txt::GameFormatNoMegaplier, {numbers});
}

std::span<const GameFormat> gameFormats() { return kFormats; }

const GameFormat* gameFormatOn(DayNumber day) {
    if (!isRepresentableDay(day))
        return nullptr;
    const double whole = std::floor(day);
    for (const GameFormat& f : kFormats)
        if (f.contains(whole))
            return &f;
    return nullptr;
}

const GameFormat& latestGameFormat() { return kFormats.back(); }

} // namespace rz
