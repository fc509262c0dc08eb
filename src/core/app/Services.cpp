#include "app/Services.h"

#include <chrono>

namespace rz {

DayNumber SystemClock::today() { return rz::today(); }

std::uint32_t SystemClock::seed() {
    // Milliseconds since midnight, as a 32-bit pattern: varies between runs
    // and fits the state.
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(now).count() % 86400000LL);
}

} // namespace rz
