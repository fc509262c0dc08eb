#include "database/DrawingRecord.h"

#include <cstring>

namespace rz {

void DrawingRecord::toBytes(std::uint8_t* out) const {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &Date, sizeof bits);
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    for (int i = 1; i <= 8; ++i)
        out[7 + i] = Numbers[static_cast<std::size_t>(i)];
    std::memcpy(out + 16, tail.data(), tail.size());
}

DrawingRecord DrawingRecord::fromBytes(const std::uint8_t* in) {
    DrawingRecord r;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    std::memcpy(&r.Date, &bits, sizeof bits);
    for (int i = 1; i <= 8; ++i)
        r.Numbers[static_cast<std::size_t>(i)] = in[7 + i];
    std::memcpy(r.tail.data(), in + 16, r.tail.size());
    return r;
}

DrawingRecord DrawingRecord::make(DayNumber date, const std::array<int, 5>& mains, int megaBall, int megaplier) {
    DrawingRecord r;
    r.Date = date;
    for (int i = 0; i < 5; ++i)
        r.Numbers[static_cast<std::size_t>(i + 1)] = static_cast<std::uint8_t>(mains[static_cast<std::size_t>(i)]);
    r.Numbers[6] = 0;
    r.Numbers[7] = static_cast<std::uint8_t>(megaBall);
    r.Numbers[8] = static_cast<std::uint8_t>(megaplier);
    return r;
}

} // namespace rz
