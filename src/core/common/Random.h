#pragma once
#include <cstdint>

namespace rz {

// The program's one pseudo-random generator: a linear congruential generator
// over a 32-bit state. Random(n) returns the high half of RandSeed * n, a value
// 0 .. n-1. The whole program shares one instance so that a seed reproduces
// every draw in order.
struct Rng {
    std::uint32_t RandSeed = 0;

    std::uint32_t Random(std::uint32_t n) {
        RandSeed = RandSeed * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(RandSeed) * n) >> 32);
    }
};

} // namespace rz
