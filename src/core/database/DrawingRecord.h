#pragma once
#include <array>
#include <cstdint>

#include "common/Dates.h"

namespace rz {

// One stored drawing: 32 bytes, multi-byte values little-endian.
//   0..7   Date (binary64 day number)
//   8..15  Numbers[1..8]: five main numbers, 0, MegaBall, Megaplier
//   16..22 Spiel77 digits, 23..28 Super6 digits, 29..31 reserved
// Bytes 16..31 are never interpreted; they are carried along unchanged.
struct DrawingRecord {
    static constexpr std::size_t kSize = 32;

    DayNumber Date = 0.0;
    std::array<std::uint8_t, 9> Numbers{}; // index 1..8 used, [0] unused
    std::array<std::uint8_t, 16> tail{};   // bytes 16..31 as stored

    std::uint8_t main(int i) const { return Numbers[static_cast<std::size_t>(i)]; } // i = 1..5
    std::uint8_t megaBall() const { return Numbers[7]; }
    std::uint8_t megaplier() const { return Numbers[8]; }

    void toBytes(std::uint8_t* out) const;
    static DrawingRecord fromBytes(const std::uint8_t* in);

    static DrawingRecord make(DayNumber date, const std::array<int, 5>& mains, int megaBall, int megaplier);
};

} // namespace rz
