#pragma once
#include <cmath>

namespace rz {

// Nearest integer, halves to the even neighbour (20.5 -> 20, 21.5 -> 22).
inline long long Round(double x) {
    double r = std::floor(x);
    const double diff = x - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    return static_cast<long long>(r);
}

} // namespace rz
